#include "UdpEndpoint.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>

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
        delete socket_;
        socket_ = nullptr;
        return false;
    }
    openError_ = TUdpOpenError::None;
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
    if (!IsOpen()) return false;
    const QByteArray bytes(data.data(), qsizetype(data.size()));
    return socket_->writeDatagram(bytes, QHostAddress(address), port) == bytes.size();
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
