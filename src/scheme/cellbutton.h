#pragma once
// A two-state button of a scheme row (contact type, processing, signal type): a speed button
// that remembers it was clicked and tells its own handler.

#include "scheme/glyphbutton.h"
#include "scheme/notifyevent.h"

class CellButton : public GlyphButton {
    Q_OBJECT
public:
    // Enabled and up.
    explicit CellButton(QWidget* owner);
    // Disabled, with the given down state.
    CellButton(QWidget* owner, bool down);

    bool Clicked() const { return clicked_; }
    TNotifyEvent OnClick() const { return onClick_; }
    void SetOnClick(TNotifyEvent handler) { onClick_ = std::move(handler); }

protected:
    // After the down state has followed the click: remember it and tell the handler.
    void Click() override;

private:
    void SetUp();

    bool clicked_ = false;
    TNotifyEvent onClick_;
};
