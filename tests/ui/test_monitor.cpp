// The live tag monitor against the device emulator: its states and buttons, the poll cycle on the
// wire, the status word, the write and acknowledge flags, blocking requests, closing, the chart.
#include "Emulator.h"
#include "GetTagConfig.h"
#include "Monitor.h"
#include "MonitorChart.h"
#include "MonitorDrive.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"
#include "WriteValue.h"

#include <QChartView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QValueAxis>
#include <QtTest>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMB = QStringLiteral("00-11-22-33-44-01");
enum { TagPump = 0, TagLevel = 1, TagTemp = 2, TagFixed = 3 };

QJsonArray Tags()
{
    return {
        QJsonObject{{"NAME", "Pump running"}, {"SOURCE", 0}, {"TYPE", 7}, {"MBFUNC", 4}, {"ALARM", true},
                    {"ALLO", true}, {"ALHI", false}},
        QJsonObject{{"NAME", "Tank level"}, {"SOURCE", 0}, {"TYPE", 1}, {"MBFUNC", 4}, {"LIMITS", true},
                    {"WRLO", 0}, {"WRHI", 1000}, {"ALARM", true}, {"ALLO", 100}, {"ALHI", 900}},
        QJsonObject{{"NAME", "Temperature"}, {"SOURCE", 0}, {"TYPE", 4}, {"MBFUNC", 3}, {"ALARM", true},
                    {"ALLO", 15.0}, {"ALHI", 35.0}},
        QJsonObject{{"NAME", "Fixed"}, {"SOURCE", 0}, {"TYPE", 0}, {"MBFUNC", 4}, {"READONLY", true}},
    };
}

QColor PaletteText(QLabel *l) { return l->palette().color(QPalette::WindowText); }

}  // namespace

class TestMonitor : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Emulator> emu;
    TfrmMonitor *mon = nullptr;
    QTemporaryDir dir;

    bool Control(const QString &what, const QJsonObject &changes)
    {
        return emu->control("POST", what + QStringLiteral("/") + kMB,
                            QJsonDocument(changes).toJson(QJsonDocument::Compact), nullptr) == 200;
    }

    bool SetTag(int index, const QJsonObject &spec)
    {
        return Control(QStringLiteral("monitor"), {{"tags", QJsonObject{{QString::number(index), spec}}}});
    }

    // Opens the window on the emulated device and waits for its tag list.
    void Open()
    {
        mon->Device = EmulatedMB(kMB);
        CloseDownloadWhenDone();
        mon->show();
        QTRY_COMPARE(mon->lstTags->rowCount(), 4);
        QTRY_VERIFY(!frmGetTagConfig->isVisible());
    }

    // Plays a tag with the timer held back, so that the test drives the ticks itself.
    void Play(int row)
    {
        mon->TimerScan->setInterval(3600 * 1000);
        mon->lstTags->selectRow(row);
        QVERIFY(mon->btnPlay->isEnabled());
        mon->btnPlay->click();
        QCOMPARE(mon->MonitorState, int(MonitorRunning));
    }

    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) mon->TimerScanTimer();
    }

    // Presses Write and answers the dialog with `text` (or the ON/OFF choice for a digital tag).
    void Write(const QString &text, bool on = false)
    {
        WhenModalOf<TfrmWriteValue>([text, on](TfrmWriteValue *dlg) {
            if (dlg->Kind == KindDigital) (on ? dlg->rdoOn : dlg->rdoOff)->click();
            else dlg->txtValue->setText(text);
            dlg->btnOk->click();
        });
        mon->btnWrite->click();
    }

    // "page body" of every request to the device since the last clear.
    QStringList Sent()
    {
        QStringList r;
        for (const EmulatedRequest &q : emu->requests(QStringLiteral("http")))
            r << q.path.mid(1) + QStringLiteral(" ") + QString::fromLatin1(q.body);
        return r;
    }

