// One command at a time: while a request waits for its device, the user's keys, clicks and closes
// reach only the controls that stay live (Stop, Pause, Write, Alarm Ack); every wait ends when the
// program is closed; a local search leaves no row selected that the user did not pick.
#include "Application.h"
#include "Blocking.h"
#include "ChildWin.h"
#include "Emulator.h"
#include "FileDialog.h"
#include "GetTagConfig.h"
#include "Main.h"
#include "Monitor.h"
#include "MonitorDrive.h"
#include "MsgBox.h"
#include "Password.h"
#include "Program.h"
#include "Properties.h"
#include "QtStr.h"
#include "SearchRemote.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"
#include "Version.h"
#include "WriteValue.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>
#include <sys/resource.h>

#include <deque>
#include <iostream>
#include <memory>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMB = QStringLiteral("00-11-22-33-44-01");   // Velto-10-MB with log and tags, 127.0.0.2
const QString kHL = QStringLiteral("00-11-22-33-44-02");   // Velto-10-HL, 127.0.0.3

QJsonArray Devices()
{
    QJsonObject mb = Emulator::device("1118", "2.0.4-SN-R", kMB, "127.0.0.2", "velto-mb");
    mb.insert(QStringLiteral("user_name"), QStringLiteral("operator"));
    QJsonArray tags;
    for (int i = 0; i < 6; ++i)
        tags.append(QJsonObject{{"NAME", QStringLiteral("Tag %1").arg(i)}, {"SOURCE", 0}, {"TYPE", 1},
                                {"MBFUNC", 4}, {"ALARM", true}, {"ALLO", 100}, {"ALHI", 900}});
    mb.insert(QStringLiteral("config"), QJsonObject{{"tags", tags}});
    return {mb, Emulator::device("1109", "2.0.4-SN", kHL, "127.0.0.3", "velto-hl")};
}

// The user closes a window from its title bar: the request reaches the widget as the window
// system's (spontaneous) close.
void CloseFromTitleBar(QWidget *w)
{
    QCloseEvent e;
    QCoreApplication::sendEvent(w->windowHandle(), &e);
}

// Runs `f` once a request has been waiting for `afterMs`; `ran` tells whether it did.
class DuringWait {
public:
    DuringWait(std::function<void()> f, int afterMs = 300) : f_(std::move(f)), afterMs_(afterMs)
    {
        QObject::connect(&poll_, &QTimer::timeout, [this]() {
            if (WaitsUnderWay() == 0) {
                since_.invalidate();
                return;
            }
            if (!since_.isValid()) since_.start();
            if (since_.elapsed() < afterMs_) return;
            poll_.stop();
            ran_ = true;
            f_();
        });
        poll_.start(10);
    }
    bool ran() const { return ran_; }

private:
    std::function<void()> f_;
    int afterMs_;
    QTimer poll_;
    QElapsedTimer since_;
    bool ran_ = false;
};

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Tells when the wait under way has heard that its request ended: the worker then wakes the wait's
// own loop, which the loop running meanwhile (the close question's) delivers.
class RequestEndWatch : public QObject {
public:
    RequestEndWatch() { qApp->installEventFilter(this); }
    void Arm() { armed_ = true; }
    bool Ended() const { return ended_; }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (armed_ && e->type() == QEvent::MetaCall && qobject_cast<QEventLoop *>(o)) ended_ = true;
        return false;
    }

private:
    bool armed_ = false, ended_ = false;
};

// Reports every window that shows, by class.
class ShownWindows : public QObject {
public:
    explicit ShownWindows(std::function<void(QWidget *)> shown) : shown_(std::move(shown))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget *>(o)->isWindow())
            shown_(static_cast<QWidget *>(o));
        return false;
    }

private:
    std::function<void(QWidget *)> shown_;
};

