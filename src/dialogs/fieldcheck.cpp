#include "dialogs/fieldcheck.h"

#include "model/keyfilters.h"
#include "model/operator.h"
#include "model/vkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

ErrorMarker::ErrorMarker(QWidget* parent) : QLabel(parent) {
    setText(QString::fromUtf8("ошибка"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 255, 225));
    p.setColor(QPalette::WindowText, Qt::red);
    setPalette(p);
    setMouseTracking(true);
    hide();
}

void ErrorMarker::mouseMoveEvent(QMouseEvent* event) {
    hide();
    QLabel::mouseMoveEvent(event);
}

void ErrorMarker::enterEvent(QEnterEvent* event) {
    hide();
    QLabel::enterEvent(event);
}

QString InputErrorText() {
    return QString::fromUtf8(" Ошибка ввода ");
}

void ShowErrorText(QWidget* field, QLabel* marker, const QString& text) {
    QApplication::beep();
    marker->setText(text.isEmpty() ? InputErrorText() : text);
    marker->adjustSize();
    QWidget* parent = marker->parentWidget();
    QPoint at = field->mapTo(parent->window(), QPoint(5, field->height() - 5));
    if (parent != parent->window())
        at = parent->mapFrom(parent->window(), at);
    // The whole text stays in sight: a field near the window's right or lower edge has its
    // marker pushed back inside, and a window narrower than the marker is widened.
    QWidget* window = parent->window();
    if (parent == window && marker->width() > window->width())
        window->resize(marker->width(), window->height());
    at.setX(std::max(0, std::min(at.x(), parent->width() - marker->width())));
    at.setY(std::max(0, std::min(at.y(), parent->height() - marker->height())));
    marker->move(at);
    marker->show();
    marker->raise();
}

void ErrorInput(Operator& op, QLineEdit* field, const QString& text) {
    QPalette saved = field->palette();
    QPalette red = saved;
    red.setColor(QPalette::Base, Qt::red);
    field->setPalette(red);
    QApplication::beep();
    op.Tell((text.isEmpty() ? InputErrorText() : text).toStdString(), "Ошибка", MsgIcon::Error);
    QPalette white = saved;
    white.setColor(QPalette::Base, Qt::white);
    field->setPalette(white);
    field->clear();
}

int VirtualKeyOf(const QKeyEvent* event) {
    const int key = event->key();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (keypad ? vk::Numpad0 : vk::Digit0) + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return vk::LetterA + (key - Qt::Key_A);
    switch (key) {
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_Shift:
        return vk::Shift;
    case Qt::Key_Control:
        return vk::Control;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_NumLock:
        return vk::NumLock;
    case Qt::Key_CapsLock:
        return vk::Capital;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Return;
    case Qt::Key_Space:
        return vk::Space;
    default:
        return vk::Unknown;
    }
}

void FocusNext(QWidget* widget) {
    // The next control in the window's tab order that can take the focus.
    for (QWidget* next = widget->nextInFocusChain(); next && next != widget;
         next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && next->isVisible() && next->isEnabled() &&
            next->window() == widget->window()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

namespace {

class KeyFilter : public QObject {
public:
    KeyFilter(QLineEdit* field, KeyFilterKind kind, Operator& op)
        : QObject(field), field_(field), kind_(kind), op_(op) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != field_ || event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        // Tab belongs to the window: it moves between the controls and is no key of the field.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        const int vkey = VirtualKeyOf(key);
        const std::string text = field_->text().toStdString();
        const int r =
            kind_ == KeyFilterKind::Hex ? KeyHex(vkey, ctrl, text) : KeyDec(vkey, ctrl, text);
        if (r == 1) {
            ErrorInput(op_, field_);
            return true;
        }
        if (r == 13) {
            FocusNext(field_);
            return true;
        }
        return false;
    }

private:
    QLineEdit* field_;
    KeyFilterKind kind_;
    Operator& op_;
};

} // namespace

void InstallKeyFilter(QLineEdit* field, KeyFilterKind kind, Operator& op) {
    field->installEventFilter(new KeyFilter(field, kind, op));
}
