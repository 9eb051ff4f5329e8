// Tools > Tag Monitor of the main window, end to end against an emulated device at the real
// one-second pace: pick a tag, watch it move, write a value and see it read back, raise and
// acknowledge an alarm. VXT_MONITOR_SCREENSHOT names a PNG file to keep a picture of the window.
#include "Emulator.h"
#include "GetTagConfig.h"
#include "Main.h"
#include "Monitor.h"
#include "MonitorDrive.h"
#include "MonitorModule.h"
#include "QtStr.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"
#include "WriteValue.h"

#include <QAction>
#include <QChartView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <set>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMB = QStringLiteral("00-11-22-33-44-01");

}  // namespace

class TestMonitorTools : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Emulator> emu;
    TMainForm *form = nullptr;
    QTemporaryDir dir;

    bool SetTag(int index, const QJsonObject &spec)
    {
        const QJsonObject changes{{"tags", QJsonObject{{QString::number(index), spec}}}};
        return emu->control("POST", QStringLiteral("monitor/") + kMB,
                            QJsonDocument(changes).toJson(QJsonDocument::Compact), nullptr) == 200;
    }

    // The user's session inside the modal monitor.
    void Session(TfrmMonitor *mon)
    {
        QTRY_COMPARE(mon->lstTags->rowCount(), 2);
        QCOMPARE(mon->stMAC->text(), kMB);
        mon->lstTags->selectRow(1);
        mon->btnPlay->click();
        QCOMPARE(mon->stMonitorStatus->text(), QStringLiteral("Running - Tag: Tank level"));

        // The value follows the device and the chart moves once a second.
        std::set<QString> values;
        const int startX = mon->NextX;
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(1000);
            if (!mon->stValue->text().isEmpty()) values.insert(mon->stValue->text());
        }
        QVERIFY2(values.size() >= 2, "the value did not change");
        QVERIFY(mon->NextX - startX >= 4 && mon->NextX - startX <= 6);
        QCOMPARE(mon->TagValueSerie->count(), 25);
        QCOMPARE(mon->stStatus->text(), QStringLiteral("Reading - OK"));

        // A value written is read back.
        WhenModalOf<TfrmWriteValue>([](TfrmWriteValue *dlg) {
            dlg->txtValue->setText(QStringLiteral("640"));
            dlg->btnOk->click();
        });
        mon->btnWrite->click();
        QTRY_COMPARE_WITH_TIMEOUT(mon->stValue->text(), QStringLiteral("640"), 5000);

        // The level rises above its high bound: in alarm, red; acknowledged: blue.
        QVERIFY(SetTag(1, {{"value", 960}}));
        QTRY_COMPARE_WITH_TIMEOUT(mon->stAlarm->text(), QStringLiteral("IN ALARM"), 5000);
        QCOMPARE(mon->stAlarm->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QTest::qWait(2500);
        QCOMPARE(mon->ChartPoints().Points().back().Rgb, kRgbRed);
        mon->btnAck->click();
        QTRY_COMPARE_WITH_TIMEOUT(mon->stAlarm->text(), QStringLiteral("Acknowledged"), 5000);
        QCOMPARE(mon->stAlarm->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QTest::qWait(2500);
        QCOMPARE(mon->ChartPoints().Points().back().Rgb, kRgbBlue);
        QCOMPARE(mon->stValue->text(), QStringLiteral("960"));

        const QImage picture = mon->grab().toImage();
        QVERIFY(!picture.isNull());
        const QString file = qEnvironmentVariable("VXT_MONITOR_SCREENSHOT");
        if (!file.isEmpty()) QVERIFY(picture.save(file));
    }

private slots:
    void initTestCase()
    {
        SetIniFileNameOverride(dir.filePath(QStringLiteral("vxt.ini")).toStdString());
        QJsonObject dev = Emulator::device("1118", "2.0.4-SN", kMB, "127.0.0.2", "velto-mb");
        dev["config"] = QJsonObject{
            {"smtp", QJsonObject{{"ENABLE", true}, {"SERVER", "mail.example.test"}}},
            {"recipients", QJsonArray{"operator@example.test"}},
            {"tags",
             QJsonArray{QJsonObject{{"NAME", "Pump running"}, {"SOURCE", 0}, {"TYPE", 7}, {"MBFUNC", 4}},
                        QJsonObject{{"NAME", "Tank level"}, {"SOURCE", 0}, {"TYPE", 1}, {"MBFUNC", 4},
                                    {"LIMITS", true}, {"WRLO", 0}, {"WRHI", 1000}, {"ALARM", true},
                                    {"EMAIL", true}, {"ALLO", 100}, {"ALHI", 900}}}}};
        EmulatorOptions options;
        options.devices = {dev};
        emu = std::make_unique<Emulator>(options);
        QVERIFY2(emu->start(), qPrintable(emu->errorString()));
    }

    void init()
    {
        form = new TMainForm;
        RegisterMonitor(form);
        frmMonitor = new TfrmMonitor(form);
        frmGetTagConfig = new TfrmGetTagConfig(form);
        frmWriteValue = new TfrmWriteValue(form);
        for (TRequestChannel *c : {&frmMonitor->Channel, &frmGetTagConfig->Channel}) {
            c->SetHttpPort(emu->httpPort());
            c->SetTimeout(1500);
        }
        form->resize(900, 500);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }

    void cleanup()
    {
        delete form;
        form = nullptr;
        frmMonitor = nullptr;
        frmGetTagConfig = nullptr;
        frmWriteValue = nullptr;
    }

    void enabledOnlyWhileConnected()
    {
        form->Connected = false;
        form->UpdateActions();
        QVERIFY(!form->ToolsTagMonitor->isEnabled());
        form->ToolsTagMonitorExecute();   // not connected: nothing opens
        QVERIFY(!frmMonitor->isVisible());
    }

    void userWatchesWritesAndAcknowledges()
    {
        MessageBoxRecorder boxes;
        const TDeviceData dev = EmulatedMB(kMB);
        form->Connected = true;
        form->ConnectedDevice = dev;
        form->UpdateActions();
        QVERIFY(form->ToolsTagMonitor->isEnabled());

        bool sessionRan = false;
        CloseDownloadWhenDone();
        WhenModalOf<TfrmMonitor>(
            [&](TfrmMonitor *mon) {
                sessionRan = true;
                Session(mon);
                // Whatever happened, leave as a user would: Stop, then Close.
                if (mon->MonitorState != MonitorStopped) mon->btnStop->click();
                mon->btnStop->click();
            },
            15000);
        form->ToolsTagMonitor->trigger();
        QVERIFY(sessionRan);
        QVERIFY(!frmMonitor->isVisible());
        QCOMPARE(QStr(frmMonitor->Device.IP), QStringLiteral("127.0.0.2"));
        QVERIFY(boxes.Shown().empty());
    }
};

QTEST_MAIN(TestMonitorTools)
#include "test_monitor_tools.moc"