// The program as a user runs it, in a process of its own, started as the program starts. The
// script (VXT_CLOSING_PROGRAM_SCRIPT) is "command;documents;answers;file": with that many new
// unsaved documents open (a Yes saves one as `file`), the command ("connect", "properties" on the
// device at 127.0.0.2, whose answer the parent holds back, or "none") runs and the main window is
// closed while its request waits; each "save?" question is answered in turn once that request has
// ended (after a Cancel the command goes on, and the window is closed again once Properties shows).
// It reports on standard output what the parent measures.
int RunClosingProgram(int argc, char **argv, int httpPort)
{
    auto say = [](const QString &line) { std::cout << line.toStdString() << std::endl; };
    const QStringList script = qEnvironmentVariable("VXT_CLOSING_PROGRAM_SCRIPT").split(QLatin1Char(';'));
    const QString command = script.value(0);
    const int documents = script.value(1).toInt();
    QStringList answers = script.value(2).split(QLatin1Char(','), Qt::SkipEmptyParts);
    {
        TApplication app(argc, argv);
        TMainForm *form = StartWindows(0);
        RequestEndWatch requestEnd;
        auto closeForm = [&say, form]() {
            say(QStringLiteral("CLOSING %1").arg(CpuSeconds(), 0, 'f', 3));
            CloseFromTitleBar(form);
        };
        ShownWindows shown([&](QWidget *w) {
            say(QStringLiteral("SHOWN ") + QString::fromLatin1(w->metaObject()->className()));
            if (auto *p = qobject_cast<TfrmProperties *>(w); p && form->isVisible()) {
                QTimer::singleShot(0, p, &QDialog::reject);
                QTimer::singleShot(0, form, closeForm);
            }
        });
        SetMessageBoxHandler([&](const std::string &text, MsgKind, int) {
            const QString shownText = QStr(text).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            if (!shownText.endsWith(QStringLiteral("Save this file?"))) {
                say(QStringLiteral("BOX ") + shownText);
                return MsgResult::OK;
            }
            say(QStringLiteral("ASK ") + shownText);
            if (WaitsUnderWay() > 0) {
                QEventLoop loop;
                QTimer poll;
                QElapsedTimer since;
                since.start();
                QObject::connect(&poll, &QTimer::timeout, [&]() {
                    if (requestEnd.Ended() || since.elapsed() > 15000) loop.quit();
                });
                poll.start(5);
                loop.exec();
                say(requestEnd.Ended() ? QStringLiteral("REQUEST ENDED") : QStringLiteral("REQUEST STILL WAITS"));
            }
            const QString answer = answers.isEmpty() ? QStringLiteral("Cancel") : answers.takeFirst();
            say(QStringLiteral("ANSWER ") + answer);
            return answer == QStringLiteral("Yes") ? MsgResult::Yes
                   : answer == QStringLiteral("No") ? MsgResult::No
                                                     : MsgResult::Cancel;
        });
        if (!script.value(3).isEmpty()) SetNextFileName(StdStr(script.value(3)));   // Save As, after a Yes
        form->SetHttpPort(httpPort);
        ShowMainWindow(form);
        for (int i = 0; i < documents; ++i) {
            TMDIChild *doc = form->CreateDocument(DocKind::Modbus);
            doc->New("noname" + std::to_string(i + 1) + ".vlt");
            doc->Saved = false;
        }
        TDeviceData dev = EmulatedMB(kMB);
        dev.Netmask = "255.255.255.0";
        dev.Gateway = "0.0.0.0";
        dev.HasHostname = true;
        dev.IsVelto = true;
        form->AddDeviceToList(dev);
        form->lstDevices->selectRow(0);
        form->UpdateActions();
        WhenModalOf<TfrmPassword>([](TfrmPassword *p) {
            p->txtPassword->setText(QStringLiteral("admin"));
            p->btnOk->click();
        });
        DuringWait close([&]() {
            requestEnd.Arm();
            closeForm();
        });
        if (command == QStringLiteral("connect"))
            QTimer::singleShot(0, form, [form]() { form->DevicesConnect->trigger(); });
        else if (command == QStringLiteral("properties"))
            QTimer::singleShot(0, form, [form]() { form->DevicesProperties->trigger(); });
        else
            QTimer::singleShot(0, form, closeForm);
        const int rc = app.exec();
        say(QStringLiteral("LOOP ENDED %1").arg(rc));
        delete form;
    }
    // The workers are shut down with the application: for good.
    say(QStringLiteral("WORKER AFTER END %1").arg(RunOnWorker([]() {}, []() {}) ? 1 : 0));
    say(QStringLiteral("EXIT %1").arg(CpuSeconds(), 0, 'f', 3));
    return 0;
}

}  // namespace

