#pragma once
// An operator's command (read, write, bus-number change, scan, verify) runs on the engine's
// thread while the windows' thread goes on painting. Meanwhile every window's commands are
// greyed (actions, buttons, fields, shortcuts); only the stop stays live: "Стоп", Esc in a
// window, and a window's close. The bus monitor and the guide stay usable throughout.

#include "model/operator.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <type_traits>
#include <vector>

class DeviceDocument;
class EngineThread;
class ExchangeEngine;
class QAction;
class QShortcut;
class QWidget;
class WindowContext;

// Marks a widget, action or shortcut that stays live during a command (a "Стоп" button, its
// progress bar, the monitor's shortcut), or a window that is never greyed (the monitor).
void KeepLiveDuringCommands(QObject* object);

// Runs job on the engine's thread as an operator's command and returns once it is over.
// Refused (false, nothing run) while another command runs.
bool RunCommand(WindowContext& context, const std::function<void(ExchangeEngine&)>& job);
// The same on a working copy of the document, which takes the document's place afterwards:
// the windows never read the document while the engine's thread changes it.
bool RunDocumentCommand(WindowContext& context,
                        const std::function<void(ExchangeEngine&, DeviceDocument&)>& job);

// The port set up again with the engine's settings (0, or -1 when it cannot be opened), or
// closed: on the engine's thread, which the port belongs to. Quick; the windows are not greyed.
int ApplyPortSettings(WindowContext& context);
void ClosePort(WindowContext& context);

// From a job: fn runs on the windows' thread while the job waits (a question, progress that
// shows the document). On the windows' thread it runs at once.
void OnWindowsThread(WindowContext& context, const std::function<void()>& fn);
// Wraps a callback so that it runs on the windows' thread whatever thread calls it.
template <typename Result, typename... Args>
std::function<Result(Args...)>
OnWindowsThread(WindowContext& context, std::type_identity_t<std::function<Result(Args...)>> call) {
    if (!call)
        return {};
    return [&context, call = std::move(call)](Args... args) -> Result {
        if constexpr (std::is_void_v<Result>) {
            OnWindowsThread(context, [&] { call(args...); });
        } else {
            Result result{};
            OnWindowsThread(context, [&] { result = call(args...); });
            return result;
        }
    };
}

// The operator, asked from a job: the question is shown on the windows' thread.
class WindowsThreadOperator : public Operator {
public:
    WindowsThreadOperator(WindowContext& context, Operator& inner)
        : context_(context), inner_(inner) {}
    MsgButton Ask(const OperatorMessage& message) override;

private:
    WindowContext& context_;
    Operator& inner_;
};

// Greys the windows for as long as it lives; Esc and a close in them stop the command.
class CommandLock : public QObject {
public:
    explicit CommandLock(ExchangeEngine& engine);
    ~CommandLock() override;
    CommandLock(const CommandLock&) = delete;
    CommandLock& operator=(const CommandLock&) = delete;

protected:
    // A window's close during the command is its stop; the window stays.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Lock(QWidget* window);
    void Grey(QWidget* widget);

    ExchangeEngine& engine_;
    std::vector<QPointer<QWidget>> windows_;
    std::vector<QPointer<QWidget>> greyed_;
    std::vector<QPointer<QAction>> actions_;
    std::vector<QPointer<QShortcut>> shortcuts_;
    std::vector<QShortcut*> stops_;
};
