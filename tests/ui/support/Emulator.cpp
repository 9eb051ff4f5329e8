#include "Emulator.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QJsonDocument>
#include <QTcpSocket>

namespace vxt::test {

namespace {

const char kPython[] = "/usr/bin/python3";
const int kControlTimeoutMs = 10000;

QByteArray latin1(const QJsonValue &v) { return v.toString().toLatin1(); }

EmulatedRequest toRequest(const QJsonObject &o)
{
    EmulatedRequest r;
    r.raw = o;
    r.kind = o.value(QLatin1String("kind")).toString();
    r.peer = o.value(QLatin1String("peer")).toString();
    r.method = o.value(QLatin1String("method")).toString();
    r.target = o.value(QLatin1String("target")).toString();
    r.path = o.value(QLatin1String("path")).toString();
    r.host = o.value(QLatin1String("host")).toString();
    const QJsonArray headers = o.value(QLatin1String("headers")).toArray();
    for (const QJsonValue &h : headers) {
        const QJsonArray pair = h.toArray();
        r.headers.append({latin1(pair.at(0)), latin1(pair.at(1))});
    }
    // Bodies and datagrams travel as one character per byte.
    r.body = latin1(o.value(r.kind == QLatin1String("udp") ? QLatin1String("data")
                                                             : QLatin1String("body")));
    r.device = o.value(QLatin1String("device")).toString();
    r.command = o.value(QLatin1String("command")).toString();
    r.status = o.value(QLatin1String("status")).toInt(0);
    r.reply = latin1(o.value(QLatin1String("reply")));
    r.failure = o.value(QLatin1String("failure")).toString();
    r.viaProxy = o.value(QLatin1String("via_proxy")).toBool();
    r.authorized = o.value(QLatin1String("authorized")).toBool();
    const QJsonArray replies = o.value(QLatin1String("replies")).toArray();
    for (const QJsonValue &u : replies) r.udpReplies.append(latin1(u.toObject().value(QLatin1String("data"))));
    return r;
}

}  // namespace

QByteArray EmulatedRequest::header(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) return h.second;
    return QByteArray();
}

Emulator::Emulator(EmulatorOptions options) : options_(std::move(options)) {}

Emulator::~Emulator() { stop(); }

QJsonObject Emulator::device(const QString &code, const QString &version, const QString &mac,
                             const QString &ip, const QString &hostname, const QString &adminPassword)
{
    QJsonObject d{{QStringLiteral("code"), code},
                  {QStringLiteral("version"), version},
                  {QStringLiteral("mac"), mac},
                  {QStringLiteral("ip"), ip},
                  {QStringLiteral("admin_password"), adminPassword}};
    // A null host name: the device reports none at all.
    if (!hostname.isNull()) d.insert(QStringLiteral("hostname"), hostname);
    return d;
}

bool Emulator::start()
{
    stop();
    error_.clear();
    QStringList args{QStringLiteral(VXT_EMULATOR_DIR "/emulator.py"), QStringLiteral("--udp-port"),
                     QStringLiteral("0"), QStringLiteral("--http-port"), QStringLiteral("0")};
    if (!options_.devices.isEmpty())
        args << QStringLiteral("--devices")
             << QString::fromUtf8(QJsonDocument(options_.devices).toJson(QJsonDocument::Compact));
    if (options_.proxy) {
        args << QStringLiteral("--proxy-port") << QStringLiteral("0");
        if (!options_.proxyUser.isNull())
            args << QStringLiteral("--proxy-user") << options_.proxyUser << QStringLiteral("--proxy-pass")
                 << options_.proxyPassword;
    }
    if (!options_.udpReplyTo.isEmpty()) args << QStringLiteral("--udp-reply-to") << options_.udpReplyTo;
    args << options_.extraArguments;

    // The emulator's complaints go straight to the test's output.
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QString::fromLatin1(kPython), args);
    if (!process_.waitForStarted(options_.startTimeoutMs)) {
        error_ = QStringLiteral("cannot start the emulator: ") + process_.errorString();
        return false;
    }
    QDeadlineTimer deadline(options_.startTimeoutMs);
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) break;
    }
    const QByteArray line = process_.canReadLine() ? process_.readLine().trimmed() : QByteArray();
    const QJsonObject ports = line.startsWith("READY ")
                                  ? QJsonDocument::fromJson(line.mid(6)).object()
                                  : QJsonObject();
    if (ports.isEmpty()) {
        if (process_.state() == QProcess::NotRunning)
            error_ = QStringLiteral("the emulator ended (exit code %1) before it was ready; its message is above")
                         .arg(process_.exitCode());
        else
            error_ = QStringLiteral("the emulator was not ready within %1 ms (first line: \"%2\")")
                         .arg(options_.startTimeoutMs)
                         .arg(QString::fromLatin1(line));
        stop();
        return false;
    }
    udpPort_ = quint16(ports.value(QLatin1String("udp")).toInt());
    httpPort_ = quint16(ports.value(QLatin1String("http")).toInt());
    proxyPort_ = quint16(ports.value(QLatin1String("proxy")).toInt(0));
    return true;
}

