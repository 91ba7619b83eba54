#include "dialogs/lumdialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QScreen>

int TitleBarWidth(const QString& title) {
    QFont bold = QApplication::font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(title) + 120;
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
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void LumDialog::setVisible(bool visible) {
    if (visible && !isVisible())
        PrepareShowing();
    QDialog::setVisible(visible);
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
