#include "dialogs/exchangeguard.h"

#include "link/exchangeengine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>

namespace {

bool IsInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

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

ExchangeInputGuard::ExchangeInputGuard(ExchangeEngine& port, QObject* parent)
    : QObject(parent), port_(port) {
    qApp->installEventFilter(this);
}

ExchangeInputGuard::~ExchangeInputGuard() {
    if (qApp)
        qApp->removeEventFilter(this);
}

void ExchangeInputGuard::AddStopWidget(QWidget* widget) {
    stopWidgets_.emplace_back(widget);
}

bool ExchangeInputGuard::IsStopWidget(QObject* watched) const {
    return std::any_of(stopWidgets_.begin(), stopWidgets_.end(),
                       [watched](const QPointer<QWidget>& w) { return w && w == watched; });
}

bool ExchangeInputGuard::eventFilter(QObject* watched, QEvent* event) {
    if (!port_.InExchange() || !IsInput(event->type()))
        return false;
    // The system's input comes to a window first, which hands it on to its widgets: it is
    // judged there, where a click on "Стоп" can be told from any other.
    if (watched->isWindowType())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            lastStopSource_ = nullptr;
            port_.RequestStop();
        }
        break;
    case QEvent::MouseButtonRelease:
        if (IsStopWidget(watched) && static_cast<QWidget*>(watched)->isEnabled()) {
            lastStopSource_ = watched;
            port_.RequestStop();
        }
        break;
    case QEvent::Close:
        // A window closed mid-exchange stops the exchange first; it stays open until then.
        lastStopSource_ = watched;
        port_.RequestStop();
        break;
    default:
        break;
    }
    event->ignore();
    return true;
}

void ExchangeInputGuard::Idle() {
    // Everything that waits is taken now: paints go through, input meets the filter above.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void RequireExplicitChoice(QComboBox* box) {
    box->installEventFilter(new ExplicitChoiceFilter(box));
}
