// Sending configurations to the emulated device and getting them back, with the requests it recorded.
#include "Emulator.h"
#include "FileDialog.h"
#include "KeyFilter.h"
#include "test_config_support.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <memory>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMB = QStringLiteral("00-11-22-33-44-01");
const QString kHL = QStringLiteral("00-11-22-33-44-02");
const QString kDF = QStringLiteral("00-11-22-33-44-03");

// What the transfer dialog showed once a sequence had ended.
struct TransferRun {
    QString caption, description, status;
    QStringList device;
    int progress = 0, maximum = 0;
    bool completed = false, retry = false, close = false, closeFocused = false, blinked = false;
};

// Waits for each sequence of the transfer dialog to end, records it, presses Retry `retries`
// times and finally Close.
void DriveTransfer(TfrmTransferConfig *dlg, std::vector<TransferRun> *runs, int retries = 0)
{
    auto poll = std::make_shared<std::function<void()>>();
    auto left = std::make_shared<int>(retries);
    *poll = [dlg, runs, left, poll]() {
        if (!dlg->isVisible() || dlg->Running() || !dlg->btnCancel->isEnabled()) {
            QTimer::singleShot(20, [poll]() { (*poll)(); });
            return;
        }
        TransferRun r;
        r.caption = dlg->windowTitle();
        r.description = dlg->lblDescription->text();
        r.status = dlg->lblStatus->text();
        for (QLabel *l : {dlg->stDevice, dlg->stHostname, dlg->stMACAddress, dlg->stFirmware, dlg->stIPAddress,
                          dlg->stRemoteIP})
            r.device << l->text();
        r.progress = dlg->Progress->value();
        r.maximum = dlg->Progress->maximum();
        r.completed = dlg->Completed;
        r.retry = dlg->btnRetry->isEnabled();
        r.close = dlg->btnCancel->isEnabled();
        r.closeFocused = dlg->btnCancel->hasFocus();
        if (r.completed) {
            const bool first = dlg->lblStatus->isVisible();
            for (int i = 0; i < 15 && !r.blinked; ++i) {
                QTest::qWait(100);
                r.blinked = dlg->lblStatus->isVisible() != first;
            }
        }
        runs->push_back(r);
        if (*left > 0) {
            --*left;
            dlg->btnRetry->click();
            QTimer::singleShot(0, [poll]() { (*poll)(); });
        } else {
            dlg->btnCancel->click();
            *poll = nullptr;
        }
    };
    QTimer::singleShot(0, [poll]() { (*poll)(); });
}

QStringList Commands(const QList<EmulatedRequest> &requests)
{
    QStringList r;
    for (const EmulatedRequest &q : requests) r << q.command;
    return r;
}

QStringList SendSequence(int tags)
{
    QStringList r{"STOP", "SETCOM", "SETSMTP", "SETTOO", "SETTOO", "SETTOO", "SETTOO", "SETTOO", "ENABLETAGADMIN",
                  "DELALLTAG"};
    for (int i = 0; i < tags; ++i) r << QStringLiteral("ADDTAG");
    return r << QStringLiteral("DISABLETAGADMIN") << QStringLiteral("RESET");
}

QStringList GetSequence(int tags)
{
    QStringList r{"GETTAGCOUNT", "STOP", "GETCOM", "GETSMTP", "GETTOO", "GETTOO", "GETTOO", "GETTOO", "GETTOO"};
    for (int i = 0; i < tags; ++i) r << QStringLiteral("GETTAG");
    return r << QStringLiteral("RUN");
}

TModbusTagConfig ModbusFloatTag()
{
    TModbusTagConfig t;
    t.Name = "TANK1";
    t.UnitID = 17;
    t.Type = 4;
    t.Address = 123;
    t.Reg32 = true;
    t.Limits = true;
    t.WrMin.AsFloat = -1.5f;
    t.WrMax.AsFloat = 0.1f;
    t.Alarm = true;
    t.EMail = true;
    t.AlMin.AsFloat = 2.25f;
    t.AlMax.AsFloat = 1e5f;
    t.Scale = 1;
    t.FactorA = 0.5f;
    t.FactorB = -3;
    t.Kind = KindFloat;
    t.Trap = true;
    return t;
}

TModbusTagConfig ModbusCoil()
{
    TModbusTagConfig t;
    t.Name = "PUMP";
    t.UnitID = 1;
    t.RegTable = 3;
    t.Type = 8;
    t.Address = 1;
    t.Alarm = true;
    t.AlMax.AsBoolean = true;
    t.Kind = KindDigital;
    return t;
}

}  // namespace

class TestConfigTransfer : public QObject {
    Q_OBJECT
private:
    ConfigWindows w;
    std::unique_ptr<Emulator> emu;

    void Connect(const QString &mac, const char *model, const char *version, const char *ip, uint8_t family)
    {
        w.form->Connected = true;
        TDeviceData &d = w.form->ConnectedDevice;
        d = TDeviceData{};
        d.Device = model;
        d.Hostname = "velto";
        d.MAC = StdStr(mac);
        d.Version = version;
        d.IP = ip;
        d.Family = family;
    }

