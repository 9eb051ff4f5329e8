#include "FaultCheck.h"

#include "Emulator.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPointer>
#include <QStringList>

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
    last_ = 0;
    elapsed_ = 0;
    running_ = true;
    clock_.start();
    timer_.start();
}

void FaultWatch::Tick()
{
    if (!running_) return;
    const qint64 now = clock_.elapsed();
    gap_ = qMax(gap_, now - last_);
    last_ = now;
    ++ticks_;
}

void FaultWatch::Stop()
{
    if (!running_) return;
    timer_.stop();
    elapsed_ = clock_.elapsed();
    gap_ = qMax(gap_, elapsed_ - last_);
    running_ = false;
    // For tuning the limits: VXT_FAULT_TIMES=1 prints every measurement.
    if (qEnvironmentVariableIsSet("VXT_FAULT_TIMES")) qInfo("fault watch: %s", qPrintable(Describe()));
}

qint64 FaultWatch::ElapsedMs() const { return running_ ? clock_.elapsed() : elapsed_; }

qint64 FaultWatch::LongestGapMs() const { return running_ ? qMax(gap_, clock_.elapsed() - last_) : gap_; }

void FaultWatch::Excluding(const std::function<void()> &f)
{
    if (running_) gap_ = qMax(gap_, clock_.elapsed() - last_);
    f();
    if (running_) last_ = clock_.elapsed();
}

QString FaultWatch::Describe() const
{
    return QStringLiteral("%1 ms, %2 ticks of %3 ms, longest gap %4 ms")
        .arg(ElapsedMs())
        .arg(ticks_)
        .arg(tickMs_)
        .arg(LongestGapMs());
}

QString FaultWatch::Problems(qint64 minMs, qint64 maxMs, qint64 maxGapMs) const
{
    QStringList p;
    const qint64 elapsed = ElapsedMs();
    if (elapsed < minMs) p << QStringLiteral("ended after %1 ms, before the %2 ms it has to wait").arg(elapsed).arg(minMs);
    if (elapsed >= maxMs) p << QStringLiteral("took %1 ms, the limit is %2 ms").arg(elapsed).arg(maxMs);
    if (LongestGapMs() >= maxGapMs)
        p << QStringLiteral("the UI thread stood still for %1 ms (limit %2 ms)").arg(LongestGapMs()).arg(maxGapMs);
    // Even a loaded machine fires a fraction of the ticks of a live event loop.
    if (elapsed >= 8 * tickMs_ && ticks_ < elapsed / (8 * tickMs_))
        p << QStringLiteral("only %1 UI ticks in %2 ms").arg(ticks_).arg(elapsed);
    if (p.isEmpty()) return QString();
    return p.join(QStringLiteral("; ")) + QStringLiteral(" [") + Describe() + QStringLiteral("]");
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