class TestRequestWaits : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Emulator> emu;
    QTemporaryDir dir;
    TMainForm *form = nullptr;
    std::unique_ptr<MessageBoxRecorder> boxes;
    std::deque<QString> passwords;   // typed into the password prompts in order; none left: empty
    int prompts = 0;

    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == frmPassword && e->type() == QEvent::Show) {
            ++prompts;
            QString answer;
            if (!passwords.empty()) {
                answer = passwords.front();
                passwords.pop_front();
            }
            QTimer::singleShot(0, frmPassword, [answer]() {
                frmPassword->txtPassword->setText(answer);
                frmPassword->btnOk->click();
            });
        }
        return false;
    }

    int RowOf(const QString &mac)
    {
        for (int i = 0; i < form->DeviceCount(); ++i)
            if (QStr(form->RowSubItem(i, 1)) == mac) return i;
        return -1;
    }

    // "command(fields);" of every request the device got since the last clear.
    QStringList Bodies()
    {
        QStringList r;
        for (const EmulatedRequest &q : emu->requests(QStringLiteral("http"))) r << QString::fromLatin1(q.body);
        return r;
    }

    QStringList Shown() const
    {
        QStringList r;
        for (const std::string &t : boxes->Texts()) r << QStr(t);
        return r;
    }

    // The properties of the device, opened as the Devices/Properties command opens them, then shown
    // without modality so the test can drive the dialog.
    bool OpenProperties(const QString &mac)
    {
        form->lstDevices->selectRow(RowOf(mac));
        bool shown = false;
        WhenModalOf<TfrmProperties>([&shown](TfrmProperties *p) {
            shown = true;
            p->reject();
        });
        form->DevicesPropertiesExecute();
        if (!shown) return false;
        frmProperties->show();
        frmProperties->activateWindow();
        return QTest::qWaitForWindowExposed(frmProperties);
    }

    TDeviceData Device() const { return EmulatedMB(kMB); }

    // The monitor on the device with its tag list in, running tag 1 with the ticks left to the test.
    void OpenMonitorAndPlay(TfrmMonitor *mon)
    {
        mon->Device = Device();
        CloseDownloadWhenDone();
        mon->show();
        QTRY_COMPARE(mon->lstTags->rowCount(), 6);
        QTRY_VERIFY(!frmGetTagConfig->isVisible());
        mon->TimerScan->setInterval(3600 * 1000);
        mon->lstTags->selectRow(1);
        mon->btnPlay->click();
        QCOMPARE(mon->MonitorState, int(MonitorRunning));
    }

