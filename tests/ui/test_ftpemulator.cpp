// The FTP device of the emulator on its own, spoken to byte by byte without the program's client:
// its listing format, active-mode transfers, the firewall's logon and the failure modes.
#include "FtpDevice.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace vxt::test;

namespace {

const int kWait = 5000;

// One line from the control connection, without its CR LF.
QByteArray ReadLine(QTcpSocket &s)
{
    QDeadlineTimer deadline(kWait);
    while (!s.canReadLine() && !deadline.hasExpired())
        if (!s.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) break;
    return s.readLine().trimmed();
}

QByteArray Command(QTcpSocket &s, const QByteArray &line)
{
    s.write(line + "\r\n");
    s.flush();
    return ReadLine(s);
}

// A data listener and the PORT command that points the device at it.
QByteArray PortCommand(QTcpServer &server)
{
    const quint16 p = server.serverPort();
    return "PORT 127,0,0,1," + QByteArray::number(p >> 8) + "," + QByteArray::number(p & 255);
}

// Everything the device sends on the next data connection, until it closes it.
QByteArray ReadData(QTcpServer &server)
{
    if (!server.hasPendingConnections() && !server.waitForNewConnection(kWait)) return "<no connection>";
    QTcpSocket *data = server.nextPendingConnection();
    QByteArray all;
    QDeadlineTimer deadline(kWait);
    while (data->state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        data->waitForReadyRead(100);
        all += data->readAll();
    }
    all += data->readAll();
    delete data;
    return all;
}

}  // namespace

class TestFtpEmulator : public QObject {
    Q_OBJECT

private slots:
    void listingAndRetrieve()
    {
        FtpDevice device;
        QVERIFY2(device.start(), qPrintable(device.errorString()));
        const QByteArray content(1234, 'k');
        QVERIFY(device.setFile(content));
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, device.ftpPort());
        QVERIFY(s.waitForConnected(kWait));
        QCOMPARE(ReadLine(s), QByteArray("220 Velto FTP Server ready."));
        QVERIFY(Command(s, "USER admin").startsWith("331 "));
        QVERIFY(Command(s, "PASS admin").startsWith("230 "));
        QVERIFY(Command(s, "TYPE I").startsWith("200 "));

        QTcpServer data;
        QVERIFY(data.listen(QHostAddress::LocalHost));
        const QByteArray port = PortCommand(data);
        QVERIFY(Command(s, port).startsWith("200 "));
        QVERIFY(Command(s, "LIST").startsWith("1"));
        const QByteArray listing = ReadData(data);
        QVERIFY(ReadLine(s).startsWith("226 "));
        QCOMPARE(listing, QByteArray("-rw-r--r--   1 velto    velto        1234 Jan 01 00:00 userpage.kws\r\n"));
        QCOMPARE(listing.indexOf("1234"), 37);   // column 38

        QVERIFY(Command(s, PortCommand(data)).startsWith("200 "));
        QVERIFY(Command(s, "RETR userpage.kws").startsWith("1"));
        QCOMPARE(ReadData(data), content);
        QVERIFY(ReadLine(s).startsWith("226 "));
        QVERIFY(Command(s, "QUIT").startsWith("221 "));

