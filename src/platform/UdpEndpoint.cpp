#include "UdpEndpoint.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

namespace vxt {

TUdpEndpoint::TUdpEndpoint(QObject *parent) : QObject(parent) {}

TUdpEndpoint::~TUdpEndpoint() = default;

bool TUdpEndpoint::IsOpen() const { return socket_ && socket_->state() == QAbstractSocket::BoundState; }

bool TUdpEndpoint::Open(quint16 localPort)
{
    if (IsOpen()) return true;
    delete socket_;
    socket_ = new QUdpSocket(this);
    // Not shared: a second program on the port would take the devices' replies.
    if (!socket_->bind(QHostAddress::AnyIPv4, localPort, QUdpSocket::DontShareAddress)) {
        switch (socket_->error()) {
        case QAbstractSocket::AddressInUseError: openError_ = TUdpOpenError::InUse; break;
        case QAbstractSocket::SocketAccessError: openError_ = TUdpOpenError::NoRight; break;
        default: openError_ = TUdpOpenError::Other; break;
        }
        errorText_ = socket_->errorString().toStdString();
        delete socket_;
        socket_ = nullptr;
        return false;
    }
    openError_ = TUdpOpenError::None;
    errorText_.clear();
    connect(socket_, &QUdpSocket::readyRead, this, &TUdpEndpoint::ReadPending);
    return true;
}

void TUdpEndpoint::Close()
{
    delete socket_;
    socket_ = nullptr;
}

bool TUdpEndpoint::Send(const std::string &data, const QString &address, quint16 port)
{
    if (!IsOpen()) {
        errorText_ = std::strerror(EBADF);
        return false;
    }
    bool v4 = false;
    const quint32 to = QHostAddress(address).toIPv4Address(&v4);
    if (!v4) {
        errorText_ = std::strerror(EAFNOSUPPORT);
        return false;
    }
    // Straight to the system, so that a failure keeps its own reason (no route, no interface);
    // Qt's socket has broadcast allowed already.
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_port = htons(port);
    dest.sin_addr.s_addr = htonl(to);
    const ssize_t sent = ::sendto(int(socket_->socketDescriptor()), data.data(), data.size(), MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr *>(&dest), sizeof dest);
    if (sent < 0) {
        errorText_ = std::strerror(errno);
        return false;
    }
    errorText_ = size_t(sent) == data.size() ? std::string() : std::strerror(EMSGSIZE);
    return errorText_.empty();
}

void TUdpEndpoint::ReadPending()
{
    while (socket_ && socket_->hasPendingDatagrams()) {
        const QNetworkDatagram d = socket_->receiveDatagram(8192);
        if (!d.isValid()) continue;   // a datagram that cannot be read is dropped
        QHostAddress from = d.senderAddress();
        bool ok = false;
        const QHostAddress v4(from.toIPv4Address(&ok));
        emit Received(d.data(), ok ? v4.toString() : from.toString(), quint16(d.senderPort()));
    }
}

QStringList TUdpEndpoint::LocalAddresses()
{
    QStringList r;
    for (const QHostAddress &a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol) r << a.toString();
    return r;
}

}  // namespace vxt
