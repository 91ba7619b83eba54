#pragma once
// The input panel of a scheme row: the input's identifier, and on the larger types a state
// button for the contact type.

#include "scheme/notifyevent.h"
#include "scheme/schemepanel.h"

class GlyphButton;

enum CellType { tpInput, tpNB, tpId };

class InputCell : public SchemePanel {
    Q_OBJECT
public:
    explicit InputCell(QWidget* owner);
    InputCell(QWidget* owner, int number, CellType type);
    ~InputCell() override;

    // Reshapes the panel for a type; the stored type stays as it was.
    void PutType(CellType type);
    CellType GetType() const { return type_; }
    void SetType(CellType type);

    bool ButtonEnabled() const;
    void SetButtonEnabled(bool enabled);
    bool ButtonDown() const;
    void SetButtonDown(bool down);
    TNotifyEvent ButtonClickHandler() const { return onButtonClick_; }
    void SetButtonClickHandler(TNotifyEvent handler) { onButtonClick_ = std::move(handler); }
    TNotifyEvent OnClick() const { return onClick_; }
    void SetOnClick(TNotifyEvent handler) { onClick_ = std::move(handler); }

    // The state button was clicked.
    virtual void ButtonClick();
    // A click on the panel toggles its highlight.
    virtual void Click();

    // The state button; none on a tpNB panel.
    GlyphButton* Button() const { return button_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetUp(CellType type);
    void ShapeAs(CellType type, int height);

    GlyphButton* button_ = nullptr;
    CellType type_ = tpInput;
    TNotifyEvent onButtonClick_;
    TNotifyEvent onClick_;
    bool pressed_ = false;
};
