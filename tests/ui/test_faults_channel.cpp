// Faults on the main window's request channel (connect, properties, remote search) and on the UDP
// locator (search, network-settings acknowledgement): each ends in the program's own message within
// its time-out, the UI keeps running during the wait, and the settings file stays as it was.
// The cases the device and properties tests already cover are not repeated here.
#include "EditIPAddr.h"
#include "Blocking.h"
#include "Emulator.h"
#include "FaultCheck.h"
#include "InfoMsg.h"
#include "Main.h"
#include "Password.h"
#include "Properties.h"
#include "QtStr.h"
#include "SearchRemote.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"
#include "Version.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <memory>
#include <sched.h>
#include <thread>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMB = QStringLiteral("00-11-22-33-44-01");
const QString kNew = QStringLiteral("00-11-22-33-44-09");   // not yet addressed: UDP only
const QString kNoResponse = QStringLiteral("No Response from Device. Check the connection and try again.");
const QString kNotValid = QStringLiteral("Not Valid Response from Device.");
const QString kSetError = QStringLiteral("Error Setting Device Configuration.\r\nCheck the Password.");
const QString kSetDone = QStringLiteral("Device Successfully Configured!.");
const QString kUnable = QStringLiteral("Unable to connect to Device.");
const QString kConnected = QStringLiteral("Succesfully Connected to Velto-10-MB/00-11-22-33-44-01.");

// Short, so that a silent device costs little; the limits below add a margin for a loaded machine.
const int kTimeoutMs = 800;
const int kMarginMs = 2000;
// A row whose answer comes whole (10 MB) is not about the time-out: it gets a long one, since a
// loaded machine may deliver that much more slowly than the short time-out of a silent device.
const int kWholeReplyTimeoutMs = 10000;
const int kMaxGapMs = kTimeoutMs / 2;
// The locator's two windows: the search and the wait for a network-settings acknowledgement.
const int kSearchMs = 500;
const int kAckMs = 1000;

// A coarse timer may fire up to 5 % before its interval.
int Early(int ms) { return ms * 9 / 10; }

using Texts = QStringList;

}  // namespace

class TestFaultsChannel : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    std::unique_ptr<Emulator> emu;
    TMainForm *form = nullptr;
    std::unique_ptr<MessageBoxRecorder> boxes;
    std::unique_ptr<FolderSnapshot> settings;
    FaultWatch watch;
    std::unique_ptr<DeviceVanisher> vanish;
    quint16 udpPort = 0;

    // The fault a row names, as a failure rule of the emulator; "stopped" stops the emulator,
    // "vanish" makes the device answer late and stops the emulator while the request waits.
    void Apply(const QString &mac, const QString &fault, const QString &command, int count = 1)
    {
        if (fault == QStringLiteral("stopped")) {
            emu->stop();
        } else if (fault == QStringLiteral("vanish")) {
            QVERIFY(emu->setFail(mac, QStringLiteral("delay:5000"), count, command));
            // Every action is off while a request runs.
            vanish->At([this]() { return !form->FileNew->isEnabled(); });
        } else {
            QVERIFY2(emu->setFail(mac, fault, count, command), qPrintable(emu->errorString()));
            if (fault == QStringLiteral("big"))
                form->IdHTTPLocal.TimeoutMs = form->IdHTTPRemote.TimeoutMs = kWholeReplyTimeoutMs;
        }
    }

    void AddRow(const QString &mac, const char *version, const char *ip)
    {
        TDeviceData d;
        d.Device = "Velto-10-MB";
        d.Hostname = "velto-mb";
        d.MAC = StdStr(mac);
        d.Version = version;
        d.IP = ip;
        d.Netmask = "255.0.0.0";
        d.Gateway = "0.0.0.0";
        d.HasHostname = true;
        d.IsVelto = true;
        d.Family = 0;
        form->AddDeviceToList(d);
    }

    int RowOf(const QString &mac)
    {
        for (int i = 0; i < form->DeviceCount(); ++i)
            if (QStr(form->RowSubItem(i, 1)) == mac) return i;
        return -1;
    }

    Texts Shown() const
    {
        Texts r;
        for (const std::string &t : boxes->Texts()) r << QString::fromStdString(t);
        return r;
    }

    QString Unchanged() const { return settings->Differences(); }

    // Types the administrator password whenever it is asked for, while the script lives.
    static ModalScript AdminPassword()
    {
        return ModalScript::Of<TfrmPassword>([](TfrmPassword *dlg) {
            dlg->txtPassword->setText(QStringLiteral("admin"));
            dlg->btnOk->click();
        });
    }

    // Devices/Connect on the row of `mac`, timed by the watch.
    void ConnectWatched(const QString &mac)
    {
        form->lstDevices->selectRow(RowOf(mac));
        form->UpdateActions();
        watch.Start();
        form->DevicesConnect->trigger();
        watch.Stop();
    }

