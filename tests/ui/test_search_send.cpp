// What Search Local Devices says when its datagram cannot go out. The test process first moves into
// a network namespace of its own where only loopback is up, so no route carries the broadcast.
#include "Main.h"
#include "UiTestSupport.h"

#include <QUdpSocket>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vxt;
using namespace vxt::test;

namespace {

const std::string kConflict =
    "Other Application is conflicting with VXT Communication.\r\nClose the other application and try again.";

bool LoopbackUp()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return false;
    ifreq r{};
    std::strcpy(r.ifr_name, "lo");
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &r) == 0;
    r.ifr_flags |= IFF_UP;
    ok = ok && ::ioctl(fd, SIOCSIFFLAGS, &r) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

class TestSearchSend : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (geteuid() != 0) QSKIP("network namespaces need root");
        if (unshare(CLONE_NEWNET) != 0) QSKIP(qPrintable(QStringLiteral("no network namespace: %1").arg(strerror(errno))));
        QVERIFY(LoopbackUp());
    }

    // The conflict is named only for a port another program holds; any other failure gives the
    // system's reason. The search cycle runs to its end either way.
    void failureNamesItsCause_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("portHeld");
        QTest::addColumn<QString>("shown");   // empty: no box
        const QString unreachable = QStringLiteral("VXT cannot send to the devices on UDP port 998.\r\n") +
                                    QString::fromLocal8Bit(std::strerror(ENETUNREACH)) + QStringLiteral(".");
        QTest::newRow("port held by another program") << "255.255.255.255" << true << QString::fromStdString(kConflict);
        QTest::newRow("no route for the broadcast") << "255.255.255.255" << false << unreachable;
        QTest::newRow("no route for an address") << "10.99.0.1" << false << unreachable;
        QTest::newRow("loopback reached") << "127.0.0.1" << false << QString();
    }

    void failureNamesItsCause()
    {
        QFETCH(QString, address);
        QFETCH(bool, portHeld);
        QFETCH(QString, shown);
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
        TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.UdpLocalPort = holder.localPort();
        if (!portHeld) holder.close();
        form.BroadcastAddress = address;
        MessageBoxRecorder boxes;
        form.DevicesSearchLocalExecute();
        QCOMPARE(form.LocatorState, uint8_t(0));
        if (shown.isEmpty()) {
            QVERIFY(boxes.Shown().empty());
            return;
        }
        QCOMPARE(boxes.Shown().size(), size_t(1));
        QCOMPARE(QString::fromLocal8Bit(boxes.Shown()[0].Text), shown);
        QVERIFY(boxes.Shown()[0].Kind == MsgKind::Error);
        QCOMPARE(boxes.Shown()[0].Buttons, int(mbOK));
    }
};

QTEST_MAIN(TestSearchSend)
#include "test_search_send.moc"