    QList<EmulatedRequest> Requests() { return emu->requests(QStringLiteral("http")); }

    // Sends the open document to the emulated Modbus device through the real transfer dialog.
    void SendToModbusDevice(std::vector<TransferRun> &runs)
    {
        Connect(kMB, "Velto-10-MB", "2.0.6", "127.0.0.2", 0);
        QVERIFY(emu->clearRequests());
        DriveTransfer(frmTransferModbusConfig, &runs);
        w.form->ConfigurationSendToVeltoExecute();
    }

    bool SetDeviceConfig(const QString &mac, const QJsonObject &changes)
    {
        const bool ok = emu->setDeviceState(mac, QJsonObject{{"config", changes}});
        if (!ok) qWarning("config: %s", qPrintable(emu->errorString()));
        return ok;
    }

    TMDIModbusConfig *ModbusDocument()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->cboComType->setCurrentIndex(1);
        doc->cboBaudRate->setCurrentIndex(4);
        doc->cboParity->setCurrentIndex(2);
        doc->cboFormat->setCurrentIndex(1);
        doc->sldScanTime->setValue(250);
        doc->txtPacketTout->setText(QStringLiteral("5"));
        doc->chkEMailEnable->setChecked(true);
        doc->txtEMailServer->setText(QStringLiteral("mail.plant.test"));
        doc->txtEMailSender->setText(QStringLiteral("velto@plant.test"));
        doc->chkAuth->setChecked(true);
        doc->txtUser->setText(QStringLiteral("op"));
        doc->txtPass1->setText(QStringLiteral("se,cret"));
        doc->txtPass2->setText(QStringLiteral("se,cret"));
        doc->lstEMailRecipients->addItems({QStringLiteral("a@plant.test"), QStringLiteral("b@plant.test")});
        doc->AddTagToList(ModbusFloatTag());
        doc->AddTagToList(ModbusCoil());
        return doc;
    }

