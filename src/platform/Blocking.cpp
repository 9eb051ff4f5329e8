#include "Blocking.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <thread>
#include <vector>

namespace vxt {

BlockingHooks &GetBlockingHooks()
{
    static BlockingHooks hooks;
    return hooks;
}

namespace {

std::atomic<bool> g_ending{false};

// The user's input: what could start a command. Painting, moving, hovering and timers go on.
bool IsUserInput(const QEvent *e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    case QEvent::Close:
        // The user's close (title bar, window manager); the program's own close() goes through.
        return e->spontaneous();
    default:
        return false;
    }
}

// Decides, for every window at once, which input reaches what while requests wait.
class TWaitInputFilter : public QObject {
public:
    void Push()
    {
        std::vector<QPointer<QWidget>> windows;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && liveWindows_.count(w) == 0) windows.emplace_back(w);
        blocked_.push_back(std::move(windows));
    }
    void Pop() { blocked_.pop_back(); }
    int Depth() const { return int(blocked_.size()); }

    void Keep(QWidget *control, std::function<bool()> live)
    {
        const bool known = live_.count(control) > 0;
        live_[control] = std::move(live);
        if (!known) connect(control, &QObject::destroyed, this, [this, control]() { live_.erase(control); });
    }

    void KeepWindow(QWidget *window)
    {
        if (!liveWindows_.insert(window).second) return;
        connect(window, &QObject::destroyed, this, [this, window]() { liveWindows_.erase(window); });
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *e) override
    {
        if (blocked_.empty() || !IsUserInput(e)) return false;
        QWidget *target = qobject_cast<QWidget *>(receiver);
        if (!target) {
            // A shortcut of an action belongs to the window that has the keys; other events reach a
            // widget next, and are judged there.
            if (e->type() != QEvent::Shortcut) return false;
            target = QApplication::activeWindow();
            if (!target || !Blocked(target)) return false;
        } else if (!Blocked(target) || Live(target)) {
            return false;
        }
        // Taken and dropped: a refused close keeps the window open, other input goes no further.
        if (e->type() == QEvent::Close) e->ignore();
        else e->accept();
        return true;
    }

private:
    bool Blocked(QWidget *w) const
    {
        const QWidget *window = w->window();
        for (const auto &windows : blocked_)
            for (const QPointer<QWidget> &b : windows)
                if (b == window) return true;
        return false;
    }

    bool Live(QWidget *w) const
    {
        const auto it = live_.find(w);
        return it != live_.end() && (!it->second || it->second());
    }

    std::vector<std::vector<QPointer<QWidget>>> blocked_;   // per wait, the windows on screen then
    std::map<QObject *, std::function<bool()>> live_;
    std::set<QObject *> liveWindows_;
};

TWaitInputFilter &InputFilter()
{
    static TWaitInputFilter *filter = nullptr;
    if (!filter) {
        filter = new TWaitInputFilter;
        filter->setParent(qApp);
        qApp->installEventFilter(filter);
        // The loop has ended; a program that runs it again starts afresh.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, filter, []() { g_ending = false; });
        QObject::connect(qApp, &QObject::destroyed, []() { filter = nullptr; });
    }
    return *filter;
}

// Worker threads are kept once started: starting a thread for every exchange cost about as much
// as the exchange itself on a fast link. A nested wait (a timer firing while a request runs) takes
// a second worker, so no call ever queues behind another.
class TWorkerPool {
public:
    bool Run(std::function<void()> work, std::function<void()> finished)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (ended_) return false;
        if (failNext_) std::rethrow_exception(std::exchange(failNext_, nullptr));
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
        if (!w->Thread.joinable()) {
            try {
                w->Thread = std::thread(&TWorkerPool::Loop, this, w);
            } catch (...) {
                // No thread to be had: the worker waits idle for the next try.
                w->Work = nullptr;
                w->Finished = nullptr;
                w->Pending = false;
                idle_.push_back(w);
                throw;
            }
        }
        lock.unlock();
        w->Wake.notify_one();
        return true;
    }

    // Ends every worker, for good. Libraries' per-thread state goes with the thread, so this runs
    // while the application is torn down, before the libraries' own exit handlers. An exchange
    // still under way is told to stop, so the join is short.
    void Shutdown()
    {
        g_ending = true;
        std::vector<std::unique_ptr<Worker>> workers;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ended_ = true;
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

    void FailNextRun(std::exception_ptr error)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        failNext_ = std::move(error);
    }

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
            // Idle again before the waiter wakes, so its next call finds this worker free; a pool
            // that has ended takes no worker back.
            if (!w->Stop) idle_.push_back(w);
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
    bool ended_ = false;
    std::exception_ptr failNext_;
};

TWorkerPool &Pool()
{
    static TWorkerPool pool;
    return pool;
}

}  // namespace

bool ProgramEnding() { return g_ending.load(); }

const std::atomic<bool> *EndingFlag() { return &g_ending; }

void EndProgram()
{
    g_ending = true;
    if (!qApp) return;
    InputFilter();   // clears the mark when the loop has ended
    // At once, not as the posted quit of the last window closed, which a window shown meanwhile
    // (the next step of a command whose answer came) cancels.
    QCoreApplication::exit(0);
}

void KeepLiveDuringWait(QWidget *control, std::function<bool()> live)
{
    if (control && qApp) InputFilter().Keep(control, std::move(live));
}

void KeepWindowLiveDuringWait(QWidget *window)
{
    if (window && qApp) InputFilter().KeepWindow(window);
}

int WaitsUnderWay() { return qApp ? InputFilter().Depth() : 0; }

namespace detail {

TWaitScope::TWaitScope()
{
    if (qApp) InputFilter().Push();
}

TWaitScope::~TWaitScope()
{
    if (qApp) InputFilter().Pop();
}

void MarkProgramEnding() { g_ending = true; }

void FailNextWorkerStart(std::exception_ptr error) { Pool().FailNextRun(std::move(error)); }

}  // namespace detail

bool RunOnWorker(std::function<void()> work, std::function<void()> finished)
{
    [[maybe_unused]] static const bool registered = []() {
        qAddPostRoutine([]() { Pool().Shutdown(); });
        return true;
    }();
    return Pool().Run(std::move(work), std::move(finished));
}

}  // namespace vxt
