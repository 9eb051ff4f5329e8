// The options dialog: loading from the settings file, the enable rules, the seven validation
// messages in order, the stored settings (checked in the file itself) and an unwritable file.
#include "FileUtils.h"
#include "KeyFilter.h"
#include "Options.h"
#include "UiTestSupport.h"
#include "Utiles.h"
#include "VXTOptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fstream>
#include <memory>
#include <sys/resource.h>

using namespace vxt;
using namespace vxt::test;

namespace {

const char *kHttpServer = "Not valid Proxy Server for HTTP.";
const char *kHttpPort = "Not valid Proxy Port Number for HTTP.";
const char *kHttpAuth = "Must provide a User and Password for HTTP Proxy authentication.";
const char *kFtpServer = "Not valid Proxy Server for FTP.";
const char *kFtpPort = "Not valid Proxy Port Number for FTP.";
const char *kFtpMethod = "Must Select a Firewall Type.";
const char *kFtpAuth = "Must provide a User and Password for FTP Proxy authentication.";

std::string Scrambled(const std::string &user, const std::string &pass)
{
    return ScrambleToHex("AUTHDATA(USERNAME=" + user + ",PASSWORD=" + pass + ",);");
}

// Clicks a tick box or radio button on its indicator, as the user does.
void Click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2)); }

// Sets a line edit's text as the user does: select everything and type over it.
void Retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(c.unicode()), QString(c), Qt::NoModifier);
}

}  // namespace

