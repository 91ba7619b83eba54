#include "dialogs/qtoperator.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/lumdialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

const char* const kApplicationTitle = "Программатор ЛУМ - 08";

namespace {

QMessageBox::StandardButton ToQt(MsgButton b) {
    switch (b) {
    case MsgButton::Ok:
        return QMessageBox::Ok;
    case MsgButton::Cancel:
        return QMessageBox::Cancel;
    case MsgButton::Abort:
        return QMessageBox::Abort;
    case MsgButton::Retry:
        return QMessageBox::Retry;
    case MsgButton::Ignore:
        return QMessageBox::Ignore;
    case MsgButton::Yes:
        return QMessageBox::Yes;
    case MsgButton::No:
        return QMessageBox::No;
    case MsgButton::None:
        break;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon ToQt(MsgIcon i) {
    switch (i) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MsgButton QtOperator::Ask(const OperatorMessage& message) {
    // Over the window that asks, when it is one of the parent's: a box modal to a window
    // other than the active one gets no keys on some window managers.
    QWidget* over = parent_;
    QWidget* active = QApplication::activeWindow();
    // Between two windows (one just closed, the window manager not yet done) nothing is
    // active: the innermost open dialog asks then, not a window it blocks.
    if (!active)
        active = QApplication::activeModalWidget();
    for (QWidget* w = active; w; w = w->parentWidget())
        if (!parent_ || w == parent_) {
            over = active;
            break;
        }
    QMessageBox box(over);
    box.setFont(QApplication::font()); // not the asking window's own (the scheme's is small)
    // Modal to the program's windows under its parent, not to the application: the bus
    // monitor, a window of its own, stays usable. Without a parent there is nothing to be
    // modal to but the application.
    box.setWindowModality(box.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    box.setIcon(ToQt(message.icon));
    box.setWindowTitle(message.caption.empty() ? QString::fromUtf8(kApplicationTitle)
                                               : QString::fromUtf8(message.caption));
    box.setText(QString::fromUtf8(message.text));
    QMessageBox::StandardButtons buttons;
    for (MsgButton b : message.buttons)
        buttons |= ToQt(b);
    box.setStandardButtons(buttons);
    if (message.defaultButton != MsgButton::None)
        box.setDefaultButton(ToQt(message.defaultButton));
    // Russian captions on the standard buttons.
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {
        {QMessageBox::Yes, "Да"},         {QMessageBox::No, "Нет"},
        {QMessageBox::Cancel, "Отмена"},  {QMessageBox::Retry, "Повтор"},
        {QMessageBox::Abort, "Прервать"}, {QMessageBox::Ignore, "Пропустить"}};
    for (const auto& [b, name] : names)
        if (QAbstractButton* button = box.button(b))
            button->setText(QString::fromUtf8(name));
    // Wide enough for the whole caption: the box's own allowance is short of a title bar's
    // buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(TitleBarWidth(box.windowTitle()), 0), grid->rowCount(), 0, 1,
                      grid->columnCount());
    const QPointer<ExchangeProgress> progress = ExchangeProgress::Active();
    if (progress)
        progress->Hold(true);
    // A box opened while a mouse button is down (a field left by a click) is shown without the
    // keys by some window managers: it asks for them itself, while the program has them.
    QTimer::singleShot(0, &box, [&box] {
        if (QApplication::activeWindow() && QApplication::activeWindow() != &box)
            box.activateWindow();
    });
    const int pressed = box.exec();
    if (progress)
        progress->Hold(false);
    for (MsgButton b : message.buttons)
        if (ToQt(b) == pressed)
            return b;
    // Closed by the title bar: the answer that changes nothing.
    for (MsgButton b : {MsgButton::Cancel, MsgButton::No, MsgButton::Ok})
        for (MsgButton offered : message.buttons)
            if (offered == b)
                return b;
    return MsgButton::Cancel;
}
