// Faults during a configuration send and get, for each of the three families: the transfer stops at
// the step that failed with the program's own messages, within the channel's time-out, the UI keeps
// running, and neither the document's file nor the settings file is touched. The transfer tests
// cover a wrong SMTP reply and a dropped ADDTAG of a Modbus send and a wrong GETTAG of a Hostlink get.
#include "Emulator.h"
#include "FaultCheck.h"
#include "FileDialog.h"
#include "TransferConfig.h"
#include "VXTOptions.h"
#include "test_config_support.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMB = QStringLiteral("00-11-22-33-44-01");
const QString kHL = QStringLiteral("00-11-22-33-44-02");
const QString kDF = QStringLiteral("00-11-22-33-44-03");
const QString kNoResponse = QStringLiteral("No Response from Device. Check the connection and try again.");
const QString kUnable = QStringLiteral("Configuration Transfer was unable to complete.");
const QString kQuestion = QStringLiteral("Sending this configuration to Velto will overwrite current Device "
                                         "Configuration.\r\nAre you sure to Send this configuration to Connected "
                                         "Velto?");

const int kTimeoutMs = 600;
const int kMarginMs = 2000;
// A row whose answer comes whole (10 MB) is not about the time-out: it gets a long one, since a
// loaded machine may deliver that much more slowly than the short time-out of a silent device.
const int kWholeReplyTimeoutMs = 10000;

struct Family {
    const char *word;   // as the texts name it
    QString mac;
    const char *model, *version, *ip;
    DocKind kind;
};

const Family kFamilies[] = {
    {"Modbus", kMB, "Velto-10-MB", "2.0.6", "127.0.0.2", DocKind::Modbus},
    {"Hostlink", kHL, "Velto-10-HL", "2.0.4", "127.0.0.3", DocKind::Hostlink},
    {"DF1", kDF, "Velto-10-DF1", "2.0.5", "127.0.0.4", DocKind::DF1},
};

// What the transfer dialog showed once its sequence had ended.
struct TransferEnd {
    bool seen = false;
    QString status;
    int progress = -1, maximum = -1;
    bool completed = false, retry = false, close = false;
};

TModbusTagConfig ModbusTag(const char *name)
{
    TModbusTagConfig t;
    t.Name = name;
    t.UnitID = 1;
    t.RegTable = 3;
    t.Type = 8;
    t.Address = 1;
    t.Kind = KindDigital;
    return t;
}

THostlinkTagConfig HostlinkTag(const char *name)
{
    THostlinkTagConfig t;
    t.Name = name;
    t.UnitID = 2;
    t.RegTable = 5;
    t.Address = 100;
    t.Kind = KindInteger;
    return t;
}

TDF1TagConfig DF1Tag(const char *name)
{
    TDF1TagConfig t;
    t.Name = name;
    t.FileType = 4;
    t.FileNumber = 7;
    t.WordNumber = 12;
    t.Type = 3;
    t.Kind = KindFloat;
    return t;
}

}  // namespace

class TestFaultsConfig : public QObject {
    Q_OBJECT
private:
    ConfigWindows w;
    std::unique_ptr<Emulator> emu;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MessageBoxRecorder> boxes;
    FaultWatch watch;
    std::unique_ptr<DeviceVanisher> vanish;
    QTimer poll;
    TransferEnd end;

    QStringList Shown() const
    {
        QStringList r;
        for (const std::string &t : boxes->Texts()) r << QString::fromStdString(t);
        return r;
    }

    void Connect(const Family &f)
    {
        w.form->Connected = true;
        TDeviceData &d = w.form->ConnectedDevice;
        d = TDeviceData{};
        d.Device = f.model;
        d.Hostname = "velto";
        d.MAC = StdStr(f.mac);
        d.Version = f.version;
        d.IP = f.ip;
        d.Family = uint8_t(f.kind);
    }

    // A document of the family with two tags, saved in the test's folder as the user has it.
    TMDIChild *SavedDocument(const Family &f)
    {
        TMDIChild *doc = nullptr;
        if (f.kind == DocKind::Modbus) {
            auto *d = w.NewDocument<TMDIModbusConfig>(f.kind);
            d->AddTagToList(ModbusTag("PUMP1"));
            d->AddTagToList(ModbusTag("PUMP2"));
            doc = d;
        } else if (f.kind == DocKind::Hostlink) {
            auto *d = w.NewDocument<TMDIHostlinkConfig>(f.kind);
            d->AddTagToList(HostlinkTag("DM100"));
            d->AddTagToList(HostlinkTag("DM101"));
            doc = d;
        } else {
            auto *d = w.NewDocument<TMDIDF1Config>(f.kind);
            d->AddTagToList(DF1Tag("N7_12"));
            d->AddTagToList(DF1Tag("N7_13"));
            doc = d;
        }
        SetNextFileName(StdStr(dir->filePath(QStringLiteral("plant.vlt"))));
        if (!doc->SaveAs()) qWarning("the document was not saved");
        return doc;
    }

