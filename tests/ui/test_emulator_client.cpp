// The window tests' handle on the device emulator: start, a device exchange, the record, control.
#include "Emulator.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

using vxt::test::EmulatedRequest;
using vxt::test::Emulator;
using vxt::test::EmulatorOptions;

namespace {

const QString kMac1 = QStringLiteral("00-11-22-33-44-55");
const QString kMac2 = QStringLiteral("00-11-22-33-44-66");

// One POST over a raw socket, as the program sends it; returns every byte the device sent.
QByteArray rawPost(const QString &ip, quint16 port, const QByteArray &body,
                   const QByteArray &page = "admpost.cgi")
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(ip), port);
    if (!socket.waitForConnected(5000)) return QByteArray();
    socket.write("POST /" + page + " HTTP/1.0\r\nHost: " + ip.toLatin1() +
                 "\r\nContent-Type: text/x-kprot\r\nContent-Length: " + QByteArray::number(body.size()) +
                 "\r\n\r\n" + body);
    QByteArray response;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
        response += socket.readAll();
    return response + socket.readAll();
}

QByteArray bodyOf(const QByteArray &response) { return response.mid(response.indexOf("\r\n\r\n") + 4); }

}  // namespace

class TestEmulatorClient : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        EmulatorOptions options;
        options.devices = {Emulator::device(QStringLiteral("1118"), QStringLiteral("2.0.4-SN-R"), kMac1,
                                            QStringLiteral("127.0.0.2"), QStringLiteral("tank"),
                                            QStringLiteral("secret")),
                           Emulator::device(QStringLiteral("1116"), QStringLiteral("2.0.5-SN"), kMac2,
                                            QStringLiteral("127.0.0.3"))};
        options.proxy = true;
        emu_ = std::make_unique<Emulator>(options);
        QVERIFY2(emu_->start(), qPrintable(emu_->errorString()));
    }

    void init() { QVERIFY2(emu_->reset(), qPrintable(emu_->errorString())); }

    void startsOnFreePorts()
    {
        QVERIFY(emu_->isRunning());
        QVERIFY(emu_->udpPort() != 0 && emu_->httpPort() != 0 && emu_->proxyPort() != 0);
        QVERIFY(emu_->udpPort() != 998);
        QVERIFY(emu_->httpPort() != 80);
    }

    void postReachesTheDeviceNamedByHost()
    {
        const QByteArray response = rawPost(QStringLiteral("127.0.0.3"), emu_->httpPort(), "GETDEVICE();");
        QVERIFY2(response.startsWith("HTTP/1.0 200 OK\r\n"), response.constData());
        QCOMPARE(bodyOf(response), QByteArray("DEVICE(VERSION=2.0.5-SN,MAC=00-11-22-33-44-66,ID=1116,);"));
        QCOMPARE(bodyOf(rawPost(QStringLiteral("127.0.0.2"), emu_->httpPort(), "GETADMIN();")),
                 QByteArray("ADMIN(PWD=secret,);"));
    }

    void recordHoldsBodyAndHeaders()
    {
        rawPost(QStringLiteral("127.0.0.2"), emu_->httpPort(), "SETUSER(USERNAME=a/cob,PWD=p,);");
        const QList<EmulatedRequest> record = emu_->requests();
        QCOMPARE(record.size(), 1);
        const EmulatedRequest &r = record.first();
        QCOMPARE(r.kind, QStringLiteral("http"));
        QCOMPARE(r.method, QStringLiteral("POST"));
        QCOMPARE(r.path, QStringLiteral("/admpost.cgi"));
        QCOMPARE(r.body, QByteArray("SETUSER(USERNAME=a/cob,PWD=p,);"));
        QCOMPARE(r.header("content-type"), QByteArray("text/x-kprot"));
        QCOMPARE(r.header("Content-Length"), QByteArray("31"));
        QVERIFY(r.header("Accept").isNull());
        QCOMPARE(r.device, kMac1);
        QCOMPARE(r.command, QStringLiteral("SETUSER"));
        QCOMPARE(r.status, 200);
        QCOMPARE(r.reply, QByteArray("ACK();"));
        QCOMPARE(emu_->deviceState(kMac1).value(QLatin1String("user_name")).toString(), QStringLiteral("a,b"));
        QVERIFY(emu_->clearRequests());
        QVERIFY(emu_->requests().isEmpty());
    }

    void failuresAndDeviceState()
    {
        QVERIFY(emu_->setFail(kMac1, QStringLiteral("http500"), 1));
        QVERIFY(rawPost(QStringLiteral("127.0.0.2"), emu_->httpPort(), "GETADMIN();")
                    .startsWith("HTTP/1.0 500 "));
        QVERIFY(rawPost(QStringLiteral("127.0.0.2"), emu_->httpPort(), "GETADMIN();").startsWith("HTTP/1.0 200 "));
        QCOMPARE(emu_->requests().first().failure, QStringLiteral("http500"));

        QVERIFY(!emu_->setFail(kMac1, QStringLiteral("explode")));
        QVERIFY(emu_->errorString().contains(QLatin1String("explode")));

        QVERIFY(emu_->setDeviceState(kMac1, {{QStringLiteral("admin_password"), QStringLiteral("other")}}));
        QCOMPARE(bodyOf(rawPost(QStringLiteral("127.0.0.2"), emu_->httpPort(), "GETADMIN();")),
                 QByteArray("ADMIN(PWD=other,);"));
        QVERIFY(emu_->reset());
        QCOMPARE(emu_->deviceState(kMac1).value(QLatin1String("admin_password")).toString(), QStringLiteral("secret"));
        QVERIFY(emu_->deviceState(QStringLiteral("00-00-00-00-00-00")).isEmpty());
    }

    void gatewayConfigurationAndLiveValues()
    {
        const QString ip = QStringLiteral("127.0.0.2");
        QVERIFY(emu_->deviceConfig(kMac1).value(QLatin1String("tags")).toArray().isEmpty());
        const QJsonObject level{{QStringLiteral("NAME"), QStringLiteral("Level")},
                                {QStringLiteral("TYPE"), 1},
                                {QStringLiteral("ALARM"), true},
                                {QStringLiteral("ALLO"), 10},
                                {QStringLiteral("ALHI"), 90}};
        QVERIFY2(emu_->setDeviceConfig(kMac1, {{QStringLiteral("tags"), QJsonArray{level}},
                                               {QStringLiteral("recipients"), QJsonArray{QStringLiteral("a@test")}}}),
                 qPrintable(emu_->errorString()));
        const QJsonObject config = emu_->deviceConfig(kMac1);
        QCOMPARE(config.value(QLatin1String("tags")).toArray().at(0).toObject().value(QLatin1String("ALHI")).toString(),
                 QStringLiteral("90"));
        QCOMPARE(config.value(QLatin1String("recipients")).toArray().size(), 5);
        QCOMPARE(bodyOf(rawPost(ip, emu_->httpPort(), "GETTAGCOUNT();")), QByteArray("TAGCOUNT(COUNT=1,);"));
        QCOMPARE(bodyOf(rawPost(ip, emu_->httpPort(), "GETTAG(TAG=0,);")),
                 QByteArray("TAGCONFIG(NAME=Level,SOURCE=0,UNIT=1,TYPE=1,MBFUNC=4,ADDRESS=0,REG32=0,BIT=0,SCALE=1,"
                            "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=1,EMAIL=0,TRAP=0,"
                            "WRLO=0,WRHI=0,ALLO=10,ALHI=90,);"));
        QCOMPARE(bodyOf(rawPost(ip, emu_->httpPort(), "GETTOO(TOO=0,);")), QByteArray("TOO(EMAIL=a@test,);"));

        QVERIFY(!emu_->setDeviceConfig(kMac1, {{QStringLiteral("colour"), 1}}));
        QVERIFY2(emu_->errorString().contains(QLatin1String("colour")), qPrintable(emu_->errorString()));

        // The device's clock stopped, the value forced: the read is exact.
        QVERIFY(emu_->setMonitor(kMac1, {{QStringLiteral("time"), QJsonObject{{QStringLiteral("running"), false}}},
                                         {QStringLiteral("tags"),
                                          QJsonObject{{QStringLiteral("0"), QJsonObject{{QStringLiteral("value"), 42}}}}}}));
        QCOMPARE(bodyOf(rawPost(ip, emu_->httpPort(), "READ(TAG1=0,);", "apppost.cgi")),
                 QByteArray("VALUES(VAL1=42,ST1=2,);"));
        const QJsonObject live = emu_->monitorState(kMac1);
        QCOMPARE(live.value(QLatin1String("tags")).toArray().at(0).toObject().value(QLatin1String("value")).toInt(), 42);

        // A failure at a chosen step: the second GETTAG.
        QVERIFY(emu_->addFailRule({{QStringLiteral("mac"), kMac1},
                                   {QStringLiteral("mode"), QStringLiteral("nak:Busy")},
                                   {QStringLiteral("command"), QStringLiteral("GETTAG")},
                                   {QStringLiteral("skip"), 1},
                                   {QStringLiteral("count"), 1}}));
        QVERIFY(bodyOf(rawPost(ip, emu_->httpPort(), "GETTAG(TAG=0,);")).startsWith("TAGCONFIG("));
        QCOMPARE(bodyOf(rawPost(ip, emu_->httpPort(), "GETTAG(TAG=0,);")), QByteArray("NAK(REASON=Busy,);"));
        QVERIFY(bodyOf(rawPost(ip, emu_->httpPort(), "GETTAG(TAG=0,);")).startsWith("TAGCONFIG("));

        QVERIFY(emu_->reset());
        QVERIFY(emu_->deviceConfig(kMac1).value(QLatin1String("tags")).toArray().isEmpty());
    }

    void helloIsAnsweredAndRecorded()
    {
        QUdpSocket udp;
        QVERIFY(udp.bind(QHostAddress::LocalHost, 0));
        QCOMPARE(udp.writeDatagram("HELLO()", QHostAddress::LocalHost, emu_->udpPort()), qint64(7));
        QList<QByteArray> got;
        for (int i = 0; i < 50 && got.size() < 2; ++i) {
            if (udp.waitForReadyRead(100)) {
                while (udp.hasPendingDatagrams()) {
                    QByteArray d(int(udp.pendingDatagramSize()), '\0');
                    udp.readDatagram(d.data(), d.size());
                    got.append(d);
                }
            }
        }
        QCOMPARE(got, (QList<QByteArray>{"NTM(1118,2.0.4-SN-R,00-11-22-33-44-55,127.0.0.2,255.255.255.0,0.0.0.0,0,tank)",
                                         "NTM(1116,2.0.5-SN,00-11-22-33-44-66,127.0.0.3,255.255.255.0,0.0.0.0,0)"}));
        const QList<EmulatedRequest> record = emu_->requests(QStringLiteral("udp"));
        QCOMPARE(record.size(), 1);
        QCOMPARE(record.first().body, QByteArray("HELLO()"));
        QCOMPARE(record.first().peer, QStringLiteral("127.0.0.1:%1").arg(udp.localPort()));
        QCOMPARE(record.first().udpReplies, got);
    }

    void badStartFailsClearly()
    {
        EmulatorOptions options;
        options.devices = {QJsonObject{{QStringLiteral("ip"), QStringLiteral("127.0.0.9")}}};  // no mac
        Emulator broken(options);
        QVERIFY(!broken.start());
        QVERIFY2(broken.errorString().contains(QLatin1String("ended")), qPrintable(broken.errorString()));
        QVERIFY(!broken.isRunning());
        QVERIFY(broken.requests().isEmpty());
    }

    void cleanupTestCase()
    {
        emu_->stop();
        QVERIFY(!emu_->isRunning());
    }

private:
    std::unique_ptr<Emulator> emu_;
};

QTEST_MAIN(TestEmulatorClient)
#include "test_emulator_client.moc"
