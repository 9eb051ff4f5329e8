// The real HELLO broadcast to 255.255.255.255 port 998, across a veth pair into a network
// namespace where the emulated device answers. The test process first moves into a namespace of
// its own, so it touches none of the machine's interfaces.
#include "Emulator.h"
#include "Main.h"
#include "Password.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <sched.h>
#include <unistd.h>

using namespace vxt;
using namespace vxt::test;

class TestBroadcast : public QObject {
    Q_OBJECT
private:
    QString ns = QStringLiteral("vxt-dev-%1").arg(getpid());
    QProcess emulator;
    QProcess broadcaster;   // a second device that answers by broadcast
    bool nsMade = false;

    void StartIn(QProcess &p, const QJsonArray &devices, const QStringList &extra)
    {
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral("ip"), QStringList{"netns", "exec", ns, "/usr/bin/python3",
                                                  QStringLiteral(VXT_EMULATOR_DIR "/emulator.py"), "--devices",
                                                  QString::fromUtf8(QJsonDocument(devices).toJson(QJsonDocument::Compact))} +
                                          extra);
        QVERIFY(p.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(p.canReadLine() || p.state() != QProcess::Running, 10000);
        QVERIFY(p.readLine().startsWith("READY"));
    }

    bool Run(const QStringList &args, QString *why)
    {
        QProcess p;
        p.start(QStringLiteral("ip"), args);
        if (!p.waitForFinished(10000) || p.exitCode() != 0) {
            *why = QStringLiteral("ip %1: %2").arg(args.join(QLatin1Char(' ')),
                                                   QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
            return false;
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        if (geteuid() != 0) QSKIP("network namespaces need root");
        if (unshare(CLONE_NEWNET) != 0) QSKIP(qPrintable(QStringLiteral("no network namespace: %1").arg(strerror(errno))));
        QString why;
        const QList<QStringList> steps = {
            {"link", "set", "lo", "up"},
            {"netns", "add", ns},
            {"link", "add", "vxta", "type", "veth", "peer", "name", "vxtb"},
            {"link", "set", "vxtb", "netns", ns},
            {"addr", "add", "10.77.0.1/24", "dev", "vxta"},
            {"link", "set", "vxta", "up"},
            {"route", "add", "default", "dev", "vxta"},
            {"netns", "exec", ns, "ip", "addr", "add", "10.77.0.2/24", "dev", "vxtb"},
            {"netns", "exec", ns, "ip", "link", "set", "vxtb", "up"},
            {"netns", "exec", ns, "ip", "link", "set", "lo", "up"},
        };
        for (const QStringList &s : steps) {
            if (!Run(s, &why)) QSKIP(qPrintable(QStringLiteral("cannot build the test network: ") + why));
            if (s.value(1) == QStringLiteral("add") && s.value(0) == QStringLiteral("netns")) nsMade = true;
        }
        StartIn(emulator, {Emulator::device("1118", "2.0.4-SN", "00-11-22-33-44-99", "10.77.0.2", "far-end")},
                {"--udp-port", "998", "--http-port", "80"});
        StartIn(broadcaster, {Emulator::device("1116", "2.0.5-SN", "00-11-22-33-44-98", "10.77.0.3", "loud")},
                {"--udp-port", "998", "--http-port", "81", "--udp-reply-to", "10.77.0.255:998"});
    }

    void cleanupTestCase()
    {
        for (QProcess *p : {&emulator, &broadcaster})
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                p->waitForFinished(3000);
            }
        QString why;
        if (nsMade) Run({"netns", "del", ns}, &why);
    }

    void broadcastFindsTheDeviceAndHttpReachesIt()
    {
        TMainForm form;
        frmPassword = new TfrmPassword(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.BroadcastAddress, QStringLiteral("255.255.255.255"));
        QCOMPARE(form.UdpDevicePort, quint16(998));
        QCOMPARE(form.UdpLocalPort, quint16(998));
        QVERIFY(form.Bindings.contains(QStringLiteral("10.77.0.1")));
        MessageBoxRecorder boxes;
        form.DevicesSearchLocalExecute();
        QVERIFY2(boxes.Shown().empty(), boxes.Shown().empty() ? "" : boxes.Shown()[0].Text.c_str());
        // One device answered by unicast, the other by broadcast: both are listed.
        QCOMPARE(form.DeviceCount(), 2);
        QCOMPARE(form.RowCaption(0), std::string("Velto-10-DF1"));
        QCOMPARE(form.RowSubItem(0, 0), std::string("loud"));
        QCOMPARE(form.RowSubItem(1, 4), std::string("10.77.0.2"));
        QCOMPARE(form.RowSubItem(1, 0), std::string("far-end"));

        form.lstDevices->selectRow(1);
        WhenModalOf<TfrmPassword>([](TfrmPassword *dlg) {
            dlg->txtPassword->setText(QStringLiteral("admin"));
            dlg->btnOk->click();
        });
        form.DevicesConnect->trigger();
        QVERIFY(form.Connected);
        frmPassword = nullptr;
    }
};

QTEST_MAIN(TestBroadcast)
#include "test_broadcast.moc"
