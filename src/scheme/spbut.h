#pragma once
// A two-state button of a scheme row (contact type, processing, signal type): a speed button
// that remembers it was clicked and tells its own handler.

#include "scheme/notifyevent.h"
#include "scheme/speedbutton.h"

class TSpBut : public TSpeedButton {
    Q_OBJECT
public:
    // Enabled and up.
    explicit TSpBut(QWidget* owner);
    // Disabled, with the given down state.
    TSpBut(QWidget* owner, bool down);

    bool Clicked() const { return FClicked; }
    TNotifyEvent OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent handler) { FOnClick = std::move(handler); }

protected:
    // After the down state has followed the click: remember it and tell the handler.
    void Click() override;

private:
    void SetUp();

    bool FClicked = false;
    TNotifyEvent FOnClick;
};
