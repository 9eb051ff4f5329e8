// Faults of the tag-list download and of the live monitor's poll cycle: the download reports once
// and keeps what it got, the monitor keeps its boxes (or says that an acknowledge got no answer),
// every request ends within the window's time-out and the UI keeps running. The tag-list and
// monitor tests cover a wrong or silent count, a wrong, dropped or failing tag, a wrong read, a
// failing mailbox and acknowledge and a dropped write.
#include "Blocking.h"
#include "Emulator.h"
#include "FaultCheck.h"
#include "GetTagConfig.h"
#include "Monitor.h"
#include "MonitorDrive.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"
#include "WriteValue.h"

#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <memory>
#include <system_error>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMB = QStringLiteral("00-11-22-33-44-01");
const QString kTagsError = QStringLiteral("Error while obtaining Tags.");
const QString kAckError = QStringLiteral("Alarm acknowledge error.");
// A request whose worker cannot start, as on a system out of threads.
const QString kNoWorker = QStringLiteral("no worker");
const std::system_error kBusy(EAGAIN, std::generic_category());
const QString kNotStarted = QStringLiteral("The request could not be started.\r\n") + QShown(kBusy.what()) + '.';
enum { TagLevel = 1 };
const int kTagCount = 8;

const int kTimeoutMs = 600;
const int kMarginMs = 2000;
// A row whose answer comes whole (10 MB) is not about the time-out: it gets a long one, since a
// loaded machine may deliver that much more slowly than the short time-out of a silent device.
const int kWholeReplyTimeoutMs = 10000;
const int kMaxGapMs = kTimeoutMs / 2;

QJsonArray Tags()
{
    QJsonArray tags{
        QJsonObject{{"NAME", "Pump running"}, {"SOURCE", 0}, {"TYPE", 7}, {"MBFUNC", 4}},
        QJsonObject{{"NAME", "Tank level"}, {"SOURCE", 0}, {"TYPE", 1}, {"MBFUNC", 4}, {"LIMITS", true},
                    {"WRLO", 0}, {"WRHI", 1000}, {"ALARM", true}, {"ALLO", 100}, {"ALHI", 900}},
    };
    for (int i = 2; i < kTagCount; ++i)
        tags.append(QJsonObject{{"NAME", QStringLiteral("Counter %1").arg(i)}, {"SOURCE", 0}, {"TYPE", 0}, {"MBFUNC", 4}});
    return tags;
}

}  // namespace