        const QStringList lines = device.lines();
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines.last(), QStringLiteral("QUIT"));
        QCOMPARE(lines.mid(0, 3), QStringList({"USER admin", "PASS admin", "TYPE I"}));
        QCOMPARE(lines.at(3), QString::fromLatin1(port));
        QCOMPARE(lines.at(4), QStringLiteral("LIST"));
        QCOMPARE(lines.at(6), QStringLiteral("RETR userpage.kws"));
        const QList<FtpRecord> transfers = device.records(QStringLiteral("transfer"));
        QCOMPARE(transfers.size(), 1);   // files only, no listings
        QCOMPARE(transfers.at(0).command, QStringLiteral("RETR"));
        QVERIFY(transfers.at(0).completed);
        QCOMPARE(transfers.at(0).bytes, qint64(1234));
    }

    void storeAndFailureModes()
    {
        FtpDevice device;
        QVERIFY2(device.start(), qPrintable(device.errorString()));
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, device.ftpPort());
        QVERIFY(s.waitForConnected(kWait));
        ReadLine(s);
        Command(s, "USER admin");
        QVERIFY(Command(s, "PASS wrong").startsWith("530 "));
        QVERIFY(Command(s, "USER admin").startsWith("331 "));
        QVERIFY(Command(s, "PASS admin").startsWith("230 "));
        Command(s, "TYPE I");

        QTcpServer data;
        QVERIFY(data.listen(QHostAddress::LocalHost));
        QVERIFY(Command(s, PortCommand(data)).startsWith("200 "));
        QVERIFY(Command(s, "STOR userpage.kws").startsWith("1"));
        QVERIFY(data.hasPendingConnections() || data.waitForNewConnection(kWait));
        QTcpSocket *up = data.nextPendingConnection();
        up->write(QByteArray(5000, 's'));
        up->disconnectFromHost();
        if (up->state() != QAbstractSocket::UnconnectedState) up->waitForDisconnected(kWait);
        delete up;
        QVERIFY(ReadLine(s).startsWith("226 "));
        QCOMPARE(device.file(), std::optional<QByteArray>(QByteArray(5000, 's')));

        // Dropped after 100 bytes: the data stops and the control connection goes without a reply.
        QVERIFY(device.fail(QStringLiteral("drop"), QStringLiteral("RETR"), 100, 1));
        QVERIFY(Command(s, PortCommand(data)).startsWith("200 "));
        QVERIFY(Command(s, "RETR userpage.kws").startsWith("1"));
        QCOMPARE(ReadData(data).size(), 100);
        QVERIFY(s.state() == QAbstractSocket::UnconnectedState || s.waitForDisconnected(kWait));
        QCOMPARE(s.readAll(), QByteArray());
        const QList<FtpRecord> failures = device.records(QStringLiteral("failure"));
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures.first().mode, QStringLiteral("drop"));

        // The rule was used up; a refused file is a 550.
        QVERIFY(device.fail(QStringLiteral("refuse"), QStringLiteral("RETR")));
        QTcpSocket again;
        again.connectToHost(QHostAddress::LocalHost, device.ftpPort());
        QVERIFY(again.waitForConnected(kWait));
        ReadLine(again);
        Command(again, "USER admin");
        QVERIFY(Command(again, "PASS admin").startsWith("230 "));
        QVERIFY(Command(again, "RETR userpage.kws").startsWith("550 "));
    }

    void firewallSiteLogon()
    {
        FtpDeviceOptions options;
        options.proxy = true;
        options.proxyMethod = 2;
        options.proxyUser = QStringLiteral("fw");
        options.proxyPassword = QStringLiteral("fwpass");
        FtpDevice device(options);
        QVERIFY2(device.start(), qPrintable(device.errorString()));
        QVERIFY(device.proxyPort() != 0);
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, device.proxyPort());
        QVERIFY(s.waitForConnected(kWait));
        QVERIFY(ReadLine(s).startsWith("220 "));
        // The firewall's own logon comes first.
        QVERIFY(Command(s, "SITE velto.remote").startsWith("530 "));
        QVERIFY(Command(s, "USER fw").startsWith("331 "));
        QVERIFY(Command(s, "PASS fwpass").startsWith("230 "));
        QVERIFY(Command(s, "SITE velto.remote").startsWith("220 "));
        QVERIFY(Command(s, "USER admin").startsWith("331 "));
        QVERIFY(Command(s, "PASS admin").startsWith("230 "));
        QVERIFY(Command(s, "QUIT").startsWith("221 "));
        QCOMPARE(device.lines(QStringLiteral("proxy")),
                 QStringList({"SITE velto.remote", "USER fw", "PASS fwpass", "SITE velto.remote", "USER admin",
                              "PASS admin", "QUIT"}));
        QTRY_COMPARE(device.lines(), QStringList({"USER admin", "PASS admin", "QUIT"}));
        const QList<FtpRecord> targets = device.records(QStringLiteral("proxy_target"));
        QCOMPARE(targets.size(), 1);
        QCOMPARE(targets.first().host, QStringLiteral("velto.remote"));
    }
};

QTEST_MAIN(TestFtpEmulator)
#include "test_ftpemulator.moc"
