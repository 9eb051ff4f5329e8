#include "Blocking.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace vxt {

BlockingHooks &GetBlockingHooks()
{
    static BlockingHooks hooks;
    return hooks;
}

namespace {

// Worker threads are kept once started: starting a thread for every exchange cost about as much
// as the exchange itself on a fast link. A nested wait (a timer firing while a request runs) takes
// a second worker, so no call ever queues behind another.
class TWorkerPool {
public:
    void Run(std::function<void()> work, std::function<void()> finished)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        Worker *w = nullptr;
        if (!idle_.empty()) {
            w = idle_.back();
            idle_.pop_back();
        } else {
            workers_.push_back(std::make_unique<Worker>());
            w = workers_.back().get();
        }
        w->Work = std::move(work);
        w->Finished = std::move(finished);
        w->Pending = true;
        if (!w->Thread.joinable()) w->Thread = std::thread(&TWorkerPool::Loop, this, w);
        lock.unlock();
        w->Wake.notify_one();
    }

    // Ends every worker. Libraries' per-thread state goes with the thread, so this runs while the
    // application is torn down, before the libraries' own exit handlers.
    void Shutdown()
    {
        std::vector<std::unique_ptr<Worker>> workers;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            for (auto &w : workers_) w->Stop = true;
            workers.swap(workers_);
            idle_.clear();
        }
        for (auto &w : workers) {
            w->Wake.notify_one();
            if (w->Thread.joinable()) w->Thread.join();
        }
    }

    ~TWorkerPool() { Shutdown(); }

private:
    struct Worker {
        std::thread Thread;
        std::condition_variable Wake;
        std::function<void()> Work, Finished;
        bool Stop = false;
        std::atomic<bool> Pending{false};
    };

    void Loop(Worker *w)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            w->Wake.wait(lock, [w]() { return w->Stop || w->Work; });
            if (!w->Work) return;
            w->Pending = false;
            std::function<void()> work = std::move(w->Work), finished = std::move(w->Finished);
            w->Work = nullptr;
            w->Finished = nullptr;
            lock.unlock();
            work();
            work = nullptr;   // its captures go before the waiter hears of the end
            lock.lock();
            // Idle again before the waiter wakes, so its next call finds this worker free.
            idle_.push_back(w);
            lock.unlock();
            finished();
            finished = nullptr;
            // A sequence of requests comes back within a fraction of a millisecond on a fast
            // link: look for it briefly before going to sleep, which costs a wake-up each time.
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(300);
            while (!w->Pending.load() && std::chrono::steady_clock::now() < until) std::this_thread::yield();
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<Worker *> idle_;
};

TWorkerPool &Pool()
{
    static TWorkerPool pool;
    return pool;
}

}  // namespace

void RunOnWorker(std::function<void()> work, std::function<void()> finished)
{
    [[maybe_unused]] static const bool registered = []() {
        qAddPostRoutine([]() { Pool().Shutdown(); });
        return true;
    }();
    Pool().Run(std::move(work), std::move(finished));
}

}  // namespace vxt
