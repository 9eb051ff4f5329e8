#include "FaultCheck.h"

#include "Emulator.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPointer>
#include <QStringList>
#include <csignal>
#include <sched.h>
#include <sys/wait.h>

namespace vxt::test {

FaultWatch::FaultWatch(int tickMs) : tickMs_(tickMs)
{
    timer_.setInterval(tickMs);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this]() { Tick(); });
}

void FaultWatch::Start()
{
    ticks_ = 0;
    gap_ = 0;
    wallGap_ = 0;
    uiWaitMs_ = 0;
    last_ = 0;
    elapsed_ = 0;
    processWaitMs_ = 0;
    waits_ = MachineWaits();
    lastWaitNs_ = ThreadRunQueueWaitNs();
    running_ = true;
    clock_.start();
    timer_.start();
}

void FaultWatch::Mark()
{
    const qint64 now = clock_.elapsed();
    const qint64 waitNs = ThreadRunQueueWaitNs();
    const qint64 waitMs = (waitNs - lastWaitNs_) / 1000000;
    wallGap_ = qMax(wallGap_, now - last_);
    gap_ = qMax(gap_, now - last_ - waitMs);
    uiWaitMs_ += waitMs;
    last_ = now;
    lastWaitNs_ = waitNs;
}

void FaultWatch::Tick()
{
    if (!running_) return;
    Mark();
    waits_.Sample();
    ++ticks_;
}

void FaultWatch::Stop()
{
    if (!running_) return;
    timer_.stop();
    Mark();
    elapsed_ = last_;
    waits_.Sample();
    processWaitMs_ = waits_.Ns() / 1000000;
    running_ = false;
    // For tuning the limits: VXT_FAULT_TIMES=1 prints every measurement.
    if (qEnvironmentVariableIsSet("VXT_FAULT_TIMES")) qInfo("fault watch: %s", qPrintable(Describe()));
}

qint64 FaultWatch::ElapsedMs() const { return running_ ? clock_.elapsed() : elapsed_; }

qint64 FaultWatch::OwnMs() const { return ElapsedMs() - (running_ ? 0 : processWaitMs_); }

qint64 FaultWatch::LongestGapMs() const
{
    if (!running_) return gap_;
    return qMax(gap_, clock_.elapsed() - last_ - (ThreadRunQueueWaitNs() - lastWaitNs_) / 1000000);
}

void FaultWatch::Excluding(const std::function<void()> &f)
{
    if (!running_) return f();
    Mark();
    f();
    // The stretch since starts now: the time of `f` is closed without counting as a gap.
    last_ = clock_.elapsed();
    lastWaitNs_ = ThreadRunQueueWaitNs();
}

QString FaultWatch::Describe() const
{
    return QStringLiteral("%1 ms, %2 ticks of %3 ms, longest gap %4 ms; the machine held the UI thread %5 ms "
                          "(longest wall-clock gap %6 ms) and the threads of the test and its device %7 ms")
        .arg(ElapsedMs())
        .arg(ticks_)
        .arg(tickMs_)
        .arg(LongestGapMs())
        .arg(uiWaitMs_)
        .arg(wallGap_)
        .arg(processWaitMs_);
}

QString FaultWatch::Problems(qint64 minMs, qint64 maxMs, qint64 maxGapMs) const
{
    QStringList p;
    const qint64 elapsed = ElapsedMs();
    const qint64 own = OwnMs();
    if (elapsed < minMs) p << QStringLiteral("ended after %1 ms, before the %2 ms it has to wait").arg(elapsed).arg(minMs);
    if (own >= maxMs) p << QStringLiteral("took %1 ms of its own, the limit is %2 ms").arg(own).arg(maxMs);
    if (LongestGapMs() >= maxGapMs)
        p << QStringLiteral("the UI thread stood still for %1 ms (limit %2 ms)").arg(LongestGapMs()).arg(maxGapMs);
    // A live event loop fires a fraction of its ticks at least, in the time the UI thread had.
    const qint64 uiOwn = elapsed - uiWaitMs_;
    if (uiOwn >= 8 * tickMs_ && ticks_ < uiOwn / (8 * tickMs_))
        p << QStringLiteral("only %1 UI ticks in %2 ms").arg(ticks_).arg(elapsed);
    if (p.isEmpty()) return QString();
    return p.join(QStringLiteral("; ")) + QStringLiteral(" [") + Describe() + QStringLiteral("]");
}