void Emulator::stop()
{
    if (process_.state() != QProcess::NotRunning) {
        // Closing its input ends the emulator; the signals are for one that hangs.
        process_.closeWriteChannel();
        if (!process_.waitForFinished(3000)) {
            process_.terminate();
            if (!process_.waitForFinished(2000)) {
                process_.kill();
                process_.waitForFinished(2000);
            }
        }
    }
    udpPort_ = httpPort_ = proxyPort_ = 0;
}

bool Emulator::isRunning() const { return process_.state() == QProcess::Running; }

int Emulator::control(const QByteArray &method, const QString &path, const QByteArray &jsonBody,
                      QByteArray *answer)
{
    if (answer) answer->clear();
    if (!isRunning() || httpPort_ == 0) {
        error_ = QStringLiteral("the emulator is not running");
        return 0;
    }
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, httpPort_);
    if (!socket.waitForConnected(kControlTimeoutMs)) {
        error_ = QStringLiteral("cannot reach the emulator: ") + socket.errorString();
        return 0;
    }
    const QByteArray request = method + " /_emu/" + path.toUtf8() +
                               " HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                               "Content-Length: " +
                               QByteArray::number(jsonBody.size()) + "\r\n\r\n" + jsonBody;
    socket.write(request);
    QByteArray response;
    QDeadlineTimer deadline(kControlTimeoutMs);
    // The emulator closes the connection after its answer.
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        response += socket.readAll();
    }
    response += socket.readAll();
    const int headEnd = response.indexOf("\r\n\r\n");
    const QList<QByteArray> statusLine = response.left(response.indexOf("\r\n")).split(' ');
    const int status = headEnd > 0 && statusLine.size() >= 2 ? statusLine.at(1).toInt() : 0;
    if (status == 0) {
        error_ = QStringLiteral("no answer from the emulator to %1 %2")
                     .arg(QString::fromLatin1(method), path);
        return 0;
    }
    if (answer) *answer = response.mid(headEnd + 4);
    if (status != 200)
        error_ = QStringLiteral("emulator refused %1 %2: %3")
                     .arg(QString::fromLatin1(method), path, QString::fromUtf8(response.mid(headEnd + 4)));
    return status;
}

bool Emulator::post(const QString &path, const QJsonValue &body)
{
    QByteArray json;
    if (body.isObject()) json = QJsonDocument(body.toObject()).toJson(QJsonDocument::Compact);
    return control("POST", path, json, nullptr) == 200;
}

QList<EmulatedRequest> Emulator::requests(const QString &kind)
{
    QByteArray answer;
    const QString path = kind.isEmpty() ? QStringLiteral("requests") : QStringLiteral("requests?kind=") + kind;
    QList<EmulatedRequest> out;
    if (control("GET", path, QByteArray(), &answer) != 200) return out;
    const QJsonArray records = QJsonDocument::fromJson(answer).array();
    for (const QJsonValue &v : records) out.append(toRequest(v.toObject()));
    return out;
}

bool Emulator::clearRequests() { return post(QStringLiteral("requests/clear"), QJsonValue()); }

bool Emulator::setFail(const QString &mac, const QString &mode, int count, const QString &command,
                       const QString &channel)
{
    QJsonObject rule{{QStringLiteral("mode"), mode}, {QStringLiteral("channel"), channel}};
    if (!mac.isEmpty()) rule.insert(QStringLiteral("mac"), mac);
    if (count > 0) rule.insert(QStringLiteral("count"), count);
    if (!command.isEmpty()) rule.insert(QStringLiteral("command"), command);
    return post(QStringLiteral("fail"), rule);
}

bool Emulator::clearFail(const QString &mac)
{
    QJsonObject which;
    if (!mac.isEmpty()) which.insert(QStringLiteral("mac"), mac);
    return post(QStringLiteral("fail/clear"), which);
}

bool Emulator::reset() { return post(QStringLiteral("reset"), QJsonValue()); }

QJsonObject Emulator::getObject(const QString &path)
{
    QByteArray answer;
    if (control("GET", path, QByteArray(), &answer) != 200) return {};
    return QJsonDocument::fromJson(answer).object();
}

QJsonObject Emulator::deviceState(const QString &mac) { return getObject(QStringLiteral("device/") + mac); }

bool Emulator::setDeviceState(const QString &mac, const QJsonObject &changes)
{
    return post(QStringLiteral("device/") + mac, changes);
}

bool Emulator::addFailRule(const QJsonObject &rule) { return post(QStringLiteral("fail"), rule); }

QJsonObject Emulator::deviceConfig(const QString &mac) { return getObject(QStringLiteral("config/") + mac); }

bool Emulator::setDeviceConfig(const QString &mac, const QJsonObject &changes)
{
    return post(QStringLiteral("config/") + mac, changes);
}

QJsonObject Emulator::monitorState(const QString &mac) { return getObject(QStringLiteral("monitor/") + mac); }

bool Emulator::setMonitor(const QString &mac, const QJsonObject &changes)
{
    return post(QStringLiteral("monitor/") + mac, changes);
}

}  // namespace vxt::test
