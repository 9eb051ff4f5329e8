// Finding devices and connecting to them, against the device emulator over loopback.
#include "Emulator.h"
#include "InfoMsg.h"
#include "Main.h"
#include "Password.h"
#include "QtStr.h"
#include "SearchRemote.h"
#include "UdpEndpoint.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"
#include "Version.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMB = QStringLiteral("00-11-22-33-44-01");
const QString kHL = QStringLiteral("00-11-22-33-44-02");
const QString kDF = QStringLiteral("00-11-22-33-44-03");

const std::string kConflict =
    "Other Application is conflicting with VXT Communication.\r\nClose the other application and try again.";

// A UDP port nobody holds right now.
quint16 FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress);
    return probe.localPort();
}

// Switches the right to bind ports below 1024 off or on again for the calling thread alone.
bool SetPortRight(bool on)
{
    __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &head, data) != 0) return false;
    const unsigned bit = 1u << (CAP_NET_BIND_SERVICE % 32);
    if (on) data[CAP_NET_BIND_SERVICE / 32].effective |= bit;
    else data[CAP_NET_BIND_SERVICE / 32].effective &= ~bit;
    return syscall(SYS_capset, &head, data) == 0;
}

// Answers the password dialog with `password` (or cancels it) once it is up.
void AnswerPassword(const QString &password, bool ok = true)
{
    WhenModalOf<TfrmPassword>([password, ok](TfrmPassword *dlg) {
        dlg->txtPassword->setText(password);
        (ok ? dlg->btnOk : dlg->btnCancel)->click();
    });
}

// Closes the version notice once it is up and keeps its two texts.
void CatchVersionNotice(QStringList *texts)
{
    WhenModalOf<TfrmVersion>([texts](TfrmVersion *dlg) {
        *texts << dlg->txtVersion->text() << dlg->txtVeltoVersion->text();
        dlg->btnOk->click();
    });
}

}  // namespace

class TestDevices : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Emulator> emu;
    TMainForm *form = nullptr;
    QTemporaryDir dir;

    void StartEmulator(QJsonArray devices, EmulatorOptions options = {})
    {
        options.devices = devices;
        emu = std::make_unique<Emulator>(options);
        QVERIFY2(emu->start(), qPrintable(emu->errorString()));
        form->SetHttpPort(emu->httpPort());
        form->UdpDevicePort = emu->udpPort();
        form->UdpLocalPort = 0;
        form->BroadcastAddress = QStringLiteral("127.0.0.1");
        form->IdHTTPLocal.TimeoutMs = 1500;
        form->IdHTTPRemote.TimeoutMs = 1500;
    }

    QJsonArray ThreeDevices()
    {
        QJsonObject df = Emulator::device("1116", "2.0.5-SN", kDF, "127.0.0.4");
        df.remove(QStringLiteral("hostname"));
        return {Emulator::device("1118", "2.0.4-SN-R", kMB, "127.0.0.2", "velto-mb"),
                Emulator::device("1109", "2.0.4-SN", kHL, "127.0.0.3", "velto-hl"), df};
    }

    int RowOf(const QString &mac)
    {
        for (int i = 0; i < form->DeviceCount(); ++i)
            if (QStr(form->RowSubItem(i, 1)) == mac) return i;
        return -1;
    }

    bool ConnectTo(const QString &mac, const QString &password)
    {
        form->lstDevices->selectRow(RowOf(mac));
        form->UpdateActions();
        AnswerPassword(password);
        form->DevicesConnect->trigger();
        return form->Connected;
    }