class TestFaultsMonitor : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    std::unique_ptr<Emulator> emu;
    std::unique_ptr<MessageBoxRecorder> boxes;
    std::unique_ptr<FolderSnapshot> settings;
    std::unique_ptr<DeviceVanisher> vanish;
    FaultWatch watch;
    TfrmMonitor *mon = nullptr;
    int downloads = 0;   // showings of the tag-list window that have ended

    QStringList Shown() const
    {
        QStringList r;
        for (const std::string &t : boxes->Texts()) r << QString::fromStdString(t);
        return r;
    }

    bool SetMonitor(const QJsonObject &changes)
    {
        const bool ok = emu->setMonitor(kMB, changes);
        if (!ok) qWarning("monitor: %s", qPrintable(emu->errorString()));
        return ok;
    }

    // The fault of a row on `command`, after `skip` requests of it passed.
    void Apply(const QString &fault, const QString &command, int skip, std::function<bool()> waitingOnIt = {})
    {
        if (fault == QStringLiteral("stopped")) {
            emu->stop();
            return;
        }
        if (fault == kNoWorker) {
            detail::FailNextWorkerStart(std::make_exception_ptr(kBusy));
            return;
        }
        const QString mode = fault == QStringLiteral("vanish") ? QStringLiteral("delay:5000") : fault;
        QJsonObject rule{{"mac", kMB}, {"mode", mode}, {"command", command}, {"count", 1}};
        if (skip > 0) rule.insert(QStringLiteral("skip"), skip);
        QVERIFY2(emu->addFailRule(rule), qPrintable(emu->errorString()));
        if (fault == QStringLiteral("big")) {
            mon->Channel.SetTimeout(kWholeReplyTimeoutMs);
            frmGetTagConfig->Channel.SetTimeout(kWholeReplyTimeoutMs);
        }
        if (fault == QStringLiteral("vanish")) vanish->At(waitingOnIt);
    }

    // Shows the monitor; its tag-list download runs, and is closed once it ends well. The watch
    // stops when the download has ended.
    void Open()
    {
        mon->Device = EmulatedMB(kMB);
        ModalScript close = ModalScript::Of<TfrmGetTagConfig>([this](TfrmGetTagConfig *dlg) {
            QTimer *ended = new QTimer(dlg);
            connect(ended, &QTimer::timeout, dlg, [this, dlg, ended]() {
                if (dlg->Downloading ||
                    dlg->lblStatus->text() == QStringLiteral("Initializing Tag Configuration Download..."))
                    return;
                ended->deleteLater();
                watch.Stop();
                if (dlg->isVisible()) dlg->btnStop->click();
            });
            ended->start(10);
        });
        watch.Start();
        mon->show();
        // A failing download may come and go between two polls of the script.
        QTRY_VERIFY_WITH_TIMEOUT(downloads == 1, 10000);
        QTest::qWait(20);   // the monitor fills its list once the download's window is gone
    }

    void Play(int row)
    {
        mon->TimerScan->setInterval(3600 * 1000);   // the test drives the ticks
        mon->lstTags->selectRow(row);
        QVERIFY(mon->btnPlay->isEnabled());
        mon->btnPlay->click();
        QCOMPARE(mon->MonitorState, int(MonitorRunning));
    }

    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) mon->TimerScanTimer();
    }

