#pragma once
// The exchange engine on a thread of its own. The device sequences and the one write path run
// there as jobs, one at a time, so that no exchange ever waits on the windows' thread; what a
// job tells on its way (frames for the monitor, repeats, progress, questions) comes back to the
// thread this object lives on (the windows') as queued calls.

#include "link/frameobserver.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class ExchangeEngine;
class QThread;

class EngineThread : public QObject {
public:
    // Starts the thread. The engine must outlive this object; from now on only jobs use it.
    explicit EngineThread(ExchangeEngine& engine, QObject* parent = nullptr);
    // Stops the job under way and waits for it; jobs still waiting are dropped.
    ~EngineThread() override;
    EngineThread(const EngineThread&) = delete;
    EngineThread& operator=(const EngineThread&) = delete;

    ExchangeEngine& Engine() { return engine_; }

    // An operator's command: job runs on the engine's thread once the one under way is over (a
    // background job is stopped for it); done is called on this object's thread afterwards.
    void Run(std::function<void()> job, std::function<void()> done);
    // A background job (a poll): started only when nothing else runs or waits; false when not
    // started. It never delays a command by more than the request under way.
    bool RunInBackground(std::function<void()> job, std::function<void()> done);
    // A short job (setting the port up, closing it) run at once, a background job stopped for
    // it, while this thread waits without its event loop; only when no command runs.
    void RunAndWait(const std::function<void()>& job);
    // Whether a job runs or waits, or its end is still to be told here.
    bool Busy() const;
    // Whether an operator's command runs or waits.
    bool CommandRunning() const;

    // Runs fn on this object's thread and waits for it: a job's question or progress that the
    // windows must show. Called on this object's thread, it runs at once.
    void CallHere(const std::function<void()>& fn);
    // The same without waiting (progress that may lag).
    void PostHere(std::function<void()> fn);

    // Listeners to the engine's frames, told on this object's thread in the order things
    // happened on the line. Added and removed on this object's thread only.
    void AddObserver(FrameObserver* observer);
    void RemoveObserver(FrameObserver* observer);
    // The engine's repeats (the failed attempt's code, the coming attempt, the stage's limit),
    // told on this object's thread.
    void SetRepeatHook(std::function<void(int code, int attempt, int limit)> hook);

private:
    struct Job {
        std::function<void()> work;
        std::function<void()> done;
        bool background = false;
        bool clearStop = false;      // the stop raised to end a poll is not the command's
        bool countedByWork = false;  // counted as a command until the work is done, not told
        std::function<void()> ended; // on the engine's thread, once it is free again
    };
    class Relay;

    void Loop();

    ExchangeEngine& engine_;
    std::unique_ptr<Relay> relay_;
    FrameObserverList observers_;
    std::function<void(int, int, int)> repeatHook_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    bool running_ = false;           // a job runs now
    bool runningBackground_ = false; // and it is a background one
    int commands_ = 0;               // operator's commands running or waiting
    int backgroundPending_ = 0;      // a background job whose end is still to be told here
    bool quit_ = false;
    QThread* thread_ = nullptr;
};
