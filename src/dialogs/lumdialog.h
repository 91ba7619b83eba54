#pragma once
// Base of the program's modal windows. Every way of closing (a button, the title bar's close
// box) goes through CanClose with the intended result, the window's close query, which may keep
// the window open or change the result. Escape closes a window as its close box does. A window
// opens with its first field focused, unless it chose its focus itself.

#include <QDialog>

class QSpacerItem;

// Modal results, in the classic numbering several windows and their callers rely on.
namespace mr {
constexpr int None = 0;
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace mr

// The width a window needs for its whole caption in the title bar: the text in a bold face and
// room for the bar's icon and buttons.
int TitleBarWidth(const QString& title);

class LumDialog : public QDialog {
    Q_OBJECT
public:
    explicit LumDialog(QWidget* parent = nullptr);

    // Sets the modal result and asks the window to close (the close query decides).
    void CloseWith(int result);
    // The result a close by the title bar starts with.
    void SetCloseBoxResult(int result) { closeBoxResult_ = result; }
    // Opens in the middle of the screen instead of over the main window.
    void SetCentredOnScreen() { centredOnScreen_ = true; }
    void setVisible(bool visible) override;

protected:
    // The close query: return false to stay open; may change the result.
    virtual bool CanClose(int& result);
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Fills what the window shows; runs each time it is about to be shown, before it is sized
    // and placed.
    virtual void BeforeShowing() {}

private:
    void PrepareShowing();
    void FocusFirstField();

    int closeBoxResult_ = mr::Cancel;
    bool centredOnScreen_ = false;
    bool closing_ = false;
    QSpacerItem* titleSpacer_ = nullptr; // widens a window its layout sizes, for its caption
};
