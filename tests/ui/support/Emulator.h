// The device emulator (tests/emulator/emulator.py) for the window tests: started on free ports,
// driven through its control interface, stopped with the object.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace vxt::test {

// One request the emulator got, as it recorded it.
struct EmulatedRequest {
    QString kind;     // "http", "udp" or "proxy"
    QString peer;     // sender "ip:port"
    QString method;   // HTTP and proxy only, like the fields down to headers
    QString target;
    QString path;
    QString host;
    QList<QPair<QByteArray, QByteArray>> headers;  // as received, in order
    QByteArray body;  // HTTP body or UDP datagram, byte for byte
    QString device;   // MAC of the device that got it; empty when none
    QString command;  // command name of the message or datagram; empty when none
    int status = 0;   // HTTP status answered; 0 when nothing was answered
    QByteArray reply;
    QString failure;  // failure mode applied; empty when none
    bool viaProxy = false;
    bool authorized = false;         // proxy only
    QList<QByteArray> udpReplies;    // UDP only
    QJsonObject raw;                 // the whole record entry

    // The first header of that name (any case); a null array when absent.
    QByteArray header(const QByteArray &name) const;
};

struct EmulatorOptions {
    QJsonArray devices;               // empty: the emulator's three example devices
    bool proxy = false;               // also run the HTTP proxy
    QString proxyUser;                // both set: the proxy wants basic authentication
    QString proxyPassword;
    QString udpReplyTo;               // "host:port": UDP answers go there, not to the sender
    QStringList extraArguments;
    int startTimeoutMs = 10000;
};

class Emulator {
public:
    explicit Emulator(EmulatorOptions options = {});
    ~Emulator();
    Emulator(const Emulator &) = delete;
    Emulator &operator=(const Emulator &) = delete;

    // Starts the process and waits for it to listen; false (see errorString) when it did not.
    bool start();
    void stop();
    bool isRunning() const;
    QString errorString() const { return error_; }

    quint16 udpPort() const { return udpPort_; }
    quint16 httpPort() const { return httpPort_; }
    quint16 proxyPort() const { return proxyPort_; }  // 0 without proxy

    // A device description with the usual keys; add any other key of the emulator's README.
    static QJsonObject device(const QString &code, const QString &version, const QString &mac,
                              const QString &ip, const QString &hostname = QString(),
                              const QString &adminPassword = QStringLiteral("admin"));

    // Control calls; on failure they return false / empty and set errorString.
    QList<EmulatedRequest> requests(const QString &kind = QString());
    bool clearRequests();
    bool setFail(const QString &mac, const QString &mode, int count = 0,
                 const QString &command = QString(), const QString &channel = QStringLiteral("http"));
    bool clearFail(const QString &mac = QString());
    bool reset();
    QJsonObject deviceState(const QString &mac);
    bool setDeviceState(const QString &mac, const QJsonObject &changes);
    // A whole failure rule as the README gives it, e.g. with "skip" to fail at a chosen step.
    bool addFailRule(const QJsonObject &rule);

    // The gateway configuration (serial port, mail, recipients, tags, run state) in wire form;
    // changes take the keys of a device description's "config".
    QJsonObject deviceConfig(const QString &mac);
    bool setDeviceConfig(const QString &mac, const QJsonObject &changes);
    // Live tag values, alarms, mailbox and the device's clock; changes force any of them.
    QJsonObject monitorState(const QString &mac);
    bool setMonitor(const QString &mac, const QJsonObject &changes);

    // One raw control exchange: the HTTP status (0 when the exchange failed) and the JSON answer.
    int control(const QByteArray &method, const QString &path, const QByteArray &jsonBody,
                QByteArray *answer);

private:
    bool post(const QString &path, const QJsonValue &body);
    QJsonObject getObject(const QString &path);

    EmulatorOptions options_;
    QProcess process_;
    QString error_;
    quint16 udpPort_ = 0;
    quint16 httpPort_ = 0;
    quint16 proxyPort_ = 0;
};

}  // namespace vxt::test
