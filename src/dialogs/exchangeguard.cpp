#include "dialogs/exchangeguard.h"

#include "link/exchangeengine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

bool IsInput(const QEvent* event) {
    switch (event->type()) {
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
    case QEvent::MouseMove:
        // A drag with a button down selects text; a bare move only hovers.
        return static_cast<const QMouseEvent*>(event)->buttons() != Qt::NoButton;
    default:
        return false;
    }
}

bool IsMouse(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
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

namespace {
// Windows come and go with their openings: the lists forget the ones gone.
void AddLive(std::vector<QPointer<QWidget>>& list, QWidget* widget) {
    std::erase_if(list, [](const QPointer<QWidget>& w) { return w.isNull(); });
    list.emplace_back(widget);
}
} // namespace

void ExchangeInputGuard::AddStopWidget(QWidget* widget) {
    AddLive(stopWidgets_, widget);
}

void ExchangeInputGuard::AddFreeWindow(QWidget* window) {
    AddLive(freeWindows_, window);
}

bool ExchangeInputGuard::IsFree(QObject* watched) const {
    if (freeWindows_.empty())
        return false;
    QWidget* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        widget = WindowOf(watched);
    // A popup (a combo box's list) is a window of its own whose parent is in the free one; a
    // completer's list (a name typed in the monitor's save dialog) has no parent, only the
    // field it completes as its focus proxy.
    for (; widget; widget = widget->parentWidget() ? widget->parentWidget() : widget->focusProxy())
        for (const QPointer<QWidget>& free : freeWindows_)
            if (free == widget)
                return true;
    return false;
}

QWidget* ExchangeInputGuard::WindowOf(QObject* watched) {
    if (auto* widget = qobject_cast<QWidget*>(watched))
        return widget->window();
    if (auto* window = qobject_cast<QWindow*>(watched))
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == window)
                return top;
    return nullptr;
}

bool ExchangeInputGuard::IsStopWidget(QObject* watched) const {
    return std::any_of(stopWidgets_.begin(), stopWidgets_.end(),
                       [watched](const QPointer<QWidget>& w) { return w && w == watched; });
}

bool ExchangeInputGuard::TakeStop(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
            return false;
        if (type == QEvent::KeyPress) {
            // Esc is meant for the window it was pressed in: a window that closes on Esc
            // closes once the exchange has stopped.
            lastStopSource_ = WindowOf(watched);
            port_.RequestStop();
        }
        return true;
    }
    if (IsMouse(type)) {
        // Only the release stops; the press and the rest of the click go with it.
        if (!IsStopWidget(watched))
            return false;
        if (type == QEvent::MouseButtonRelease && static_cast<QWidget*>(watched)->isEnabled()) {
            lastStopSource_ = watched;
            port_.RequestStop();
        }
        return true;
    }
    if (type == QEvent::Close) {
        // A window closed mid-exchange stops the exchange first; it stays open until then.
        lastStopSource_ = watched;
        port_.RequestStop();
        return true;
    }
    return false;
}

QObject* ExchangeInputGuard::StopWidgetAt(QWindow* window, QEvent* event) const {
    if (!IsMouse(event->type()))
        return window;
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->windowHandle() == window)
            for (QWidget* w = top->childAt(at); w; w = w->parentWidget())
                if (IsStopWidget(w))
                    return w;
    return window;
}

void ExchangeInputGuard::Hold(QObject* receiver, QEvent* event) {
    held_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
    // Taken: not handed on to the parents, nor back to the system.
    event->accept();
}

bool ExchangeInputGuard::eventFilter(QObject* watched, QEvent* event) {
    if (!port_.InExchange() || !IsInput(event) || IsFree(watched))
        return false;
    // The system's input comes to a window first, which hands it on to its widgets: it is
    // judged there, where a click on "Стоп" can be told from any other. During a poll it is
    // judged at the window already, before a click moves the focus (even a click on "Отмена"
    // would take it from the field being typed into), and what is held there the window
    // hands on afresh once the poll is over.
    if (watched->isWindowType()) {
        if (background_ == 0 || event->type() == QEvent::Close)
            return false;
        if (TakeStop(StopWidgetAt(static_cast<QWindow*>(watched), event), event))
            event->ignore();
        else
            Hold(watched, event);
        return true;
    }
    if (!TakeStop(watched, event) && background_ > 0) {
        // The question a key asks before it comes is no input: the key itself is held.
        if (event->type() == QEvent::ShortcutOverride)
            return false;
        Hold(watched, event);
        return true;
    }
    event->ignore();
    return true;
}

void ExchangeInputGuard::Idle() {
    // Input still waiting from a poll came after the click that started this command: the
    // command drops it, as it drops what comes now.
    if (background_ == 0)
        held_.clear();
    // Everything that waits is taken now: paints go through, input meets the filter above.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ExchangeInputGuard::BeginBackground() {
    ++background_;
}

void ExchangeInputGuard::EndBackground() {
    if (--background_ > 0 || replaying_)
        return;
    replaying_ = true;
    // One at a time from the front: what a delivered event starts may drop the rest (Idle).
    while (!held_.empty()) {
        HeldEvent next = std::move(held_.front());
        held_.pop_front();
        if (next.receiver)
            Deliver(next.receiver, next.event.get());
    }
    replaying_ = false;
}

void ExchangeInputGuard::Deliver(QObject* receiver, QEvent* event) {
    // What went to a window or a widget that has closed since has nowhere to go.
    if (auto* window = qobject_cast<QWindow*>(receiver); window && !window->isVisible())
        return;
    if (auto* widget = qobject_cast<QWidget*>(receiver); widget && !widget->isVisible())
        return;
    // Handed on as the system handed it, spontaneous (sendEvent would make it the program's
    // own): the window routes it as it routes fresh input, and a click still gives focus.
    QCoreApplication::instance()->notify(receiver, event);
}

void RequireExplicitChoice(QComboBox* box) {
    box->installEventFilter(new ExplicitChoiceFilter(box));
}