    // Waits for the transfer dialog's sequence to end, keeps what it shows and presses Close.
    void DriveTransfer()
    {
        end = TransferEnd{};
        poll.disconnect();
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [this]() {
            auto *dlg = ActiveModal<TfrmTransferConfig>();
            if (!dlg || dlg->Running() || !dlg->btnCancel->isEnabled()) return;
            poll.stop();
            end.seen = true;
            end.status = dlg->lblStatus->text();
            end.progress = dlg->Progress->value();
            end.maximum = dlg->Progress->maximum();
            end.completed = dlg->Completed;
            end.retry = dlg->btnRetry->isEnabled();
            end.close = dlg->btnCancel->isEnabled();
            dlg->btnCancel->click();
        });
        poll.start();
    }

    // The fault of a row on `command` (after `skip` requests of it pass): a failure rule of the
    // emulator, "stopped" (the device is off from the start) or "vanish" (it goes off while it
    // works on the answer to the step whose status text is `status`).
    void Apply(const Family &f, const QString &fault, const QString &command, int skip, const QString &status)
    {
        if (fault == QStringLiteral("stopped")) {
            emu->stop();
            return;
        }
        const QString mode = fault == QStringLiteral("vanish") ? QStringLiteral("delay:5000") : fault;
        QJsonObject rule{{"mac", f.mac}, {"mode", mode}, {"command", command}, {"count", 1}};
        if (skip > 0) rule.insert(QStringLiteral("skip"), skip);
        QVERIFY2(emu->addFailRule(rule), qPrintable(emu->errorString()));
        if (fault == QStringLiteral("big"))
            w.form->IdHTTPLocal.TimeoutMs = w.form->IdHTTPRemote.TimeoutMs = kWholeReplyTimeoutMs;
        if (fault == QStringLiteral("vanish"))
            vanish->At([status]() {
                auto *dlg = ActiveModal<TfrmTransferConfig>();
                return dlg && dlg->Running() && dlg->lblStatus->text() == status;
            });
    }

    static void Rows()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("skip");
        QTest::addColumn<QString>("status");   // the step that fails; "TRANSFER COMPLETED!" when none
        QTest::addColumn<int>("progress");
    }

    static void Row(int family, const char *name, const char *fault, const char *command, int skip,
                    const QString &status, int progress)
    {
        QTest::addRow("%s %s", kFamilies[family].word, name)
            << family << QString::fromLatin1(fault) << QString::fromLatin1(command) << skip << status << progress;
    }

