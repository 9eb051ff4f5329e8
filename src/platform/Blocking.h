// Runs a blocking call (a socket exchange) on a worker thread while the UI thread waits in a nested
// event loop, so windows repaint and the controls kept live (Cancel, Stop) keep working.
#pragma once

#include <QEventLoop>
#include <QMetaObject>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>

class QWidget;

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

// A wait given up because the program is ending (its main window was closed while a device still
// held its answer). Callers take it as a failed exchange; nothing of it is shown.
class EWaitAbandoned : public std::runtime_error {
public:
    EWaitAbandoned() : std::runtime_error("the program is ending") {}
};

// True from the moment the program was told to end (EndProgram, or a wait found the application
// quitting) until its event loop has ended: no request starts and no message box shows meanwhile.
bool ProgramEnding();
// Ends the program now: the application's event loop quits and every wait under way is given up,
// also one whose answer has come but whose command has not gone on yet.
void EndProgram();
// The same as a flag an exchange on a worker polls, so that it stops and the process can exit.
const std::atomic<bool> *EndingFlag();

// While a request waits, the windows on screen when it began take none of the user's input (keys,
// mouse, closing), so no second command starts in the middle of it; they still repaint and show
// progress. Windows opened meanwhile (a message box, a dialog a live control opens) work as usual.
// A control kept live (Cancel, Stop) takes its own input whenever `live` holds (empty: always); a
// window kept live this way may be closed by the user.
void KeepLiveDuringWait(QWidget *control, std::function<bool()> live = {});
// A window that only gathers what a live control leaves for later (the value of a tag's write)
// takes all its input during a wait, also one that a timer starts while it is open.
void KeepWindowLiveDuringWait(QWidget *window);
// Number of waits under way (nested ones count each).
int WaitsUnderWay();

// Runs `work` on a worker thread of the process, then `finished` on the same thread; false (and
// neither runs) once the workers have been shut down at exit.
bool RunOnWorker(std::function<void()> work, std::function<void()> finished);

namespace detail {
// Keeps the user's input from the windows on screen for its lifetime (see KeepLiveDuringWait).
class TWaitScope {
public:
    TWaitScope();
    ~TWaitScope();
    TWaitScope(const TWaitScope &) = delete;
    TWaitScope &operator=(const TWaitScope &) = delete;
};
void MarkProgramEnding();
// Tests: the next start of a worker raises `error`, as a system out of threads does.
void FailNextWorkerStart(std::exception_ptr error);
}  // namespace detail

// Returns when `work` has finished; an exception it throws is re-thrown on the UI thread. Throws
// EWaitAbandoned, without waiting for the work, when the program ends meanwhile, and also when the
// work ended first: the command that waited must not go on once the program is ending.
template <typename R>
R RunAndWait(std::function<R()> work)
{
    if (ProgramEnding()) throw EWaitAbandoned();
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
    const TBusyScope busy;
    const detail::TWaitScope waiting;
    // The work starts from inside the loop: a loop that no longer runs (the application was told
    // to quit) sends nothing to the device.
    QMetaObject::invokeMethod(
        &loop,
        [state, work = std::move(work)]() mutable {
            auto finished = [state]() {
                const std::lock_guard<std::mutex> hold(state->lock);
                state->done = true;
                if (state->loop) QMetaObject::invokeMethod(state->loop, "quit", Qt::QueuedConnection);
            };
            bool started = false;
            try {
                started = RunOnWorker(
                    [state, work = std::move(work)]() mutable {
                        try {
                            state->result = work();
                        } catch (...) {
                            state->error = std::current_exception();
                        }
                    },
                    finished);
            } catch (...) {
                // No worker could start: the wait ends with the reason.
                state->error = std::current_exception();
                finished();
                return;
            }
            if (!started) {
                state->error = std::make_exception_ptr(EWaitAbandoned());
                finished();
            }
        },
        Qt::QueuedConnection);
    for (;;) {
        {
            const std::lock_guard<std::mutex> hold(state->lock);
            if (state->done) {
                state->loop = nullptr;
                break;
            }
        }
        // After the application was told to quit every loop returns at once: waiting on would
        // spin until the device answered.
        if (loop.exec(QEventLoop::AllEvents) < 0) {
            detail::MarkProgramEnding();
            const std::lock_guard<std::mutex> hold(state->lock);
            state->loop = nullptr;
            if (!state->done) throw EWaitAbandoned();   // the worker keeps `state` alive
            break;
        }
    }
    // The answer may have come while a nested loop ran (the main window's close question) in which
    // the program was then told to end.
    if (ProgramEnding()) throw EWaitAbandoned();
    if (state->error) std::rethrow_exception(state->error);
    return std::move(state->result);   // the worker is done with it
}

}  // namespace vxt
