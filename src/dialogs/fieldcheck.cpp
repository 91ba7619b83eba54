#include "dialogs/fieldcheck.h"

#include "model/keyfilters.h"
#include "model/operator.h"
#include "model/vkeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <utility>
#include <vector>

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

void ErrorMarker::Watch(QWidget* field) {
    disconnect(edited_);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edited_ = connect(edit, &QLineEdit::textEdited, this, [this] { hide(); });
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

namespace {

// What lies around the field in the window the operator works with: its other controls, and
// the captions that name them.
struct Surroundings {
    std::vector<QRect> controls;
    std::vector<QRect> captions;
};

Surroundings AroundField(QWidget* field, QLabel* marker) {
    QWidget* parent = marker->parentWidget();
    Surroundings around;
    for (QWidget* w : parent->window()->findChildren<QWidget*>()) {
        if (w == field || w == marker || field->isAncestorOf(w) || !w->isVisible() || w->isWindow())
            continue;
        const QRect at(w->mapTo(parent, QPoint()), w->size());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->text().trimmed().isEmpty())
                around.captions.push_back(at);
            continue;
        }
        const bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w) ||
                             qobject_cast<QAbstractItemView*>(w) || qobject_cast<QTextEdit*>(w) ||
                             qobject_cast<QPlainTextEdit*>(w);
        // A line edit inside a combo box or a spin box is its parent's part.
        if (!control || qobject_cast<QComboBox*>(w->parentWidget()) ||
            qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
            continue;
        around.controls.push_back(at);
    }
    return around;
}

int Overlap(const QRect& place, const std::vector<QRect>& others) {
    int area = 0;
    for (const QRect& r : others) {
        const QRect common = place & r;
        if (!common.isEmpty())
            area += common.width() * common.height();
    }
    return area;
}

} // namespace

QPoint ErrorMarkerPlace(QWidget* field, QLabel* marker) {
    QWidget* parent = marker->parentWidget();
    const QRect f(field->mapTo(parent, QPoint()), field->size());
    const QSize m = marker->size();
    const int gap = 2;
    const QPoint places[] = {
        {f.left() + 5, f.bottom() + 1 - 5},                             // over the lower edge
        {f.left(), f.bottom() + 1 + gap},                               // below
        {f.right() + 1 - m.width(), f.bottom() + 1 + gap},              // below, to the right
        {f.right() + 1 + gap, f.top() + (f.height() - m.height()) / 2}, // beside, right
        {f.left(), f.top() - gap - m.height()},                         // above
        {f.left() - gap - m.width(), f.top() + (f.height() - m.height()) / 2}, // beside, left
    };
    const Surroundings around = AroundField(field, marker);
    // Covering a control is worse than covering any caption; a caption covered hides what a
    // field means, so the place that covers neither wins.
    QPoint best;
    std::pair<int, int> bestCover{-1, -1};
    for (QPoint at : places) {
        // The whole text stays in sight: pushed back inside the parent.
        at.setX(std::max(0, std::min(at.x(), parent->width() - m.width())));
        at.setY(std::max(0, std::min(at.y(), parent->height() - m.height())));
        const QRect r(at, m);
        const std::pair<int, int> cover{Overlap(r, around.controls), Overlap(r, around.captions)};
        if (bestCover.first < 0 || cover < bestCover) {
            best = at;
            bestCover = cover;
        }
        if (cover == std::pair<int, int>{0, 0})
            break;
    }
    return best;
}

void ShowErrorText(QWidget* field, QLabel* marker, const QString& text) {
    QApplication::beep();
    marker->setText(text.isEmpty() ? InputErrorText() : text);
    marker->adjustSize();
    // A window narrower than the marker is widened, so that the whole text can be read.
    QWidget* parent = marker->parentWidget();
    QWidget* window = parent->window();
    if (parent == window && marker->width() > window->width())
        window->resize(marker->width(), window->height());
    marker->move(ErrorMarkerPlace(field, marker));
    if (auto* watching = qobject_cast<ErrorMarker*>(marker))
        watching->Watch(field);
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
