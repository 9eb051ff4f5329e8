// The three configuration documents: new, open, save, validation, enable rules, recipients.
#include "Command.h"
#include "FileDialog.h"
#include "FileUtils.h"
#include "KeyFilter.h"
#include "PasteDrive.h"
#include "test_config_support.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vxt;
using namespace vxt::test;

namespace {

const std::string kSmtpDefault = "[SMTP]\r\nENABLE=0\r\nSERVER=\r\nTIMEOUT=20\r\nRETRIES=5\r\nRETRYINT=10\r\nFROM=\r\n"
                                 "AUTH=0\r\nUSER=\r\nPASS=\r\nTOO_0=\r\nTOO_1=\r\nTOO_2=\r\nTOO_3=\r\nTOO_4=\r\nTOO_5=\r\n"
                                 "\r\n";

QStringList Headers(QTableWidget *t)
{
    QStringList r;
    for (int i = 0; i < t->columnCount(); ++i) r << t->horizontalHeaderItem(i)->text();
    return r;
}

std::string Warning(const char *label, const char *read, const char *def)
{
    return Format("The paramenter \"%s\" has not a valid value (%s).\r\n Value \"%s\" is taken as Default.", label, read,
                  def);
}

}  // namespace

class TestConfigDocuments : public QObject {
    Q_OBJECT
private:
    ConfigWindows w;
    QTemporaryDir dir;
    QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Saves a new document at once through Save As into `name`; the file's bytes.
    std::string SaveNew(TMDIChild *doc, const char *name)
    {
        SetNextFileName(Path(name).toStdString());
        MessageBoxRecorder boxes;
        if (!doc->Save()) return "<not saved>";
        if (!boxes.Shown().empty()) return "<box: " + boxes.Shown()[0].Text + ">";
        return ReadBytes(Path(name));
    }

private slots:
    void init() { w.Create(); }
    void cleanup()
    {
        ClearNextFileName();
        w.Destroy();
    }

