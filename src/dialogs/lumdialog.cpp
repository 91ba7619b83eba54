#include "dialogs/lumdialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QToolButton>

int TitleBarWidth(const QString& title) {
    QFont bold = QApplication::font();
    bold.setBold(true);
    // Window managers draw captions in a font of their own, often wider than the program's
    // (under Openbox a quarter wider), beside their buttons.
    return QFontMetrics(bold).horizontalAdvance(title) * 5 / 4 + 120;
}

LumDialog::LumDialog(QWidget* parent) : QDialog(parent) {
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void LumDialog::CloseWith(int result) {
    if (closing_)
        return;
    closing_ = true;
    int r = result;
    const bool close = CanClose(r);
    closing_ = false;
    if (close)
        done(r);
}

bool LumDialog::CanClose(int&) {
    return true;
}

void LumDialog::reject() {
    CloseWith(closeBoxResult_);
}

void LumDialog::closeEvent(QCloseEvent* event) {
    // The close box: run the close query; done() hides the window when it agrees.
    event->ignore();
    if (isVisible())
        CloseWith(closeBoxResult_);
}

void LumDialog::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window as its close box does (QDialog's reject, with the close query).
    QDialog::keyPressEvent(event);
}

namespace {
// A button that does something, not a choice.
bool IsCommandButton(const QWidget* w) {
    return qobject_cast<const QPushButton*>(w) || qobject_cast<const QToolButton*>(w);
}

// What the operator types into or chooses from (a radio button or a check box too).
bool IsField(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           (qobject_cast<const QAbstractButton*>(w) && !IsCommandButton(w));
}
} // namespace

void LumDialog::FocusFirstField() {
    // A window that chose its focus keeps it; the focus left on a button by the last showing,
    // or none at all, goes to the first field, so that what is typed at once lands there.
    const QWidget* current = focusWidget();
    if (current && current != this && !IsCommandButton(current))
        return;
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
        if (isAncestorOf(w) && IsField(w) && w->isEnabled() && w->isVisibleTo(this) &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            // What is typed replaces the value, as after a Tab into the field.
            if (auto* edit = qobject_cast<QLineEdit*>(w))
                edit->selectAll();
            else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
                spin->selectAll();
            return;
        }
}

void LumDialog::setVisible(bool visible) {
    const bool showing = visible && !isVisible();
    if (showing)
        PrepareShowing();
    QDialog::setVisible(visible);
    if (showing && isVisible())
        FocusFirstField();
}

void LumDialog::PrepareShowing() {
    BeforeShowing();
    // Sized and placed before it is on the screen: the layout is final by the first paint.
    if (layout())
        layout()->activate();
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    // A narrow window would have its caption cut short in the title bar.
    const int titleWidth = TitleBarWidth(windowTitle());
    if (layout() && layout()->sizeConstraint() == QLayout::SetFixedSize &&
        (width() < titleWidth || titleSpacer_)) {
        // A window sized by its layout widens through the layout (its caption may change).
        if (!titleSpacer_) {
            titleSpacer_ = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
            if (auto* grid = qobject_cast<QGridLayout*>(layout()))
                grid->addItem(titleSpacer_, grid->rowCount(), 0, 1, grid->columnCount());
            else
                layout()->addItem(titleSpacer_);
        }
        const QMargins margins = layout()->contentsMargins();
        titleSpacer_->changeSize(titleWidth - margins.left() - margins.right(), 0,
                                 QSizePolicy::Fixed, QSizePolicy::Fixed);
        layout()->invalidate();
        layout()->activate();
    } else if (width() < titleWidth && maximumWidth() >= titleWidth) {
        setMinimumWidth(titleWidth);
        resize(titleWidth, height());
    }
    if (centredOnScreen_) {
        QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
        if (screen)
            move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
}
