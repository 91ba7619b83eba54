#include "dialogs/commandrun.h"

#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"
#include "model/devicedocument.h"
#include "platform/enginethread.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QShortcut>
#include <QWidget>

namespace {

constexpr const char* kLive = "liveDuringCommands";

bool IsLive(const QObject* object) {
    return object->property(kLive).toBool();
}

// Whether the widget holds something that stays live, so that it must not be greyed whole.
bool HoldsLive(const QWidget* widget) {
    for (const QObject* child : widget->findChildren<QObject*>())
        if (IsLive(child))
            return true;
    return false;
}

} // namespace

void KeepLiveDuringCommands(QObject* object) {
    object->setProperty(kLive, true);
}

CommandLock::CommandLock(ExchangeEngine& engine) : engine_(engine) {
    // A menu or a list left open would take the keys from a greyed window.
    while (QWidget* popup = QApplication::activePopupWidget())
        if (!popup->close())
            break;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && !IsLive(window))
            Lock(window);
}

void CommandLock::Lock(QWidget* window) {
    windows_.push_back(window);
    window->installEventFilter(this);
    for (QObject* child : window->children())
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
            Grey(widget);
    for (QAction* action : window->findChildren<QAction*>())
        if (action->isEnabled() && !IsLive(action)) {
            action->setEnabled(false);
            actions_.push_back(action);
        }
    for (QShortcut* shortcut : window->findChildren<QShortcut*>())
        if (shortcut->isEnabled() && !IsLive(shortcut)) {
            shortcut->setEnabled(false);
            shortcuts_.push_back(shortcut);
        }
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    stop->setContext(Qt::WindowShortcut);
    connect(stop, &QShortcut::activated, this, [this] { engine_.RequestStop(); });
    stops_.push_back(stop);
}

void CommandLock::Grey(QWidget* widget) {
    if (IsLive(widget) || widget->testAttribute(Qt::WA_Disabled))
        return;
    if (!HoldsLive(widget)) {
        widget->setEnabled(false);
        greyed_.push_back(widget);
        return;
    }
    for (QObject* child : widget->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow())
            Grey(w);
}

CommandLock::~CommandLock() {
    for (QShortcut* stop : stops_)
        delete stop;
    for (const QPointer<QShortcut>& s : shortcuts_)
        if (s)
            s->setEnabled(true);
    for (const QPointer<QAction>& a : actions_)
        if (a)
            a->setEnabled(true);
    for (const QPointer<QWidget>& w : greyed_)
        if (w)
            w->setEnabled(true);
    for (const QPointer<QWidget>& w : windows_)
        if (w)
            w->removeEventFilter(this);
}

bool CommandLock::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        engine_.RequestStop();
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

MsgButton WindowsThreadOperator::Ask(const OperatorMessage& message) {
    MsgButton answer = MsgButton::None;
    OnWindowsThread(context_, [&] { answer = inner_.Ask(message); });
    return answer;
}

void OnWindowsThread(WindowContext& context, const std::function<void()>& fn) {
    context.Exchanges().CallHere(fn);
}

bool RunCommand(WindowContext& context, const std::function<void(ExchangeEngine&)>& job) {
    EngineThread& thread = context.Exchanges();
    if (thread.CommandRunning())
        return false;
    ExchangeEngine& engine = thread.Engine();
    QPointer<QWidget> focused = QApplication::focusWidget();
    {
        CommandLock lock(engine);
        // A stop left from the last command is not this one's.
        engine.ClearStop();
        QEventLoop wait;
        bool over = false;
        thread.Run([&engine, &job] { job(engine); },
                   [&] {
                       over = true;
                       wait.quit();
                   });
        if (!over)
            wait.exec();
    }
    // The operator goes on where the command found him.
    if (focused && focused->isEnabled() && focused->isVisible())
        focused->setFocus();
    return true;
}

bool RunDocumentCommand(WindowContext& context,
                        const std::function<void(ExchangeEngine&, DeviceDocument&)>& job) {
    DeviceDocument& document = context.Document();
    DeviceDocument work = document;
    work.onChange = nullptr;
    const bool ran = RunCommand(context, [&](ExchangeEngine& engine) { job(engine, work); });
    if (ran) {
        work.onChange = std::move(document.onChange);
        document = std::move(work);
        document.Notify();
    }
    return ran;
}

int ApplyPortSettings(WindowContext& context) {
    int code = -1;
    context.Exchanges().RunAndWait([&] { code = context.Engine().ApplyPortSettings(); });
    return code;
}

void ClosePort(WindowContext& context) {
    context.Exchanges().RunAndWait([&] { context.Engine().ClosePort(); });
}