    void newModbusDocumentSavedAtOnce()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        QCOMPARE(doc->windowTitle(), QStringLiteral("Velto Modbus Configuration - noname1.vlt"));
        QVERIFY(doc->Saved);
        QVERIFY(!doc->Named);
        QCOMPARE(Headers(doc->lstTags).size(), 19);
        QCOMPARE(Headers(doc->lstTags).last(), QStringLiteral("Trap"));
        QCOMPARE(doc->PageControl->currentIndex(), 0);
        QCOMPARE(doc->cboBaudRate->currentText(), QStringLiteral("9600"));
        QVERIFY(!doc->txtEMailServer->isEnabled());
        QVERIFY(!doc->chkAuth->isEnabled());
        QCOMPARE(SaveNew(doc, "mb.vlt"),
                 "[GENERAL]\r\nFILETYPE=MB\r\nFILEVERSION=1.0\r\n\r\n[COM]\r\nCOMTYPE=0\r\nBAUD=9600\r\nPARITY=0\r\n"
                 "FORMAT=0\r\nSCANTIME=100\r\nMSGTOUT=1000\r\nPKTTOUT=4\r\n\r\n" +
                     kSmtpDefault);
        QVERIFY(doc->Named);
        QVERIFY(doc->Saved);
        QCOMPARE(doc->windowTitle(), QStringLiteral("Velto Modbus Configuration - ") + Path("mb.vlt"));
        QVERIFY(IsModbusConfigFile(Path("mb.vlt").toStdString()));
    }

    void newHostlinkAndDF1DocumentsSavedAtOnce()
    {
        auto *hl = w.NewDocument<TMDIHostlinkConfig>(DocKind::Hostlink, 2);
        QCOMPARE(hl->windowTitle(), QStringLiteral("Velto Hostlink Configuration - noname2.vlt"));
        QCOMPARE(Headers(hl->lstTags).size(), 18);
        QVERIFY(!Headers(hl->lstTags).contains(QStringLiteral("Trap")));
        QCOMPARE(Headers(hl->lstTags).at(3), QStringLiteral("Table"));
        QCOMPARE(TypingLimit(hl->txtPass1), 49);
        for (QLineEdit *e : {hl->txtPass1, hl->txtPass2}) {   // masked with "*", as every password box
            QCOMPARE(e->echoMode(), QLineEdit::Password);
            QCOMPARE(e->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, e), int('*'));
        }
        QCOMPARE(SaveNew(hl, "hl.vlt"), "[GENERAL]\r\nFILETYPE=HL\r\nFILEVERSION=1.0\r\n\r\n[COM]\r\nCOMTYPE=0\r\n"
                                        "BAUD=9600\r\nPARITY=0\r\nSCANTIME=100\r\nMSGTOUT=1000\r\n\r\n" +
                                            kSmtpDefault);
        auto *df = w.NewDocument<TMDIDF1Config>(DocKind::DF1, 3);
        QCOMPARE(df->windowTitle(), QStringLiteral("Velto DF1 Configuration - noname3.vlt"));
        QCOMPARE(Headers(df->lstTags).at(2), QStringLiteral("File Type"));
        QCOMPARE(df->cboParity->count(), 2);
        QCOMPARE(df->cboDataBits->currentText(), QStringLiteral("8"));
        df->cboParity->setCurrentIndex(1);
        df->cboDataBits->setCurrentIndex(0);
        df->cboErrorMethod->setCurrentIndex(1);
        QVERIFY(!df->Saved);
        QCOMPARE(SaveNew(df, "df.vlt"), "[GENERAL]\r\nFILETYPE=DF1\r\nFILEVERSION=2.0\r\n\r\n[COM]\r\nCOMTYPE=0\r\n"
                                        "BAUD=9600\r\nPARITY=1\r\nSCANTIME=100\r\nMSGTOUT=1000\r\nDATABITS=7\r\n"
                                        "ERRORMTHD=1\r\n\r\n" +
                                            kSmtpDefault);
        QVERIFY(IsDF1ConfigFile(Path("df.vlt").toStdString()));
    }

    void openHandEditedModbusFile()
    {
        WriteBytes(Path("hand.vlt"),
                   "[GENERAL]\r\nFILETYPE=MB\r\nFILEVERSION=1.0\r\n[EXTRA]\r\nKEEP=me\r\n[COM]\r\nCOMTYPE=1\r\nBAUD=7\r\n"
                   "PARITY=2\r\nFORMAT=1\r\nSCANTIME=250\r\nMSGTOUT=1000\r\nPKTTOUT=abc\r\n[SMTP]\r\nENABLE=1\r\n"
                   "SERVER=mail.x\r\nTIMEOUT=20\r\nRETRIES=5\r\nRETRYINT=10\r\nAUTH=1\r\nUSER=u\r\n"
                   "PASS=0123456789012345678901234\r\nTOO_1=\r\nTOO_2=a@b\r\n[TAG0]\r\nNAME=T0\r\nSOURCE=Modbus Serial\r\n"
                   "UNITID=abc\r\nADDRESS=40001\r\nKIND=1\r\n[TAG1]\r\nNAME=T1\r\n[TAG3]\r\nNAME=T3\r\n");
        MessageBoxRecorder boxes;
        auto *doc = dynamic_cast<TMDIModbusConfig *>(w.form->CreateDocument(DocKind::Modbus));
        doc->Open(Path("hand.vlt").toStdString());
        // The cut password is announced, once for each of its boxes.
        const std::string cutPass = "The paramenter \"0123456789012345678901234\" is too large.\r\n Value "
                                    "\"01234567890123456789\" is taken as Default.";
        QCOMPARE(boxes.Texts(), (std::vector<std::string>{Warning("Baud Rate", "7", "9600 bps"),
                                                          Warning("Packet Timeout", "abc", "4 bytes"), cutPass,
                                                          cutPass}));
        QVERIFY(!doc->Saved);
        QVERIFY(doc->Named);
        QCOMPARE(doc->cboComType->currentIndex(), 0);
        QCOMPARE(doc->cboParity->currentText(), QStringLiteral("Even"));
        QCOMPARE(doc->cboFormat->currentText(), QStringLiteral("ASCII"));
        QCOMPARE(doc->stScanTime->text(), QStringLiteral("250 ms"));
        QCOMPARE(doc->txtPacketTout->text(), QStringLiteral("4"));
        QCOMPARE(doc->txtPass1->text(), QStringLiteral("01234567890123456789"));
        QCOMPARE(doc->txtPass2->text(), doc->txtPass1->text());
        QVERIFY(doc->txtUser->isEnabled());
        QCOMPARE(doc->lstEMailRecipients->count(), 1);
        QCOMPARE(doc->lstEMailRecipients->item(0)->text(), QStringLiteral("a@b"));
        QCOMPARE(doc->GetTagCount(), 2);
        QCOMPARE(doc->RowTexts(1)[18], std::string("No"));   // no TRAP key
        QCOMPARE(doc->PageControl->currentIndex(), 0);

        // The row that does not convert: named, and neither sent nor lost.
        boxes.Clear();
        w.form->Connected = true;
        w.form->ConnectedDevice.Version = "2.0.6";
        doc->lstTags->selectRow(0);
        w.form->ConfigurationEditTagExecute();
        QCOMPARE(boxes.Texts(), (std::vector<std::string>{"The Tag \"T0\" has a value that is not valid in \"Unit ID\": "
                                                           "\"abc\".\r\nDelete this Tag and add it again."}));
        boxes.Clear();
        doc->txtEMailSender->setText(QStringLiteral("me@x"));
        w.form->ConfigurationSendToVeltoExecute();
        QCOMPARE(boxes.Texts().size(), size_t(1));
        QVERIFY(boxes.Texts()[0].find("\"T0\"") != std::string::npos);
        QVERIFY(!frmTransferModbusConfig->isVisible());

        // Save keeps foreign sections, drops TAG0/TAG1 for the list and leaves TAG3 alone.
        boxes.Clear();
        QVERIFY(doc->Save());
        QVERIFY(boxes.Shown().empty());
        TMemIniFile saved(Path("hand.vlt").toStdString());
        QCOMPARE(saved.ReadString("EXTRA", "KEEP", ""), std::string("me"));
        QCOMPARE(saved.ReadString("COM", "COMTYPE", ""), std::string("0"));
        QCOMPARE(saved.ReadString("TAG0", "UNITID", ""), std::string("abc"));
        QCOMPARE(saved.ReadString("TAG3", "NAME", ""), std::string("T3"));
        QCOMPARE(saved.ReadString("SMTP", "TOO_0", ""), std::string("a@b"));
        QCOMPARE(saved.ReadSections().front(), std::string("GENERAL"));
        QCOMPARE(saved.ReadSections()[1], std::string("EXTRA"));

        // Save As writes what Save wrote, under the new name.
        SetNextFileName(Path("copy.vlt").toStdString());
        QVERIFY(doc->SaveAs());
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(vxt::ReadFileBytes(Path("copy.vlt").toStdString()), vxt::ReadFileBytes(Path("hand.vlt").toStdString()));
    }

    void baudOutsideTheListLeavesTheDocumentUnmarked()
    {
        WriteBytes(Path("baud.vlt"), "[GENERAL]\r\nFILETYPE=HL\r\nFILEVERSION=1.0\r\n[COM]\r\nCOMTYPE=3\r\nBAUD=9601\r\n"
                                     "PARITY=1\r\nSCANTIME=100\r\nMSGTOUT=1000\r\n[SMTP]\r\nTIMEOUT=20\r\nRETRIES=5\r\n"
                                     "RETRYINT=10\r\nSERVER=" +
                                         std::string(60, 's') + "\r\n");
        MessageBoxRecorder boxes;
        auto *doc = dynamic_cast<TMDIHostlinkConfig *>(w.form->CreateDocument(DocKind::Hostlink));
        doc->Open(Path("baud.vlt").toStdString());
        QCOMPARE(boxes.Texts().size(), size_t(2));
        QCOMPARE(boxes.Texts()[0], Warning("Baud Rate", "9601", "9600 bps"));
        QCOMPARE(boxes.Texts()[1], "The paramenter \"" + std::string(60, 's') + "\" is too large.\r\n Value \"" +
                                       std::string(49, 's') + "\" is taken as Default.");
        QVERIFY(!doc->Saved);   // the cut server marks it
        QCOMPARE(doc->cboComType->currentText(), QStringLiteral("RS-422"));
        QCOMPARE(doc->cboBaudRate->currentText(), QStringLiteral("9600"));

        boxes.Clear();
        WriteBytes(Path("baud2.vlt"), "[GENERAL]\r\nFILETYPE=HL\r\nFILEVERSION=1.0\r\n[COM]\r\nCOMTYPE=0\r\nBAUD=9601\r\n"
                                      "PARITY=0\r\nSCANTIME=100\r\nMSGTOUT=1000\r\n[SMTP]\r\nTIMEOUT=20\r\nRETRIES=5\r\n"
                                      "RETRYINT=10\r\n");
        auto *doc2 = dynamic_cast<TMDIHostlinkConfig *>(w.form->CreateDocument(DocKind::Hostlink));
        doc2->Open(Path("baud2.vlt").toStdString());
        QCOMPARE(boxes.Texts().size(), size_t(1));
        QVERIFY(doc2->Saved);
        QVERIFY(!doc2->sldScanTime->isSliderDown());
    }

    void dF1FileWithoutComAndSmtpWarnsTenTimes()
    {
        WriteBytes(Path("bare.vlt"), "[GENERAL]\r\nFILETYPE=DF1\r\nFILEVERSION=2.0\r\n");
        MessageBoxRecorder boxes;
        auto *doc = dynamic_cast<TMDIDF1Config *>(w.form->CreateDocument(DocKind::DF1));
        doc->Open(Path("bare.vlt").toStdString());
        const std::vector<std::string> expected = {
            Warning("Serial COM Type", "", "RS-232"), Warning("Baud Rate", "", "9600 bps"),
            Warning("Parity", "", "None"),           Warning("Scan Time", "", "100 ms"),
            Warning("Message Timeout", "", "1000 ms"), Warning("Data Bits", "", "8"),
            Warning("Error Detection", "", "CRC"),   Warning("E-mail delivery timeout", "", "20 sec"),
            Warning("E-mail delivery retries", "", "5 times"), Warning("Retry every", "", "10 sec")};
        QCOMPARE(boxes.Texts(), expected);
        QVERIFY(!doc->Saved);
        QCOMPARE(doc->txtEMailTimeout->text(), QStringLiteral("20"));
    }

    void openingAMissingFileChangesNothing()
    {
        auto *doc = dynamic_cast<TMDIModbusConfig *>(w.form->CreateDocument(DocKind::Modbus));
        doc->New("noname9.vlt");
        doc->Open(Path("none.vlt").toStdString());
        QCOMPARE(doc->windowTitle(), QStringLiteral("Velto Modbus Configuration - noname9.vlt"));
        QVERIFY(!doc->Named);
    }

    void sliderAndButtonsMarkTheDocument()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->sldScanTime->setValue(250);
        QCOMPARE(doc->stScanTime->text(), QStringLiteral("250 ms"));
        QVERIFY(!doc->Saved);
        doc->Saved = true;
        WhenModalOf<TfrmInputInteger>([](TfrmInputInteger *dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Message Timeout (ms)"));
            QCOMPARE(dlg->MinValue, 10);
            QCOMPARE(dlg->MaxValue, 2000);
            dlg->txtValue->setText(QStringLiteral("1500"));
            dlg->btnOk->click();
        });
        doc->btnMessageTout->click();
        QCOMPARE(doc->stMessageTout->text(), QStringLiteral("1500 ms"));
        QVERIFY(!doc->Saved);
    }

    void enableRulesFollowBothBoxes()
    {
        for (DocKind kind : {DocKind::Modbus, DocKind::Hostlink, DocKind::DF1}) {
            auto *doc = dynamic_cast<TMDIGatewayConfig *>(w.form->CreateDocument(kind));
            doc->New("x.vlt");
            QVERIFY(!doc->txtEMailServer->isEnabled() && !doc->chkAuth->isEnabled() &&
                    !doc->txtEMailSender->isEnabled() && !doc->txtUser->isEnabled());
            QVERIFY(doc->lstEMailRecipients->isEnabled() && doc->btnEMailAdd->isEnabled());
            doc->chkEMailEnable->setChecked(true);
            QVERIFY(doc->txtEMailServer->isEnabled() && doc->chkAuth->isEnabled() && doc->txtEMailTimeout->isEnabled());
            QVERIFY(!doc->txtUser->isEnabled() && !doc->txtPass2->isEnabled());
            QVERIFY(!doc->Saved);
            doc->chkAuth->setChecked(true);
            QVERIFY(doc->txtUser->isEnabled() && doc->txtPass1->isEnabled() && doc->txtPass2->isEnabled());
            doc->chkEMailEnable->setChecked(false);
            QVERIFY(!doc->txtUser->isEnabled() && !doc->chkAuth->isEnabled());
        }
    }

    // The number boxes take digits whichever way they come, typed, pasted or dropped, up to their limit.
    void numberBoxesTakeDigitsTypedPastedOrDropped()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->chkEMailEnable->setChecked(true);
        for (QLineEdit *e : {doc->txtPacketTout, doc->txtEMailRetries}) {
            e->clear();
            PasteInto(e, QStringLiteral("-1"));
            QCOMPARE(e->text(), QString());
            DropInto(e, QStringLiteral("1a"));
            QCOMPARE(e->text(), QString());
            PasteInto(e, QStringLiteral("1"));
            QCOMPARE(e->text(), QStringLiteral("1"));
            QTest::keyClicks(e, QStringLiteral("x2"));
            QCOMPARE(e->text(), QStringLiteral("12"));
            PasteInto(e, QStringLiteral("3"));   // past the two digits
            QCOMPARE(e->text(), QStringLiteral("12"));
        }
    }

    void validationOrderPagesAndFocus_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Modbus") << 0
                                << QStringList{"Invalid Packet Timeout.",        "Invalid SMTP Server.",
                                               "Invalid E-Mail Delivery Timeout.", "Invalid E-Mail Delivery Retries.",
                                               "Invalid time between retries.",  "Invalid E-mail Address.",
                                               "Invalid E-mail Address.",        "Invalid SMTP Username",
                                               "Passwords do not match"};
        QTest::newRow("Hostlink") << 1
                                  << QStringList{"Invalid SMTP Server.",       "Invalid Delivery Timeout.",
                                                 "Invalid Delivery Retries.",   "Invalid time between retries.",
                                                 "Invalid E-mail address.",     "Invalid E-mail address.",
                                                 "Invalid SMTP Username",       "Passwords do not match"};
        QTest::newRow("DF1") << 2
                             << QStringList{"The SMTP Server is not valid.",
                                            "The E-Mail Sending Timeout is not valid.",
                                            "The E-Mail Sending Retries is not valid.",
                                            "The time between retries is not valid.",
                                            "The E-mail Address is not valid.",
                                            "Invalid SMTP Username",
                                            "Passwords do not match",
                                            "The E-mail Address is not valid."};
    }

    // Every check made to fail at once; repairing the reported one shows the next, in order.
    void validationOrderPagesAndFocus()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, messages);
        auto *doc = dynamic_cast<TMDIGatewayConfig *>(w.form->CreateDocument(static_cast<DocKind>(kind)));
        doc->New("v.vlt");
        QVERIFY(QTest::qWaitForWindowActive(w.form));
        auto *mb = dynamic_cast<TMDIModbusConfig *>(doc);
        if (mb) mb->txtPacketTout->setText(QStringLiteral("2"));
        doc->chkEMailEnable->setChecked(true);
        doc->chkAuth->setChecked(true);
        doc->txtEMailTimeout->setText(QStringLiteral("0"));
        doc->txtEMailRetries->clear();   // no number at all: refused by its own check
        doc->txtEMailInterRetries->setText(QStringLiteral("101"));
        doc->txtEMailSender->setText(QStringLiteral("no address"));
        doc->lstEMailRecipients->addItems({QStringLiteral("ok@x"), QStringLiteral("bad one")});
        doc->txtPass1->setText(QStringLiteral("a"));
        doc->txtPass2->setText(QStringLiteral("b"));
        std::map<std::string, std::function<void()>> repair = {
            {"Packet", [&] { mb->txtPacketTout->setText(QStringLiteral("20")); }},
            {"Server", [&] { doc->txtEMailServer->setText(QStringLiteral("mail.x")); }},
            {"Timeout", [&] { doc->txtEMailTimeout->setText(QStringLiteral("100")); }},
            {"Retries", [&] { doc->txtEMailRetries->setText(QStringLiteral("0")); }},
            {"between", [&] { doc->txtEMailInterRetries->setText(QStringLiteral("1")); }},
            {"Sender", [&] { doc->txtEMailSender->setText(QStringLiteral("me@x")); }},
            {"Recipient", [&] { doc->lstEMailRecipients->item(1)->setText(QStringLiteral("you@x")); }},
            {"Username", [&] { doc->txtUser->setText(QStringLiteral("u")); }},
            {"Passwords", [&] { doc->txtPass2->setText(QStringLiteral("a")); }}};
        bool senderDone = false;
        for (const QString &expected : messages) {
            doc->PageControl->setCurrentIndex(2);
            MessageBoxRecorder boxes;
            QVERIFY(!doc->Validate());
            QCOMPARE(boxes.Shown().size(), size_t(1));
            QCOMPARE(QStr(boxes.Shown()[0].Text), expected);
            QVERIFY(boxes.Shown()[0].Kind == MsgKind::Error);
            const bool packet = expected.contains(QStringLiteral("Packet"));
            QCOMPARE(doc->PageControl->currentIndex(), packet ? 0 : 1);
            QWidget *focus = QApplication::focusWidget();
            std::string key;
            if (packet) key = "Packet";
            else if (expected.contains(QStringLiteral("Server"))) key = "Server";
            else if (expected.contains(QStringLiteral("Timeout"))) key = "Timeout";
            else if (expected.contains(QStringLiteral("Retries"))) key = "Retries";
            else if (expected.contains(QStringLiteral("between"))) key = "between";
            else if (expected.contains(QStringLiteral("Username"))) key = "Username";
            else if (expected.contains(QStringLiteral("Passwords"))) key = "Passwords";
            else key = senderDone ? "Recipient" : "Sender";
            if (key == "Sender") senderDone = true;
            const std::map<std::string, QWidget *> focusOf = {
                {"Packet", mb ? static_cast<QWidget *>(mb->txtPacketTout) : nullptr},
                {"Server", doc->txtEMailServer},     {"Timeout", doc->txtEMailTimeout},
                {"Retries", doc->txtEMailRetries},   {"between", doc->txtEMailInterRetries},
                {"Sender", doc->txtEMailSender},     {"Recipient", doc->lstEMailRecipients},
                {"Username", doc->txtUser},          {"Passwords", doc->txtPass1}};
            QCOMPARE(focus, focusOf.at(key));
            if (key == "Recipient") QCOMPARE(doc->lstEMailRecipients->currentRow(), 1);
            repair.at(key)();
        }
        MessageBoxRecorder none;
        QVERIFY(doc->Validate());
        QVERIFY(none.Shown().empty());
    }

    void validationWithRelayingOff()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        MessageBoxRecorder boxes;
        QVERIFY(doc->Validate());
        doc->txtEMailServer->setText(QStringLiteral("a,b"));
        QVERIFY(!doc->Validate());
        QCOMPARE(boxes.Texts().back(), std::string("Invalid SMTP Server."));
        doc->txtEMailServer->clear();
        doc->chkAuth->setChecked(true);   // authentication without relaying asks nothing
        doc->txtPass1->setText(QStringLiteral("x"));
        QVERIFY(doc->Validate());
    }

    void saveAsRefusedLeavesTheExistingFile()
    {
        WriteBytes(Path("keep.vlt"), "old bytes");
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->chkEMailEnable->setChecked(true);   // and no server: refused
        SetNextFileName(Path("keep.vlt").toStdString());
        MessageBoxRecorder boxes;
        QVERIFY(!doc->SaveAs());
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Invalid SMTP Server."});
        QCOMPARE(ReadBytes(Path("keep.vlt")), std::string("old bytes"));
        QVERIFY(!doc->Named);
        QCOMPARE(doc->windowTitle(), QStringLiteral("Velto Modbus Configuration - noname1.vlt"));
        SetNextFileName(std::nullopt);
        QVERIFY(!doc->SaveAs());
    }

    void aFileThatCannotBeWrittenKeepsTheDocumentModified()
    {
        auto *doc = w.NewDocument<TMDIHostlinkConfig>(DocKind::Hostlink);
        doc->sldScanTime->setValue(300);
        SetNextFileName(Path("no/such/folder/x.vlt").toStdString());
        MessageBoxRecorder boxes;
        QVERIFY(!RunCommand([&] { doc->Save(); }));
        QCOMPARE(boxes.Shown().size(), size_t(1));
        QVERIFY(!doc->Saved);
        QVERIFY(!doc->Named);
    }

    void recipientListRules()
    {
        auto *doc = w.NewDocument<TMDIDF1Config>(DocKind::DF1);
        MessageBoxRecorder boxes;
        for (const char *a : {"a@x", "b@x", "c@x", "d@x", "e@x"}) {
            AnswerEmail(QString::fromLatin1(a));
            doc->btnEMailAdd->click();
        }
        QCOMPARE(doc->lstEMailRecipients->count(), 5);
        QVERIFY(!doc->Saved);
        QVERIFY(boxes.Shown().empty());
        doc->btnEMailAdd->click();
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Can\xB4t add more than 5 E-Mail Addresses."});
        QVERIFY(boxes.Shown()[0].Kind == MsgKind::Information);
        QCOMPARE(doc->lstEMailRecipients->count(), 5);

        // Up on the first and Down on the last change nothing.
        doc->Saved = true;
        doc->lstEMailRecipients->setCurrentRow(0);
        doc->btnUp->click();
        doc->lstEMailRecipients->setCurrentRow(4);
        doc->btnDown->click();
        QVERIFY(doc->Saved);
        doc->btnUp->click();
        QCOMPARE(doc->lstEMailRecipients->item(3)->text(), QStringLiteral("e@x"));
        QCOMPARE(doc->lstEMailRecipients->item(4)->text(), QStringLiteral("d@x"));
        QCOMPARE(doc->lstEMailRecipients->currentRow(), 3);
        QVERIFY(!doc->Saved);

        // Edit in place, then delete after the question.
        doc->lstEMailRecipients->setCurrentRow(1);
        WhenModalOf<TfrmEmail>([](TfrmEmail *dlg) {
            QCOMPARE(dlg->txtEMail->text(), QStringLiteral("b@x"));
            dlg->txtEMail->setText(QStringLiteral("bb@x"));
            dlg->btnOk->click();
        });
        doc->btnEMailEdit->click();
        QCOMPARE(doc->lstEMailRecipients->item(1)->text(), QStringLiteral("bb@x"));
        boxes.Clear();
        boxes.Answer(MsgResult::No);
        doc->btnEMailDelete->click();
        QCOMPARE(doc->lstEMailRecipients->count(), 5);
        boxes.Answer(MsgResult::Yes);
        doc->btnEMailDelete->click();
        QCOMPARE(boxes.Texts()[0], std::string("Are you sure you want to delete the \"bb@x\" E-Mail Address?"));
        QCOMPARE(doc->lstEMailRecipients->count(), 4);
        QCOMPARE(doc->lstEMailRecipients->item(1)->text(), QStringLiteral("c@x"));

        // Without a selection Edit and Delete do nothing.
        doc->lstEMailRecipients->clearSelection();
        boxes.Clear();
        doc->btnEMailDelete->click();
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(doc->lstEMailRecipients->count(), 4);
    }

    void typedDigitsOnly()
    {
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->chkEMailEnable->setChecked(true);
        doc->txtEMailTimeout->clear();
        QTest::keyClicks(doc->txtEMailTimeout, QStringLiteral("1-a2."));
        QCOMPARE(doc->txtEMailTimeout->text(), QStringLiteral("12"));
        QTest::keyClick(doc->txtEMailTimeout, Qt::Key_Backspace);
        QCOMPARE(doc->txtEMailTimeout->text(), QStringLiteral("1"));
        doc->txtPacketTout->setText(QStringLiteral("20"));
        doc->udnPacketTout->btnUp->click();
        QCOMPARE(doc->txtPacketTout->text(), QStringLiteral("20"));
        doc->udnPacketTout->btnDown->click();
        QCOMPARE(doc->txtPacketTout->text(), QStringLiteral("19"));
    }

    void screenshots()
    {
        if (qEnvironmentVariableIsEmpty("VXT_SCREENSHOTS")) QSKIP("VXT_SCREENSHOTS not set");
        auto *doc = w.NewDocument<TMDIModbusConfig>(DocKind::Modbus);
        doc->lstEMailRecipients->addItem(QStringLiteral("operator@plant.example"));
        TModbusTagConfig t;
        t.Name = "TANK1";
        t.Address = 1;
        t.UnitID = 1;
        doc->AddTagToList(t);
        auto *df = w.NewDocument<TMDIDF1Config>(DocKind::DF1, 2);
        for (auto *d : std::initializer_list<TMDIGatewayConfig *>{doc, df})
            for (int p = 0; p < 3; ++p) {
                d->PageControl->setCurrentIndex(p);
                d->grab().save(QStringLiteral("/tmp/vxt-%1-page%2.png").arg(QStr(d->Family.Name)).arg(p));
            }
    }
};

QTEST_MAIN(TestConfigDocuments)
#include "test_config_documents.moc"
