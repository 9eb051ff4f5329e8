// Runs a blocking call (a socket exchange) on a worker thread while the UI thread waits in a nested
// event loop, so windows repaint and the active window's buttons (Cancel, Stop) keep working.
#pragma once

#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

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

// Returns when `work` has finished; an exception it throws is re-thrown on the UI thread.
template <typename R>
R RunAndWait(std::function<R()> work)
{
    struct State {
        std::atomic<bool> done{false};
        std::exception_ptr error;
        R result{};
    };
    auto state = std::make_shared<State>();
    QEventLoop loop;
    QPointer<QEventLoop> guard(&loop);
    if (GetBlockingHooks().Enter) GetBlockingHooks().Enter();
    std::thread worker([state, work = std::move(work), guard]() mutable {
        try {
            state->result = work();
        } catch (...) {
            state->error = std::current_exception();
        }
        state->done = true;
        if (guard) QMetaObject::invokeMethod(guard.data(), "quit", Qt::QueuedConnection);
    });
    while (!state->done) loop.exec(QEventLoop::AllEvents);
    worker.join();
    if (GetBlockingHooks().Leave) GetBlockingHooks().Leave();
    if (state->error) std::rethrow_exception(state->error);
    return state->result;
}

}  // namespace vxt
