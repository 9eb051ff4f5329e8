// Runs a blocking call (a socket exchange) on a worker thread while the UI thread waits in a nested
// event loop, so windows repaint and the active window's buttons (Cancel, Stop) keep working.
#pragma once

#include <QEventLoop>
#include <QMetaObject>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace vxt {

// Hooks around every blocking call: the main window disables its actions for the duration, so no
// second command starts on the same channel.
struct BlockingHooks {
    std::function<void()> Enter, Leave;
};
BlockingHooks &GetBlockingHooks();

// Holds the hooks' busy state over a run of blocking calls, so the run counts as one request
// (the main window does not switch its actions off and on between the steps).
class TBusyScope {
public:
    TBusyScope()
    {
        if (GetBlockingHooks().Enter) GetBlockingHooks().Enter();
    }
    ~TBusyScope()
    {
        if (GetBlockingHooks().Leave) GetBlockingHooks().Leave();
    }
    TBusyScope(const TBusyScope &) = delete;
    TBusyScope &operator=(const TBusyScope &) = delete;
};

// Runs `work` on a worker thread of the process, then `finished` on the same thread.
void RunOnWorker(std::function<void()> work, std::function<void()> finished);

// Returns when `work` has finished; an exception it throws is re-thrown on the UI thread.
template <typename R>
R RunAndWait(std::function<R()> work)
{
    struct State {
        std::mutex lock;            // orders the worker's wake-up against the loop's end
        bool done = false;
        QEventLoop *loop = nullptr;
        std::exception_ptr error;
        R result{};
    };
    auto state = std::make_shared<State>();
    QEventLoop loop;
    state->loop = &loop;
    if (GetBlockingHooks().Enter) GetBlockingHooks().Enter();
    RunOnWorker(
        [state, work = std::move(work)]() mutable {
            try {
                state->result = work();
            } catch (...) {
                state->error = std::current_exception();
            }
        },
        [state]() {
            const std::lock_guard<std::mutex> hold(state->lock);
            state->done = true;
            if (state->loop) QMetaObject::invokeMethod(state->loop, "quit", Qt::QueuedConnection);
        });
    for (;;) {
        {
            const std::lock_guard<std::mutex> hold(state->lock);
            if (state->done) {
                state->loop = nullptr;
                break;
            }
        }
        loop.exec(QEventLoop::AllEvents);
    }
    if (GetBlockingHooks().Leave) GetBlockingHooks().Leave();
    if (state->error) std::rethrow_exception(state->error);
    return std::move(state->result);   // the worker is done with it
}

}  // namespace vxt
