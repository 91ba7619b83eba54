#include "platform/enginethread.h"

#include "link/exchangeengine.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <vector>

// Takes what the engine tells on its thread and hands it to the listeners on the windows'.
class EngineThread::Relay : public FrameObserver {
public:
    explicit Relay(EngineThread& owner) : owner_(owner) {}
    std::atomic<bool> listening{false};

    void OnRequest(int64_t at, const uint8_t* frame, int length, int device,
                   int function) override {
        if (!listening)
            return;
        Tell([at, bytes = Copy(frame, length), device, function](FrameObserver& o) {
            o.OnRequest(at, bytes.data(), int(bytes.size()), device, function);
        });
    }
    void OnReply(int64_t at, const uint8_t* reply, int length, ReplyCheck check) override {
        if (!listening)
            return;
        Tell([at, bytes = Copy(reply, length), check](FrameObserver& o) {
            o.OnReply(at, bytes.data(), int(bytes.size()), check);
        });
    }
    void OnTimeout(int64_t at, int64_t waited) override {
        if (listening)
            Tell([at, waited](FrameObserver& o) { o.OnTimeout(at, waited); });
    }
    void OnRepeat(int64_t at, int stage, int attempt, int attempts) override {
        if (listening)
            Tell([=](FrameObserver& o) { o.OnRepeat(at, stage, attempt, attempts); });
    }
    void OnResult(int64_t at, int device, int code, const std::string& message) override {
        if (listening)
            Tell([=](FrameObserver& o) { o.OnResult(at, device, code, message); });
    }

private:
    static std::vector<uint8_t> Copy(const uint8_t* bytes, int length) {
        return std::vector<uint8_t>(bytes, bytes + std::max(length, 0));
    }
    template <typename Call> void Tell(Call call) {
        EngineThread* owner = &owner_;
        owner_.PostHere([owner, call = std::move(call)] {
            owner->observers_.Each([&](FrameObserver& o) { call(o); });
        });
    }

    EngineThread& owner_;
};

EngineThread::EngineThread(ExchangeEngine& engine, QObject* parent)
    : QObject(parent), engine_(engine), relay_(std::make_unique<Relay>(*this)) {
    engine_.AddObserver(relay_.get());
    engine_.SetRepeatHook([this](int code, int attempt, int limit) {
        PostHere([this, code, attempt, limit] {
            if (repeatHook_)
                repeatHook_(code, attempt, limit);
        });
    });
    thread_ = QThread::create([this] { Loop(); });
    thread_->setObjectName("engine");
    thread_->start();
}

EngineThread::~EngineThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        queue_.clear();
    }
    engine_.RequestStop();
    wake_.notify_all();
    thread_->wait();
    delete thread_;
    engine_.SetRepeatHook({});
    engine_.RemoveObserver(relay_.get());
    engine_.ClearStop();
}

void EngineThread::Loop() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
            if (quit_)
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
            running_ = true;
            runningBackground_ = job.background;
        }
        if (job.clearStop)
            engine_.ClearStop();
        job.work();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            running_ = false;
            runningBackground_ = false;
            if (job.countedByWork)
                --commands_;
        }
        if (job.ended)
            job.ended();
        // Told after everything the job posted on its way.
        PostHere([this, background = job.background, counted = !job.countedByWork,
                  done = std::move(job.done)] {
            if (counted) {
                std::lock_guard<std::mutex> lock(mutex_);
                --(background ? backgroundPending_ : commands_);
            }
            if (done)
                done();
        });
    }
}

void EngineThread::Run(std::function<void()> job, std::function<void()> done) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++commands_;
        const bool stopBackground = running_ && runningBackground_;
        queue_.push_back({std::move(job), std::move(done), false, stopBackground, false, {}});
        // The poll under way ends at once; the command clears that stop when it starts, which
        // is after this: it is taken from the queue under the same lock.
        if (stopBackground)
            engine_.RequestStop();
    }
    wake_.notify_all();
}

void EngineThread::RunAndWait(const std::function<void()>& job) {
    std::mutex doneMutex;
    std::condition_variable doneWake;
    bool done = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool stopBackground = running_ && runningBackground_;
        // Counted as a command until it is over: no poll starts in between.
        ++commands_;
        Job now{job, {}, false, stopBackground, true, {}};
        // Told once the thread is free again, so that a poll may start the moment this returns.
        now.ended = [&] {
            std::lock_guard<std::mutex> doneLock(doneMutex);
            done = true;
            doneWake.notify_all();
        };
        queue_.push_front(std::move(now));
        if (stopBackground)
            engine_.RequestStop();
    }
    wake_.notify_all();
    std::unique_lock<std::mutex> doneLock(doneMutex);
    doneWake.wait(doneLock, [&] { return done; });
}

bool EngineThread::RunInBackground(std::function<void()> job, std::function<void()> done) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (running_ || !queue_.empty() || commands_ > 0 || backgroundPending_ > 0)
            return false;
        ++backgroundPending_;
        queue_.push_back({std::move(job), std::move(done), true, false, false, {}});
    }
    wake_.notify_all();
    return true;
}

bool EngineThread::Busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_ || !queue_.empty() || commands_ > 0 || backgroundPending_ > 0;
}

bool EngineThread::CommandRunning() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_ > 0;
}

void EngineThread::CallHere(const std::function<void()>& fn) {
    if (QThread::currentThread() == thread())
        fn();
    else
        QMetaObject::invokeMethod(this, fn, Qt::BlockingQueuedConnection);
}

void EngineThread::PostHere(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void EngineThread::AddObserver(FrameObserver* observer) {
    observers_.Add(observer);
    relay_->listening = !observers_.Empty();
}

void EngineThread::RemoveObserver(FrameObserver* observer) {
    observers_.Remove(observer);
    relay_->listening = !observers_.Empty();
}

void EngineThread::SetRepeatHook(std::function<void(int, int, int)> hook) {
    repeatHook_ = std::move(hook);
}
