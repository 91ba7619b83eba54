#pragma once
// While an exchange runs the windows keep painting, but the only input the program takes is
// the operator's stop: Esc, a stop button, a window's close. During an operator's command
// everything else typed or clicked meanwhile is dropped, never replayed once the command is
// over. During a background poll (the clock window's) it is held instead, and delivered in order
// as soon as the poll ends: the poll runs all the time the window is open, and dropping what
// came during it would lose most of the operator's typing.

#include <QObject>
#include <QPointer>
#include <deque>
#include <memory>
#include <vector>

class QComboBox;
class QEvent;
class QWidget;
class QWindow;
class ExchangeEngine;

class ExchangeInputGuard : public QObject {
public:
    // Watches the whole application for as long as it lives.
    explicit ExchangeInputGuard(ExchangeEngine& port, QObject* parent = nullptr);
    ~ExchangeInputGuard() override;

    // A click on this widget during an exchange stops it (a "Стоп" button, a window's Cancel).
    void AddStopWidget(QWidget* widget);
    // A window whose input always passes, exchange or not (the bus monitor): nothing it does
    // talks to the device or opens a dialog inside the exchange.
    void AddFreeWindow(QWidget* window);
    // The engine's idle hook: paints, takes the stop, drops or holds all other input.
    void Idle();
    // What the last stop came from: a stop widget, a window being closed, or the window Esc
    // was pressed in.
    QObject* LastStopSource() const { return lastStopSource_; }

    // A background exchange runs between these two; the end delivers the input held meanwhile.
    void BeginBackground();
    void EndBackground();
    // Whether held input is being delivered now: a poll waits until it is all in.
    bool Replaying() const { return replaying_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct HeldEvent {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    bool IsStopWidget(QObject* watched) const;
    // The top-level widget of a widget or of a window of the system.
    static QWidget* WindowOf(QObject* watched);
    // Whether the event's receiver is a free window, a widget in one, or a popup of one.
    bool IsFree(QObject* watched) const;
    // Esc, a click on a stop widget, a close: true when the event belongs to a stop.
    bool TakeStop(QObject* watched, QEvent* event);
    // The stop widget a mouse event on the window is over, else the window itself.
    QObject* StopWidgetAt(QWindow* window, QEvent* event) const;
    void Hold(QObject* receiver, QEvent* event);
    void Deliver(QObject* receiver, QEvent* event);

    ExchangeEngine& port_;
    std::vector<QPointer<QWidget>> stopWidgets_;
    std::vector<QPointer<QWidget>> freeWindows_;
    QPointer<QObject> lastStopSource_;
    int background_ = 0;
    bool replaying_ = false;
    std::deque<HeldEvent> held_;
};

// Holds the operator's input for as long as it lives (no guard: nothing to hold).
class BackgroundExchange {
public:
    explicit BackgroundExchange(ExchangeInputGuard* guard) : guard_(guard) {
        if (guard_)
            guard_->BeginBackground();
    }
    ~BackgroundExchange() {
        if (guard_)
            guard_->EndBackground();
    }
    BackgroundExchange(const BackgroundExchange&) = delete;
    BackgroundExchange& operator=(const BackgroundExchange&) = delete;

private:
    ExchangeInputGuard* guard_;
};

// Over a combo box whose choice goes to the device, the mouse wheel, arrow keys and typed
// letters choose nothing: only a click on an item of its open list, or Enter there, does.
void RequireExplicitChoice(QComboBox* box);