private slots:
    void initTestCase()
    {
        SetIniFileNameOverride(StdStr(dir.filePath(QStringLiteral("vxt.ini"))));
        SetHttpProxyEnabled(false);
        SetHttpProxyServer("proxy.plant.test");
        SetHttpProxyPort(3128);
        QJsonObject dev = Emulator::device("1118", "2.0.4-SN", kMB, "127.0.0.2", "velto-mb");
        dev["config"] = QJsonObject{{"tags", Tags()}};
        EmulatorOptions options;
        options.devices = {dev};
        emu = std::make_unique<Emulator>(options);
    }

    void init()
    {
        if (!emu->isRunning()) QVERIFY2(emu->start(), qPrintable(emu->errorString()));
        QVERIFY(emu->reset());
        SetDecimalSeparator('.');
        boxes = std::make_unique<MessageBoxRecorder>();
        mon = NewMonitor(emu->httpPort(), kTimeoutMs);
        // A failed download closes its window by itself: that is its end.
        downloads = 0;
        connect(frmGetTagConfig, &QDialog::finished, this, [this]() {
            watch.Stop();
            ++downloads;
        });
        settings = std::make_unique<FolderSnapshot>(dir.path());
        vanish = std::make_unique<DeviceVanisher>(*emu, watch);
    }

    void cleanup()
    {
        vanish.reset();
        DeleteMonitor(mon);
        boxes.reset();
    }

    void cleanupTestCase()
    {
        emu.reset();
        SetIniFileNameOverride("");
    }

    void tagList_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("skip");
        QTest::addColumn<int>("tags");   // the tags listed afterwards
        QTest::addColumn<int>("minMs");
        QTest::newRow("silent at tag 4") << "silent" << "GETTAG" << 3 << 3 << kTimeoutMs;
        QTest::newRow("count cut") << "cut" << "GETTAGCOUNT" << 0 << 0 << 0;
        QTest::newRow("tag 3 cut") << "cut" << "GETTAG" << 2 << 2 << 0;
        QTest::newRow("count HTTP 500") << "http500" << "GETTAGCOUNT" << 0 << 0 << 0;
        QTest::newRow("10 MB count") << "big" << "GETTAGCOUNT" << 0 << kTagCount << 0;
        QTest::newRow("10 MB tag 5") << "big" << "GETTAG" << 4 << kTagCount << 0;
        QTest::newRow("stopped device") << "stopped" << "" << 0 << 0 << 0;
        QTest::newRow("device vanishes at tag 6") << "vanish" << "GETTAG" << 5 << 5 << 0;
        QTest::newRow("count that cannot start") << kNoWorker << "" << 0 << 0 << 0;
    }

    void tagList()
    {
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(int, skip);
        QFETCH(int, tags);
        QFETCH(int, minMs);
        // The vanishing device goes off while the dialog waits on the tag that follows the last one in.
        Apply(fault, command, skip, [skip]() {
            return frmGetTagConfig && frmGetTagConfig->Downloading && frmGetTagConfig->TagCount == skip;
        });
        Open();
        const bool whole = tags == kTagCount;
        QCOMPARE(Shown(), whole ? QStringList{} : QStringList{fault == kNoWorker ? kNotStarted : kTagsError});
        QCOMPARE(frmGetTagConfig->result(), int(whole ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(frmGetTagConfig->TagCount, tags);
        QCOMPARE(mon->lstTags->rowCount(), tags);
        if (tags > 1) QCOMPARE(mon->lstTags->item(1, 0)->text(), QStringLiteral("Tank level"));
        QCOMPARE(mon->stMonitorStatus->text(), QStringLiteral("Stopped"));
        if (fault == QStringLiteral("vanish")) QVERIFY(vanish->Vanished());
        VXT_VERIFY_NONE(watch.Problems(minMs, kTimeoutMs + kMarginMs, kMaxGapMs));
        VXT_VERIFY_NONE(settings->Differences());
    }

    // A read or mailbox request without a usable answer changes none of the boxes; a 10 MB answer
    // is an answer.
    void pollCycle_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("readOk");
        QTest::addColumn<bool>("mailboxOk");
        QTest::addColumn<int>("minMs");
        QTest::newRow("read silent") << "silent" << "READ" << false << true << kTimeoutMs;
        QTest::newRow("read cut") << "cut" << "READ" << false << true << 0;
        QTest::newRow("10 MB read") << "big" << "READ" << true << true << 0;
        QTest::newRow("mailbox silent") << "silent" << "MAILBOX" << true << false << kTimeoutMs;
        QTest::newRow("mailbox cut") << "cut" << "MAILBOX" << true << false << 0;
        QTest::newRow("mailbox wrong command") << "wrong" << "MAILBOX" << true << false << 0;
        QTest::newRow("10 MB mailbox") << "big" << "MAILBOX" << true << true << 0;
        QTest::newRow("stopped device") << "stopped" << "" << false << false << 0;
        // Gone for good: the mailbox that follows gets no answer either.
        QTest::newRow("device vanishes during the read") << "vanish" << "READ" << false << false << 0;
    }

    void pollCycle()
    {
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(bool, readOk);
        QFETCH(bool, mailboxOk);
        QFETCH(int, minMs);
        Open();
        QVERIFY(SetMonitor({{"tags", QJsonObject{{"1", QJsonObject{{"value", 500}}}}},
                            {"mailbox", QJsonObject{{"fixed", QJsonObject{{"COUNT", 4}, {"STATUS", 3}}}}}}));
        Play(TagLevel);
        Ticks(3);
        QCOMPARE(mon->stValue->text(), QStringLiteral("500"));
        QCOMPARE(mon->stQueuedAlarms->text(), QStringLiteral("4/128"));
        const QString status = mon->stStatus->text();
        QVERIFY(SetMonitor({{"tags", QJsonObject{{"1", QJsonObject{{"value", 600}}}}},
                            {"mailbox", QJsonObject{{"fixed", QJsonObject{{"COUNT", 5}, {"STATUS", 3}}}}}}));
        Apply(fault, command, 0, [this]() { return mon->InTick() && mon->ScanStep == 0; });
        boxes->Clear();
        watch.Start();
        Ticks(3);
        watch.Stop();
        QCOMPARE(Shown(), QStringList{});
        QCOMPARE(mon->stValue->text(), readOk ? QStringLiteral("600") : QStringLiteral("500"));
        QCOMPARE(mon->stStatus->text(), status);
        QCOMPARE(mon->stQueuedAlarms->text(), mailboxOk ? QStringLiteral("5/128") : QStringLiteral("4/128"));
        // Every tick plots the value the box shows.
        QCOMPARE(mon->ChartPoints().Points().back().Y, readOk ? 600.0 : 500.0);
        QCOMPARE(mon->NextX, 25 + 6);
        QCOMPARE(mon->MonitorState, int(MonitorRunning));
        QVERIFY(mon->TimerScan->isActive());
        QCOMPARE(mon->stMonitorStatus->text(), QStringLiteral("Running - Tag: Tank level"));
        if (fault == QStringLiteral("vanish")) QVERIFY(vanish->Vanished());
        VXT_VERIFY_NONE(watch.Problems(minMs, kTimeoutMs + kMarginMs, kMaxGapMs));
        VXT_VERIFY_NONE(settings->Differences());
    }

    // A write without an answer is not reported; an acknowledge without one is.
    void writeAndAcknowledge_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("minMs");
        QTest::newRow("write silent") << true << "silent" << QStringList{} << kTimeoutMs;
        QTest::newRow("write cut") << true << "cut" << QStringList{} << 0;
        QTest::newRow("write HTTP 500") << true << "http500" << QStringList{} << 0;
        QTest::newRow("10 MB write reply") << true << "big" << QStringList{} << 0;
        QTest::newRow("write to a stopped device") << true << "stopped" << QStringList{} << 0;
        QTest::newRow("acknowledge silent") << false << "silent" << QStringList{kAckError} << kTimeoutMs;
        QTest::newRow("acknowledge cut") << false << "cut" << QStringList{kAckError} << 0;
        QTest::newRow("acknowledge wrong command") << false << "wrong" << QStringList{} << 0;
        QTest::newRow("10 MB acknowledge reply") << false << "big" << QStringList{} << 0;
        QTest::newRow("acknowledge to a stopped device") << false << "stopped" << QStringList{kAckError} << 0;
        QTest::newRow("acknowledge that cannot start") << false << kNoWorker << QStringList{kNotStarted} << 0;
    }

    void writeAndAcknowledge()
    {
        QFETCH(bool, write);
        QFETCH(QString, fault);
        QFETCH(QStringList, texts);
        QFETCH(int, minMs);
        Open();
        Play(TagLevel);
        Ticks(3);
        if (write) {
            ModalScript answer = ModalScript::Of<TfrmWriteValue>([](TfrmWriteValue *dlg) {
                dlg->txtValue->setText(QStringLiteral("77"));
                dlg->btnOk->click();
            });
            mon->btnWrite->click();
            QCOMPARE(answer.Runs(), 1);
            QVERIFY(mon->Tag.WritePending);
        } else {
            mon->btnAck->click();
            QVERIFY(mon->Tag.AckPending);
        }
        // A worker that cannot start fails the next request: let it be the one of step 2.
        if (fault == kNoWorker) Ticks(2);
        Apply(fault, write ? QStringLiteral("WRITE") : QStringLiteral("ALARMACK"), 0);
        boxes->Clear();
        watch.Start();
        Ticks(fault == kNoWorker ? 1 : 3);
        watch.Stop();
        QCOMPARE(Shown(), texts);
        // Sent once, whatever came of it.
        QVERIFY(!mon->Tag.WritePending);
        QVERIFY(!mon->Tag.AckPending);
        QCOMPARE(mon->MonitorState, int(MonitorRunning));
        QVERIFY(mon->TimerScan->isActive());
        if (fault == QStringLiteral("big") && write) {
            Ticks(1);
            QCOMPARE(mon->stValue->text(), QStringLiteral("77"));
        }
        VXT_VERIFY_NONE(watch.Problems(minMs, kTimeoutMs + kMarginMs, kMaxGapMs));
        VXT_VERIFY_NONE(settings->Differences());
    }
};

QTEST_MAIN(TestFaultsMonitor)
#include "test_faults_monitor.moc"
