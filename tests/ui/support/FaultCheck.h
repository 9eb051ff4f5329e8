// What every fault test checks besides the message: how long the failed operation took, whether the
// UI thread kept running meanwhile, and whether the files around it are as they were.
#pragma once

#include "RunQueue.h"

#include <QElapsedTimer>
#include <QMap>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace vxt::test {

// Times one operation and counts the ticks of a timer on the UI thread while it runs: a wait in a
// nested event loop keeps ticking, a thread blocked in a socket does not. The time the machine kept
// a thread waiting for a processor (its run-queue wait, as the kernel counts it) is the machine's,
// not the program's: a loaded machine must not pass for a stalled program, and a stalled program
// must not hide behind a loaded machine.
class FaultWatch {
public:
    explicit FaultWatch(int tickMs = 20);
    void Start();
    void Stop();
    // Wall-clock time, the machine's waits included.
    qint64 ElapsedMs() const;
    int Ticks() const { return ticks_; }
    // The longest stretch without a tick (start and stop count as ticks), less the time the UI
    // thread spent waiting for a processor within it.
    qint64 LongestGapMs() const;
    // Runs `f` (something the test itself blocks on) without counting its time as a gap.
    void Excluding(const std::function<void()> &f);
    // Empty when the operation took at least minMs, less than maxMs of its own (wall-clock time
    // less the waits for a processor of the test's threads and its device's), and never went
    // maxGapMs without a tick;
    // otherwise what went wrong.
    QString Problems(qint64 minMs, qint64 maxMs, qint64 maxGapMs) const;
    QString Describe() const;

private:
    void Tick();
    // Closes the stretch since the last tick.
    void Mark();
    qint64 OwnMs() const;
    QTimer timer_;
    QElapsedTimer clock_;
    int tickMs_;
    int ticks_ = 0;
    bool running_ = false;
    qint64 last_ = 0;
    qint64 lastWaitNs_ = 0;
    qint64 gap_ = 0;
    qint64 wallGap_ = 0;
    qint64 uiWaitMs_ = 0;
    qint64 elapsed_ = 0;
    qint64 processWaitMs_ = 0;
    MachineWaits waits_;
};

// A loaded machine for as long as it lives: `count` processes that only spin, as other programs on a
// shared machine would; all on processor `cpu` when it is given.
class BusyLoops {
public:
    explicit BusyLoops(int count, int cpu = -1);
    ~BusyLoops();
    BusyLoops(const BusyLoops &) = delete;
    BusyLoops &operator=(const BusyLoops &) = delete;

private:
    QList<qint64> pids_;
};

// Keeps the calling thread on processor `cpu` for as long as it lives.
class PinnedThread {
public:
    explicit PinnedThread(int cpu);
    ~PinnedThread();
    PinnedThread(const PinnedThread &) = delete;
    PinnedThread &operator=(const PinnedThread &) = delete;
    bool Pinned() const { return cpu_ >= 0; }

private:
    int cpu_ = -1;
    QByteArray kept_;
};

// Every file under a folder with its bytes, to show that a failed operation changed none of them
// and left nothing behind (no temporary or half-written file).
class FolderSnapshot {
public:
    FolderSnapshot() = default;
    explicit FolderSnapshot(const QString &folder);
    // Empty when the folder holds exactly the same files with the same bytes; otherwise a list of
    // the files that changed, appeared or disappeared.
    QString Differences() const;
    int FileCount() const { return int(files_.size()); }

private:
    static QMap<QString, QByteArray> Read(const QString &folder);
    QString folder_;
    QMap<QString, QByteArray> files_;
};

// Answers every modal window that `accept` takes, once per showing, for as long as it lives; unlike
// a one-shot helper it never outlives the case that set it up.
class ModalScript {
public:
    ModalScript(std::function<bool(QWidget *)> accept, std::function<void(QWidget *)> answer);
    template <typename T>
    static ModalScript Of(std::function<void(T *)> answer)
    {
        return ModalScript([](QWidget *w) { return qobject_cast<T *>(w) != nullptr; },
                           [answer](QWidget *w) { answer(qobject_cast<T *>(w)); });
    }
    ModalScript(ModalScript &&other) noexcept;
    ModalScript(const ModalScript &) = delete;
    ModalScript &operator=(const ModalScript &) = delete;
    ~ModalScript();
    int Runs() const { return *runs_; }

private:
    std::unique_ptr<QTimer> timer_;
    std::shared_ptr<int> runs_;
};

class Emulator;

// A device switched off while it works on an answer: once `waiting` has held for `afterMs` (polled
// on the UI thread) the emulator is stopped. The stop itself is the test's own wait and does not
// count against the UI.
class DeviceVanisher {
public:
    DeviceVanisher(Emulator &emulator, FaultWatch &watch) : emulator_(emulator), watch_(watch) {}
    void At(std::function<bool()> waiting, int afterMs = 300);
    void Cancel();
    bool Vanished() const { return vanished_; }

private:
    Emulator &emulator_;
    FaultWatch &watch_;
    QTimer poll_;
    QElapsedTimer since_;
    bool vanished_ = false;
};

}  // namespace vxt::test

// Fails the running test function with the text of `problems` unless it is empty.
#define VXT_VERIFY_NONE(problems)                                  \
    do {                                                           \
        const QString vxtProblems_ = (problems);                   \
        QVERIFY2(vxtProblems_.isEmpty(), qPrintable(vxtProblems_)); \
    } while (false)
