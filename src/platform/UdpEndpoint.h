// The UDP socket of device discovery. One socket bound to every local IPv4 address at once, so
// replies arrive whether a device answers by unicast or by broadcast, on any interface; datagrams
// reach the UI thread through its event loop.
#pragma once

#include <QObject>
#include <QByteArray>
#include <QString>
#include <string>

class QUdpSocket;

namespace vxt {

// Why the port could not be bound.
enum class TUdpOpenError { None, InUse, NoRight, Other };

class TUdpEndpoint : public QObject {
    Q_OBJECT
public:
    explicit TUdpEndpoint(QObject *parent = nullptr);
    ~TUdpEndpoint() override;

    bool IsOpen() const;
    // Binds the port once, for this endpoint alone; false when it cannot (another program holds
    // it, or the program may not use a port that low), and LastOpenError() says which.
    bool Open(quint16 localPort);
    TUdpOpenError LastOpenError() const { return openError_; }
    // Why the last Open or Send failed, in the system's words; empty after a success.
    const std::string &LastErrorText() const { return errorText_; }
    void Close();
    // Sends one datagram with broadcast allowed to an IPv4 address; false when the send fails.
    bool Send(const std::string &data, const QString &address, quint16 port);
    // The local IPv4 addresses of the machine, in the order the system lists them.
    static QStringList LocalAddresses();

signals:
    void Received(const QByteArray &data, const QString &fromAddress, quint16 fromPort);

private:
    void ReadPending();
    QUdpSocket *socket_ = nullptr;
    TUdpOpenError openError_ = TUdpOpenError::None;
    std::string errorText_;
};

}  // namespace vxt
