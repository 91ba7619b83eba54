#include "dialogs/explicitchoice.h"

#include <QComboBox>
#include <QKeyEvent>

namespace {

class ExplicitChoiceFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QComboBox*>(watched);
        if (!box)
            return false;
        if (event->type() == QEvent::Wheel) {
            event->ignore();
            return true;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool alt = key->modifiers() & Qt::AltModifier;
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
        case Qt::Key_F4:
            return false; // focus moves, and the keys that open the list
        case Qt::Key_Up:
        case Qt::Key_Down:
            return !alt;
        default:
            // Arrows, paging and typed letters would each choose an item at once.
            return key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::ShiftModifier ||
                   key->modifiers() == Qt::KeypadModifier;
        }
    }
};

} // namespace

void RequireExplicitChoice(QComboBox* box) {
    box->installEventFilter(new ExplicitChoiceFilter(box));
}
