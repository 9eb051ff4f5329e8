// The FTP side of an emulated device (tests/emulator/ftpdevice.py) for the window tests: started on
// free ports, driven through its standard input, stopped with the object.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

namespace vxt::test {

// One entry of the device's record.
struct FtpRecord {
    QString kind;      // "ftp" (the device got it), "proxy" (the firewall got it), "proxy_target",
                       // "transfer" or "failure"
    QString peer;
    QString line;      // the command line as received ("ftp", "proxy")
    QString host;      // "proxy_target": the host the client named
    QString command;   // "transfer", "failure"
    QString mode;      // "failure"
    bool completed = false;   // "transfer"
    qint64 bytes = 0;         // "transfer"
    QJsonObject raw;
};

struct FtpDeviceOptions {
    QString user = QStringLiteral("admin");
    QString password = QStringLiteral("admin");
    bool proxy = false;          // also run the firewall
    int proxyMethod = 1;         // 1 to 4
    QString proxyUser;           // both set: the firewall wants its own logon
    QString proxyPassword;
    QStringList extraArguments;
    int startTimeoutMs = 10000;
};

class FtpDevice {
public:
    explicit FtpDevice(FtpDeviceOptions options = {});
    ~FtpDevice();
    FtpDevice(const FtpDevice &) = delete;
    FtpDevice &operator=(const FtpDevice &) = delete;

    // Starts the process and waits for it to listen; false (see errorString) when it did not.
    bool start();
    void stop();
    // The device vanishes at once, its connections with it.
    void kill();
    bool isRunning() const;
    QString errorString() const { return error_; }

    quint16 ftpPort() const { return ftpPort_; }
    quint16 proxyPort() const { return proxyPort_; }   // 0 without firewall

    QList<FtpRecord> records(const QString &kind = QString());
    // The command lines of one kind ("ftp" or "proxy"), oldest first.
    QStringList lines(const QString &kind = QStringLiteral("ftp"));
    bool clearRecords();

    bool setFile(const QByteArray &content);
    bool removeFile();
    std::optional<QByteArray> file();   // nullopt: no file (or no answer)

    // A failure rule: mode "refuse", "login", "drop" or "stall"; command such as "RETR" (empty: any
    // transfer); after: bytes of the transfer before it strikes; count 0: until cleared.
    bool fail(const QString &mode, const QString &command = QString(), qint64 after = 0, int count = 0);
    bool clearFail();
    // Lines the device lists instead of its folder; an empty optional restores the real listing.
    bool setListing(const std::optional<QStringList> &lines);
    bool setAccount(const QString &user, const QString &password);
    // The firewall's logon method and account (null user: none).
    bool setProxy(int method, const QString &user = QString(), const QString &password = QString());

    // One raw control exchange; an empty object when it failed (see errorString).
    QJsonObject control(const QJsonObject &request);

private:
    FtpDeviceOptions options_;
    QProcess process_;
    QString error_;
    quint16 ftpPort_ = 0;
    quint16 proxyPort_ = 0;
};

}  // namespace vxt::test
