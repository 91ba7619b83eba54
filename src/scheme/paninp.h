#pragma once
// The input panel of a scheme row: the input's identifier, and on the larger types a state
// button for the contact type.

#include "scheme/notifyevent.h"
#include "scheme/panel.h"

class TSpeedButton;

enum TPanelType { tpInput, tpNB, tpId };

class TPanInp : public TPanel {
    Q_OBJECT
public:
    explicit TPanInp(QWidget* owner);
    TPanInp(QWidget* owner, int number, TPanelType type);
    ~TPanInp() override;

    // Reshapes the panel for a type; the stored type stays as it was.
    void PutTypePanel(TPanelType type);
    TPanelType GetTypePan() const { return FTypePan; }
    void SetTypePan(TPanelType type);

    bool GetEnabledSpB() const;
    void SetEnabledSpB(bool enabled);
    bool GetDownSpB() const;
    void SetDownSpB(bool down);
    TNotifyEvent GetFOnSpBClick() const { return FOnSpBClick; }
    void SetFOnSpBClick(TNotifyEvent handler) { FOnSpBClick = std::move(handler); }
    TNotifyEvent OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent handler) { FOnClick = std::move(handler); }

    // The state button was clicked.
    virtual void SpBClick();
    // A click on the panel toggles its highlight.
    virtual void Click();

    // The state button; none on a tpNB panel.
    TSpeedButton* SpB() const { return FSpB; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetUp(TPanelType type);
    void ShapeAs(TPanelType type, int height);

    TSpeedButton* FSpB = nullptr;
    TPanelType FTypePan = tpInput;
    TNotifyEvent FOnSpBClick;
    TNotifyEvent FOnClick;
    bool pressed_ = false;
};
