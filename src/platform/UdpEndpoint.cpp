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
    // Shared, so a device emulator on the same machine can listen on the port too.
    if (!socket_->bind(QHostAddress::AnyIPv4, localPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        delete socket_;
        socket_ = nullptr;
        return false;
    }
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