private slots:
    void init()
    {
        SetDecimalSeparator('.');
        w.Create();
        EmulatorOptions options;
        options.devices = {Emulator::device("1118", "2.0.6", kMB, "127.0.0.2", "velto-mb"),
                           Emulator::device("1109", "2.0.4-SN", kHL, "127.0.0.3", "velto-hl"),
                           Emulator::device("1116", "2.0.5-SN", kDF, "127.0.0.4", "velto-df")};
        emu = std::make_unique<Emulator>(options);
        QVERIFY2(emu->start(), qPrintable(emu->errorString()));
        w.form->SetHttpPort(emu->httpPort());
        w.form->IdHTTPLocal.TimeoutMs = 1000;
        w.form->IdHTTPRemote.TimeoutMs = 1000;
    }

    void cleanup()
    {
        emu.reset();
        w.Destroy();
    }

    void modbusSendAndGetBack()
    {
        TMDIModbusConfig *doc = ModbusDocument();
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        SendToModbusDevice(runs);
        QCOMPARE(boxes.Texts(),
                 std::vector<std::string>{"Sending this configuration to Velto will overwrite current Device "
                                          "Configuration.\r\nAre you sure to Send this configuration to Connected "
                                          "Velto?"});
        QVERIFY(boxes.Shown()[0].Kind == MsgKind::Warning);
        QCOMPARE(runs.size(), size_t(1));
        const TransferRun &r = runs[0];
        QVERIFY(r.completed);
        QCOMPARE(r.caption, QStringLiteral("Send Configuration To Velto Modbus"));
        QCOMPARE(r.description, QStringLiteral("Sending Configuration To Velto Modbus..."));
        QCOMPARE(r.status, QStringLiteral("TRANSFER COMPLETED!"));
        QCOMPARE(r.device, (QStringList{"Velto-10-MB", "velto", kMB, "2.0.6", "127.0.0.2", ""}));
        QCOMPARE(r.maximum, 14);
        QCOMPARE(r.progress, 14);
        QVERIFY(!r.retry && r.close && r.closeFocused && r.blinked);

        const QList<EmulatedRequest> sent = Requests();
        QCOMPARE(Commands(sent), SendSequence(2));
        for (const EmulatedRequest &q : sent) QCOMPARE(q.path, QStringLiteral("/admpost.cgi"));
        QCOMPARE(sent[1].body, QByteArray("SETCOM(COM=0,COMTYPE=2,FORMAT=1,BAUD=19200,PARITY=2,PKTTOUT=5,"
                                          "MSGTOUT=1000,RETRIES=1,SCANTIME=250,);"));
        QCOMPARE(sent[2].body, QByteArray("SETSMTP(ENABLE=1,SERVER=mail.plant.test,TIMEOUT=20,RETRIES=5,RETRYINT=10,"
                                          "FROM=velto@plant.test,AUTH=1,USER=op,PASS=se/cocret,);"));
        QCOMPARE(sent[4].body, QByteArray("SETTOO(TOO=1,EMAIL=b@plant.test,);"));
        QCOMPARE(sent[5].body, QByteArray("SETTOO(TOO=2,EMAIL=,);"));
        QCOMPARE(sent[10].body, QByteArray("ADDTAG(NAME=TANK1,SOURCE=0,UNIT=17,TYPE=4,MBFUNC=4,ADDRESS=122,REG32=1,"
                                           "BIT=0,SCALE=2,FACT_A=5.00000000E-1,FACT_B=-3.00000000E0,READONLY=0,"
                                           "LIMITS=1,ALARM=1,EMAIL=1,TRAP=1,WRLO=-1.50000000E0,WRHI=1.00000001E-1,"
                                           "ALLO=2.25000000E0,ALHI=1.00000000E5,);"));
        QCOMPARE(sent[11].body, QByteArray("ADDTAG(NAME=PUMP,SOURCE=0,UNIT=1,TYPE=8,MBFUNC=0,ADDRESS=0,REG32=0,BIT=0,"
                                           "SCALE=1,FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,"
                                           "ALARM=1,EMAIL=0,TRAP=0,WRLO=0,WRHI=0,ALLO=0,ALHI=1,);"));
        for (const EmulatedRequest &q : sent) QVERIFY2(q.reply.startsWith("ACK("), q.reply.constData());

        // Back into a new document: the same pages and rows.
        QVERIFY(emu->clearRequests());
        runs.clear();
        boxes.Clear();
        DriveTransfer(frmTransferModbusConfig, &runs);
        w.form->ConfigurationGetFromVeltoExecute();
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(runs.size(), size_t(1));
        QVERIFY(runs[0].completed);
        QCOMPARE(runs[0].caption, QStringLiteral("Get Configuration From Velto Modbus"));
        QCOMPARE(runs[0].description, QStringLiteral("Getting Configuration From Velto Modbus..."));
        QCOMPARE(runs[0].maximum, 11);
        QCOMPARE(runs[0].progress, 11);
        QCOMPARE(Commands(Requests()), GetSequence(2));
        auto *got = dynamic_cast<TMDIModbusConfig *>(w.form->ActiveDocument());
        QVERIFY(got && got != doc);
        QCOMPARE(got->windowTitle().left(40), QStringLiteral("Velto Modbus Configuration - noname2.vlt"));
        QVERIFY(!got->Saved);
        QCOMPARE(got->AllRows(), doc->AllRows());
        QCOMPARE(got->SerialFromPage().Baud, 4);
        QCOMPARE(got->cboComType->currentText(), QStringLiteral("RS-485"));
        QCOMPARE(got->cboFormat->currentText(), QStringLiteral("ASCII"));
        QCOMPARE(got->txtPacketTout->text(), QStringLiteral("5"));
        QCOMPARE(got->stScanTime->text(), QStringLiteral("250 ms"));
        QCOMPARE(got->txtPass2->text(), QStringLiteral("se,cret"));
        QVERIFY(got->chkAuth->isChecked() && got->txtUser->isEnabled());
        QCOMPARE(got->lstEMailRecipients->count(), 2);
    }

    void oldFirmwareSendsNoAuthentication()
    {
        ModbusDocument();
        Connect(kMB, "Velto-10-MB", "2.0.5-SN", "127.0.0.2", 0);
        QVERIFY(emu->clearRequests());
        MessageBoxRecorder boxes;
        QString notice;
        bool noticeBeforeQuestion = false;
        WhenModalOf<TfrmNoFeature>([&](TfrmNoFeature *dlg) {
            notice = dlg->txtUnsupported->text();
            noticeBeforeQuestion = boxes.Shown().empty();
            dlg->btnOk->click();
        });
        std::vector<TransferRun> runs;
        DriveTransfer(frmTransferModbusConfig, &runs);
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(notice, QStringLiteral("SMTP relay not authenticated"));
        QVERIFY(noticeBeforeQuestion);
        QVERIFY(OldFirmware);
        QCOMPARE(runs.size(), size_t(1));
        QCOMPARE(Requests()[2].body, QByteArray("SETSMTP(ENABLE=1,SERVER=mail.plant.test,TIMEOUT=20,RETRIES=5,"
                                                "RETRYINT=10,FROM=velto@plant.test,AUTH=0,USER=,PASS=,);"));
    }

    void answeringNoSendsNothing()
    {
        ModbusDocument();
        Connect(kMB, "Velto-10-MB", "2.0.6", "127.0.0.2", 0);
        QVERIFY(emu->clearRequests());
        MessageBoxRecorder boxes;
        boxes.Answer(MsgResult::No);
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(boxes.Shown().size(), size_t(1));
        QVERIFY(!frmTransferModbusConfig->isVisible());
        QVERIFY(Requests().isEmpty());
    }

    void aWrongReplyStopsAndRetryStartsAgain()
    {
        ModbusDocument();
        Connect(kMB, "Velto-10-MB", "2.0.6", "127.0.0.2", 0);
        QVERIFY(emu->clearRequests());
        QVERIFY(emu->setFail(kMB, QStringLiteral("wrong"), 1, QStringLiteral("SETSMTP")));
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        DriveTransfer(frmTransferModbusConfig, &runs, 1);
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(boxes.Texts(), (std::vector<std::string>{boxes.Texts()[0],
                                                          "Configuration Transfer was unable to complete."}));
        QVERIFY(boxes.Shown()[1].Kind == MsgKind::Error);
        QCOMPARE(runs.size(), size_t(2));
        QVERIFY(!runs[0].completed);
        QCOMPARE(runs[0].status, QStringLiteral("Sending E-Mail Configuration..."));
        QCOMPARE(runs[0].progress, 2);
        QVERIFY(runs[0].retry && runs[0].close);
        QVERIFY(runs[1].completed);
        QStringList expected{"STOP", "SETCOM", "SETSMTP"};
        expected << SendSequence(2);
        QCOMPARE(Commands(Requests()), expected);
    }

    void noAnswerShowsTheChannelBoxFirst()
    {
        ModbusDocument();
        Connect(kMB, "Velto-10-MB", "2.0.6", "127.0.0.2", 0);
        QVERIFY(emu->clearRequests());
        QVERIFY(emu->setFail(kMB, QStringLiteral("close"), 1, QStringLiteral("ADDTAG")));
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        DriveTransfer(frmTransferModbusConfig, &runs);
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(boxes.Texts(), (std::vector<std::string>{boxes.Texts()[0],
                                                          "No Response from Device. Check the connection and try "
                                                          "again.",
                                                          "Configuration Transfer was unable to complete."}));
        QCOMPARE(runs[0].status, QStringLiteral("Sending Tag Configuration... (1)"));
        QCOMPARE(runs[0].progress, 10);
        // Nothing undoes the steps that completed.
        QCOMPARE(Commands(Requests()), SendSequence(2).mid(0, 11));
    }

    void aFailedGetLeavesTheNewDocumentAsNewMadeIt()
    {
        QVERIFY(SetDeviceConfig(kHL, QJsonObject{{"tags", QJsonArray{QJsonObject{{"NAME", "A"}}}}}));
        Connect(kHL, "Velto-10-HL", "2.0.4-SN", "127.0.0.3", 1);
        QVERIFY(emu->setFail(kHL, QStringLiteral("wrong"), 1, QStringLiteral("GETTAG")));
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        DriveTransfer(frmTransferHostlinkConfig, &runs);
        w.form->ConfigurationGetFromVeltoExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Configuration Transfer was unable to complete."});
        QVERIFY(!runs[0].completed);
        QCOMPARE(runs[0].status, QStringLiteral("Getting Tag Configuration... (1)"));
        auto *doc = dynamic_cast<TMDIHostlinkConfig *>(w.form->ActiveDocument());
        QVERIFY(doc);
        QVERIFY(doc->Saved);
        QCOMPARE(doc->GetTagCount(), 0);
        QVERIFY(!doc->chkEMailEnable->isChecked());
        QCOMPARE(doc->windowTitle(), QStringLiteral("Velto Hostlink Configuration - noname1.vlt"));
    }

    void hostlinkSendAndGet()
    {
        auto *doc = w.NewDocument<TMDIHostlinkConfig>(DocKind::Hostlink);
        doc->cboComType->setCurrentIndex(2);
        doc->cboParity->setCurrentIndex(1);
        doc->sldMessageTout->setValue(500);
        THostlinkTagConfig t;
        t.Name = "DM100";
        t.UnitID = 2;
        t.RegTable = 5;
        t.Address = 100;
        t.Limits = true;
        t.WrMax.AsInteger = 65535;
        t.Kind = KindInteger;
        doc->AddTagToList(t);
        Connect(kHL, "Velto-10-HL", "2.0.4-SN", "127.0.0.3", 1);
        QVERIFY(emu->clearRequests());
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        DriveTransfer(frmTransferHostlinkConfig, &runs);
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(boxes.Shown().size(), size_t(1));
        QVERIFY(runs.at(0).completed);
        QCOMPARE(runs[0].caption, QStringLiteral("Send Configuration To Velto Hostlink"));
        const QList<EmulatedRequest> sent = Requests();
        QCOMPARE(Commands(sent), SendSequence(1));
        QCOMPARE(sent[1].body, QByteArray("SETCOM(COM=0,COMTYPE=3,BAUD=9600,PARITY=1,MSGTOUT=500,RETRIES=1,"
                                          "SCANTIME=100,);"));
        QCOMPARE(sent[10].body, QByteArray("ADDTAG(NAME=DM100,SOURCE=0,UNIT=2,TYPE=0,HLFUNC=6,ADDRESS=100,BIT=0,"
                                           "SCALE=1,FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=1,"
                                           "ALARM=0,EMAIL=0,WRLO=0,WRHI=65535,ALLO=0,ALHI=0,);"));
        QVERIFY(emu->clearRequests());
        runs.clear();
        DriveTransfer(frmTransferHostlinkConfig, &runs);
        w.form->ConfigurationGetFromVeltoExecute();
        QVERIFY(runs.at(0).completed);
        QCOMPARE(runs[0].status, QStringLiteral("TRANSFER COMPLETED!"));
        QCOMPARE(Commands(Requests()), GetSequence(1));
        QCOMPARE(Requests()[1].body, QByteArray("STOP();"));
        auto *got = dynamic_cast<TMDIHostlinkConfig *>(w.form->ActiveDocument());
        QCOMPARE(got->AllRows(), doc->AllRows());
        QCOMPARE(got->cboComType->currentText(), QStringLiteral("RS-422"));
        QCOMPARE(got->cboParity->currentText(), QStringLiteral("Odd"));
        QCOMPARE(got->stMessageTout->text(), QStringLiteral("500 ms"));
    }

    void dF1SendAndGet()
    {
        auto *doc = w.NewDocument<TMDIDF1Config>(DocKind::DF1);
        doc->cboBaudRate->setCurrentIndex(0);
        doc->cboDataBits->setCurrentIndex(0);
        doc->cboParity->setCurrentIndex(1);
        doc->cboErrorMethod->setCurrentIndex(1);
        TDF1TagConfig t;
        t.Name = "N7_12";
        t.FileType = 4;
        t.FileNumber = 7;
        t.WordNumber = 12;
        t.Type = 3;
        t.Alarm = true;
        t.AlMin.AsFloat = -0.5f;
        t.AlMax.AsFloat = 99.5f;
        t.Kind = KindFloat;
        doc->AddTagToList(t);
        Connect(kDF, "Velto-10-DF1", "2.0.5-SN", "127.0.0.4", 2);
        QVERIFY(emu->clearRequests());
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        DriveTransfer(frmTransferDF1Config, &runs);
        w.form->ConfigurationSendToVeltoExecute();
        QVERIFY(runs.at(0).completed);
        const QList<EmulatedRequest> sent = Requests();
        QCOMPARE(Commands(sent), SendSequence(1));
        QCOMPARE(sent[0].body, QByteArray("STOP();"));
        QCOMPARE(sent[1].body,
                 QByteArray("SETCOM(COM=0,COMTYPE=0,BAUD=2400,DATABITS=1,PARITY=1,MSGTOUT=1000,SCANTIME=100,"
                            "ERRORMTHD=1,);"));
        QCOMPARE(sent[10].body, QByteArray("ADDTAG(NAME=N7_12,SOURCE=0,FILETYPE=137,FILENUMBER=7,ELEMENT=12,"
                                           "SUBELEMENT=0,TYPE=3,BIT=0,SCALE=1,FACT_A=0.00000000E0,"
                                           "FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=1,EMAIL=0,"
                                           "WRLO=0.00000000E0,WRHI=0.00000000E0,ALLO=-5.00000000E-1,"
                                           "ALHI=9.95000000E1,);"));
        QVERIFY(emu->clearRequests());
        runs.clear();
        DriveTransfer(frmTransferDF1Config, &runs);
        w.form->ConfigurationGetFromVeltoExecute();
        QVERIFY(runs.at(0).completed);
        QCOMPARE(runs[0].caption, QStringLiteral("Get Configuration From Velto DF1"));
        auto *got = dynamic_cast<TMDIDF1Config *>(w.form->ActiveDocument());
        QCOMPARE(got->AllRows(), doc->AllRows());
        QCOMPARE(got->cboDataBits->currentText(), QStringLiteral("7"));
        QCOMPARE(got->cboParity->currentText(), QStringLiteral("Even"));
        QCOMPARE(got->cboErrorMethod->currentText(), QStringLiteral("BCC"));
    }

    // What the device holds beyond what the boxes let one type is shown whole: Validate refuses it
    // with its own messages instead of the cut value passing, and typing still stops at the limit.
    void aGetShowsTheDevicesValuesWhole()
    {
        const QString password = QStringLiteral("pass-word-").repeated(3);
        QVERIFY(SetDeviceConfig(kMB, QJsonObject{
            {"com", QJsonObject{{"PKTTOUT", 100}}},
            {"smtp", QJsonObject{{"ENABLE", true}, {"SERVER", "mail.plant.test"}, {"TIMEOUT", 1000}, {"RETRIES", 150},
                                 {"FROM", "velto@plant.test"}, {"AUTH", true}, {"USER", "op"}, {"PASS", password}}}}));
        Connect(kMB, "Velto-10-MB", "2.0.6", "127.0.0.2", 0);
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        DriveTransfer(frmTransferModbusConfig, &runs);
        w.form->ConfigurationGetFromVeltoExecute();
        QCOMPARE(runs.size(), size_t(1));
        QVERIFY(runs[0].completed);
        auto *got = dynamic_cast<TMDIModbusConfig *>(w.form->ActiveDocument());
        QVERIFY(got);
        QCOMPARE(got->txtPacketTout->text(), QStringLiteral("100"));
        QCOMPARE(got->txtEMailTimeout->text(), QStringLiteral("1000"));
        QCOMPARE(got->txtEMailRetries->text(), QStringLiteral("150"));
        QCOMPARE(got->txtPass1->text(), password);
        QCOMPARE(got->txtPass2->text(), password);

        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form));
        const std::vector<std::pair<QLineEdit *, const char *>> refusals = {
            {got->txtPacketTout, "Invalid Packet Timeout."},
            {got->txtEMailTimeout, "Invalid E-Mail Delivery Timeout."},
            {got->txtEMailRetries, "Invalid E-Mail Delivery Retries."}};
        for (const auto &[edit, message] : refusals) {
            boxes.Clear();
            QVERIFY(!got->Validate());
            QCOMPARE(boxes.Texts(), std::vector<std::string>{message});
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(edit));
            // Typing stops at the box's limit again.
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("12345"));
            QCOMPARE(edit->text().size(), TypingLimit(edit));
            edit->setText(QStringLiteral("20"));
        }
        boxes.Clear();
        QVERIFY(got->Validate());

        // The whole password goes back to the device.
        QVERIFY(emu->clearRequests());
        runs.clear();
        DriveTransfer(frmTransferModbusConfig, &runs);
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(runs.size(), size_t(1));
        QVERIFY(runs[0].completed);
        QCOMPARE(Requests()[2].body, QByteArray("SETSMTP(ENABLE=1,SERVER=mail.plant.test,TIMEOUT=20,RETRIES=20,"
                                                "RETRYINT=10,FROM=velto@plant.test,AUTH=1,USER=op,PASS=") +
                                         password.toLatin1() + ",);");
    }

    // A device set up elsewhere may hold an empty slot between two recipients: the get closes the
    // list up, so Validate passes and the send puts both addresses back, in slots 0 and 1.
    void aGetClosesUpTheDevicesRecipients_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<int>("family");
        QTest::newRow("Modbus") << kMB << "Velto-10-MB" << "2.0.6" << "127.0.0.2" << 0;
        QTest::newRow("Hostlink") << kHL << "Velto-10-HL" << "2.0.4-SN" << "127.0.0.3" << 1;
        QTest::newRow("DF1") << kDF << "Velto-10-DF1" << "2.0.5-SN" << "127.0.0.4" << 2;
    }

    void aGetClosesUpTheDevicesRecipients()
    {
        QFETCH(QString, mac);
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(QString, ip);
        QFETCH(int, family);
        TfrmTransferConfig *dialog =
            std::array<TfrmTransferConfig *, 3>{frmTransferModbusConfig, frmTransferHostlinkConfig,
                                                frmTransferDF1Config}[size_t(family)];
        QVERIFY(SetDeviceConfig(mac, QJsonObject{
            {"smtp", QJsonObject{{"ENABLE", true}, {"SERVER", "mail.example.test"}, {"FROM", "velto@example.test"}}},
            {"recipients", QJsonArray{"operator@example.test", "", "shift@example.test"}}}));
        Connect(mac, qPrintable(model), qPrintable(version), qPrintable(ip), uint8_t(family));
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        DriveTransfer(dialog, &runs);
        w.form->ConfigurationGetFromVeltoExecute();
        QCOMPARE(runs.size(), size_t(1));
        QVERIFY(runs[0].completed);
        auto *got = dynamic_cast<TMDIGatewayConfig *>(w.form->ActiveDocument());
        QVERIFY(got);
        QStringList lines;
        for (int i = 0; i < got->lstEMailRecipients->count(); ++i) lines << got->lstEMailRecipients->item(i)->text();
        QCOMPARE(lines, (QStringList{"operator@example.test", "shift@example.test"}));

        QVERIFY(emu->clearRequests());
        runs.clear();
        DriveTransfer(dialog, &runs);
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(boxes.Texts().size(), size_t(1));  // the overwrite question only
        QCOMPARE(runs.size(), size_t(1));
        QVERIFY(runs[0].completed);
        const QList<EmulatedRequest> sent = Requests();
        QCOMPARE(Commands(sent), SendSequence(0));
        QCOMPARE(sent[3].body, QByteArray("SETTOO(TOO=0,EMAIL=operator@example.test,);"));
        QCOMPARE(sent[4].body, QByteArray("SETTOO(TOO=1,EMAIL=shift@example.test,);"));
        for (int slot = 2; slot < 5; ++slot)
            QCOMPARE(sent[3 + slot].body, QByteArray("SETTOO(TOO=") + QByteArray::number(slot) + ",EMAIL=,);");
    }

    // An SMTP text the device cannot get whole ("/" has no code in a message, a character outside
    // Latin-1 no byte) is refused with its field's message and focus, and nothing is sent.
    void smtpTextsTheDeviceCannotCarrySendNothing()
    {
        TMDIModbusConfig *doc = ModbusDocument();
        Connect(kMB, "Velto-10-MB", "2.0.6", "127.0.0.2", 0);
        QVERIFY(QTest::qWaitForWindowActive(w.form));
        QVERIFY(emu->clearRequests());
        MessageBoxRecorder boxes;
        const QString pass = QString::fromUtf8("\u20ACuro-\u914D");
        struct Case {
            std::function<void()> set;
            std::string message;
            QWidget *focus;
        };
        const std::vector<Case> cases = {
            {[doc] { doc->txtUser->setText(QStringLiteral("op/1")); }, "The SMTP Username cannot contain \"/\" (U+002F).",
             doc->txtUser},
            {[doc] { doc->txtUser->setText(QString::fromUtf8("J\u00FCrgen\u20AC")); },
             "The SMTP Username cannot contain \"\u20AC\" (U+20AC).", doc->txtUser},
            {[doc] {
                 doc->txtUser->setText(QStringLiteral("op"));
                 doc->txtPass1->setText(QStringLiteral("se/cret"));
                 doc->txtPass2->setText(QStringLiteral("se/cret"));
             },
             "The SMTP Password cannot contain \"/\" (U+002F).", doc->txtPass1},
            // The file keeps no blanks at a text's ends, so such a password could not be kept as sent.
            {[doc] {
                 doc->txtPass1->setText(QStringLiteral("secret "));
                 doc->txtPass2->setText(QStringLiteral("secret "));
             },
             "The SMTP Password cannot begin or end with a blank.", doc->txtPass1},
            {[doc, pass] {
                 doc->txtPass1->setText(pass);
                 doc->txtPass2->setText(pass);
             },
             "The SMTP Password cannot contain \"\u20AC\" (U+20AC).", doc->txtPass1},
            // Relaying off: the texts still travel, so they are still refused (as the server is,
            // its box disabled alike).
            {[doc] {
                 doc->chkEMailEnable->setChecked(false);
                 doc->txtPass2->setText(QString());
             },
             "The SMTP Password cannot contain \"\u20AC\" (U+20AC).", nullptr},
            {[doc] {
                 doc->chkEMailEnable->setChecked(true);
                 doc->txtPass1->setText(QStringLiteral("secret"));
                 doc->txtEMailServer->setText(QStringLiteral("mail/plant.test"));
             },
             "Invalid SMTP Server.", doc->txtEMailServer},
            {[doc] { doc->txtEMailServer->setText(QString::fromUtf8("mail.\u914D.test")); }, "Invalid SMTP Server.",
             doc->txtEMailServer},
            {[doc] {
                 doc->txtEMailServer->setText(QStringLiteral("mail.plant.test"));
                 doc->txtEMailSender->setText(QStringLiteral("velto/1@plant.test"));
             },
             "Invalid E-mail Address.", doc->txtEMailSender},
            {[doc] { doc->txtEMailSender->setText(QString::fromUtf8("velto\u20AC@plant.test")); },
             "Invalid E-mail Address.", doc->txtEMailSender},
            {[doc] {
                 doc->txtEMailSender->setText(QStringLiteral("velto@plant.test"));
                 doc->lstEMailRecipients->item(1)->setText(QStringLiteral("b/c@plant.test"));
             },
             "Invalid E-mail Address.", doc->lstEMailRecipients},
            {[doc] { doc->lstEMailRecipients->item(1)->setText(QString::fromUtf8("b\u914D@plant.test")); },
             "Invalid E-mail Address.", doc->lstEMailRecipients},
            // Authentication off: the confirmation, its box disabled, is still named.
            {[doc] {
                 doc->lstEMailRecipients->item(1)->setText(QStringLiteral("b@plant.test"));
                 doc->chkAuth->setChecked(false);
                 doc->txtPass2->setText(QString::fromUtf8("se\u20AC"));
             },
             "The SMTP Confirm Password cannot contain \"\u20AC\" (U+20AC).", nullptr}};
        for (const Case &c : cases) {
            c.set();
            doc->PageControl->setCurrentIndex(2);
            boxes.Clear();
            w.form->ConfigurationSendToVeltoExecute();
            QCOMPARE(boxes.Texts(), std::vector<std::string>{c.message});
            QCOMPARE(doc->PageControl->currentIndex(), 1);
            if (c.focus) QCOMPARE(QApplication::focusWidget(), c.focus);
        }
        QVERIFY(Requests().isEmpty());
    }

    // The file drops the blanks around the SMTP names and addresses, so the send drops them too:
    // the device gets what a reopened file holds.
    void smtpNamesAreSentAsTheFileKeepsThem()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("blanks.vlt"));
        TMDIModbusConfig *doc = ModbusDocument();
        doc->txtEMailServer->setText(QStringLiteral(" mail.plant.test "));
        doc->txtEMailSender->setText(QStringLiteral("  velto@plant.test"));
        doc->txtUser->setText(QStringLiteral("op "));
        doc->lstEMailRecipients->item(1)->setText(QStringLiteral(" b@plant.test "));
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        SendToModbusDevice(runs);
        QVERIFY(runs.size() == 1 && runs[0].completed);
        const QList<EmulatedRequest> sent = Requests();
        QCOMPARE(sent[2].body, QByteArray("SETSMTP(ENABLE=1,SERVER=mail.plant.test,TIMEOUT=20,RETRIES=5,RETRYINT=10,"
                                          "FROM=velto@plant.test,AUTH=1,USER=op,PASS=se/cocret,);"));
        QCOMPARE(sent[4].body, QByteArray("SETTOO(TOO=1,EMAIL=b@plant.test,);"));
        SetNextFileName(path.toStdString());
        QVERIFY(doc->SaveAs());
        ClearNextFileName();
        const std::string bytes = ReadBytes(path);
        for (const char *line : {"SERVER=mail.plant.test\r\n", "FROM=velto@plant.test\r\n", "USER=op\r\n",
                                 "TOO_1=b@plant.test\r\n"})
            QVERIFY2(bytes.find(line) != std::string::npos, line);
    }

    // A file written elsewhere can hold "/" where the device cannot take it: the send stops with the
    // field's message, then with the tag's row message, and nothing goes out.
    void aFileHoldingASlashIsRefusedAtSend()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("slash.vlt"));
        TMDIModbusConfig *doc = ModbusDocument();
        SetNextFileName(path.toStdString());
        QVERIFY(doc->SaveAs());
        ClearNextFileName();
        std::string bytes = ReadBytes(path);
        for (const auto &[from, to] : {std::pair<std::string, std::string>{"NAME=TANK1\r\n", "NAME=TANK/1\r\n"},
                                       {"PASS=se,cret\r\n", "PASS=se/cret\r\n"}}) {
            const size_t at = bytes.find(from);
            QVERIFY(at != std::string::npos);
            bytes.replace(at, from.size(), to);
        }
        WriteBytes(path, bytes);
        auto *opened = dynamic_cast<TMDIModbusConfig *>(w.form->CreateDocument(DocKind::Modbus));
        opened->Open(path.toStdString());
        QCOMPARE(opened->TagName(0), std::string("TANK/1"));
        QCOMPARE(w.form->ActiveDocument(), static_cast<TMDIChild *>(opened));
        Connect(kMB, "Velto-10-MB", "2.0.6", "127.0.0.2", 0);
        QVERIFY(QTest::qWaitForWindowActive(w.form));
        QVERIFY(emu->clearRequests());
        MessageBoxRecorder boxes;
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"The SMTP Password cannot contain \"/\" (U+002F)."});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(opened->txtPass1));

        opened->txtPass1->setText(QStringLiteral("secret"));
        opened->txtPass2->setText(QStringLiteral("secret"));
        boxes.Clear();
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"The Tag \"TANK/1\" has a value that is not valid in \"Name\": "
                                                         "\"TANK/1\".\r\nDelete this Tag and add it again."});
        QVERIFY(boxes.Shown()[0].Kind == MsgKind::Error);
        QCOMPARE(opened->PageControl->currentIndex(), 2);
        QCOMPARE(opened->SelectedTagIndex(), 0);
        QVERIFY(!frmTransferModbusConfig->isVisible());
        QVERIFY(Requests().isEmpty());
    }

    void moreThan128TagsAreNotFetched()
    {
        QJsonArray tags;
        for (int i = 0; i < 128; ++i) tags.append(QJsonObject{{"NAME", QStringLiteral("T%1").arg(i)}});
        QVERIFY(SetDeviceConfig(kDF, QJsonObject{{"tags", tags}, {"tag_count_reply", 130}}));
        Connect(kDF, "Velto-10-DF1", "2.0.5-SN", "127.0.0.4", 2);
        QVERIFY(emu->clearRequests());
        MessageBoxRecorder boxes;
        std::vector<TransferRun> runs;
        DriveTransfer(frmTransferDF1Config, &runs);
        w.form->ConfigurationGetFromVeltoExecute();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"The Velto holds 130 Tags, more than the 128 a configuration "
                                                         "can hold.\r\nOnly the first 128 Tags are taken."});
        QVERIFY(runs.at(0).completed);
        QCOMPARE(runs[0].maximum, 128 + 9);
        QCOMPARE(Commands(Requests()), GetSequence(128));
        auto *got = dynamic_cast<TMDIDF1Config *>(w.form->ActiveDocument());
        QCOMPARE(got->GetTagCount(), 128);
        QCOMPARE(got->TagName(127), std::string("T127"));
    }

    void screenshot()
    {
        if (qEnvironmentVariableIsEmpty("VXT_SCREENSHOTS")) QSKIP("VXT_SCREENSHOTS not set");
        ModbusDocument();
        Connect(kMB, "Velto-10-MB", "2.0.6", "127.0.0.2", 0);
        MessageBoxRecorder boxes;
        WhenModalOf<TfrmTransferModbusConfig>([](TfrmTransferModbusConfig *dlg) {
            QTRY_VERIFY(dlg->btnCancel->isEnabled());
            dlg->lblStatus->setVisible(true);
            dlg->grab().save(QStringLiteral("/tmp/vxt-transfer.png"));
            dlg->btnCancel->click();
        });
        w.form->ConfigurationSendToVeltoExecute();
    }
};

QTEST_MAIN(TestConfigTransfer)
#include "test_config_transfer.moc"