private slots:
    void initTestCase()
    {
        SetIniFileNameOverride(dir.filePath(QStringLiteral("vxt.ini")).toStdString());
        EmulatorOptions options;
        options.devices = Devices();
        emu = std::make_unique<Emulator>(options);
        QVERIFY2(emu->start(), qPrintable(emu->errorString()));
    }

    void init()
    {
        QVERIFY(emu->reset());
        boxes = std::make_unique<MessageBoxRecorder>();
        form = new TMainForm;
        form->SetHttpPort(emu->httpPort());
        form->UdpDevicePort = emu->udpPort();
        form->UdpLocalPort = 0;
        form->BroadcastAddress = QStringLiteral("127.0.0.1");
        form->IdHTTPLocal.TimeoutMs = 5000;
        form->IdHTTPRemote.TimeoutMs = 5000;
        frmProperties = new TfrmProperties(form);
        frmPassword = new TfrmPassword(form);
        frmVersion = new TfrmVersion(form);
        frmSearchRemote = new TfrmSearchRemote(form);
        frmPassword->installEventFilter(this);
        passwords.clear();
        prompts = 0;
        form->resize(900, 600);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->DevicesSearchLocalExecute();
        QCOMPARE(form->DeviceCount(), 2);
        QVERIFY(emu->clearRequests());
    }

    void cleanup()
    {
        delete form;
        form = nullptr;
        frmProperties = nullptr;
        frmPassword = nullptr;
        frmVersion = nullptr;
        frmSearchRemote = nullptr;
        boxes.reset();
    }

    // The administrator password has not come yet: Set User pressed meanwhile must not be checked
    // against an empty one and go to the device.
    void setUserWhileUserDataIsReadIsNotTaken()
    {
        QVERIFY(OpenProperties(kMB));
        QVERIFY(emu->clearRequests());
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1500"), 1, QStringLiteral("GETADMIN")));
        DuringWait press([this]() {
            QTest::keyClicks(frmProperties->txtUsername, QStringLiteral("x"));
            QTest::mouseClick(frmProperties->btnSetUser, Qt::LeftButton);
        });
        frmProperties->pgeProperties->setCurrentWidget(frmProperties->tabUsers);
        QVERIFY(press.ran());
        QCOMPARE(Bodies(), QStringList({"GETADMIN();", "GETUSER();", "GETTIME();", "GETLOG();"}));
        QCOMPARE(prompts, 0);
        QCOMPARE(Shown(), QStringList());
        QCOMPARE(frmProperties->txtUsername->text(), QStringLiteral("operator"));
        // Once the data is in, the same press does its work.
        passwords = {QStringLiteral("admin")};
        QTest::mouseClick(frmProperties->btnSetUser, Qt::LeftButton);
        QCOMPARE(prompts, 1);
        QCOMPARE(Bodies().last(), QStringLiteral("SETUSER(USERNAME=operator,PWD=,);"));
        QCOMPARE(Shown(), QStringList({"User Data successfully configured."}));
        frmProperties->hide();
    }

    // OK pressed again while the network settings travel: one password prompt, SETNET and RESET
    // once each, one verdict.
    void okTwiceSendsTheNetworkSettingsOnce()
    {
        QVERIFY(OpenProperties(kMB));
        QVERIFY(emu->clearRequests());
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1500"), 1, QStringLiteral("SETNET")));
        frmProperties->chkEnableDHCP->setChecked(true);   // the device's loopback address is no host
        passwords = {QStringLiteral("admin")};
        DuringWait again([]() { QTest::mouseClick(frmProperties->btnOk, Qt::LeftButton); });
        QTest::mouseClick(frmProperties->btnOk, Qt::LeftButton);
        QVERIFY(again.ran());
        QCOMPARE(prompts, 1);
        const QStringList sent = Bodies();
        QCOMPARE(sent.size(), 2);
        QVERIFY2(sent[0].startsWith(QStringLiteral("SETNET(PWD=admin,")), qPrintable(sent[0]));
        QCOMPARE(sent[1], QStringLiteral("RESET();"));
        QCOMPARE(Shown(), QStringList({"Device Successfully Configured!."}));
        QCOMPARE(emu->deviceState(kMB).value(QStringLiteral("resets")).toInt(), 1);
    }

    // Escape and the close box do not close the remote search while its request waits; the search
    // the user started then ends as usual.
    void remoteSearchStaysOpenWhileItsRequestWaits_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("close box") << false;
    }

    void remoteSearchStaysOpenWhileItsRequestWaits()
    {
        QFETCH(bool, escape);
        QVERIFY(emu->setFail(kHL, QStringLiteral("delay:1500"), 1, QStringLiteral("GETDEVICE")));
        bool openAfter = false;
        bool pressed = false;
        WhenModalOf<TfrmSearchRemote>([&](TfrmSearchRemote *dlg) {
            DuringWait press([&, dlg]() {
                if (escape) QTest::keyClick(dlg, Qt::Key_Escape);
                else CloseFromTitleBar(dlg);
                openAfter = dlg->isVisible();
            });
            QTest::keyClicks(dlg->txtRemoteIP, QStringLiteral("127.0.0.3"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
            pressed = press.ran();
        });
        form->DevicesSearchRemoteExecute();
        QVERIFY(pressed);
        QVERIFY(openAfter);
        QCOMPARE(Bodies(), QStringList({"GETDEVICE();", "GETNET();"}));
        QCOMPARE(Shown(), QStringList());
        const int row = RowOf(kHL);
        QVERIFY(row >= 0);
        QCOMPARE(QStr(form->RowSubItem(row, 7)), QStringLiteral("127.0.0.3"));
    }

    // The tag list's Close waits for the tag count; its Stop works while a tag's request waits.
    void tagListCloseWaitsAndStopWorks()
    {
        auto *dlg = new TfrmGetTagConfig(form);
        dlg->SetHttpPort(emu->httpPort());
        dlg->Channel.SetTimeout(5000);
        dlg->Device = Device();
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1500"), 1, QStringLiteral("GETTAGCOUNT")));
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1500"), 1, QStringLiteral("GETTAG")));
        bool openAfterClose = false;
        DuringWait close([&]() {
            QTest::mouseClick(dlg->btnStop, Qt::LeftButton);   // reads "Close"
            openAfterClose = dlg->isVisible();
        });
        // The first tag's request: Stop.
        std::unique_ptr<DuringWait> stop;
        auto *watch = new QTimer(dlg);
        QObject::connect(watch, &QTimer::timeout, dlg, [&]() {
            if (!dlg->Downloading || stop) return;
            stop = std::make_unique<DuringWait>([&]() { QTest::mouseClick(dlg->btnStop, Qt::LeftButton); });
        });
        watch->start(5);
        auto *end = new QTimer(dlg);
        QString statusAtEnd;
        QObject::connect(end, &QTimer::timeout, dlg, [&]() {
            if (dlg->Downloading || dlg->lblStatus->text().startsWith(QStringLiteral("Initializing"))) return;
            end->stop();
            statusAtEnd = dlg->lblStatus->text();
            if (dlg->isVisible()) QTest::mouseClick(dlg->btnStop, Qt::LeftButton);
        });
        end->start(10);
        const int r = dlg->exec();
        QVERIFY(close.ran());
        QVERIFY(openAfterClose);
        QVERIFY(stop && stop->ran());
        QCOMPARE(statusAtEnd, QStringLiteral("Download Stopped by user."));
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->TagCount, 1);
        QCOMPARE(Bodies(), QStringList({"GETTAGCOUNT();", "GETTAG(TAG=0,);"}));
        QCOMPARE(Shown(), QStringList());
        delete dlg;
    }

    // Pause and Stop end a run while its request waits; Play and Close wait for the request.
    void monitorPauseAndStopWorkPlayAndCloseWait()
    {
        auto *mon = NewMonitor(emu->httpPort(), 5000);
        OpenMonitorAndPlay(mon);

        QVERIFY(emu->clearRequests());
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1500"), 1, QStringLiteral("READ")));
        DuringWait pausePlay([mon]() {
            QTest::mouseClick(mon->btnPause, Qt::LeftButton);
            QTest::mouseClick(mon->btnPlay, Qt::LeftButton);
        });
        mon->TimerScanTimer();
        QVERIFY(pausePlay.ran());
        QCOMPARE(mon->MonitorState, int(MonitorPaused));
        QVERIFY(!mon->TimerScan->isActive());

        mon->btnPlay->click();
        QCOMPARE(mon->MonitorState, int(MonitorRunning));
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1500"), 1, QStringLiteral("MAILBOX")));
        bool openAfterClose = false;
        DuringWait stopClose([mon, &openAfterClose]() {
            QTest::mouseClick(mon->btnStop, Qt::LeftButton);   // Stop
            QTest::mouseClick(mon->btnStop, Qt::LeftButton);   // now Close
            CloseFromTitleBar(mon);
            openAfterClose = mon->isVisible();
        });
        mon->TimerScanTimer();
        QVERIFY(stopClose.ran());
        QVERIFY(openAfterClose);
        QCOMPARE(mon->MonitorState, int(MonitorStopped));
        QVERIFY(!mon->TimerScan->isActive());
        QTest::qWait(200);
        QCOMPARE(Bodies(), QStringList({"READ(TAG1=1,);", "MAILBOX();"}));
        QCOMPARE(Shown(), QStringList());
        DeleteMonitor(mon);
    }

    // Write and Alarm Ack pressed while a read waits leave their orders for the next steps; the
    // write dialog they open takes the user's input as usual.
    void monitorWriteAndAckDuringAReadAreKept()
    {
        auto *mon = NewMonitor(emu->httpPort(), 5000);
        OpenMonitorAndPlay(mon);
        QVERIFY(emu->clearRequests());
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1500"), 1, QStringLiteral("READ")));
        bool written = false;
        DuringWait press([mon, &written]() {
            QTest::mouseClick(mon->btnAck, Qt::LeftButton);
            WhenModalOf<TfrmWriteValue>([&written](TfrmWriteValue *w) {
                w->txtValue->selectAll();
                QTest::keyClicks(w->txtValue, QStringLiteral("321"));
                QTest::mouseClick(w->btnOk, Qt::LeftButton);
                written = true;
            });
            QTest::mouseClick(mon->btnWrite, Qt::LeftButton);
        });
        for (int i = 0; i < 6; ++i) mon->TimerScanTimer();
        QVERIFY(press.ran());
        QVERIFY(written);
        QCOMPARE(Bodies(), QStringList({"READ(TAG1=1,);", "MAILBOX();", "WRITE(TAG=1,VALUE=321,);", "READ(TAG1=1,);",
                                        "MAILBOX();", "ALARMACK(TAG=1,);"}));
        mon->btnStopClick();
        DeleteMonitor(mon);
    }

    // The write dialog opened between two ticks keeps taking the value while the next tick waits.
    void monitorWriteDialogTakesInputWhileATickWaits()
    {
        auto *mon = NewMonitor(emu->httpPort(), 5000);
        OpenMonitorAndPlay(mon);
        QVERIFY(emu->clearRequests());
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1500"), 1, QStringLiteral("READ")));
        bool typed = false, closedByOk = false;
        WhenModalOf<TfrmWriteValue>([&](TfrmWriteValue *w) {
            DuringWait type([&]() {
                w->txtValue->selectAll();
                QTest::keyClicks(w->txtValue, QStringLiteral("77"));
                QTest::mouseClick(w->btnOk, Qt::LeftButton);
                closedByOk = !w->isVisible();
            });
            mon->TimerScanTimer();   // the timer fires while the dialog is open
            typed = type.ran();
            if (w->isVisible()) w->reject();   // the press did not get through
        });
        QTest::mouseClick(mon->btnWrite, Qt::LeftButton);
        QVERIFY(typed);
        QVERIFY(closedByOk);
        QVERIFY(mon->Tag.WritePending);
        QCOMPARE(mon->Tag.IntValue, 77);
        mon->TimerScanTimer();
        mon->TimerScanTimer();
        QCOMPARE(Bodies(), QStringList({"READ(TAG1=1,);", "MAILBOX();", "WRITE(TAG=1,VALUE=77,);"}));
        mon->btnStopClick();
        DeleteMonitor(mon);
    }

    // The device list and the menus take nothing while Connect waits; the frame itself repaints.
    void mainWindowTakesNoCommandWhileConnecting()
    {
        const int mb = RowOf(kMB);
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1500"), 1, QStringLiteral("GETADMIN")));
        passwords = {QStringLiteral("admin")};
        form->lstDevices->selectRow(mb);
        form->UpdateActions();
        int selectedDuring = -2;
        DuringWait click([&]() {
            QTableWidget *list = form->lstDevices;
            const QRect other = list->visualRect(list->model()->index(1 - mb, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, other.center());
            selectedDuring = form->SelectedRow();
            QTest::keyClick(form, Qt::Key_L, Qt::ControlModifier);   // Search Local Devices
        });
        form->DevicesConnect->trigger();
        QVERIFY(click.ran());
        QCOMPARE(selectedDuring, mb);
        QVERIFY(form->Connected);
        QCOMPARE(Bodies(), QStringList({"GETADMIN();"}));
        QCOMPARE(Shown(), QStringList({"Succesfully Connected to Velto-10-MB/00-11-22-33-44-01."}));
        QVERIFY(emu->requests(QStringLiteral("udp")).isEmpty());
        // The same click once the request is over selects the other row.
        QTableWidget *list = form->lstDevices;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualRect(list->model()->index(1 - mb, 0)).center());
        QCOMPARE(form->SelectedRow(), 1 - mb);
    }

    // Once the main window's close is accepted the program ends within moments, with no CPU spent
    // waiting for the device: a request still held is given up, and a command whose answer came
    // while the user was asked about a document goes no further. No window and no box shows after
    // the close; a Cancel leaves the command to go on.
    void closingTheMainWindowDuringARequestEndsTheProgram_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("held");   // the request the device holds back, and how long
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<bool>("propertiesShown");
        const QStringList connect{"GETADMIN();"}, net{"GETNET();"};
        QTest::newRow("Connect held, no document") << "connect;0;;" << "GETADMIN delay:20000" << connect << false;
        QTest::newRow("Connect answered, three documents, No")
            << "connect;3;No,No,No;" << "GETADMIN delay:1500" << connect << false;
        QTest::newRow("Properties answered, No") << "properties;1;No;" << "GETNET delay:1500" << net << false;
        QTest::newRow("Properties answered, Yes") << "properties;1;Yes;" << "GETNET delay:1500" << net << false;
        QTest::newRow("Properties answered, Cancel, then closed")
            << "properties;1;Cancel,No;" << "GETNET delay:1500" << QStringList{"GETNET();", "GETLOG();"} << true;
        QTest::newRow("no request") << "none;1;No;" << "" << QStringList() << false;
    }

    void closingTheMainWindowDuringARequestEndsTheProgram()
    {
        QFETCH(QString, script);
        QFETCH(QString, held);
        QFETCH(QStringList, requests);
        QFETCH(bool, propertiesShown);
        const QStringList hold = held.split(QLatin1Char(' '));
        if (hold.size() == 2) QVERIFY(emu->setFail(kMB, hold[1], 1, hold[0]));
        const QString saved = dir.filePath(QStringLiteral("closing.vlt"));
        QFile::remove(saved);
        const bool saves = script.contains(QStringLiteral("Yes"));
        if (saves) script += saved;
        const int answers = script.split(QLatin1Char(';'))[2].split(QLatin1Char(','), Qt::SkipEmptyParts).size();
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VXT_CLOSING_PROGRAM_HTTP_PORT"), QString::number(emu->httpPort()));
        env.insert(QStringLiteral("VXT_CLOSING_PROGRAM_SCRIPT"), script);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(program.waitForStarted(10000));
        // Timed from the close the user made last, or from the last answer.
        QStringList lines;
        QElapsedTimer startup, sinceClose;
        startup.start();
        int answered = 0;
        auto accepted = [&]() { return sinceClose.isValid() && answered == answers; };
        while (!accepted() && program.state() == QProcess::Running && startup.elapsed() < 30000) {
            program.waitForReadyRead(100);
            while (program.canReadLine()) {
                const QString line = QString::fromUtf8(program.readLine()).trimmed();
                lines << line;
                if (line.startsWith(QStringLiteral("ANSWER"))) ++answered;
                if (line.startsWith(QStringLiteral("CLOSING")) || line.startsWith(QStringLiteral("ANSWER")))
                    sinceClose.start();
            }
        }
        QVERIFY2(accepted(), qPrintable(lines.join(QStringLiteral(" | "))));
        const bool ended = program.waitForFinished(4000);
        const qint64 tookMs = sinceClose.elapsed();
        if (!ended) {
            program.kill();
            program.waitForFinished();
        }
        for (const QByteArray &l : program.readAll().split('\n'))
            if (!l.trimmed().isEmpty()) lines << QString::fromUtf8(l.trimmed());
        QVERIFY2(ended, qPrintable(QStringLiteral("still running %1 ms after the close: ").arg(tookMs) +
                                   lines.join(QStringLiteral(" | "))));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(tookMs < 3000, qPrintable(QStringLiteral("ended %1 ms after the close").arg(tookMs)));
        qsizetype acceptedAt = 0;   // the line of the close, or of the answer, that was accepted
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i].startsWith(QStringLiteral("CLOSING")) || lines[i].startsWith(QStringLiteral("ANSWER")))
                acceptedAt = i;
        double closingCpu = -1, exitCpu = -1;
        QStringList boxes, shownAfter;
        bool requestEnded = false, sawProperties = false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString &l = lines[i];
            if (l.startsWith(QStringLiteral("CLOSING ")) && closingCpu < 0) closingCpu = l.mid(8).toDouble();
            if (l.startsWith(QStringLiteral("EXIT "))) exitCpu = l.mid(5).toDouble();
            if (l.startsWith(QStringLiteral("BOX "))) boxes << l.mid(4);
            if (l == QStringLiteral("REQUEST ENDED")) requestEnded = true;
            if (l == QStringLiteral("SHOWN vxt::TfrmProperties")) sawProperties = true;
            if (l.startsWith(QStringLiteral("SHOWN ")) && i > acceptedAt) shownAfter << l.mid(6);
        }
        QVERIFY2(closingCpu >= 0 && exitCpu >= closingCpu, qPrintable(lines.join(QStringLiteral(" | "))));
        QVERIFY2(exitCpu - closingCpu < 1.0, qPrintable(QStringLiteral("%1 s of CPU after the close")
                                                             .arg(exitCpu - closingCpu)));
        QCOMPARE(boxes, QStringList());
        QCOMPARE(shownAfter, QStringList());
        // The answers came after the device's, as the case asks.
        QCOMPARE(requestEnded, held.endsWith(QStringLiteral(":1500")));
        QCOMPARE(sawProperties, propertiesShown);
        QVERIFY(lines.contains(QStringLiteral("LOOP ENDED 0")));
        if (!requests.isEmpty()) QVERIFY(lines.contains(QStringLiteral("WORKER AFTER END 0")));
        QCOMPARE(Bodies(), requests);
        if (saves) QVERIFY(QFileInfo(saved).size() > 0);
    }

    // A local search deletes the selected local row: nothing is selected afterwards, so neither
    // Connect nor Properties is offered for a device the user did not pick.
    void localSearchLeavesNoRowSelected()
    {
        TDeviceData remote;
        remote.Device = "Velto-10-DF";
        remote.MAC = "00-11-22-33-44-09";
        remote.Version = "2.0.5-SN";
        remote.IP = "10.1.1.9";
        remote.RemoteIP = "far.example";
        remote.Family = 2;
        remote.IsVelto = true;
        form->AddDeviceToList(remote);
        QCOMPARE(form->DeviceCount(), 3);
        for (const QString &mac : {kMB, kHL}) {
            form->lstDevices->selectRow(RowOf(mac));
            form->UpdateActions();
            QVERIFY(form->DevicesProperties->isEnabled());
            form->DevicesSearchLocalExecute();
            QCOMPARE(form->DeviceCount(), 3);
            QCOMPARE(form->SelectedRow(), -1);
            QVERIFY(form->lstDevices->selectedItems().isEmpty());
            form->UpdateActions();
            QVERIFY(!form->DevicesProperties->isEnabled());
            QVERIFY(!form->DevicesConnect->isEnabled());
        }
        // A selected remote row is not deleted and stays selected.
        const int far = RowOf(QStringLiteral("00-11-22-33-44-09"));
        form->lstDevices->selectRow(far);
        form->DevicesSearchLocalExecute();
        QCOMPARE(form->SelectedRow(), RowOf(QStringLiteral("00-11-22-33-44-09")));
    }
};

int main(int argc, char **argv)
{
    bool isProgram = false;
    const int port = qEnvironmentVariableIntValue("VXT_CLOSING_PROGRAM_HTTP_PORT", &isProgram);
    if (isProgram) return RunClosingProgram(argc, argv, port);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestRequestWaits test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_request_waits.moc"
