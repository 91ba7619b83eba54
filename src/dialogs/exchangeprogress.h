#pragma once
// The progress bar and "Стоп" button of a window whose command talks to the device. The bar
// shows the share of the command's requests with the step under way ("Модуль 3: запись — 40%"),
// and while the engine repeats, why ("нет ответа, повтор 2 из 5"). "Стоп" stays live while the
// windows are greyed for the command, and stops the exchange.

#include "link/frameobserver.h"

#include <QPointer>
#include <QWidget>

class WindowContext;
class QProgressBar;
class QPushButton;
class ExchangeEngine;
class EngineThread;
class QTimer;

class ExchangeProgress : public QWidget, private FrameObserver {
public:
    // The engine's frames come through the main window's engine thread.
    explicit ExchangeProgress(WindowContext& main, QWidget* parent = nullptr);
    ~ExchangeProgress() override;

    QProgressBar* Bar() const { return bar_; }
    QPushButton* StopButton() const { return stop_; }

    // A command starts: a stop left from the last one is forgotten, the bar and "Стоп" show.
    // With requests > 0 the bar counts the engine's transactions against that many; with 0 the
    // caller gives the share itself (Share).
    void Begin(const QString& step, int requests = 0);
    // The step under way changes; the share goes on.
    void Step(const QString& step);
    // The share as the caller counts it.
    void Share(int done, int total, const QString& step);
    // The engine is about to repeat the request (the port's repeat hook).
    void ShowRepeat(int code, int attempt, int limit);
    // The command ended: bar and button hide (the whole widget, when it was hidden before the
    // start), and a stop is forgotten.
    void End();

    // Ten times a second while a command runs: when the command's own text stands still, it
    // tells how long the program has been waiting, in tenths, so that the bar is never still.
    void Tick();

    // While a message box waits for the operator, the bar and "Стоп" are not shown: a frozen
    // bar behind the box would say the exchange still runs. They come back with the command.
    void Hold(bool held);

    // The progress of the command under way, if any (the engine's repeats go there).
    static ExchangeProgress* Active();

private:
    void OnResult(int64_t at, int device, int code, const std::string& message) override;
    void ShowValue(int done, int total);
    void ShowText(const QString& format);
    // The text on the bar, shortened to the bar's width when longer.
    void SetBarText(const QString& format);
    QString Fitted(const QString& format) const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    ExchangeEngine& port_;
    EngineThread& exchanges_;
    QTimer* ticks_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* stop_ = nullptr;
    QString step_;
    QString format_;        // the text shown, without the time waited
    QString barText_;       // and with it: the whole text, before shortening
    int64_t changedMs_ = 0; // engine time of the last change of the text
    int64_t toldMs_ = 0;    // and of the last word from the command
    int64_t shownWait_ = 0; // the tenths of a second of waiting shown
    int requests_ = 0;
    int done_ = 0;
    bool observing_ = false;
    bool running_ = false;
    bool collapses_ = false;           // hidden between commands, as it was at the start
    QPointer<ExchangeProgress> outer_; // the one that was active before this one began
};