private slots:
    void initTestCase()
    {
        SetIniFileNameOverride(dir.filePath(QStringLiteral("vxt.ini")).toStdString());
    }

    void init()
    {
        form = new TMainForm;
        frmPassword = new TfrmPassword(form);
        frmVersion = new TfrmVersion(form);
        frmSearchRemote = new TfrmSearchRemote(form);
        form->resize(900, 500);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }

    void cleanup()
    {
        delete form;
        form = nullptr;
        frmPassword = nullptr;
        frmVersion = nullptr;
        frmSearchRemote = nullptr;
        emu.reset();
        QFile::remove(dir.filePath(QStringLiteral("vxt.ini")));
    }

    void localSearchListsDevicesSortedByModel()
    {
        StartEmulator(ThreeDevices());
        MessageBoxRecorder boxes;
        QElapsedTimer t;
        t.start();
        form->DevicesSearchLocal->trigger();
        QVERIFY(t.elapsed() >= 450);
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(form->DeviceCount(), 3);
        QCOMPARE(form->RowCaption(0), std::string("Velto-10-DF1"));
        QCOMPARE(form->RowCaption(1), std::string("Velto-10-HL"));
        QCOMPARE(form->RowCaption(2), std::string("Velto-10-MB"));
        const int mb = RowOf(kMB);
        QCOMPARE(form->RowSubItem(mb, 0), std::string("velto-mb"));
        QCOMPARE(form->RowSubItem(mb, 2), std::string("2.0.4-SN-R"));
        QCOMPARE(form->RowSubItem(mb, 4), std::string("127.0.0.2"));
        QCOMPARE(form->RowSubItem(mb, 7), std::string(""));
        QCOMPARE(form->RowSubItem(mb, 8), std::string("1"));
        QCOMPARE(form->RowSubItem(mb, 9), std::string("1"));
        QCOMPARE(form->RowSubItem(mb, 10), std::string("0"));
        QCOMPARE(form->RowSubItem(RowOf(kHL), 10), std::string("1"));
        const int df = RowOf(kDF);
        QCOMPARE(form->RowSubItem(df, 0), std::string("-"));   // seven parameters: no host name
        QCOMPARE(form->RowSubItem(df, 8), std::string("0"));
        QCOMPARE(form->RowSubItem(df, 10), std::string("2"));
        const QList<EmulatedRequest> udp = emu->requests(QStringLiteral("udp"));
        QCOMPARE(udp.size(), 1);
        QCOMPARE(udp[0].body, QByteArray("HELLO()"));
        QCOMPARE(form->LocatorState, uint8_t(0));
        QVERIFY(!form->InfoMessage->isVisible());
    }

    void oneRowPerMacAndRemoteRowsSurvive()
    {
        QJsonObject twice = Emulator::device("1118", "2.0.4-SN", kMB, "127.0.0.2", QString());
        twice[QStringLiteral("udp_twice")] = true;
        twice[QStringLiteral("hostname")] = QString();   // an empty host name is still one
        StartEmulator({twice, Emulator::device("1109", "2.0.4-SN", kHL, "127.0.0.3", "velto-hl")});
        TDeviceData remote;
        remote.Device = "Velto-10-HL";
        remote.MAC = StdStr(kHL);
        remote.IP = "10.9.9.9";
        remote.RemoteIP = "far.example";
        remote.Family = 1;
        form->AddDeviceToList(remote);
        form->DevicesSearchLocalExecute();
        QCOMPARE(form->DeviceCount(), 2);
        QCOMPARE(form->RowSubItem(RowOf(kHL), 7), std::string("far.example"));
        QCOMPARE(form->RowSubItem(RowOf(kHL), 4), std::string("10.9.9.9"));
        QCOMPARE(form->RowSubItem(RowOf(kMB), 0), std::string(""));
        QCOMPARE(form->RowSubItem(RowOf(kMB), 8), std::string("1"));
        // A second search keeps the remote row and lists the local one again.
        form->DevicesSearchLocalExecute();
        QCOMPARE(form->DeviceCount(), 2);
        // A remote search result rewrites its row, also a local one.
        remote.MAC = StdStr(kMB);
        remote.RemoteIP = "mb.example";
        form->AddDeviceToList(remote);
        QCOMPARE(form->DeviceCount(), 2);
        QCOMPARE(form->RowSubItem(RowOf(kMB), 7), std::string("mb.example"));
    }

    void datagramRules()
    {
        StartEmulator({});
        // Lower-case replies and replies outside a search are ignored.
        form->LocatorState = 1;
        form->IdUDPServerUDPRead("ntm(1118,2.0.4,00-00-00-00-00-09,1.2.3.4,255.0.0.0,0.0.0.0,0)");
        QCOMPARE(form->DeviceCount(), 0);
        form->IdUDPServerUDPRead("NTM(1118,2.0.4,00-00-00-00-00-09,1.2.3.4,255.0.0.0,0.0.0.0)");
        QCOMPARE(form->RowSubItem(0, 3), std::string("Yes"));   // no seventh parameter: DHCP on
        QCOMPARE(form->RowSubItem(0, 0), std::string("-"));
        form->IdUDPServerUDPRead("NTM(9999,1,00-00-00-00-00-0A,,,,0,)");
        QCOMPARE(form->RowCaption(RowOf(QStringLiteral("00-00-00-00-00-0A"))), std::string("Porlin Device"));
        QCOMPARE(form->RowSubItem(RowOf(QStringLiteral("00-00-00-00-00-0A")), 9), std::string("0"));
        form->IdUDPServerUDPRead(QByteArray());   // nothing to read: no row, no crash
        QCOMPARE(form->DeviceCount(), 2);
        // State 2: the last matching answer for the awaited MAC decides.
        form->LocatorState = 2;
        form->AwaitedMAC = "AA";
        form->IdUDPServerUDPRead("ACK(BB)");
        QVERIFY(!form->DeviceAcked);
        form->IdUDPServerUDPRead("ACK(AA)");
        QVERIFY(form->DeviceAcked);
        form->IdUDPServerUDPRead("NAK(AA)");
        QVERIFY(!form->DeviceAcked);
        form->LocatorState = 0;
    }

    void settingsWaitGivesVerdict()
    {
        StartEmulator(ThreeDevices());
        MessageBoxRecorder boxes;
        form->SendUDPPacket("CONFIG(admin,00-11-22-33-44-01,127.0.0.2,255.0.0.0,0.0.0.0,newname)");
        QElapsedTimer t;
        t.start();
        form->SetDeviceLocatorAction(2, "00-11-22-33-44-01");
        QVERIFY(t.elapsed() >= 950);
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Device Successfully Configured!."});
        QCOMPARE(boxes.Shown()[0].Kind, MsgKind::Information);
        QVERIFY(form->AwaitedMAC.empty());
        boxes.Clear();
        form->SendUDPPacket("CONFIG(wrong,00-11-22-33-44-01,127.0.0.2,255.0.0.0,0.0.0.0,newname)");
        form->SetDeviceLocatorAction(2, "00-11-22-33-44-01");
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Error Setting Device Configuration.\r\nCheck the Password."});
        QCOMPARE(boxes.Shown()[0].Kind, MsgKind::Error);
    }

    void portHeldByAnotherProgram()
    {
        StartEmulator({});
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
        form->UdpLocalPort = holder.localPort();
        MessageBoxRecorder boxes;
        form->DevicesSearchLocalExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Other Application is conflicting with VXT "
                                                          "Communication.\r\nClose the other application and try again."});
        QCOMPARE(form->LocatorState, uint8_t(0));   // the cycle still ran to its end
    }

    // A second program on the port, even one that would share it, is a conflict, whichever came
    // first: the program never shares the port its replies come to.
    void portSharedWithAnotherProgram()
    {
        StartEmulator(ThreeDevices());
        {
            // Another program that shares the port holds it.
            QUdpSocket sharer;
            QVERIFY(sharer.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
            form->UdpLocalPort = sharer.localPort();
            MessageBoxRecorder boxes;
            form->DevicesSearchLocalExecute();
            QCOMPARE(boxes.Texts(), std::vector<std::string>{kConflict});
            QCOMPARE(form->DeviceCount(), 0);
        }
        {
            // Two instances of the program.
            const quint16 port = FreeUdpPort();
            TUdpEndpoint first;
            QVERIFY(first.Open(port));
            TUdpEndpoint second;
            QVERIFY(!second.Open(port));
            QCOMPARE(second.LastOpenError(), TUdpOpenError::InUse);
            // The window is the second instance here.
            form->UdpLocalPort = port;
            MessageBoxRecorder boxes;
            form->DevicesSearchLocalExecute();
            QCOMPARE(boxes.Texts(), std::vector<std::string>{kConflict});
        }
        {
            // The program holds the port: a sharing program cannot join.
            form->IdUDPServer->Close();
            form->UdpLocalPort = FreeUdpPort();
            MessageBoxRecorder boxes;
            form->DevicesSearchLocalExecute();
            QVERIFY(boxes.Texts().empty());
            QCOMPARE(form->DeviceCount(), 3);
            QUdpSocket sharer;
            QVERIFY(!sharer.bind(QHostAddress::AnyIPv4, form->UdpLocalPort,
                                 QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        }
    }

    // Without the right to bind a port below 1024 the message says so and how to grant it.
    void privilegedPortWithoutTheRight()
    {
        StartEmulator(ThreeDevices());
        const bool root = geteuid() == 0;
        if (root && !SetPortRight(false)) QSKIP("cannot drop the right to bind low ports");
        form->UdpLocalPort = 998;
        MessageBoxRecorder boxes;
        form->DevicesSearchLocalExecute();
        if (root) QVERIFY(SetPortRight(true));
        if (form->IdUDPServer->IsOpen() || form->IdUDPServer->LastOpenError() == TUdpOpenError::InUse)
            QSKIP("this system lets every program bind port 998, or another one holds it");
        QCOMPARE(form->IdUDPServer->LastOpenError(), TUdpOpenError::NoRight);
        QCOMPARE(boxes.Texts(),
                 std::vector<std::string>{"VXT has no right to use UDP port 998, which it needs to find devices.\r\n"
                                          "Grant it, as root, with: setcap cap_net_bind_service=+ep " +
                                          StdStr(QCoreApplication::applicationFilePath())});
        QCOMPARE(boxes.Shown()[0].Kind, MsgKind::Error);
        QCOMPARE(form->LocatorState, uint8_t(0));   // the cycle still ran to its end
    }

    void connectChecksFirmwareAndPassword()
    {
        QJsonArray devices = ThreeDevices();
        devices.append(Emulator::device("1118", "2.0.2-SN", "00-11-22-33-44-04", "127.0.0.5", "old"));
        devices.append(Emulator::device("1118", "3.99.99-SN", "00-11-22-33-44-05", "127.0.0.6", "new"));
        devices.append(Emulator::device("1118", "2.0.4-sn", "00-11-22-33-44-06", "127.0.0.7", "plain"));
        devices.append(Emulator::device("1116", "2.0.4-SN", "00-11-22-33-44-07", "127.0.0.8", "df-old"));
        devices.append(Emulator::device("1113", "1.0", "00-11-22-33-44-08", "127.0.0.9", "tarnex", "pw"));
        StartEmulator(devices);
        form->DevicesSearchLocalExecute();
        QCOMPARE(form->DeviceCount(), 8);
        MessageBoxRecorder boxes;

        struct Refusal {
            QString mac, reason, version;
        };
        const QList<Refusal> refusals = {
            {QStringLiteral("00-11-22-33-44-04"), QStringLiteral("too new"), QStringLiteral("Device version: 2.0.2")},
            {QStringLiteral("00-11-22-33-44-05"), QStringLiteral("too old"), QStringLiteral("Device version: 3.99.99")},
            {QStringLiteral("00-11-22-33-44-06"), QStringLiteral("only applies to regular Velto"),
             QStringLiteral("Device version: 2.0.4-sn")},
            {QStringLiteral("00-11-22-33-44-07"), QStringLiteral("too new"), QStringLiteral("Device version: 2.0.4")},
        };
        for (const Refusal &r : refusals) {
            QStringList texts;
            CatchVersionNotice(&texts);
            QVERIFY(!ConnectTo(r.mac, QStringLiteral("admin")));
            QCOMPARE(texts.size(), 2);
            QVERIFY2(texts[0].contains(r.reason), qPrintable(texts[0]));
            QCOMPARE(texts[1], r.version);
            QVERIFY(!form->DevicesConnect->isChecked());
        }
        QVERIFY(boxes.Shown().empty());
        QVERIFY(emu->requests(QStringLiteral("http")).isEmpty());   // nothing was asked of them

        QVERIFY(!ConnectTo(kMB, QStringLiteral("wrong")));
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Unable to connect to Device. Wrong Password."});
        boxes.Clear();

        // Cancelled password: nothing happens at all.
        form->lstDevices->selectRow(RowOf(kMB));
        AnswerPassword(QString(), false);
        form->DevicesConnect->trigger();
        QVERIFY(!form->Connected);
        QVERIFY(boxes.Shown().empty());

        // A model without the product word skips the firmware window.
        QVERIFY(ConnectTo(QStringLiteral("00-11-22-33-44-08"), QStringLiteral("pw")));
        form->DevicesConnect->trigger();   // disconnect
        QVERIFY(!form->Connected);
        boxes.Clear();

        QVERIFY(ConnectTo(kMB, QStringLiteral("admin")));
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Succesfully Connected to Velto-10-MB/00-11-22-33-44-01."});
        QCOMPARE(boxes.Shown()[0].Kind, MsgKind::Information);
        QCOMPARE(form->ConnectedDevice.Version, std::string("2.0.4"));   // cut before the marks
        QVERIFY(form->ConnectedDevice.RFirmware);
        QVERIFY(form->ConnectedDevice.SNFirmware);
        QCOMPARE(form->ConnectedDevice.Password, std::string("admin"));
        QCOMPARE(form->ConnectedDevice.Username, std::string("admin"));
        QVERIFY(form->DevicesConnect->isChecked());
        QCOMPARE(form->DevicesConnect->text(), QStringLiteral("Disco&nnect from Velto-10-MB/00-11-22-33-44-01"));
        QCOMPARE(form->DevicesConnect->statusTip(), QStringLiteral("Disconnect from Velto-10-MB/00-11-22-33-44-01"));
        form->lstDevices->clearSelection();
        form->UpdateActions();
        QCOMPARE(form->StatusPanel1->text(), QStringLiteral("Connected To: Velto-10-MB/00-11-22-33-44-01"));
        QVERIFY(form->DevicesConnect->isEnabled());
        // The request on the wire.
        const QList<EmulatedRequest> http = emu->requests(QStringLiteral("http"));
        const EmulatedRequest &last = http.last();
        QCOMPARE(last.body, QByteArray("GETADMIN();"));
        QCOMPARE(last.method, QStringLiteral("POST"));
        QCOMPARE(last.path, QStringLiteral("/admpost.cgi"));
        QCOMPARE(last.raw.value(QStringLiteral("version")).toString(), QStringLiteral("HTTP/1.0"));
        QCOMPARE(last.header("Content-Type"), QByteArray("text/x-kprot"));
        QCOMPARE(last.header("Accept"), QByteArray("text/html, */*"));
        QCOMPARE(last.header("User-Agent"), QByteArray("Mozilla/3.0 (compatible; Indy Library)"));
        QCOMPARE(last.header("Content-Length"), QByteArray("11"));
        QVERIFY(!last.viaProxy);

        form->DevicesConnect->trigger();
        QVERIFY(!form->Connected);
        QCOMPARE(form->DevicesConnect->text(), QStringLiteral("Co&nnect..."));
        QVERIFY(!form->DevicesConnect->isChecked());
    }

    void deadDeviceCostsTheTimeOutNotTheWindow()
    {
        StartEmulator(ThreeDevices());
        form->DevicesSearchLocalExecute();
        MessageBoxRecorder boxes;
        int ticks = 0;
        bool actionsOffDuringRequest = false;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&]() {
            ++ticks;
            if (!form->DevicesSearchLocal->isEnabled() && !form->FileNew->isEnabled()) actionsOffDuringRequest = true;
        });
        probe.start(20);
        for (const QString &mode : {QStringLiteral("silent"), QStringLiteral("http500"), QStringLiteral("close"),
                                   QStringLiteral("cut")}) {
            boxes.Clear();
            ticks = 0;
            QVERIFY(emu->setFail(kMB, mode, 1));
            QElapsedTimer t;
            t.start();
            QVERIFY(!ConnectTo(kMB, QStringLiteral("admin")));
            QCOMPARE(boxes.Texts(), (std::vector<std::string>{
                                        "No Response from Device. Check the connection and try again.",
                                        "Unable to connect to Device."}));
            QVERIFY2(t.elapsed() < 6000, qPrintable(mode + QStringLiteral(" took %1 ms").arg(t.elapsed())));
            if (mode == QStringLiteral("silent")) QVERIFY2(ticks > 20, "the window stayed responsive");
        }
        QVERIFY(actionsOffDuringRequest);
        QVERIFY(form->FileNew->isEnabled());
        // A wrong answer is a reply: its missing PWD is an empty password.
        QVERIFY(emu->setFail(kMB, QStringLiteral("wrong"), 1));
        boxes.Clear();
        QVERIFY(!ConnectTo(kMB, QStringLiteral("admin")));
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Unable to connect to Device. Wrong Password."});
        QVERIFY(emu->setFail(kMB, QStringLiteral("wrong"), 1));
        QVERIFY(ConnectTo(kMB, QString()));
    }

    void replyKeptOnFailureAndEmptyBodyIsAReply()
    {
        StartEmulator(ThreeDevices());
        MessageBoxRecorder boxes;
        TPacket request, reply;
        request.SetCommand("GETUSER");
        reply.SetText("KEEP();");
        QVERIFY(emu->setFail(kMB, QStringLiteral("http500"), 1));
        QVERIFY(!form->SendHTTPAdminServer("Waiting...", "127.0.0.2", "", request, reply));
        QCOMPARE(reply.GetText(), std::string("KEEP();"));
        QVERIFY(form->SendHTTPAdminNoInfo("127.0.0.2", "", request, reply));
        QCOMPARE(reply.GetText(), std::string("USER(USERNAME=user,);"));
        QVERIFY(!form->InfoMessage->isVisible());
        // A 10 MB answer is still one reply.
        QVERIFY(emu->setFail(kMB, QStringLiteral("big"), 1));
        QVERIFY(form->SendHTTPAdminNoInfo("127.0.0.2", "", request, reply));
        QVERIFY(reply.IsCommand("USER"));
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"No Response from Device. Check the connection and try again."});
    }

    void remoteSearchGoesThroughTheProxy()
    {
        EmulatorOptions options;
        options.proxy = true;
        options.proxyUser = QStringLiteral("pxuser");
        options.proxyPassword = QStringLiteral("px:pass");
        QJsonObject remote = Emulator::device("1117", "2.0.6-SN", "00-11-22-33-44-77", "10.1.2.3", "far-dev");
        remote[QStringLiteral("remote_names")] = QJsonArray{QStringLiteral("far.example")};
        StartEmulator({remote, Emulator::device("1118", "2.0.4-SN", kMB, "127.0.0.2", "near")}, options);
        SetHttpProxyEnabled(true);
        SetHttpProxyServer("127.0.0.1");
        SetHttpProxyPort(emu->proxyPort());
        SetHttpProxyAuth(true);
        SetHttpProxyUserName("pxuser");
        SetHttpProxyPassword("px:pass");
        form->SinchronizeOptions();

        MessageBoxRecorder boxes;
        WhenModal([](QWidget *w) {
            auto *dlg = qobject_cast<TfrmSearchRemote *>(w);
            QVERIFY(dlg);
            QVERIFY(dlg->txtRemoteIP->text().isEmpty());
            dlg->btnOk->click();   // empty: refused, stays open
            // No byte for it: refused by name rather than asked for as "far.?.example".
            dlg->txtRemoteIP->setText(QString::fromUtf8("far.\u914D.example"));
            dlg->btnOk->click();
            QCOMPARE(dlg->focusWidget(), static_cast<QWidget *>(dlg->txtRemoteIP));
            dlg->txtRemoteIP->setText(QStringLiteral("far.example"));
            dlg->btnOk->click();
        });
        form->DevicesSearchRemote->trigger();
        QCOMPARE(boxes.Texts(), (std::vector<std::string>{"You must provide Host or an IP Address.",
                                                          "The Host or IP Address cannot contain \"\u914D\" (U+914D)."}));
        const int row = RowOf(QStringLiteral("00-11-22-33-44-77"));
        QVERIFY(row >= 0);
        QCOMPARE(form->RowCaption(row), std::string("Velto-1C-DF1"));
        QCOMPARE(form->RowSubItem(row, 0), std::string("far-dev"));
        QCOMPARE(form->RowSubItem(row, 4), std::string("10.1.2.3"));
        QCOMPARE(form->RowSubItem(row, 7), std::string("far.example"));
        QCOMPARE(form->RowSubItem(row, 10), std::string("2"));
        const QList<EmulatedRequest> proxied = emu->requests(QStringLiteral("proxy"));
        QCOMPARE(proxied.size(), 2);
        QCOMPARE(proxied[0].body, QByteArray("GETDEVICE();"));
        QCOMPARE(proxied[1].body, QByteArray("GETNET();"));
        QCOMPARE(proxied[0].header("Proxy-Authorization"),
                 QByteArray("Basic ") + QByteArray("pxuser:px:pass").toBase64());
        QVERIFY(proxied[0].authorized);

        // The remote device is reached through the proxy on connect too; a local one never is.
        QVERIFY(ConnectTo(QStringLiteral("00-11-22-33-44-77"), QStringLiteral("admin")));
        QCOMPARE(emu->requests(QStringLiteral("proxy")).size(), 3);
        form->DevicesConnect->trigger();
        form->DevicesSearchLocalExecute();
        QVERIFY(ConnectTo(kMB, QStringLiteral("admin")));
        QCOMPARE(emu->requests(QStringLiteral("proxy")).size(), 3);
        QVERIFY(!emu->requests(QStringLiteral("http")).last().viaProxy);

        // Options turned off: the remote client goes straight to the device's host.
        SetHttpProxyEnabled(false);
        form->SinchronizeOptions();
        QVERIFY(form->IdHTTPRemote.Proxy.Server.empty());
    }

    void remoteSearchFailures()
    {
        StartEmulator({Emulator::device("1310", "1.0", "00-11-22-33-44-55", "127.0.0.2", "kws")});
        MessageBoxRecorder boxes;
        auto search = [&](const QString &host) {
            WhenModal([host](QWidget *w) {
                auto *dlg = qobject_cast<TfrmSearchRemote *>(w);
                dlg->txtRemoteIP->setText(host);
                dlg->btnOk->click();
            });
            form->DevicesSearchRemote->trigger();
        };
        search(QStringLiteral("127.0.0.2"));
        QCOMPARE(form->DeviceCount(), 1);
        QCOMPARE(form->RowCaption(0), std::string("499KWS10000"));
        QCOMPARE(form->RowSubItem(0, 10), std::string("0"));
        QVERIFY(boxes.Shown().empty());

        QVERIFY(emu->setFail(QStringLiteral("00-11-22-33-44-55"), QStringLiteral("wrong"), 1, QStringLiteral("GETNET")));
        search(QStringLiteral("127.0.0.2"));
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Not Valid Response from Device."});
        boxes.Clear();
        QVERIFY(emu->setFail(QStringLiteral("00-11-22-33-44-55"), QStringLiteral("close"), 1));
        search(QStringLiteral("127.0.0.2"));
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"No Response from Device. Check the connection and try again."});
        QCOMPARE(form->DeviceCount(), 1);
    }
};

QTEST_MAIN(TestDevices)
#include "test_devices.moc"