private slots:
    void initTestCase()
    {
        SetIniFileNameOverride(dir.filePath(QStringLiteral("vxt.ini")).toStdString());
        EmulatorOptions options;
        QJsonObject dev = Emulator::device("1118", "2.0.4-SN", kMB, "127.0.0.2", "velto-mb");
        dev["config"] = QJsonObject{{"tags", Tags()}};
        options.devices = {dev};
        emu = std::make_unique<Emulator>(options);
        QVERIFY2(emu->start(), qPrintable(emu->errorString()));
    }

    void init()
    {
        SetDecimalSeparator('.');
        QVERIFY(emu->reset());
        mon = NewMonitor(emu->httpPort(), 1500);
    }

    void cleanup()
    {
        DeleteMonitor(mon);
    }

    void opensStoppedWithTheDeviceAndItsTags()
    {
        Open();
        QCOMPARE(mon->windowTitle(), QStringLiteral("Tag Monitor"));
        QCOMPARE(mon->stDevice->text(), QStringLiteral("Velto-10-MB"));
        QCOMPARE(mon->stHostname->text(), QStringLiteral("velto-mb"));
        QCOMPARE(mon->stMAC->text(), kMB);
        QCOMPARE(mon->stVersion->text(), QStringLiteral("2.0.4-SN"));
        const QStringList names{"Pump running", "Tank level", "Temperature", "Fixed"};
        const QStringList types{"Digital", "Integer", "Float", "Integer"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(mon->lstTags->item(i, 0)->text(), names[i]);
            QCOMPARE(mon->lstTags->item(i, 1)->text(), types[i]);
        }
        QCOMPARE(mon->lstTags->horizontalHeaderItem(0)->text(), QStringLiteral("Tag Name"));
        QCOMPARE(mon->lstTags->horizontalHeaderItem(1)->text(), QStringLiteral("Type"));
        QCOMPARE(mon->stMonitorStatus->text(), QStringLiteral("Stopped"));
        QVERIFY(!mon->btnPlay->isEnabled());
        QVERIFY(!mon->btnPause->isEnabled());
        QVERIFY(mon->btnStop->isEnabled());
        QCOMPARE(mon->btnStop->text(), QStringLiteral("Close"));
        QVERIFY(!mon->btnWrite->isEnabled());
        QVERIFY(!mon->btnAck->isEnabled());
        QVERIFY(mon->lstTags->isEnabled());
        QVERIFY(mon->stValue->text().isEmpty());
        QCOMPARE(mon->stSendingTo->text(), QStringLiteral("-"));
        QCOMPARE(mon->stCurrentRetry->text(), QStringLiteral("-"));
        QVERIFY(!mon->TimerScan->isActive());
        QCOMPARE(mon->TimerScan->interval(), 1000);
        mon->lstTags->selectRow(2);
        QVERIFY(mon->btnPlay->isEnabled());
        mon->lstTags->clearSelection();
        QVERIFY(!mon->btnPlay->isEnabled());
    }

    void statesAndButtons()
    {
        Open();
        Play(TagLevel);
        QCOMPARE(mon->stMonitorStatus->text(), QStringLiteral("Running - Tag: Tank level"));
        QVERIFY(!mon->btnPlay->isEnabled());
        QVERIFY(mon->btnPause->isEnabled());
        QCOMPARE(mon->btnStop->text(), QStringLiteral("Stop"));
        QVERIFY(mon->btnWrite->isEnabled());
        QVERIFY(mon->btnAck->isEnabled());
        QVERIFY(!mon->lstTags->isEnabled());
        QVERIFY(mon->TimerScan->isActive());
        QCOMPARE(mon->Tag.Index, 1);
        QCOMPARE(int(mon->Tag.Kind), int(KindInteger));
        mon->btnPause->click();
        QCOMPARE(mon->MonitorState, int(MonitorPaused));
        QCOMPARE(mon->stMonitorStatus->text(), QStringLiteral("PAUSED - Tag: Tank level"));
        QVERIFY(mon->btnPlay->isEnabled());
        QVERIFY(!mon->btnPause->isEnabled());
        QVERIFY(!mon->btnWrite->isEnabled());
        QVERIFY(!mon->btnAck->isEnabled());
        QVERIFY(mon->btnStop->isEnabled());
        QVERIFY(!mon->lstTags->isEnabled());
        QVERIFY(!mon->TimerScan->isActive());
        mon->btnStop->click();
        QCOMPARE(mon->MonitorState, int(MonitorStopped));
        QCOMPARE(mon->stMonitorStatus->text(), QStringLiteral("Stopped"));
        QCOMPARE(mon->btnStop->text(), QStringLiteral("Close"));
        QVERIFY(mon->btnPlay->isEnabled());
        QVERIFY(mon->lstTags->isEnabled());
        QVERIFY(mon->isVisible());
        mon->btnStop->click();
        QVERIFY(!mon->isVisible());
    }

    void pollCycleOrderOverThreeTicks()
    {
        Open();
        Play(TagLevel);
        QVERIFY(SetTag(TagLevel, {{"value", 500}}));
        QVERIFY(emu->clearRequests());
        Ticks(3);
        QCOMPARE(Sent(), QStringList({"apppost.cgi READ(TAG1=1,);", "admpost.cgi MAILBOX();"}));
        QCOMPARE(mon->stValue->text(), QStringLiteral("500"));
        Write(QStringLiteral("77"));
        QVERIFY(mon->Tag.WritePending);
        QVERIFY(emu->clearRequests());
        Ticks(3);
        QCOMPARE(Sent(), QStringList({"apppost.cgi READ(TAG1=1,);", "admpost.cgi MAILBOX();",
                                      "apppost.cgi WRITE(TAG=1,VALUE=77,);"}));
        QVERIFY(!mon->Tag.WritePending);
        // The value written is read back at the next tick.
        Ticks(1);
        QCOMPARE(mon->stValue->text(), QStringLiteral("77"));
    }

    void statusWord532ReadsErrorAndAcknowledgedInBlue()
    {
        Open();
        QVERIFY(SetTag(TagLevel, {{"value", 500}, {"st1", 532}}));
        Play(TagLevel);
        Ticks(1);
        QCOMPARE(mon->stStatus->text(), QStringLiteral("Read Error - No Work"));
        QCOMPARE(mon->stAlarm->text(), QStringLiteral("Acknowledged"));
        QCOMPARE(PaletteText(mon->stAlarm), QColor(0, 0, 255));
        QCOMPARE(mon->LastAlarm, 2);
        Ticks(2);
        const auto &pts = mon->ChartPoints().Points();
        for (int i = 22; i < 25; ++i) {
            QCOMPARE(pts[size_t(i)].Rgb, kRgbBlue);
            QCOMPARE(mon->Chart().PointColor(i), QColor(0, 0, 255));
            QCOMPARE(mon->Chart().SegmentColor(i), QColor(0, 0, 255));
            QCOMPARE(pts[size_t(i)].Y, 500.0);
        }
        QCOMPARE(pts[21].Rgb, kRgbLime);
        // State 9 and result 12 are in no table: an empty status; alarm 0 in the window's colour.
        QVERIFY(SetTag(TagLevel, {{"st1", 9 | (12 << 4)}}));
        Ticks(3);
        QCOMPARE(mon->stStatus->text(), QString());
        QCOMPARE(mon->stAlarm->text(), QStringLiteral("No"));
        QCOMPARE(PaletteText(mon->stAlarm), mon->palette().color(QPalette::WindowText));
        QCOMPARE(mon->ChartPoints().Points().back().Rgb, kRgbLime);
        // In alarm: red; an unknown alarm code: "Unknown" and green points.
        QVERIFY(SetTag(TagLevel, {{"st1", 0x122}}));
        Ticks(1);
        QCOMPARE(mon->stStatus->text(), QStringLiteral("Reading - Timeout"));
        QCOMPARE(mon->stAlarm->text(), QStringLiteral("IN ALARM"));
        QCOMPARE(PaletteText(mon->stAlarm), QColor(255, 0, 0));
        QCOMPARE(mon->ChartPoints().Points().back().Rgb, kRgbRed);
        Ticks(2);
        QVERIFY(SetTag(TagLevel, {{"st1", 0x301}}));
        Ticks(1);
        QCOMPARE(mon->stStatus->text(), QStringLiteral("Idle - OK"));
        QCOMPARE(mon->stAlarm->text(), QStringLiteral("Unknown"));
        QCOMPARE(mon->ChartPoints().Points().back().Rgb, kRgbGreen);
        QCOMPARE(mon->Chart().SegmentColor(24), QColor(0, 128, 0));
    }

    void writePressedTwiceSendsOneWrite()
    {
        Open();
        Play(TagLevel);
        Write(QStringLiteral("300"));
        QVERIFY(mon->Tag.WritePending);
        // A second press opens nothing; should it, the dialog is cancelled and counted.
        bool opened = false;
        auto *guard = new QObject;
        QTimer::singleShot(300, guard, [&opened]() {
            if (auto *dlg = ActiveModal<TfrmWriteValue>()) {
                opened = true;
                dlg->btnCancel->click();
            }
        });
        mon->btnWrite->click();
        delete guard;
        QVERIFY(!opened);
        QVERIFY(emu->clearRequests());
        Ticks(6);
        QCOMPARE(Sent().filter(QStringLiteral("WRITE")), QStringList({"apppost.cgi WRITE(TAG=1,VALUE=300,);"}));
    }

    void acknowledgeDuringAPendingWriteGoesOneCycleLater()
    {
        Open();
        // From inside the bounds to above the high one: the device raises the alarm.
        QVERIFY(SetTag(TagLevel, {{"value", 500}}));
        QVERIFY(SetTag(TagLevel, {{"value", 950}}));
        Play(TagLevel);
        Ticks(3);
        QCOMPARE(mon->stAlarm->text(), QStringLiteral("IN ALARM"));
        QVERIFY(emu->clearRequests());
        Write(QStringLiteral("960"));
        mon->btnAck->click();
        mon->btnAck->click();   // once set, a second press changes nothing
        QVERIFY(mon->Tag.AckPending);
        Ticks(6);
        QCOMPARE(Sent(), QStringList({"apppost.cgi READ(TAG1=1,);", "admpost.cgi MAILBOX();",
                                      "apppost.cgi WRITE(TAG=1,VALUE=960,);", "apppost.cgi READ(TAG1=1,);",
                                      "admpost.cgi MAILBOX();", "apppost.cgi ALARMACK(TAG=1,);"}));
        Ticks(1);
        QCOMPARE(mon->stValue->text(), QStringLiteral("960"));
        QCOMPARE(mon->stAlarm->text(), QStringLiteral("Acknowledged"));
        QCOMPARE(PaletteText(mon->stAlarm), QColor(0, 0, 255));
    }

    void refusalsAndMissingReplies()
    {
        MessageBoxRecorder boxes;
        Open();
        Play(TagFixed);
        Ticks(2);
        Write(QStringLiteral("5"));
        Ticks(1);
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Tag Write Error.\r\nReason: Tag is read only"});
        QCOMPARE(boxes.Shown()[0].Kind, MsgKind::Error);
        boxes.Clear();
        mon->btnAck->click();
        Ticks(3);
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Alarm ackwnoledge error.\r\nReason: Alarm not enabled"});
        boxes.Clear();
        // No reply: the acknowledge says so, the write stays silent; neither is retried.
        QVERIFY(emu->setFail(kMB, QStringLiteral("http500"), 1, QStringLiteral("ALARMACK")));
        mon->btnAck->click();
        Ticks(3);
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Alarm acknowledge error."});
        boxes.Clear();
        QVERIFY(emu->setFail(kMB, QStringLiteral("close"), 1, QStringLiteral("WRITE")));
        Write(QStringLiteral("6"));
        QVERIFY(emu->clearRequests());
        Ticks(6);
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(Sent().filter(QStringLiteral("WRITE")).size(), 1);
    }

    void readWithoutReplyKeepsTheBoxesAndPlotsTheLastValue()
    {
        MessageBoxRecorder boxes;
        Open();
        QVERIFY(SetTag(TagLevel, {{"value", 420}, {"st1", 0x12}}));
        QVERIFY(Control(QStringLiteral("monitor"),
                        {{"mailbox", QJsonObject{{"fixed", QJsonObject{{"COUNT", 4}, {"STATUS", 3}, {"ERROR", 4}}}}}}));
        Play(TagLevel);
        Ticks(3);
        QCOMPARE(mon->stQueuedAlarms->text(), QStringLiteral("4/128"));
        QVERIFY(emu->setFail(kMB, QStringLiteral("wrong"), 1, QStringLiteral("READ")));
        QVERIFY(emu->setFail(kMB, QStringLiteral("http500"), 1, QStringLiteral("MAILBOX")));
        QVERIFY(SetTag(TagLevel, {{"value", 10}}));
        Ticks(2);
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(mon->stValue->text(), QStringLiteral("420"));
        QCOMPARE(mon->stStatus->text(), QStringLiteral("Reading - No Work"));
        QCOMPARE(mon->stQueuedAlarms->text(), QStringLiteral("4/128"));
        QCOMPARE(mon->stMailboxStatus->text(), QStringLiteral("No Alarms to send"));
        QCOMPARE(mon->stLastError->text(), QStringLiteral("Connection Error"));
        QCOMPARE(mon->ChartPoints().Points().back().Y, 420.0);
    }

    void mailboxBoxes()
    {
        Open();
        QVERIFY(Control(QStringLiteral("monitor"),
                        {{"mailbox", QJsonObject{{"fixed", QJsonObject{{"COUNT", 5}, {"STATUS", 1}, {"TOO", 2},
                                                                       {"RETRY", 3}, {"ERROR", 1}}}}}}));
        Play(TagLevel);
        Ticks(2);
        QCOMPARE(mon->stQueuedAlarms->text(), QStringLiteral("5/128"));
        QCOMPARE(mon->stMailboxStatus->text(), QStringLiteral("Sending mail..."));
        QCOMPARE(mon->stSendingTo->text(), QStringLiteral("2"));
        QCOMPARE(mon->stCurrentRetry->text(), QStringLiteral("3"));
        QCOMPARE(mon->stLastError->text(), QStringLiteral("Could not Resolve SMTP Server (Check DNS)"));
        QVERIFY(Control(QStringLiteral("monitor"),
                        {{"mailbox", QJsonObject{{"fixed", QJsonObject{{"COUNT", 0}, {"STATUS", 2}, {"TOO", 2},
                                                                       {"RETRY", 3}, {"ERROR", 0}}}}}}));
        Ticks(3);
        QCOMPARE(mon->stMailboxStatus->text(), QStringLiteral("Mail sent"));
        QCOMPARE(mon->stSendingTo->text(), QStringLiteral("-"));
        QCOMPARE(mon->stCurrentRetry->text(), QStringLiteral("-"));
        QCOMPARE(mon->stLastError->text(), QStringLiteral("Ok"));
        QCOMPARE(mon->stQueuedAlarms->text(), QStringLiteral("0/128"));
    }

    void pauseDuringABlockingRequestLeavesTheTimerOff()
    {
        Open();
        Play(TagLevel);
        mon->TimerScan->setInterval(100);
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1200"), 1, QStringLiteral("READ")));
        QVERIFY(emu->clearRequests());
        bool pausedInTick = false;
        QTimer::singleShot(300, mon, [&]() {
            pausedInTick = mon->InTick();
            mon->btnPause->click();
        });
        mon->TimerScan->stop();
        mon->TimerScanTimer();
        QVERIFY(pausedInTick);
        QVERIFY(!mon->TimerScan->isActive());
        QCOMPARE(mon->MonitorState, int(MonitorPaused));
        QTest::qWait(600);
        QCOMPARE(Sent(), QStringList({"apppost.cgi READ(TAG1=1,);"}));
    }

    void playDuringABlockingRequestStartsNoSecondTick()
    {
        Open();
        Play(TagLevel);
        mon->TimerScan->setInterval(50);
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:1000"), 1, QStringLiteral("READ")));
        QVERIFY(emu->clearRequests());
        QTimer::singleShot(200, mon, [&]() {
            mon->btnPause->click();
            mon->btnPlay->click();
        });
        mon->TimerScan->stop();
        mon->TimerScanTimer();
        // The timer stayed off while the request blocked and is on again now that the tick is over.
        QCOMPARE(Sent(), QStringList({"apppost.cgi READ(TAG1=1,);"}));
        QVERIFY(mon->TimerScan->isActive());
        mon->btnPauseClick();
    }

    void closingIsRefusedWhileMonitoring()
    {
        MessageBoxRecorder boxes;
        Open();
        Play(TagLevel);
        mon->close();
        QVERIFY(mon->isVisible());
        mon->btnPause->click();
        mon->close();
        QVERIFY(mon->isVisible());
        QTest::keyClick(mon, Qt::Key_Escape);
        QVERIFY(mon->isVisible());
        QCOMPARE(boxes.Texts(), std::vector<std::string>(3, "Stop Monitoring before closing this window."));
        QCOMPARE(boxes.Shown()[1].Kind, MsgKind::Information);
        QCOMPARE(boxes.Shown()[1].Buttons, int(mbOK));
        mon->btnStop->click();
        mon->close();
        QVERIFY(!mon->isVisible());
        QCOMPARE(boxes.Shown().size(), size_t(3));
    }

    void chartHoldsTwentyFivePoints()
    {
        Open();
        QVERIFY(SetTag(TagPump, {{"value", 1}}));
        Play(TagPump);
        QCOMPARE(mon->TagValueSerie->count(), 25);
        QCOMPARE(mon->TagValueSerie->name(), QStringLiteral("Value"));
        QCOMPARE(mon->Chart().AxisLeft->min(), -0.5);
        QCOMPARE(mon->Chart().AxisLeft->max(), 1.5);
        Ticks(1);
        QCOMPARE(mon->stValue->text(), QStringLiteral("1"));
        Ticks(29);
        QCOMPARE(mon->TagValueSerie->count(), 25);
        QCOMPARE(mon->NextX, 55);
        QCOMPARE(mon->TagValueSerie->at(0).x(), 30.0);
        QCOMPARE(mon->TagValueSerie->at(24).x(), 54.0);
        QCOMPARE(mon->TagValueSerie->at(24).y(), 1.0);
        QCOMPARE(mon->Chart().AxisBottom->min(), 30.0);
        QCOMPARE(mon->Chart().AxisBottom->max(), 54.0);
        QCOMPARE(mon->Chart().AxisLeft->min(), -0.5);
        QCOMPARE(mon->Chart().AxisLeft->max(), 1.5);
        QCOMPARE(mon->HistoryChart->chart()->backgroundBrush().color(), QColor(Qt::black));
        QVERIFY(!mon->HistoryChart->chart()->legend()->isVisible());
        QCOMPARE(mon->Chart().AxisBottom->tickInterval(), 2.0);
        QCOMPARE(mon->Chart().AxisBottom->gridLineColor(), QColor(128, 128, 0));
        QCOMPARE(mon->Chart().AxisLeft->gridLineColor(), QColor(0, 128, 0));
        QCOMPARE(mon->Chart().AxisLeft->labelsColor(), QColor(Qt::white));
        // Stop and Play again starts a fresh chart; an integer tag scales its axis to the values.
        mon->btnStop->click();
        QVERIFY(SetTag(TagLevel, {{"value", 5000}}));
        Play(TagLevel);
        QCOMPARE(mon->NextX, 25);
        QCOMPARE(mon->TagValueSerie->at(24).y(), 0.0);
        Ticks(3);
        QCOMPARE(mon->TagValueSerie->count(), 25);
        QVERIFY(mon->Chart().AxisLeft->min() <= 0.0);
        QVERIFY(mon->Chart().AxisLeft->max() >= 5000.0);
        QVERIFY(mon->Chart().AxisLeft->max() < 10000.0);
    }

    void pauseAndPlayContinueTheChartAndTheCycle()
    {
        Open();
        Play(TagLevel);
        Ticks(4);
        QCOMPARE(mon->ScanStep, 1);
        mon->btnPause->click();
        mon->btnPlay->click();
        QCOMPARE(mon->NextX, 29);
        QCOMPARE(mon->stMonitorStatus->text(), QStringLiteral("Running - Tag: Tank level"));
        // Stop keeps the step of the cycle: the next run starts with the mailbox.
        mon->btnStop->click();
        QVERIFY(emu->clearRequests());
        Play(TagTemp);
        Ticks(1);
        QCOMPARE(Sent(), QStringList({"admpost.cgi MAILBOX();"}));
        QCOMPARE(mon->NextX, 26);
    }

    void digitalAndFloatValuesOnTheWire()
    {
        SetDecimalSeparator(',');
        Open();
        QVERIFY(SetTag(TagPump, {{"value", 1}}));
        QVERIFY(SetTag(TagTemp, {{"value", 21.25}}));
        Play(TagPump);
        Ticks(1);
        QCOMPARE(mon->stValue->text(), QStringLiteral("1"));
        // Write opens with ON as the box shows "1"; OFF is written as 0.
        bool startedOn = false;
        WhenModalOf<TfrmWriteValue>([&startedOn](TfrmWriteValue *dlg) {
            startedOn = dlg->rdoOn->isChecked();
            dlg->rdoOff->click();
            dlg->btnOk->click();
        });
        mon->btnWrite->click();
        QVERIFY(startedOn);
        QVERIFY(emu->clearRequests());
        Ticks(3);
        QCOMPARE(Sent().filter(QStringLiteral("WRITE")), QStringList({"apppost.cgi WRITE(TAG=0,VALUE=0,);"}));
        Ticks(1);
        QCOMPARE(mon->stValue->text(), QStringLiteral("0"));
        mon->btnStop->click();
        Play(TagTemp);
        Ticks(3);
        QCOMPARE(mon->stValue->text(), QStringLiteral("21,25"));
        QCOMPARE(mon->ChartPoints().Points().back().Y, 21.25);
        QString startText;
        WhenModalOf<TfrmWriteValue>([&startText](TfrmWriteValue *dlg) {
            startText = dlg->txtValue->text();
            dlg->txtValue->setText(QStringLiteral("22,5"));
            dlg->btnOk->click();
        });
        mon->btnWrite->click();
        QCOMPARE(startText, QStringLiteral("21,25"));
        QVERIFY(emu->clearRequests());
        Ticks(3);
        QCOMPARE(Sent().filter(QStringLiteral("WRITE")), QStringList({"apppost.cgi WRITE(TAG=2,VALUE=2.25000000E1,);"}));
    }

    void realTimerPollsOnceASecond()
    {
        Open();
        mon->lstTags->selectRow(TagLevel);
        QVERIFY(emu->clearRequests());
        QElapsedTimer clock;
        clock.start();
        mon->btnPlay->click();
        QTRY_COMPARE_WITH_TIMEOUT(Sent().size(), 2, 5000);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 1900, qPrintable(QString::number(elapsed)));
        QTRY_COMPARE_WITH_TIMEOUT(mon->NextX, 28, 5000);   // the third tick sent nothing, plotted still
        mon->btnStop->click();
        const int sent = Sent().size();
        QTest::qWait(1300);
        QCOMPARE(Sent().size(), sent);
    }

    void eachShowingStartsAfresh()
    {
        Open();
        Play(TagLevel);
        Ticks(2);
        mon->btnStop->click();
        mon->btnStop->click();
        QVERIFY(!mon->isVisible());
        Open();
        QCOMPARE(mon->ScanStep, 0);
        QVERIFY(mon->stValue->text().isEmpty());
        QCOMPARE(mon->NextX, 25);
        QCOMPARE(mon->stMonitorStatus->text(), QStringLiteral("Stopped"));
    }
};

QTEST_MAIN(TestMonitor)
#include "test_monitor.moc"
