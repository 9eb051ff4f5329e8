#include "FtpDevice.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>

namespace vxt::test {

namespace {

const char kPython[] = "/usr/bin/python3";
const int kControlTimeoutMs = 15000;

FtpRecord toRecord(const QJsonObject &o)
{
    FtpRecord r;
    r.raw = o;
    r.kind = o.value(QLatin1String("kind")).toString();
    r.peer = o.value(QLatin1String("peer")).toString();
    r.line = o.value(QLatin1String("line")).toString();
    r.host = o.value(QLatin1String("host")).toString();
    r.command = o.value(QLatin1String("command")).toString();
    r.mode = o.value(QLatin1String("mode")).toString();
    r.completed = o.value(QLatin1String("completed")).toBool();
    r.bytes = qint64(o.value(QLatin1String("bytes")).toDouble());
    return r;
}

bool ok(const QJsonObject &answer) { return answer.value(QLatin1String("ok")).toBool(); }

}  // namespace

FtpDevice::FtpDevice(FtpDeviceOptions options) : options_(std::move(options)) {}

FtpDevice::~FtpDevice() { stop(); }

bool FtpDevice::start()
{
    stop();
    error_.clear();
    QStringList args{QStringLiteral(VXT_EMULATOR_DIR "/ftpdevice.py"), QStringLiteral("--port"), QStringLiteral("0"),
                     QStringLiteral("--user"), options_.user, QStringLiteral("--password"), options_.password};
    if (options_.proxy) {
        args << QStringLiteral("--proxy-port") << QStringLiteral("0") << QStringLiteral("--proxy-method")
             << QString::number(options_.proxyMethod);
        if (!options_.proxyUser.isNull())
            args << QStringLiteral("--proxy-user") << options_.proxyUser << QStringLiteral("--proxy-pass")
                 << options_.proxyPassword;
    }
    args << options_.extraArguments;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QString::fromLatin1(kPython), args);
    if (!process_.waitForStarted(options_.startTimeoutMs)) {
        error_ = QStringLiteral("cannot start the FTP device: ") + process_.errorString();
        return false;
    }
    QDeadlineTimer deadline(options_.startTimeoutMs);
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) break;
    }
    const QByteArray line = process_.canReadLine() ? process_.readLine().trimmed() : QByteArray();
    const QJsonObject ports =
        line.startsWith("READY ") ? QJsonDocument::fromJson(line.mid(6)).object() : QJsonObject();
    if (ports.isEmpty()) {
        error_ = process_.state() == QProcess::NotRunning
                     ? QStringLiteral("the FTP device ended (exit code %1) before it was ready").arg(process_.exitCode())
                     : QStringLiteral("the FTP device was not ready (first line: \"%1\")").arg(QString::fromLatin1(line));
        stop();
        return false;
    }
    ftpPort_ = quint16(ports.value(QLatin1String("ftp")).toInt());
    proxyPort_ = quint16(ports.value(QLatin1String("proxy")).toInt(0));
    return true;
}

void FtpDevice::stop()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(3000)) {
            process_.terminate();
            if (!process_.waitForFinished(2000)) {
                process_.kill();
                process_.waitForFinished(2000);
            }
        }
    }
    ftpPort_ = proxyPort_ = 0;
}

void FtpDevice::kill()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

bool FtpDevice::isRunning() const { return process_.state() == QProcess::Running; }

QJsonObject FtpDevice::control(const QJsonObject &request)
{
    if (!isRunning()) {
        error_ = QStringLiteral("the FTP device is not running");
        return {};
    }
    process_.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    process_.waitForBytesWritten(kControlTimeoutMs);
    QDeadlineTimer deadline(kControlTimeoutMs);
    while (!process_.canReadLine() && !deadline.hasExpired()) {
        if (!process_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) break;
    }
    if (!process_.canReadLine()) {
        error_ = QStringLiteral("no answer from the FTP device");
        return {};
    }
    const QJsonObject answer = QJsonDocument::fromJson(process_.readLine()).object();
    if (!ok(answer)) error_ = answer.value(QLatin1String("error")).toString();
    return answer;
}

QList<FtpRecord> FtpDevice::records(const QString &kind)
{
    QJsonObject request{{QStringLiteral("cmd"), QStringLiteral("records")}};
    if (!kind.isEmpty()) request.insert(QStringLiteral("kind"), QJsonArray{kind});
    QList<FtpRecord> out;
    const QJsonArray all = control(request).value(QLatin1String("records")).toArray();
    for (const QJsonValue &v : all) out.append(toRecord(v.toObject()));
    return out;
}

QStringList FtpDevice::lines(const QString &kind)
{
    QStringList out;
    for (const FtpRecord &r : records(kind)) out << r.line;
    return out;
}

bool FtpDevice::clearRecords() { return ok(control({{QStringLiteral("cmd"), QStringLiteral("clear")}})); }

bool FtpDevice::setFile(const QByteArray &content)
{
    return ok(control({{QStringLiteral("cmd"), QStringLiteral("set_file")},
                       {QStringLiteral("data"), QString::fromLatin1(content.toBase64())}}));
}

bool FtpDevice::removeFile() { return ok(control({{QStringLiteral("cmd"), QStringLiteral("remove_file")}})); }

std::optional<QByteArray> FtpDevice::file()
{
    const QJsonObject answer = control({{QStringLiteral("cmd"), QStringLiteral("get_file")}});
    const QJsonValue data = answer.value(QLatin1String("data"));
    if (!ok(answer) || !data.isString()) return std::nullopt;
    return QByteArray::fromBase64(data.toString().toLatin1());
}

bool FtpDevice::fail(const QString &mode, const QString &command, qint64 after, int count)
{
    QJsonObject request{{QStringLiteral("cmd"), QStringLiteral("fail")},
                        {QStringLiteral("mode"), mode},
                        {QStringLiteral("after"), double(after)}};
    if (!command.isEmpty()) request.insert(QStringLiteral("command"), command);
    if (count > 0) request.insert(QStringLiteral("count"), count);
    return ok(control(request));
}

bool FtpDevice::clearFail() { return ok(control({{QStringLiteral("cmd"), QStringLiteral("fail_clear")}})); }

bool FtpDevice::setListing(const std::optional<QStringList> &lines)
{
    QJsonObject request{{QStringLiteral("cmd"), QStringLiteral("listing")}};
    request.insert(QStringLiteral("lines"), lines ? QJsonValue(QJsonArray::fromStringList(*lines)) : QJsonValue());
    return ok(control(request));
}

bool FtpDevice::setAccount(const QString &user, const QString &password)
{
    return ok(control({{QStringLiteral("cmd"), QStringLiteral("account")},
                       {QStringLiteral("user"), user},
                       {QStringLiteral("password"), password}}));
}

bool FtpDevice::setProxy(int method, const QString &user, const QString &password)
{
    QJsonObject request{{QStringLiteral("cmd"), QStringLiteral("proxy")}, {QStringLiteral("method"), method}};
    request.insert(QStringLiteral("user"), user.isNull() ? QJsonValue() : QJsonValue(user));
    request.insert(QStringLiteral("password"), user.isNull() ? QJsonValue() : QJsonValue(password));
    return ok(control(request));
}

}  // namespace vxt::test