BusyLoops::BusyLoops(int count, int cpu)
{
    cpu_set_t one;
    CPU_ZERO(&one);
    if (cpu >= 0) CPU_SET(cpu, &one);
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Nothing but the loop: the child of a threaded process may call nothing unsafe.
            if (cpu >= 0) ::sched_setaffinity(0, sizeof one, &one);
            volatile unsigned long n = 0;
            for (;;) n = n + 1;
        }
        if (pid > 0) {
            pids_ << pid;
            MachineLoadPids().insert(std::to_string(pid));
        }
    }
}

BusyLoops::~BusyLoops()
{
    for (qint64 pid : pids_) ::kill(pid_t(pid), SIGKILL);
    for (qint64 pid : pids_) {
        ::waitpid(pid_t(pid), nullptr, 0);
        MachineLoadPids().erase(std::to_string(pid));
    }
}

PinnedThread::PinnedThread(int cpu) : kept_(sizeof(cpu_set_t), '\0')
{
    auto *kept = reinterpret_cast<cpu_set_t *>(kept_.data());
    if (cpu < 0 || ::sched_getaffinity(0, sizeof *kept, kept) != 0) return;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    if (::sched_setaffinity(0, sizeof one, &one) == 0) cpu_ = cpu;
}

PinnedThread::~PinnedThread()
{
    if (cpu_ >= 0) ::sched_setaffinity(0, sizeof(cpu_set_t), reinterpret_cast<const cpu_set_t *>(kept_.constData()));
}

FolderSnapshot::FolderSnapshot(const QString &folder) : folder_(folder), files_(Read(folder)) {}

QMap<QString, QByteArray> FolderSnapshot::Read(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files.insert(root.relativeFilePath(path),
                     f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

QString FolderSnapshot::Differences() const
{
    const QMap<QString, QByteArray> now = Read(folder_);
    QStringList d;
    for (auto it = files_.cbegin(); it != files_.cend(); ++it) {
        if (!now.contains(it.key()))
            d << QStringLiteral("%1 is gone").arg(it.key());
        else if (now.value(it.key()) != it.value())
            d << QStringLiteral("%1 changed (%2 bytes, was %3)")
                     .arg(it.key())
                     .arg(now.value(it.key()).size())
                     .arg(it.value().size());
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (!files_.contains(it.key())) d << QStringLiteral("%1 appeared (%2 bytes)").arg(it.key()).arg(it.value().size());
    if (d.isEmpty()) return QString();
    return QStringLiteral("in %1: ").arg(folder_) + d.join(QStringLiteral("; "));
}

ModalScript::ModalScript(std::function<bool(QWidget *)> accept, std::function<void(QWidget *)> answer)
    : timer_(std::make_unique<QTimer>()), runs_(std::make_shared<int>(0))
{
    auto handled = std::make_shared<QPointer<QWidget>>();
    auto runs = runs_;
    timer_->setInterval(10);
    QObject::connect(timer_.get(), &QTimer::timeout, [accept, answer, handled, runs]() {
        // The window answered last must have closed before it counts as shown again.
        if (*handled && (*handled)->isVisible()) return;
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || !accept(w)) return;
        *handled = w;
        ++*runs;
        answer(w);
    });
    timer_->start();
}

ModalScript::ModalScript(ModalScript &&other) noexcept = default;

ModalScript::~ModalScript() = default;

void DeviceVanisher::At(std::function<bool()> waiting, int afterMs)
{
    Cancel();
    vanished_ = false;
    poll_.setInterval(10);
    QObject::connect(&poll_, &QTimer::timeout, [this, waiting, afterMs]() {
        if (!waiting()) {
            since_.invalidate();
            return;
        }
        if (!since_.isValid()) since_.start();
        if (since_.elapsed() < afterMs) return;
        poll_.stop();
        vanished_ = true;
        watch_.Excluding([this]() { emulator_.stop(); });
    });
    poll_.start();
}

void DeviceVanisher::Cancel()
{
    poll_.stop();
    poll_.disconnect();
    since_.invalidate();
}

}  // namespace vxt::test