private slots:
    void initTestCase()
    {
        QJsonArray devices;
        for (const Family &f : kFamilies) {
            QJsonObject d = Emulator::device(f.kind == DocKind::Modbus ? "1118"
                                             : f.kind == DocKind::Hostlink ? "1109"
                                                                           : "1116",
                                             QString::fromLatin1(f.version) + QStringLiteral("-SN"), f.mac,
                                             QString::fromLatin1(f.ip), QStringLiteral("velto"));
            d.insert(QStringLiteral("config"),
                     QJsonObject{{"tags", QJsonArray{QJsonObject{{"NAME", "FIRST"}}, QJsonObject{{"NAME", "SECOND"}}}}});
            devices.append(d);
        }
        EmulatorOptions options;
        options.devices = devices;
        emu = std::make_unique<Emulator>(options);
    }

    void init()
    {
        if (!emu->isRunning()) QVERIFY2(emu->start(), qPrintable(emu->errorString()));
        QVERIFY(emu->reset());
        dir = std::make_unique<QTemporaryDir>();
        SetIniFileNameOverride(StdStr(dir->filePath(QStringLiteral("vxt.ini"))));
        SetHttpProxyEnabled(false);
        SetHttpProxyServer("proxy.plant.test");
        SetDecimalSeparator('.');
        w.Create();
        w.form->SetHttpPort(emu->httpPort());
        w.form->IdHTTPLocal.TimeoutMs = kTimeoutMs;
        w.form->IdHTTPRemote.TimeoutMs = kTimeoutMs;
        boxes = std::make_unique<MessageBoxRecorder>();
        vanish = std::make_unique<DeviceVanisher>(*emu, watch);
    }

    void cleanup()
    {
        poll.stop();
        vanish.reset();
        boxes.reset();
        w.Destroy();
        ClearNextFileName();
        SetIniFileNameOverride("");
        dir.reset();
    }

    void cleanupTestCase() { emu.reset(); }

    void send_data()
    {
        Rows();
        for (int f = 0; f < 3; ++f) {
            const QString stop = QStringLiteral("Stopping Velto %1 machine...").arg(QString::fromLatin1(kFamilies[f].word));
            Row(f, "silent device", "silent", "SETSMTP", 0, QStringLiteral("Sending E-Mail Configuration..."), 2);
            Row(f, "reply cut", "cut", "SETTOO", 2, QStringLiteral("Sending E-Mail Recipients List... (3)"), 5);
            Row(f, "HTTP 500", "http500", "DELALLTAG", 0, QStringLiteral("Deleting existing Tags..."), 9);
            Row(f, "wrong command", "wrong", "ADDTAG", 1, QStringLiteral("Sending Tag Configuration... (2)"), 11);
            Row(f, "10 MB reply", "big", "SETCOM", 0, QStringLiteral("TRANSFER COMPLETED!"), 14);
            Row(f, "stopped device", "stopped", "", 0, stop, 0);
            Row(f, "device vanishes", "vanish", "DISABLETAGADMIN", 0, QStringLiteral("Disabling Tag Administration..."),
                12);
        }
    }

    void send()
    {
        QFETCH(int, family);
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(int, skip);
        QFETCH(QString, status);
        QFETCH(int, progress);
        const Family &f = kFamilies[family];
        TMDIChild *doc = SavedDocument(f);
        QVERIFY(doc && doc->Saved);
        Connect(f);
        const FolderSnapshot files(dir->path());
        QCOMPARE(files.FileCount(), 2);   // the document and the settings
        Apply(f, fault, command, skip, status);
        DriveTransfer();
        watch.Start();
        w.form->ConfigurationSendToVeltoExecute();
        watch.Stop();

        QVERIFY(end.seen);
        const bool completes = fault == QStringLiteral("big");
        QCOMPARE(end.status, status);
        QCOMPARE(end.progress, progress);
        QCOMPARE(end.maximum, 14);
        QCOMPARE(end.completed, completes);
        QCOMPARE(end.retry, !completes);
        QVERIFY(end.close);
        QStringList expected{kQuestion};
        if (!completes && fault != QStringLiteral("wrong")) expected << kNoResponse;
        if (!completes) expected << kUnable;
        QCOMPARE(Shown(), expected);
        QVERIFY(doc->Saved);
        if (fault == QStringLiteral("vanish")) QVERIFY(vanish->Vanished());
        const int minMs = fault == QStringLiteral("silent") ? kTimeoutMs : 0;
        VXT_VERIFY_NONE(watch.Problems(minMs, kTimeoutMs + kMarginMs, kTimeoutMs / 2));
        VXT_VERIFY_NONE(files.Differences());
    }

    void get_data()
    {
        Rows();
        for (int f = 0; f < 3; ++f) {
            Row(f, "silent device", "silent", "GETTAGCOUNT", 0, QStringLiteral("Getting Tag Count..."), 0);
            Row(f, "reply cut", "cut", "GETCOM", 0, QStringLiteral("Getting COM Configuration..."), 1);
            Row(f, "HTTP 500", "http500", "GETTOO", 3, QStringLiteral("Getting E-Mail Recipients List... (4)"), 6);
            Row(f, "wrong command", "wrong", "RUN", 0, QStringLiteral("Resetting Device..."), 10);
            Row(f, "10 MB reply", "big", "GETTAG", 1, QStringLiteral("TRANSFER COMPLETED!"), 11);
            Row(f, "stopped device", "stopped", "", 0, QStringLiteral("Getting Tag Count..."), 0);
            Row(f, "device vanishes", "vanish", "GETTAG", 0, QStringLiteral("Getting Tag Configuration... (1)"), 8);
        }
    }

    void get()
    {
        QFETCH(int, family);
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(int, skip);
        QFETCH(QString, status);
        QFETCH(int, progress);
        const Family &f = kFamilies[family];
        TMDIChild *saved = SavedDocument(f);
        QVERIFY(saved && saved->Saved);
        Connect(f);
        const FolderSnapshot files(dir->path());
        QCOMPARE(files.FileCount(), 2);
        Apply(f, fault, command, skip, status);
        DriveTransfer();
        watch.Start();
        w.form->ConfigurationGetFromVeltoExecute();
        watch.Stop();

        QVERIFY(end.seen);
        const bool completes = fault == QStringLiteral("big");
        QCOMPARE(end.status, status);
        QCOMPARE(end.progress, progress);
        // Without a tag count the bar has not been set up for this sequence yet.
        if (fault != QStringLiteral("silent") && fault != QStringLiteral("stopped")) QCOMPARE(end.maximum, 11);
        QCOMPARE(end.completed, completes);
        QCOMPARE(end.retry, !completes);
        QStringList expected;
        if (!completes && fault != QStringLiteral("wrong")) expected << kNoResponse;
        if (!completes) expected << kUnable;
        QCOMPARE(Shown(), expected);
        // A new document either way; it holds the device's configuration only after a whole get.
        auto *got = dynamic_cast<TMDIGatewayConfig *>(w.form->ActiveDocument());
        QVERIFY(got && got != saved);
        QCOMPARE(got->GetTagCount(), completes ? 2 : 0);
        if (completes) QCOMPARE(got->TagName(1), std::string("SECOND"));
        QCOMPARE(got->Saved, !completes);
        QVERIFY(saved->Saved);
        if (fault == QStringLiteral("vanish")) QVERIFY(vanish->Vanished());
        const int minMs = fault == QStringLiteral("silent") ? kTimeoutMs : 0;
        VXT_VERIFY_NONE(watch.Problems(minMs, kTimeoutMs + kMarginMs, kTimeoutMs / 2));
        VXT_VERIFY_NONE(files.Differences());
    }
};

QTEST_MAIN(TestFaultsConfig)
#include "test_faults_config.moc"