class TestOptions : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MessageBoxRecorder> boxes;
    TfrmOptions *dlg = nullptr;

    std::string IniName() const { return dir->filePath(QStringLiteral("vxt.ini")).toStdString(); }
    std::string IniText() const { return FileExists(IniName()) ? ReadFileBytes(IniName()) : std::string("(none)"); }

    void Open()
    {
        dlg->show();
        QVERIFY(QTest::qWaitForWindowActive(dlg));
    }

    // Presses OK; true when the dialog closed with the result OK.
    bool PressOk()
    {
        QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        return !dlg->isVisible() && dlg->result() == QDialog::Accepted;
    }

    // Presses OK expecting exactly one refusal with `message`; the dialog stays open.
    void Refused(const std::string &message)
    {
        boxes->Clear();
        QVERIFY(!PressOk());
        QVERIFY(dlg->isVisible());
        QCOMPARE(boxes->Shown().size(), size_t(1));
        QCOMPARE(boxes->Shown()[0].Text, message);
        QVERIFY(boxes->Shown()[0].Kind == MsgKind::Error);
        QCOMPARE(boxes->Shown()[0].Buttons, int(mbOK));
    }

    // A dialog ready to pass validation, with both proxies off.
    void MakeValid()
    {
        dlg->chkUseHTTPProxy->setChecked(false);
        dlg->chkHTTPProxyAuthentication->setChecked(false);
        dlg->txtHTTPProxyPort->setText(QStringLiteral("0"));
        dlg->chkUseFTPProxy->setChecked(false);
        dlg->chkFirewallLogon->setChecked(false);
        dlg->txtFTPProxyPort->setText(QStringLiteral("0"));
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        SetIniFileNameOverride(IniName());
        boxes = std::make_unique<MessageBoxRecorder>();
        dlg = new TfrmOptions;
    }

    void cleanup()
    {
        delete dlg;
        dlg = nullptr;
        boxes.reset();
        SetIniFileNameOverride("");
        dir.reset();
    }

    void controlsAndCaptions()
    {
        QCOMPARE(frmOptions, nullptr);   // the program entry creates the one instance
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Velto Configuration Manager Options"));
        QCOMPARE(dlg->pgeOptions->count(), 2);
        QCOMPARE(dlg->pgeOptions->widget(0), dlg->tabConnections);
        QCOMPARE(dlg->pgeOptions->widget(1), dlg->TabSheet1);
        QCOMPARE(dlg->pgeOptions->tabText(0), QStringLiteral("HTTP Proxy"));
        QCOMPARE(dlg->pgeOptions->tabText(1), QStringLiteral("FTP Proxy"));
        QCOMPARE(dlg->tabConnections->objectName(), QStringLiteral("tabConnections"));
        QCOMPARE(dlg->TabSheet1->objectName(), QStringLiteral("TabSheet1"));
        QCOMPARE(dlg->grpHTTPProxy->title(), QStringLiteral("HTTP Proxy"));
        QCOMPARE(dlg->grpFTPProxy->title(), QStringLiteral("FTP Proxy"));
        QCOMPARE(dlg->chkUseHTTPProxy->text(), QStringLiteral("Use Proxy Server for Remote Devices"));
        QCOMPARE(dlg->chkUseFTPProxy->text(), QStringLiteral("Use Proxy Server for Remote Devices"));
        QCOMPARE(dlg->chkHTTPProxyAuthentication->text(), QStringLiteral("Use Basic Authentication"));
        QCOMPARE(dlg->chkFirewallLogon->text(), QStringLiteral("Firewall Logon"));
        QCOMPARE(dlg->rdoUserMode->text(), QStringLiteral("Send USER user@hostname"));
        QCOMPARE(dlg->rdoSiteMode->text(), QStringLiteral("Send SITE (logon)"));
        QCOMPARE(dlg->rdoOpenMode->text(), QStringLiteral("Send OPEN"));
        QCOMPARE(dlg->rdoUserPass->text(), QStringLiteral("USER user@firewalluser@hostname / PASS pass@firewallpass"));
        QCOMPARE(dlg->lblHTTPProxy->text(), QStringLiteral("Proxy Server"));
        QCOMPARE(dlg->lblHTTPProxyPort->text(), QStringLiteral("Port"));
        QCOMPARE(dlg->lblHTTPUsername->text(), QStringLiteral("Username"));
        QCOMPARE(dlg->lblHTTPPassword->text(), QStringLiteral("Password"));
        QCOMPARE(dlg->lblFTPProxy->text(), QStringLiteral("Proxy Server"));
        QCOMPARE(dlg->lblFTPProxyPort->text(), QStringLiteral("Port"));
        QCOMPARE(dlg->lblFTPUsername->text(), QStringLiteral("Username"));
        QCOMPARE(dlg->lblFTPPassword->text(), QStringLiteral("Password"));
        QCOMPARE(dlg->lblHTTPProxy->buddy(), dlg->txtHTTPProxy);
        QCOMPARE(TypingLimit(dlg->txtHTTPProxyPort), 5);
        QCOMPARE(TypingLimit(dlg->txtFTPProxyPort), 5);
        for (QLineEdit *pass : {dlg->txtHTTPPassword, dlg->txtFTPPassword}) {
            QCOMPARE(pass->echoMode(), QLineEdit::Password);
            QCOMPARE(pass->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, pass), int('*'));
        }
        QCOMPARE(dlg->btnOk->text(), QStringLiteral("OK"));
        QVERIFY(dlg->btnOk->isDefault());
        QCOMPARE(dlg->btnCancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(dlg->findChild<QCheckBox *>(QStringLiteral("chkUseHTTPProxy")), dlg->chkUseHTTPProxy);
        QCOMPARE(dlg->findChild<QRadioButton *>(QStringLiteral("rdoUserPass")), dlg->rdoUserPass);
        QCOMPARE(dlg->findChild<QLineEdit *>(QStringLiteral("txtFTPPassword")), dlg->txtFTPPassword);
    }

    void showsDefaultsWithoutSettingsFile()
    {
        Open();
        QCOMPARE(dlg->pgeOptions->currentIndex(), 0);
        QVERIFY(!dlg->chkUseHTTPProxy->isChecked());
        QCOMPARE(dlg->txtHTTPProxy->text(), QString());
        QCOMPARE(dlg->txtHTTPProxyPort->text(), QStringLiteral("0"));
        QVERIFY(!dlg->chkHTTPProxyAuthentication->isChecked());
        QVERIFY(!dlg->chkUseFTPProxy->isChecked());
        QCOMPARE(dlg->txtFTPProxyPort->text(), QStringLiteral("0"));
        QVERIFY(dlg->rdoUserMode->isChecked());   // the method defaults to 1
        QVERIFY(!dlg->chkFirewallLogon->isChecked());
        for (QWidget *w : std::initializer_list<QWidget *>{
                 dlg->txtHTTPProxy, dlg->txtHTTPProxyPort, dlg->chkHTTPProxyAuthentication, dlg->txtHTTPUsername,
                 dlg->txtHTTPPassword, dlg->txtFTPProxy, dlg->txtFTPProxyPort, dlg->rdoUserMode, dlg->rdoSiteMode,
                 dlg->rdoOpenMode, dlg->rdoUserPass, dlg->chkFirewallLogon, dlg->txtFTPUsername, dlg->txtFTPPassword})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(dlg->chkUseHTTPProxy->isEnabled());
        QVERIFY(dlg->chkUseFTPProxy->isEnabled());
        QCOMPARE(IniText(), std::string("(none)"));   // showing writes nothing
    }

    void showsStoredSettingsButNoPasswords()
    {
        SetHttpProxyEnabled(true);
        SetHttpProxyServer("proxy.example.com");
        SetHttpProxyPort(3128);
        SetHttpProxyAuth(true);
        SetHttpProxyUserName("hu");
        SetHttpProxyPassword("hp");
        SetFtpProxyEnabled(true);
        SetFtpProxyServer("fw.example.com");
        SetFtpProxyPort(2121);
        SetFtpProxyMethod(3);
        SetFtpProxyAuth(true);
        SetFtpProxyUserName("fu");
        SetFtpProxyPassword("fp");
        Open();
        QVERIFY(dlg->chkUseHTTPProxy->isChecked());
        QCOMPARE(dlg->txtHTTPProxy->text(), QStringLiteral("proxy.example.com"));
        QCOMPARE(dlg->txtHTTPProxyPort->text(), QStringLiteral("3128"));
        QVERIFY(dlg->chkHTTPProxyAuthentication->isChecked());
        QCOMPARE(dlg->txtHTTPUsername->text(), QStringLiteral("hu"));
        QCOMPARE(dlg->txtHTTPPassword->text(), QString());
        QVERIFY(dlg->txtHTTPPassword->isEnabled());
        QVERIFY(dlg->chkUseFTPProxy->isChecked());
        QCOMPARE(dlg->txtFTPProxy->text(), QStringLiteral("fw.example.com"));
        QCOMPARE(dlg->txtFTPProxyPort->text(), QStringLiteral("2121"));
        QVERIFY(dlg->rdoOpenMode->isChecked());
        QCOMPARE(dlg->Method(), uint8_t(3));
        QVERIFY(dlg->chkFirewallLogon->isChecked());
        QCOMPARE(dlg->txtFTPUsername->text(), QStringLiteral("fu"));
        QCOMPARE(dlg->txtFTPPassword->text(), QString());
        QVERIFY(dlg->txtFTPPassword->isEnabled());

        // Typed passwords are gone when the dialog opens again, and the first page is active.
        dlg->txtHTTPPassword->setText(QStringLiteral("typed"));
        dlg->txtFTPPassword->setText(QStringLiteral("typed"));
        dlg->pgeOptions->setCurrentIndex(1);
        dlg->reject();
        Open();
        QCOMPARE(dlg->txtHTTPPassword->text(), QString());
        QCOMPARE(dlg->txtFTPPassword->text(), QString());
        QCOMPARE(dlg->pgeOptions->currentIndex(), 0);
    }

    void methodOutsideOneToFourTicksNone_data()
    {
        QTest::addColumn<int>("method");
        QTest::newRow("0") << 0;
        QTest::newRow("5") << 5;
        QTest::newRow("255") << 255;
    }

    void methodOutsideOneToFourTicksNone()
    {
        QFETCH(int, method);
        SetFtpProxyMethod(4);
        Open();
        QVERIFY(dlg->rdoUserPass->isChecked());
        dlg->reject();
        SetFtpProxyMethod(uint8_t(method));
        Open();
        for (QRadioButton *r : {dlg->rdoUserMode, dlg->rdoSiteMode, dlg->rdoOpenMode, dlg->rdoUserPass})
            QVERIFY(!r->isChecked());
        QCOMPARE(dlg->Method(), uint8_t(0));
    }

    void httpEnableRules()
    {
        Open();
        Click(dlg->chkUseHTTPProxy);
        QVERIFY(dlg->chkUseHTTPProxy->isChecked());
        QVERIFY(dlg->txtHTTPProxy->isEnabled());
        QVERIFY(dlg->txtHTTPProxyPort->isEnabled());
        QVERIFY(dlg->chkHTTPProxyAuthentication->isEnabled());
        QVERIFY(!dlg->txtHTTPUsername->isEnabled());
        QVERIFY(!dlg->txtHTTPPassword->isEnabled());
        Click(dlg->chkHTTPProxyAuthentication);
        QVERIFY(dlg->txtHTTPUsername->isEnabled());
        QVERIFY(dlg->txtHTTPPassword->isEnabled());
        Click(dlg->chkUseHTTPProxy);   // off again: all five disabled
        QVERIFY(!dlg->txtHTTPProxy->isEnabled());
        QVERIFY(!dlg->txtHTTPProxyPort->isEnabled());
        QVERIFY(!dlg->chkHTTPProxyAuthentication->isEnabled());
        QVERIFY(!dlg->txtHTTPUsername->isEnabled());
        QVERIFY(!dlg->txtHTTPPassword->isEnabled());
        QVERIFY(dlg->chkHTTPProxyAuthentication->isChecked());   // the tick stays
        QVERIFY(!dlg->lblHTTPUsername->isEnabled());
    }

    void ftpEnableRules()
    {
        SetFtpProxyMethod(2);
        Open();
        dlg->pgeOptions->setCurrentIndex(1);
        Click(dlg->chkUseFTPProxy);
        for (QWidget *w : std::initializer_list<QWidget *>{dlg->txtFTPProxy, dlg->txtFTPProxyPort, dlg->rdoUserMode,
                                                          dlg->rdoSiteMode, dlg->rdoOpenMode, dlg->rdoUserPass,
                                                          dlg->chkFirewallLogon})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!dlg->txtFTPUsername->isEnabled());
        Click(dlg->chkFirewallLogon);
        QVERIFY(dlg->txtFTPUsername->isEnabled());
        QVERIFY(dlg->txtFTPPassword->isEnabled());

        // "Send USER user@hostname" clears and disables the firewall logon.
        Click(dlg->rdoUserMode);
        QVERIFY(!dlg->chkFirewallLogon->isChecked());
        QVERIFY(!dlg->chkFirewallLogon->isEnabled());
        QVERIFY(!dlg->txtFTPUsername->isEnabled());
        QVERIFY(!dlg->txtFTPPassword->isEnabled());

        // The user/pass method ticks it.
        Click(dlg->rdoUserPass);
        QVERIFY(dlg->chkFirewallLogon->isChecked());
        QVERIFY(dlg->chkFirewallLogon->isEnabled());
        QVERIFY(dlg->txtFTPUsername->isEnabled());

        // Another method leaves the tick to the user.
        Click(dlg->rdoOpenMode);
        QVERIFY(dlg->chkFirewallLogon->isChecked());
        QVERIFY(dlg->chkFirewallLogon->isEnabled());
        Click(dlg->chkFirewallLogon);
        QVERIFY(!dlg->txtFTPPassword->isEnabled());

        // Proxy off: everything below it is disabled.
        Click(dlg->chkUseFTPProxy);
        for (QWidget *w : std::initializer_list<QWidget *>{
                 dlg->txtFTPProxy, dlg->txtFTPProxyPort, dlg->rdoUserMode, dlg->rdoSiteMode, dlg->rdoOpenMode,
                 dlg->rdoUserPass, dlg->chkFirewallLogon, dlg->txtFTPUsername, dlg->txtFTPPassword})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    }

    void validationMessagesInOrder()
    {
        Open();
        // Every rule broken at once; each OK shows only the first one still broken.
        dlg->chkUseHTTPProxy->setChecked(true);
        dlg->chkHTTPProxyAuthentication->setChecked(true);
        Retype(dlg->txtHTTPProxyPort, QStringLiteral("8o"));
        dlg->chkUseFTPProxy->setChecked(true);
        dlg->SetMethod(0);
        dlg->chkFirewallLogon->setChecked(true);
        dlg->txtFTPProxyPort->clear();

        dlg->pgeOptions->setCurrentIndex(1);
        Refused(kHttpServer);
        QCOMPARE(dlg->pgeOptions->currentWidget(), dlg->tabConnections);
        QVERIFY(dlg->txtHTTPProxy->hasFocus());
        QTest::keyClicks(dlg->txtHTTPProxy, QStringLiteral("proxy.local"));

        Refused(kHttpPort);
        QVERIFY(dlg->txtHTTPProxyPort->hasFocus());
        Retype(dlg->txtHTTPProxyPort, QStringLiteral("8080"));

        Refused(kHttpAuth);
        QVERIFY(dlg->txtHTTPUsername->hasFocus());
        QTest::keyClicks(dlg->txtHTTPUsername, QStringLiteral("hu"));
        Refused(kHttpAuth);   // the password is missing still
        QVERIFY(dlg->txtHTTPPassword->hasFocus());
        QTest::keyClicks(dlg->txtHTTPPassword, QStringLiteral("hp"));

        Refused(kFtpServer);
        QCOMPARE(dlg->pgeOptions->currentWidget(), dlg->TabSheet1);
        QVERIFY(dlg->txtFTPProxy->hasFocus());
        QTest::keyClicks(dlg->txtFTPProxy, QStringLiteral("fw.local"));

        Refused(kFtpPort);
        QVERIFY(dlg->txtFTPProxyPort->hasFocus());
        QTest::keyClicks(dlg->txtFTPProxyPort, QStringLiteral("21"));

        Refused(kFtpMethod);
        Click(dlg->rdoSiteMode);

        Refused(kFtpAuth);
        QVERIFY(dlg->txtFTPUsername->hasFocus());
        QTest::keyClicks(dlg->txtFTPUsername, QStringLiteral("fu"));
        Refused(kFtpAuth);
        QTest::keyClicks(dlg->txtFTPPassword, QStringLiteral("fp"));

        QCOMPARE(IniText(), std::string("(none)"));   // nothing stored while refused
        boxes->Clear();
        QVERIFY(PressOk());
        QVERIFY(boxes->Shown().empty());

        // Stored in the given order: the file was created by the first setter, so its keys
        // stand in the order they were written.
        QCOMPARE(IniText(), "[PROXYHTTP]\r\nENABLED=1\r\nSERVER=proxy.local\r\nPORT=8080\r\nAUTH=1\r\nAUTHDATA=" +
                                Scrambled("hu", "hp") +
                                "\r\n\r\n[PROXYFTP]\r\nENABLED=1\r\nSERVER=fw.local\r\nPORT=21\r\nMETHOD=2\r\n"
                                "AUTH=1\r\nAUTHDATA=" +
                                Scrambled("fu", "fp") + "\r\n\r\n");
        QCOMPARE(GetHttpProxyPassword(), std::string("hp"));
        QCOMPARE(GetFtpProxyUserName(), std::string("fu"));
    }

    // The settings file holds 8-bit text: a character outside Latin-1 is refused naming the field and
    // the character, on its page with the box focused, and nothing is written.
    void textsOutsideLatin1AreRefused()
    {
        SetHttpProxyServer("kept");
        const std::string before = IniText();
        Open();
        dlg->chkUseHTTPProxy->setChecked(true);
        dlg->chkHTTPProxyAuthentication->setChecked(true);
        dlg->chkUseFTPProxy->setChecked(true);
        Click(dlg->rdoSiteMode);
        dlg->chkFirewallLogon->setChecked(true);
        const struct {
            QLineEdit *edit;
            QWidget *page;
            const char *field;
        } texts[] = {{dlg->txtHTTPProxy, dlg->tabConnections, "HTTP Proxy Server"},
                     {dlg->txtHTTPUsername, dlg->tabConnections, "HTTP Proxy Username"},
                     {dlg->txtHTTPPassword, dlg->tabConnections, "HTTP Proxy Password"},
                     {dlg->txtFTPProxy, dlg->TabSheet1, "FTP Proxy Server"},
                     {dlg->txtFTPUsername, dlg->TabSheet1, "FTP Proxy Username"},
                     {dlg->txtFTPPassword, dlg->TabSheet1, "FTP Proxy Password"}};
        for (const auto &t : texts) t.edit->setText(QString::fromUtf8("J\u00FCrgen"));
        const std::pair<const char *, std::string> values[] = {{"J\u00FCrgen\u20AC", "\"\u20AC\" (U+20AC)"},
                                                               {"proxy.\u914D.test", "\"\u914D\" (U+914D)"}};
        for (const auto &[value, character] : values) {
            for (const auto &t : texts) {
                t.edit->setText(QString::fromUtf8(value));
                dlg->pgeOptions->setCurrentWidget(t.page == dlg->TabSheet1 ? dlg->tabConnections : dlg->TabSheet1);
                Refused("The " + std::string(t.field) + " cannot contain " + character + ".");
                QCOMPARE(dlg->pgeOptions->currentWidget(), t.page);
                QVERIFY2(t.edit->hasFocus(), t.field);
                t.edit->setText(QString::fromUtf8("J\u00FCrgen"));
            }
        }
        QCOMPARE(IniText(), before);
        boxes->Clear();
        QVERIFY(PressOk());
        QCOMPARE(GetHttpProxyUserName(), std::string("J\xFCrgen"));
        QCOMPARE(GetFtpProxyPassword(), std::string("J\xFCrgen"));
    }

    void authenticationFailsUntilPasswordTypedAgain()
    {
        SetHttpProxyEnabled(true);
        SetHttpProxyServer("proxy.local");
        SetHttpProxyPort(8080);
        SetHttpProxyAuth(true);
        SetHttpProxyUserName("hu");
        SetHttpProxyPassword("stored");
        Open();
        Refused(kHttpAuth);
        QVERIFY(dlg->txtHTTPPassword->hasFocus());
        QTest::keyClicks(dlg->txtHTTPPassword, QStringLiteral("new"));
        QVERIFY(PressOk());
        QCOMPARE(GetHttpProxyPassword(), std::string("new"));
        QCOMPARE(GetHttpProxyUserName(), std::string("hu"));
    }

    void withoutAuthenticationAnEmptyPasswordIsStored()
    {
        SetHttpProxyAuth(false);
        SetHttpProxyUserName("hu");
        SetHttpProxyPassword("stored");
        SetFtpProxyPassword("ftpstored");
        Open();
        QVERIFY(PressOk());
        QCOMPARE(GetHttpProxyPassword(), std::string());
        QCOMPARE(GetHttpProxyUserName(), std::string("hu"));
        QCOMPARE(GetFtpProxyPassword(), std::string());
    }

    void authenticationTickedWithProxyOffIsStillChecked()
    {
        Open();
        MakeValid();
        dlg->chkHTTPProxyAuthentication->setChecked(true);
        QVERIFY(!dlg->chkHTTPProxyAuthentication->isEnabled());
        QVERIFY(!dlg->txtHTTPPassword->isEnabled());
        Refused(kHttpAuth);
        dlg->chkHTTPProxyAuthentication->setChecked(false);
        dlg->chkFirewallLogon->setChecked(true);
        QVERIFY(!dlg->chkFirewallLogon->isEnabled());
        Refused(kFtpAuth);
        QCOMPARE(dlg->pgeOptions->currentWidget(), dlg->TabSheet1);
        dlg->chkFirewallLogon->setChecked(false);
        QVERIFY(PressOk());
    }

    // The digits of Arabic and Persian keyboards are read as the ASCII ones.
    void ports_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("stored");   // -1: refused
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("highest") << "65535" << 65535;
        QTest::newRow("too high") << "65536" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("letters") << "http" << -1;
        QTest::newRow("ordinary") << "8080" << 8080;
        QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0668\u0660\u0668\u0660") << 8080;
        QTest::newRow("Persian digits") << QStringLiteral("\u06F2\u06F1") << 21;
        QTest::newRow("mixed digits") << QStringLiteral("3\u06F1\u0662") << 312;
        QTest::newRow("Arabic-Indic, too high") << QStringLiteral("\u0666\u0665\u0665\u0663\u0666") << -1;
        QTest::newRow("full-width digits") << QStringLiteral("\uFF18\uFF10") << -1;
    }

    void ports()
    {
        QFETCH(QString, port);
        QFETCH(int, stored);
        const bool valid = stored >= 0;
        SetHttpProxyEnabled(true);
        SetHttpProxyServer("proxy");
        SetFtpProxyEnabled(true);
        SetFtpProxyServer("fw");
        Open();
        Retype(dlg->txtHTTPProxyPort, port);
        if (valid) {
            QVERIFY(dlg->Validate());
        } else {
            Refused(kHttpPort);
            QVERIFY(dlg->txtHTTPProxyPort->hasFocus());
            Retype(dlg->txtHTTPProxyPort, QStringLiteral("0"));
        }
        Retype(dlg->txtFTPProxyPort, port);
        if (valid) {
            QVERIFY(PressOk());
            QCOMPARE(GetHttpProxyPort(), stored);
            QCOMPARE(GetFtpProxyPort(), stored);
        } else {
            Refused(kFtpPort);
            QVERIFY(dlg->txtFTPProxyPort->hasFocus());
        }
    }

    // Proxy servers are stored without blanks (of any script) or control characters at either end,
    // as SMTP servers are; one made of nothing else is no server.
    void proxyServers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");   // null: refused
        QTest::newRow("plain") << QStringLiteral("proxy.local") << QStringLiteral("proxy.local");
        QTest::newRow("blank before") << QStringLiteral(" lead") << QStringLiteral("lead");
        QTest::newRow("blank after") << QStringLiteral("tail ") << QStringLiteral("tail");
        QTest::newRow("tabs and blanks") << QStringLiteral("\t proxy.local \t") << QStringLiteral("proxy.local");
        QTest::newRow("Latin-1 kept") << QStringLiteral(" pr\u00F6xy ") << QStringLiteral("pr\u00F6xy");
        QTest::newRow("blanks only") << QStringLiteral("   ") << QString();
        QTest::newRow("no-break space only") << QStringLiteral("\u00A0") << QString();
        QTest::newRow("blanks of other scripts only") << QStringLiteral(" \u2003\u3000\u00A0") << QString();
        QTest::newRow("no-break spaces around") << QStringLiteral("\u00A0proxy.local\u202F") << QStringLiteral("proxy.local");
    }

    void proxyServers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        Open();
        MakeValid();
        dlg->chkUseHTTPProxy->setChecked(true);
        dlg->chkUseFTPProxy->setChecked(true);
        Click(dlg->rdoSiteMode);
        dlg->txtHTTPProxy->setText(typed);
        dlg->txtFTPProxy->setText(typed);
        if (stored.isNull()) {
            Refused(kHttpServer);
            QVERIFY(dlg->txtHTTPProxy->hasFocus());
            dlg->txtHTTPProxy->setText(QStringLiteral("proxy"));
            Refused(kFtpServer);
            QVERIFY(dlg->txtFTPProxy->hasFocus());
            QCOMPARE(IniText(), std::string("(none)"));
            return;
        }
        QVERIFY(PressOk());
        QVERIFY(boxes->Shown().empty());
        const std::string server = "\r\nENABLED=1\r\nSERVER=" + stored.toLatin1().toStdString() + "\r\nPORT=0\r\n";
        const std::string text = IniText();
        QVERIFY2(text.find("[PROXYHTTP]" + server) != std::string::npos, text.c_str());
        QVERIFY2(text.find("[PROXYFTP]" + server) != std::string::npos, text.c_str());
    }

    void portsAreTestedWithTheProxiesOff()
    {
        SetHttpProxyPort(70000);   // stored by hand, loaded into the disabled box
        SetFtpProxyPort(-21);
        Open();
        QVERIFY(!dlg->txtHTTPProxyPort->isEnabled());
        QCOMPARE(dlg->txtHTTPProxyPort->text(), QStringLiteral("70000"));
        Refused(kHttpPort);
        dlg->txtHTTPProxyPort->setText(QString());
        Refused(kHttpPort);
        dlg->txtHTTPProxyPort->setText(QStringLiteral("0"));
        Refused(kFtpPort);
        dlg->txtFTPProxyPort->setText(QString());
        Refused(kFtpPort);
        dlg->txtFTPProxyPort->setText(QStringLiteral("0"));
        QVERIFY(PressOk());
        QCOMPARE(GetHttpProxyPort(), 0);
        QCOMPARE(GetFtpProxyPort(), 0);
    }

    void ftpProxyNeedsAMethod()
    {
        SetFtpProxyMethod(0);
        Open();
        MakeValid();
        dlg->chkUseFTPProxy->setChecked(true);
        Retype(dlg->txtFTPProxy, QStringLiteral("fw"));
        Refused(kFtpMethod);
        QVERIFY(dlg->rdoUserMode->hasFocus());
        dlg->chkUseFTPProxy->setChecked(false);   // without the proxy no method is needed
        QVERIFY(PressOk());
        QCOMPARE(int(GetFtpProxyMethod()), 0);
    }

    void cancelStoresNothing()
    {
        SetHttpProxyServer("kept");
        const std::string before = IniText();
        Open();
        dlg->chkUseHTTPProxy->setChecked(true);
        Retype(dlg->txtHTTPProxy, QStringLiteral("changed"));
        QTest::mouseClick(dlg->btnCancel, Qt::LeftButton);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QCOMPARE(IniText(), before);
    }

    void unwritableSettingsFileKeepsDialogOpen()
    {
        const std::string missing = dir->filePath(QStringLiteral("missing/vxt.ini")).toStdString();
        SetIniFileNameOverride(missing);
        Open();
        bool openDuringBox = false;
        boxes->OnShow = [&](const ShownBox &) { openDuringBox = dlg->isVisible(); };
        QVERIFY(!PressOk());
        QVERIFY(dlg->isVisible());
        QVERIFY(openDuringBox);
        QCOMPARE(boxes->Shown().size(), size_t(1));
        QVERIFY(boxes->Shown()[0].Kind == MsgKind::Error);
        QVERIFY(boxes->Shown()[0].Text.find("missing") != std::string::npos);
        QVERIFY(!FileExists(missing));
        // The user can still leave.
        QTest::mouseClick(dlg->btnCancel, Qt::LeftButton);
        QVERIFY(!dlg->isVisible());
    }

    // OK stores every value or none: when the file may not grow (as on a full disk), the error is
    // shown, the file stays byte-equal, lines of its own included, and the dialog stays open.
    void failedWriteLeavesTheFileAsItWas()
    {
        const std::string before = "; kept by hand\r\n[PROXYHTTP]\r\nPORT=3128\r\n\r\n";
        std::ofstream(IniName(), std::ios::binary) << before;
        Open();
        MakeValid();
        dlg->chkUseHTTPProxy->setChecked(true);
        dlg->txtHTTPProxy->setText(QStringLiteral("proxy.example"));
        dlg->txtHTTPProxyPort->setText(QStringLiteral("8080"));
        dlg->chkHTTPProxyAuthentication->setChecked(true);
        dlg->txtHTTPUsername->setText(QStringLiteral("user"));
        dlg->txtHTTPPassword->setText(QString(600, QLatin1Char('p')));

        rlimit old{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const rlimit small{rlim_t(before.size() + 64), old.rlim_max};
        const auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);   // a write past the limit then fails with EFBIG
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool closed = PressOk();
        ::setrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, oldSignal);

        QVERIFY(!closed);
        QVERIFY(dlg->isVisible());
        QCOMPARE(boxes->Shown().size(), size_t(1));
        QVERIFY(boxes->Shown()[0].Kind == MsgKind::Error);
        QVERIFY(boxes->Shown()[0].Text.find(IniName()) != std::string::npos);
        QCOMPARE(IniText(), before);
    }

    void modalAsTheToolsCommandShowsIt()
    {
        SetHttpProxyPort(80);
        int r = -1;
        WhenModal([&](QWidget *w) {
            if (w == dlg && QTest::qWaitForWindowActive(dlg)) {
                dlg->chkUseHTTPProxy->setChecked(true);
                QTest::keyClicks(dlg->txtHTTPProxy, QStringLiteral("p"));
                QTest::keyClick(dlg->txtHTTPProxy, Qt::Key_Return);   // Enter presses OK
            }
            if (dlg->isVisible()) dlg->reject();
        });
        r = dlg->exec();
        QCOMPARE(r, int(QDialog::Accepted));
        QVERIFY(GetHttpProxyEnabled());
        QCOMPARE(GetHttpProxyServer(), std::string("p"));
        QCOMPARE(GetHttpProxyPort(), 80);
    }
};

QTEST_MAIN(TestOptions)
#include "test_options.moc"