private slots:
    void initTestCase()
    {
        SetIniFileNameOverride(StdStr(dir.filePath(QStringLiteral("vxt.ini"))));
        // A settings file the user has: proxies configured but off, so every path reads it.
        SetHttpProxyEnabled(false);
        SetHttpProxyServer("proxy.plant.test");
        SetHttpProxyPort(3128);
        SetHttpProxyAuth(true);
        SetHttpProxyUserName("px");
        SetHttpProxyPassword("px-pass");
        SetFtpProxyEnabled(false);
        SetFtpProxyMethod(2);
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("vxt.ini"))));

        QJsonObject mb = Emulator::device("1118", "2.0.4-SN-R", kMB, "127.0.0.2", "velto-mb");
        mb.insert(QStringLiteral("netmask"), QStringLiteral("255.0.0.0"));
        QJsonObject fresh = Emulator::device("1118", "2.0.4-SN", kNew, "0.0.0.0", "velto-new");
        fresh.insert(QStringLiteral("dhcp"), true);
        EmulatorOptions options;
        options.devices = {mb, fresh};
        emu = std::make_unique<Emulator>(options);
    }

    void init()
    {
        if (!emu->isRunning()) QVERIFY2(emu->start(), qPrintable(emu->errorString()));
        QVERIFY(emu->reset());
        udpPort = emu->udpPort();
        boxes = std::make_unique<MessageBoxRecorder>();
        form = new TMainForm;
        frmPassword = new TfrmPassword(form);
        frmVersion = new TfrmVersion(form);
        frmSearchRemote = new TfrmSearchRemote(form);
        frmProperties = new TfrmProperties(form);
        form->SetHttpPort(emu->httpPort());
        form->UdpDevicePort = udpPort;
        form->UdpLocalPort = 0;
        form->BroadcastAddress = QStringLiteral("127.0.0.1");
        form->IdHTTPLocal.TimeoutMs = kTimeoutMs;
        form->IdHTTPRemote.TimeoutMs = kTimeoutMs;
        form->resize(900, 500);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        AddRow(kMB, "2.0.4-SN-R", "127.0.0.2");
        settings = std::make_unique<FolderSnapshot>(dir.path());
        vanish = std::make_unique<DeviceVanisher>(*emu, watch);
    }

    void cleanup()
    {
        vanish.reset();
        delete form;
        form = nullptr;
        frmPassword = nullptr;
        frmVersion = nullptr;
        frmSearchRemote = nullptr;
        frmProperties = nullptr;
        boxes.reset();
    }

    void cleanupTestCase()
    {
        emu.reset();
        SetIniFileNameOverride("");
    }

    // Connect: silent, HTTP 500, close, cut and wrong are covered by the device tests.
    void connectToDevice_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("minMs");
        QTest::newRow("10 MB reply") << "big" << true << 0;
        QTest::newRow("stopped device") << "stopped" << false << 0;
        QTest::newRow("device vanishes while answering") << "vanish" << false << 300;
    }

    void connectToDevice()
    {
        QFETCH(QString, fault);
        QFETCH(bool, connected);
        QFETCH(int, minMs);
        Apply(kMB, fault, QStringLiteral("GETADMIN"));
        ModalScript password = AdminPassword();
        ConnectWatched(kMB);
        QCOMPARE(password.Runs(), 1);
        QCOMPARE(form->Connected, connected);
        QCOMPARE(form->DevicesConnect->isChecked(), connected);
        const Texts expected = connected ? Texts{kConnected} : Texts{kNoResponse, kUnable};
        QCOMPARE(Shown(), expected);
        QVERIFY(!form->InfoMessage->isVisible());
        QVERIFY(form->FileNew->isEnabled());   // the actions are back
        if (fault == QStringLiteral("vanish")) QVERIFY(vanish->Vanished());
        VXT_VERIFY_NONE(watch.Problems(minMs, kTimeoutMs + kMarginMs, kMaxGapMs));
        VXT_VERIFY_NONE(Unchanged());
    }

    // The watch judges the program, not the machine: a UI thread held for the device's time-out in
    // a request's completion fails it on an idle and on a loaded machine, and a sound request
    // passes even where the UI thread shares its processor with many busy programs.
    void watchJudgesTheProgramNotTheMachine_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("stall");
        QTest::addColumn<int>("load");   // busy loops per processor; on the UI's own: -count
        const int cores = QThread::idealThreadCount();
        QTest::newRow("stall, idle machine") << "" << true << 0;
        QTest::newRow("stall, busy machine") << "" << true << 2 * cores;
        QTest::newRow("stall, the UI's processor shared") << "" << true << -200;
        QTest::newRow("10 MB reply, busy machine") << "big" << false << 2 * cores;
        QTest::newRow("10 MB reply, the UI's processor shared") << "big" << false << -200;
    }

    void watchJudgesTheProgramNotTheMachine()
    {
        QFETCH(QString, fault);
        QFETCH(bool, stall);
        QFETCH(int, load);
        if (!fault.isEmpty()) Apply(kMB, fault, QStringLiteral("GETADMIN"));
        struct Planted {
            BlockingHooks kept = GetBlockingHooks();
            explicit Planted(bool stall)
            {
                GetBlockingHooks().Leave = [stall, leave = kept.Leave]() {
                    if (leave) leave();
                    if (stall) std::this_thread::sleep_for(std::chrono::milliseconds(kTimeoutMs));
                };
            }
            ~Planted() { GetBlockingHooks() = kept; }
        } planted(stall);
        ModalScript password = AdminPassword();
        {
            // The loops start first: forking them from the shared processor would take long.
            const int cpu = load < 0 ? ::sched_getcpu() : -1;
            const BusyLoops busy(qAbs(load), cpu);
            const PinnedThread pinned(cpu);
            QVERIFY(cpu < 0 || pinned.Pinned());
            ConnectWatched(kMB);
        }
        QVERIFY(form->Connected);
        const QString problems = watch.Problems(0, kTimeoutMs + kMarginMs, kMaxGapMs);
        if (stall) QVERIFY2(problems.contains(QStringLiteral("the UI thread stood still")), qPrintable(problems));
        else VXT_VERIFY_NONE(problems);
    }

    // A device that drips its reply, a byte every 300 ms, never lets the read time-out run out;
    // the exchange's overall limit ends it as a silent device's would end.
    void drippingDeviceEndsAtTheOverallLimit()
    {
        const int limitMs = kTimeoutMs * THttpClient::kOverallLimitFactor;
        QVERIFY(emu->setFail(kMB, QStringLiteral("drip:300"), 1, QStringLiteral("GETADMIN")));
        ModalScript password = AdminPassword();
        ConnectWatched(kMB);
        QCOMPARE(Shown(), (Texts{kNoResponse, kUnable}));
        QVERIFY(!form->Connected);
        QVERIFY(form->FileNew->isEnabled());
        // The whole reply would have taken 18 bytes x 300 ms.
        QVERIFY(limitMs + kMarginMs < 18 * 300);
        VXT_VERIFY_NONE(watch.Problems(limitMs, limitMs + kMarginMs, kMaxGapMs));
    }

    // The device's cookie comes back on the next request of the client that got it, and only there.
    void cookiesComeBackOnTheirClient()
    {
        QVERIFY(emu->setDeviceState(kMB, QJsonObject{{QStringLiteral("cookie"), QStringLiteral("session=7")}}));
        QVERIFY(emu->clearRequests());
        TPacket request, reply;
        request.SetCommand("GETADMIN");
        QVERIFY(form->SendHTTPAdminNoInfo("127.0.0.2", "", request, reply));        // direct: gets the cookie
        QVERIFY(form->SendHTTPAdminNoInfo("127.0.0.2", "", request, reply));        // direct: sends it back
        QVERIFY(form->SendHTTPAdminNoInfo("", "127.0.0.2", request, reply));        // remote client: has none
        QVERIFY(form->SendHTTPAdminNoInfo("127.0.0.2", "", request, reply));        // direct: still sends it
        const QList<EmulatedRequest> got = emu->requests(QStringLiteral("http"));
        QCOMPARE(got.size(), 4);
        QCOMPARE(got[0].header("Cookie"), QByteArray());
        QCOMPARE(got[1].header("Cookie"), QByteArray("session=7"));
        QCOMPARE(got[2].header("Cookie"), QByteArray());
        QCOMPARE(got[3].header("Cookie"), QByteArray("session=7"));
        QVERIFY(Shown().isEmpty());
    }

    // Opening the properties reads GETNET and GETLOG; close, wrong GETNET and a stopped device are
    // covered by the properties tests.
    void propertiesOpen_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        const int one = kTimeoutMs + kMarginMs;
        QTest::newRow("silent device") << "silent" << "" << 0 << false << Texts{kNoResponse, kNotValid, kNoResponse}
                                       << 2 * kTimeoutMs << 2 * kTimeoutMs + kMarginMs;
        QTest::newRow("cut replies") << "cut" << "" << 0 << false << Texts{kNoResponse, kNotValid, kNoResponse} << 0
                                     << one;
        QTest::newRow("HTTP 500") << "http500" << "" << 0 << false << Texts{kNoResponse, kNotValid, kNoResponse} << 0
                                  << one;
        QTest::newRow("10 MB network reply") << "big" << "GETNET" << 1 << true << Texts{} << 0 << one;
        QTest::newRow("device vanishes before the log") << "vanish" << "GETLOG" << 1 << true << Texts{kNoResponse}
                                                        << 300 << one;
    }

    void propertiesOpen()
    {
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(int, count);
        QFETCH(bool, opens);
        QFETCH(Texts, texts);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        Apply(kMB, fault, command, count);
        QString hostname;
        bool shown = false;
        ModalScript close = ModalScript::Of<TfrmProperties>([&](TfrmProperties *dlg) {
            shown = true;
            hostname = dlg->txtHostname->text();
            dlg->reject();
        });
        form->lstDevices->selectRow(RowOf(kMB));
        watch.Start();
        form->DevicesPropertiesExecute();
        watch.Stop();
        QCOMPARE(shown, opens);
        if (fault == QStringLiteral("big")) QCOMPARE(hostname, QStringLiteral("velto-mb"));
        QCOMPARE(Shown(), texts);
        QVERIFY(!form->InfoMessage->isVisible());
        if (fault == QStringLiteral("vanish")) QVERIFY(vanish->Vanished());
        // The dialog's own wait is excluded: only the two requests count.
        VXT_VERIFY_NONE(watch.Problems(minMs, maxMs, kMaxGapMs));
        VXT_VERIFY_NONE(Unchanged());
    }

    // OK on the network page sends SETNET, then RESET; a silent SETNET is covered by the properties tests.
    void propertiesNetwork_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<int>("minMs");
        QTest::newRow("silent at reset") << "silent" << "RESET" << Texts{kNoResponse, kSetError} << kTimeoutMs;
        QTest::newRow("settings reply cut") << "cut" << "SETNET" << Texts{kNoResponse, kSetError} << 0;
        QTest::newRow("HTTP 500 at reset") << "http500" << "RESET" << Texts{kNoResponse, kSetError} << 0;
        QTest::newRow("wrong command at reset") << "wrong" << "RESET" << Texts{kSetError} << 0;
        QTest::newRow("10 MB settings reply") << "big" << "SETNET" << Texts{kSetDone} << 0;
        QTest::newRow("device vanishes at reset") << "vanish" << "RESET" << Texts{kNoResponse, kSetError} << 300;
    }

    void propertiesNetwork()
    {
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(Texts, texts);
        QFETCH(int, minMs);
        ModalScript password = AdminPassword();
        bool pressed = false;
        bool closed = false;
        ModalScript press = ModalScript::Of<TfrmProperties>([&](TfrmProperties *dlg) {
            if (pressed) {
                dlg->reject();
                return;
            }
            pressed = true;
            Apply(kMB, fault, command);
            dlg->pgeProperties->setCurrentWidget(dlg->tabNetwork);
            dlg->txtIPAddress->SetText("10.1.2.3");   // the loopback address the emulator has is refused
            watch.Start();
            dlg->btnOk->click();
            watch.Stop();
            closed = !dlg->isVisible();
            if (!closed) dlg->reject();
        });
        form->lstDevices->selectRow(RowOf(kMB));
        form->DevicesPropertiesExecute();
        QVERIFY(pressed);
        QCOMPARE(password.Runs(), 1);
        QVERIFY(closed);   // OK closes the dialog whatever the device said
        QCOMPARE(Shown(), texts);
        QVERIFY(!form->InfoMessage->isVisible());
        if (fault == QStringLiteral("vanish")) QVERIFY(vanish->Vanished());
        VXT_VERIFY_NONE(watch.Problems(minMs, 2 * kTimeoutMs + kMarginMs, kMaxGapMs));
        VXT_VERIFY_NONE(Unchanged());
    }

    // The users page reads GETADMIN, GETUSER, GETTIME and GETLOG once; the other pages' buttons send
    // one request each. The properties tests cover HTTP 500 on GETUSER, silence on SETUSER and wrong
    // answers to SETTIME and SETLOG.
    void propertiesPages_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<int>("minMs");
        QTest::newRow("user data silent") << "users" << "silent" << "GETTIME" << Texts{kNoResponse} << kTimeoutMs;
        QTest::newRow("user data cut") << "users" << "cut" << "GETADMIN" << Texts{kNoResponse} << 0;
        QTest::newRow("10 MB user data") << "users" << "big" << "GETUSER" << Texts{} << 0;
        QTest::newRow("device vanishes during the user data") << "users" << "vanish" << "GETLOG" << Texts{kNoResponse}
                                                              << 300;
        QTest::newRow("date and time cut") << "time" << "cut" << "SETTIME" << Texts{kNoResponse, kNotValid} << 0;
        QTest::newRow("log HTTP 500") << "log" << "http500" << "SETLOG"
                                      << Texts{kNoResponse, QStringLiteral("No Logging capabilities in Device.")} << 0;
        QTest::newRow("10 MB administrator reply")
            << "admin" << "big" << "SETADMIN" << Texts{QStringLiteral("Administrator Data successfully configured.")}
            << 0;
        QTest::newRow("device vanishes during the user") << "user" << "vanish" << "SETUSER"
                                                         << Texts{kNoResponse, kNotValid} << 300;
    }

    void propertiesPages()
    {
        QFETCH(QString, action);
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(Texts, texts);
        QFETCH(int, minMs);
        ModalScript password = AdminPassword();
        QString username;
        bool done = false;
        ModalScript drive = ModalScript::Of<TfrmProperties>([&](TfrmProperties *dlg) {
            if (done) {
                dlg->reject();
                return;
            }
            done = true;
            QWidget *page = action == QStringLiteral("time") ? dlg->tabTime
                            : action == QStringLiteral("log") ? dlg->TabLog
                                                              : dlg->tabUsers;
            if (action == QStringLiteral("users")) {
                Apply(kMB, fault, command);
                watch.Start();
                dlg->pgeProperties->setCurrentWidget(page);
                watch.Stop();
                username = dlg->txtUsername->text();
            } else {
                dlg->pgeProperties->setCurrentWidget(page);   // the user data come in first
                boxes->Clear();
                Apply(kMB, fault, command);
                dlg->txtLogInterval->setText(QStringLiteral("60"));
                dlg->txtLogCount->setText(QStringLiteral("0"));
                dlg->txtUsername->setText(QStringLiteral("user"));
                QPushButton *button = action == QStringLiteral("time")    ? dlg->btnSetDateTime
                                      : action == QStringLiteral("log")   ? dlg->ButtonLog
                                      : action == QStringLiteral("admin") ? dlg->btnSetAdmin
                                                                          : dlg->btnSetUser;
                watch.Start();
                button->click();
                watch.Stop();
            }
            dlg->reject();
        });
        form->lstDevices->selectRow(RowOf(kMB));
        form->DevicesPropertiesExecute();
        QVERIFY(done);
        QCOMPARE(Shown(), texts);
        if (fault == QStringLiteral("big") && action == QStringLiteral("users")) QCOMPARE(username, QStringLiteral("user"));
        QVERIFY(!form->InfoMessage->isVisible());
        if (fault == QStringLiteral("vanish")) QVERIFY(vanish->Vanished());
        VXT_VERIFY_NONE(watch.Problems(minMs, kTimeoutMs + kMarginMs, kMaxGapMs));
        VXT_VERIFY_NONE(Unchanged());
    }

    // Remote search asks GETDEVICE, then GETNET; wrong GETNET and close are covered by the device tests.
    void remoteSearch_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("minMs");
        QTest::newRow("silent device") << "silent" << "GETDEVICE" << false << kTimeoutMs;
        QTest::newRow("network reply cut") << "cut" << "GETNET" << false << 0;
        QTest::newRow("HTTP 500") << "http500" << "GETDEVICE" << false << 0;
        QTest::newRow("wrong command first") << "wrong" << "GETDEVICE" << false << 0;
        QTest::newRow("10 MB device reply") << "big" << "GETDEVICE" << true << 0;
        QTest::newRow("stopped device") << "stopped" << "" << false << 0;
        QTest::newRow("device vanishes before the network") << "vanish" << "GETNET" << false << 300;
    }

    void remoteSearch()
    {
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(bool, found);
        QFETCH(int, minMs);
        form->lstDevices->setRowCount(0);
        Apply(kMB, fault, command);
        ModalScript search = ModalScript::Of<TfrmSearchRemote>([](TfrmSearchRemote *dlg) {
            dlg->txtRemoteIP->setText(QStringLiteral("127.0.0.2"));
            dlg->btnOk->click();
        });
        watch.Start();
        form->DevicesSearchRemote->trigger();
        watch.Stop();
        QCOMPARE(search.Runs(), 1);
        QVERIFY(!frmSearchRemote->isVisible());
        const Texts expected = found ? Texts{}
                               : fault == QStringLiteral("wrong") ? Texts{kNotValid}
                                                                  : Texts{kNoResponse};
        QCOMPARE(Shown(), expected);
        QCOMPARE(form->DeviceCount(), found ? 1 : 0);
        if (found) {
            QCOMPARE(form->RowCaption(0), std::string("Velto-10-MB"));
            QCOMPARE(QStr(form->RowSubItem(0, 1)), kMB);
            QCOMPARE(form->RowSubItem(0, 7), std::string("127.0.0.2"));
        }
        QVERIFY(!form->InfoMessage->isVisible());
        QVERIFY(frmSearchRemote->btnOk->isEnabled());
        if (fault == QStringLiteral("vanish")) QVERIFY(vanish->Vanished());
        VXT_VERIFY_NONE(watch.Problems(minMs, 2 * kTimeoutMs + kMarginMs, kMaxGapMs));
        VXT_VERIFY_NONE(Unchanged());
    }

    // The search window is 500 ms; what does not answer within it is not listed, and nothing is said.
    void localSearch_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("listed");
        QTest::newRow("answer in time") << "delay:150" << true;
        QTest::newRow("silent device") << "silent" << false;
        QTest::newRow("late answer") << "delay:800" << false;
        QTest::newRow("stopped device") << "stopped" << false;
    }

    void localSearch()
    {
        QFETCH(QString, fault);
        QFETCH(bool, listed);
        form->lstDevices->setRowCount(0);
        if (fault == QStringLiteral("stopped")) emu->stop();
        else QVERIFY(emu->setFail(kMB, fault, 0, QString(), QStringLiteral("udp")));
        watch.Start();
        form->DevicesSearchLocal->trigger();
        watch.Stop();
        QCOMPARE(Shown(), Texts{});
        QCOMPARE(RowOf(kMB) >= 0, listed);
        QCOMPARE(form->LocatorState, uint8_t(0));
        QVERIFY(!form->InfoMessage->isVisible());
        VXT_VERIFY_NONE(watch.Problems(Early(kSearchMs), kSearchMs + kMarginMs, kSearchMs / 2));
        // A reply after the window is dropped.
        QTest::qWait(600);
        QCOMPARE(RowOf(kMB) >= 0, listed);
        QCOMPARE(Shown(), Texts{});
        VXT_VERIFY_NONE(Unchanged());
    }

    // The acknowledgement window is 1000 ms; silence is covered by the properties tests.
    void settingsAcknowledgement_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<Texts>("texts");
        QTest::newRow("answer in time") << "delay:300" << Texts{kSetDone};
        QTest::newRow("late answer") << "delay:1400" << Texts{kSetError};
        QTest::newRow("stopped device") << "stopped" << Texts{kSetError};
    }

    void settingsAcknowledgement()
    {
        QFETCH(QString, fault);
        QFETCH(Texts, texts);
        if (fault == QStringLiteral("stopped")) emu->stop();
        else QVERIFY(emu->setFail(kNew, fault, 0, QString(), QStringLiteral("udp")));
        form->SendUDPPacket("CONFIG(admin," + StdStr(kNew) + ",0.0.0.0,0.0.0.0,0.0.0.0,velto-new)");
        watch.Start();
        form->SetDeviceLocatorAction(2, StdStr(kNew));
        watch.Stop();
        QCOMPARE(Shown(), texts);
        QVERIFY(!form->InfoMessage->isVisible());
        QVERIFY(form->AwaitedMAC.empty());
        VXT_VERIFY_NONE(watch.Problems(Early(kAckMs), kAckMs + kMarginMs, kSearchMs / 2));
        // An acknowledgement after the verdict changes nothing.
        QTest::qWait(700);
        QCOMPARE(Shown(), texts);
        VXT_VERIFY_NONE(Unchanged());
    }
};

QTEST_MAIN(TestFaultsChannel)
#include "test_faults_channel.moc"
