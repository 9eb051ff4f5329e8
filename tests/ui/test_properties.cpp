// The device properties dialog against the device emulator: what it reads, what it sends on the
// wire, what it tells the user, and how it behaves when the device does not answer.
#include "EditIPAddr.h"
#include "KeyFilter.h"
#include "Emulator.h"
#include "InfoMsg.h"
#include "Main.h"
#include "Password.h"
#include "Properties.h"
#include "QtStr.h"
#include "UiTestSupport.h"
#include "Version.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <QScopeGuard>
#include <QtTest>
#include <deque>
#include <memory>
#include <optional>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMacA = QStringLiteral("00-11-22-33-44-01");   // Velto-10-MB with log, 127.0.0.2
const QString kMacB = QStringLiteral("00-11-22-33-44-02");   // Velto-10-HL without log, 127.0.0.3
const QString kMacC = QStringLiteral("00-11-22-33-44-03");   // not yet addressed, host name
const QString kMacD = QStringLiteral("00-11-22-33-44-04");   // not yet addressed, no host name, no password
const std::string kNoResponse = "No Response from Device. Check the connection and try again.";
const std::string kNotValid = "Not Valid Response from Device.";
const std::string kSetError = "Error Setting Device Configuration.\r\nCheck the Password.";

QJsonArray Devices()
{
    QJsonObject a = Emulator::device(QStringLiteral("1118"), QStringLiteral("2.0.4-SN-R"), kMacA,
                                     QStringLiteral("127.0.0.2"), QStringLiteral("velto-modbus"));
    a.insert(QStringLiteral("netmask"), QStringLiteral("255.0.0.0"));
    a.insert(QStringLiteral("gateway"), QStringLiteral("10.0.0.1"));
    a.insert(QStringLiteral("dns1"), QStringLiteral("10.0.0.53"));
    a.insert(QStringLiteral("snmp"), true);
    a.insert(QStringLiteral("manager"), QStringLiteral("10.0.0.9"));
    a.insert(QStringLiteral("read_community"), QStringLiteral("pub"));
    a.insert(QStringLiteral("write_community"), QStringLiteral("priv"));
    a.insert(QStringLiteral("trap_community"), QStringLiteral("trp"));
    a.insert(QStringLiteral("log_enable"), true);
    a.insert(QStringLiteral("log_time"), 120);
    a.insert(QStringLiteral("log_count"), 5);
    a.insert(QStringLiteral("user_name"), QStringLiteral("operator"));
    a.insert(QStringLiteral("clock"), QStringLiteral("05032007140709"));
    a.insert(QStringLiteral("clock_running"), false);

    QJsonObject b = Emulator::device(QStringLiteral("1109"), QStringLiteral("2.0.4-SN"), kMacB,
                                     QStringLiteral("127.0.0.3"), QStringLiteral("velto-hostlink"));
    b.insert(QStringLiteral("netmask"), QStringLiteral("255.0.0.0"));

    QJsonObject c = Emulator::device(QStringLiteral("1118"), QStringLiteral("2.0.4-SN"), kMacC,
                                     QStringLiteral("0.0.0.0"), QStringLiteral("velto-new"));
    c.insert(QStringLiteral("dhcp"), true);

    QJsonObject d = Emulator::device(QStringLiteral("1116"), QStringLiteral("2.0.5-SN"), kMacD,
                                     QStringLiteral("0.0.0.0"), QString(), QStringLiteral(""));
    return {a, b, c, d};
}

}  // namespace

class TestProperties : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Emulator> emu;
    TMainForm *form = nullptr;
    std::unique_ptr<MessageBoxRecorder> boxes;
    // Answers of the password prompt in order; nullopt presses Cancel.
    std::deque<std::optional<QString>> passwords;
    int prompts = 0;
    int unexpectedPrompts = 0;
    QStringList banners;
    bool closeOnShow = false;
    int propertiesShown = 0;
    QPointer<QWidget> focusAtOpen;

    TfrmProperties &dlg() { return *frmProperties; }

    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Show) return false;
        if (o == frmPassword) {
            ++prompts;
            std::optional<QString> answer;
            if (passwords.empty())
                ++unexpectedPrompts;
            else {
                answer = passwords.front();
                passwords.pop_front();
            }
            QTimer::singleShot(0, frmPassword, [answer]() {
                if (answer) {
                    frmPassword->txtPassword->setText(*answer);
                    frmPassword->btnOk->click();
                } else {
                    frmPassword->btnCancel->click();
                }
            });
        } else if (form && o == form->InfoMessage) {
            banners << QStr(form->InfoMessage->Msg);
        } else if (o == frmProperties) {
            ++propertiesShown;
            if (closeOnShow)
                QTimer::singleShot(0, frmProperties, [this]() {
                    focusAtOpen = frmProperties->focusWidget();
                    frmProperties->reject();
                });
        }
        return false;
    }

    int RowOf(const QString &mac)
    {
        for (int i = 0; i < form->DeviceCount(); ++i)
            if (form->RowSubItem(i, 1) == StdStr(mac)) return i;
        return -1;
    }

    // The Devices/Properties command on the device's row; the dialog it opens modally is closed
    // at once and shown again without modality, so the test can drive it.
    bool Open(const QString &mac)
    {
        const int row = RowOf(mac);
        if (row < 0) return false;
        form->lstDevices->selectRow(row);
        closeOnShow = true;
        propertiesShown = 0;
        form->DevicesPropertiesExecute();
        closeOnShow = false;
        if (propertiesShown != 1 || frmProperties->isVisible()) return false;
        frmProperties->show();
        frmProperties->activateWindow();
        return QTest::qWaitForWindowExposed(frmProperties);
    }

    QList<QByteArray> Bodies(const QString &kind = QStringLiteral("http"))
    {
        QList<QByteArray> r;
        for (const EmulatedRequest &req : emu->requests(kind)) r << req.body;
        return r;
    }

    std::vector<std::string> Texts() const { return boxes->Texts(); }

    bool Focused(QWidget *w)
    {
        QWidget *f = frmProperties->focusWidget();
        return f && (f == w || w->isAncestorOf(f));
    }

    void Press(QPushButton *b, const std::optional<QString> &password)
    {
        passwords.push_back(password);
        b->click();
    }

    void ClearRecords()
    {
        QVERIFY(emu->clearRequests());
        boxes->Clear();
        banners.clear();
        prompts = 0;
    }

    QString Text(TEditIPAddr *box) { return QStr(box->Text()); }

private slots:
    void initTestCase()
    {
        EmulatorOptions options;
        options.devices = Devices();
        emu = std::make_unique<Emulator>(options);
        QVERIFY2(emu->start(), qPrintable(emu->errorString()));
    }

    void init()
    {
        QVERIFY2(emu->reset(), qPrintable(emu->errorString()));
        boxes = std::make_unique<MessageBoxRecorder>();
        form = new TMainForm;
        form->SetHttpPort(emu->httpPort());
        form->UdpDevicePort = emu->udpPort();
        form->UdpLocalPort = 0;
        form->BroadcastAddress = QStringLiteral("127.0.0.1");
        form->resize(900, 600);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        frmProperties = new TfrmProperties(form);
        frmPassword = new TfrmPassword(form);
        frmVersion = new TfrmVersion(form);
        for (QObject *o : {static_cast<QObject *>(frmProperties), static_cast<QObject *>(frmPassword),
                           static_cast<QObject *>(form->InfoMessage)})
            o->installEventFilter(this);
        passwords.clear();
        unexpectedPrompts = 0;
        // The rows come from a real local search.
        form->DevicesSearchLocalExecute();
        QCOMPARE(form->DeviceCount(), 4);
        ClearRecords();
    }

    void cleanup()
    {
        // Everything is torn down first, so a failed check here cannot spill into the next test.
        const int unexpected = unexpectedPrompts;
        const bool unused = !passwords.empty();
        delete form;
        form = nullptr;
        frmProperties = nullptr;
        frmPassword = nullptr;
        frmVersion = nullptr;
        boxes.reset();
        passwords.clear();
        QCOMPARE(unexpected, 0);
        QVERIFY2(!unused, "a scripted password was not asked for");
    }

    void controlsAndCaptions()
    {
        QCOMPARE(dlg().windowTitle(), QStringLiteral("Device Properties"));
        QTabWidget *tabs = dlg().findChild<QTabWidget *>(QStringLiteral("pgeProperties"));
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 5);
        const QStringList pages = {QStringLiteral("Network"), QStringLiteral("Users && Passwords"),
                                   QStringLiteral("Date && Time"), QStringLiteral("SNMP"), QStringLiteral("Log")};
        const QStringList names = {QStringLiteral("tabNetwork"), QStringLiteral("tabUsers"), QStringLiteral("tabTime"),
                                   QStringLiteral("tabSNMP"), QStringLiteral("TabLog")};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(tabs->tabText(i), pages[i]);
            QCOMPARE(tabs->widget(i)->objectName(), names[i]);
        }
        QCOMPARE(tabs->currentIndex(), 0);
        auto label = [this](const char *name) {
            QLabel *l = dlg().findChild<QLabel *>(QString::fromLatin1(name));
            return l ? l->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
        };
        QCOMPARE(label("lblHostname"), QStringLiteral("Host name"));
        QCOMPARE(label("lblFstDns"), QStringLiteral("Preferred DNS Server"));
        QCOMPARE(label("lblSndDns"), QStringLiteral("Alternative DNS Server"));
        QCOMPARE(label("lblVersion"), QStringLiteral("Firmware Version"));
        QCOMPARE(label("lblAdminPassword"), QStringLiteral("New Password for \"admin\""));
        QCOMPARE(label("lblAdminRetypePassword"), QStringLiteral("Retype Password for \"admin\""));
        QCOMPARE(label("lblSNMPAddress"), QStringLiteral("Send traps to this IP Address"));
        QCOMPARE(label("lblLogInterval"), QStringLiteral("Log Interval [seconds] (10..3600)"));
        QCOMPARE(label("lblLogCount"), QStringLiteral("Tags logged (from first tag) (0..16)"));
        QCOMPARE(label("lblUserNote"),
                 QStringLiteral("The standard user is the only user that has access to the Velto's Web Site. You "
                                "can change the standard Username and its Password."));
        QCOMPARE(label("lblAdminNote"),
                 QStringLiteral("Be sure not to forget the admin password, or you will have to change it locally "
                                "using the Serial Command Console."));
        QCOMPARE(label("lblTimeNote"),
                 QStringLiteral("The Date and Time feature permits Velto to send the Alarm E-Mails with the "
                                "correct values within the Message Body."));
        QCOMPARE(label("lblSNMPNote"),
                 QStringLiteral("The embedded SNMP agent provides remote administration and monitoring of the "
                                "device through the Simple Network Management Protocol."));
        QCOMPARE(dlg().grpDeviceInfo->title(), QStringLiteral("Device Information"));
        QCOMPARE(dlg().grpNetwork->title(), QStringLiteral("Network Parameters"));
        QCOMPARE(dlg().grpCommunities->title(), QStringLiteral("Communities"));
        QCOMPARE(dlg().btnSetUser->text(), QStringLiteral("Set &User"));
        QCOMPARE(dlg().btnSetAdmin->text(), QStringLiteral("Set &Administrator"));
        QCOMPARE(dlg().btnSetDateTime->text(), QStringLiteral("Set &Date and Time"));
        QCOMPARE(dlg().ButtonLog->text(), QStringLiteral("Set Log Data"));
        QCOMPARE(dlg().chkEnableLog->text(), QStringLiteral("Enabled"));
        QVERIFY(dlg().btnOk->isDefault());
        QCOMPARE(dlg().btnOk->text(), QStringLiteral("OK"));
        for (const char *name : {"txtHostname", "txtUsername", "txtUserPassword", "txtUserRetypePassword",
                                 "txtAdminPassword", "txtAdminRetypePassword"}) {
            QLineEdit *e = dlg().findChild<QLineEdit *>(QString::fromLatin1(name));
            QVERIFY2(e && TypingLimit(e) == 20, name);
        }
        for (QLineEdit *e : {dlg().txtRead, dlg().txtWrite, dlg().txtTrap}) QCOMPARE(TypingLimit(e), 15);
        for (QLineEdit *e : {dlg().txtUserPassword, dlg().txtUserRetypePassword, dlg().txtAdminPassword,
                             dlg().txtAdminRetypePassword})
            QCOMPARE(e->echoMode(), QLineEdit::Password);
        QCOMPARE(dlg().txtUsername->echoMode(), QLineEdit::Normal);
        for (const char *name : {"txtIPAddress", "txtNetmask", "txtGateway", "txtFstDns", "txtSndDns",
                                 "txtSNMPAddress"})
            QVERIFY2(dlg().findChild<TEditIPAddr *>(QString::fromLatin1(name)), name);
    }

    void propertiesNeedsManageableFirmware()
    {
        TDeviceData dev;
        dev.Device = "Velto-10-MB";
        dev.MAC = "00-11-22-33-44-99";
        dev.Version = "2.0.4-R";
        dev.IP = "127.0.0.9";
        dev.IsVelto = true;
        form->AddDeviceToList(dev);
        form->lstDevices->selectRow(RowOf(QStringLiteral("00-11-22-33-44-99")));
        auto seen = std::make_shared<QStringList>();
        WhenModal([seen](QWidget *w) {
            if (auto *v = qobject_cast<TfrmVersion *>(w)) {
                *seen << v->txtVersion->text() << v->txtVeltoVersion->text();
                v->btnOk->click();
            } else {
                w->close();
            }
        });
        form->DevicesPropertiesExecute();
        QCOMPARE(*seen, (QStringList{QStr(NoSNFirmwareText()), QStringLiteral("Device version: 2.0.4-R")}));
        QCOMPARE(propertiesShown, 0);
        QVERIFY(Bodies().isEmpty());
        QVERIFY(Texts().empty());
    }

    void readsNetworkAndLogOnOpen()
    {
        QVERIFY(Open(kMacA));
        QCOMPARE(Bodies(), (QList<QByteArray>{"GETNET();", "GETLOG();"}));
        for (const EmulatedRequest &r : emu->requests(QStringLiteral("http")))
            QCOMPARE(r.path, QStringLiteral("/admpost.cgi"));
        QCOMPARE(banners, (QStringList{QStringLiteral("Getting Velto Network Parameters..."),
                                       QStringLiteral("Getting Log Configuration...")}));
        QVERIFY(Texts().empty());
        QCOMPARE(dlg().stDevice->text(), QStringLiteral("Velto-10-MB"));
        QCOMPARE(dlg().stMAC->text(), kMacA);
        QCOMPARE(dlg().stVersion->text(), QStringLiteral("2.0.4-SN-R"));
        QCOMPARE(dlg().txtHostname->text(), QStringLiteral("velto-modbus"));
        QVERIFY(dlg().txtHostname->isEnabled());
        QVERIFY(!dlg().chkEnableDHCP->isChecked());
        QCOMPARE(Text(dlg().txtIPAddress), QStringLiteral("127.0.0.2"));
        QCOMPARE(Text(dlg().txtNetmask), QStringLiteral("255.0.0.0"));
        QCOMPARE(Text(dlg().txtGateway), QStringLiteral("10.0.0.1"));
        QCOMPARE(Text(dlg().txtFstDns), QStringLiteral("10.0.0.53"));
        QCOMPARE(Text(dlg().txtSndDns), QStringLiteral("0.0.0.0"));
        for (QWidget *w : std::initializer_list<QWidget *>{dlg().txtIPAddress, dlg().txtNetmask, dlg().txtGateway,
                                                            dlg().txtFstDns, dlg().txtSndDns, dlg().lblFstDns,
                                                            dlg().lblSndDns})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(dlg().chkEnableSNMP->isChecked());
        QCOMPARE(Text(dlg().txtSNMPAddress), QStringLiteral("10.0.0.9"));
        QVERIFY(dlg().txtSNMPAddress->isEnabled());
        QCOMPARE(dlg().txtRead->text(), QStringLiteral("pub"));
        QCOMPARE(dlg().txtWrite->text(), QStringLiteral("priv"));
        QCOMPARE(dlg().txtTrap->text(), QStringLiteral("trp"));
        QVERIFY(dlg().chkEnableLog->isChecked());
        QCOMPARE(dlg().txtLogInterval->text(), QStringLiteral("120"));
        QCOMPARE(dlg().txtLogCount->text(), QStringLiteral("5"));
        QVERIFY(dlg().txtLogInterval->isEnabled() && dlg().txtLogCount->isEnabled());
        for (QWidget *page : {dlg().tabNetwork, dlg().tabUsers, dlg().tabTime, dlg().tabSNMP, dlg().TabLog})
            QVERIFY2(dlg().PageVisible(page), qPrintable(page->objectName()));
        QCOMPARE(dlg().pgeProperties->currentWidget(), dlg().tabNetwork);
        QCOMPARE(focusAtOpen.data(), static_cast<QWidget *>(dlg().txtHostname));
        QVERIFY(!dlg().GralPropsLoaded);
    }

    void snmpOffAndNoLogOnOpen()
    {
        QVERIFY(Open(kMacB));
        QCOMPARE(Bodies(), (QList<QByteArray>{"GETNET();", "GETLOG();"}));
        QVERIFY(Texts().empty());
        QVERIFY(!dlg().PageVisible(dlg().TabLog));
        QVERIFY(dlg().PageVisible(dlg().tabSNMP));
        // The device refuses GETLOG; any reply gives the defaults.
        QVERIFY(!dlg().chkEnableLog->isChecked());
        QCOMPARE(dlg().txtLogInterval->text(), QStringLiteral("60"));
        QCOMPARE(dlg().txtLogCount->text(), QStringLiteral("0"));
        QVERIFY(!dlg().txtLogInterval->isEnabled() && !dlg().txtLogCount->isEnabled());
        // SNMP off: the communities the device still reports are emptied, the trap address zeroed.
        QVERIFY(!dlg().chkEnableSNMP->isChecked());
        QCOMPARE(Text(dlg().txtSNMPAddress), QStringLiteral("0.0.0.0"));
        for (QLineEdit *e : {dlg().txtRead, dlg().txtWrite, dlg().txtTrap}) {
            QVERIFY(e->text().isEmpty());
            QVERIFY(!e->isEnabled());
        }
        QVERIFY(!dlg().txtSNMPAddress->isEnabled());
        QVERIFY(!dlg().lblSNMPAddress->isEnabled());
        QVERIFY(!dlg().grpCommunities->isEnabled());
        dlg().chkEnableSNMP->click();
        for (QWidget *w : std::initializer_list<QWidget *>{dlg().txtSNMPAddress, dlg().lblSNMPAddress,
                                                            dlg().grpCommunities, dlg().txtRead, dlg().txtWrite,
                                                            dlg().txtTrap})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    }

    void okSendsNetworkThenReset()
    {
        QVERIFY(Open(kMacA));
        ClearRecords();
        dlg().txtHostname->setText(QStringLiteral("plant-7"));
        dlg().txtIPAddress->SetText("10.1.2.3");
        Press(dlg().btnOk, QStringLiteral("admin"));
        QCOMPARE(Bodies(), (QList<QByteArray>{"SETNET(PWD=admin,NAME=plant-7,IP=10.1.2.3,NETMASK=255.0.0.0,"
                                              "GATEWAY=10.0.0.1,FSTDNS=10.0.0.53,SNDDNS=0.0.0.0,SNMP=1,"
                                              "MANAGER=10.0.0.9,READS=pub,WRITES=priv,TRAPS=trp,);",
                                              "RESET();"}));
        QCOMPARE(banners, (QStringList{QStringLiteral("Setting Device Network Configuration..."),
                                       QStringLiteral("Resetting Device...")}));
        QCOMPARE(Texts(), (std::vector<std::string>{"Device Successfully Configured!."}));
        QCOMPARE(boxes->Shown().front().Kind, MsgKind::Information);
        QVERIFY(!dlg().isVisible());
        QCOMPARE(dlg().result(), int(QDialog::Accepted));
        const QJsonObject state = emu->deviceState(kMacA);
        QCOMPARE(state.value(QStringLiteral("resets")).toInt(), 1);
        QCOMPARE(state.value(QStringLiteral("ip")).toString(), QStringLiteral("10.1.2.3"));
        QCOMPARE(state.value(QStringLiteral("hostname")).toString(), QStringLiteral("plant-7"));
    }

    void wrongPasswordJudgedByDevice()
    {
        QVERIFY(Open(kMacA));
        ClearRecords();
        dlg().txtIPAddress->SetText("10.1.2.3");
        Press(dlg().btnOk, QStringLiteral("nope"));
        QCOMPARE(Bodies().size(), 1);
        QVERIFY(Bodies().front().startsWith("SETNET(PWD=nope,"));
        QCOMPARE(Texts(), (std::vector<std::string>{kSetError}));
        QCOMPARE(boxes->Shown().front().Kind, MsgKind::Error);
        QVERIFY(!dlg().isVisible());
        QCOMPARE(dlg().result(), int(QDialog::Accepted));
        QCOMPARE(emu->deviceState(kMacA).value(QStringLiteral("resets")).toInt(), 0);
    }

    void resetRefusedIsAnError()
    {
        QVERIFY(Open(kMacA));
        ClearRecords();
        dlg().txtIPAddress->SetText("10.1.2.3");
        QVERIFY(emu->setFail(kMacA, QStringLiteral("wrong"), 1, QStringLiteral("RESET")));
        Press(dlg().btnOk, QStringLiteral("admin"));
        QCOMPARE(Bodies().size(), 2);
        QCOMPARE(Bodies().back(), QByteArray("RESET();"));
        QCOMPARE(Texts(), (std::vector<std::string>{kSetError}));
    }

    void dhcpSendsZerosAndOkOnClockPageSendsNetwork()
    {
        QVERIFY(Open(kMacA));
        dlg().chkEnableDHCP->click();
        for (QWidget *w : std::initializer_list<QWidget *>{dlg().txtIPAddress, dlg().lblIPAddress, dlg().txtNetmask,
                                                            dlg().txtGateway, dlg().txtFstDns, dlg().lblFstDns,
                                                            dlg().txtSndDns, dlg().lblSndDns})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        dlg().chkEnableDHCP->click();
        for (QWidget *w : std::initializer_list<QWidget *>{dlg().txtIPAddress, dlg().txtNetmask, dlg().txtGateway,
                                                            dlg().txtFstDns, dlg().txtSndDns})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        dlg().chkEnableDHCP->click();
        // Addresses that would be refused pass while DHCP is on; the trap address, sent as typed,
        // is still checked.
        dlg().txtIPAddress->SetText("");
        dlg().txtGateway->SetText("10.0.0.255");
        dlg().txtSNMPAddress->SetText("10.0.0.255");
        dlg().btnOk->click();
        QCOMPARE(Texts(), (std::vector<std::string>{"Not valid Manager IP Address."}));
        QCOMPARE(dlg().pgeProperties->currentWidget(), dlg().tabSNMP);
        dlg().txtSNMPAddress->SetText("10.0.0.9");
        dlg().pgeProperties->setCurrentWidget(dlg().tabTime);
        ClearRecords();
        Press(dlg().btnOk, QStringLiteral("admin"));
        QCOMPARE(Texts(), (std::vector<std::string>{"Device Successfully Configured!."}));
        const QList<QByteArray> bodies = Bodies();
        QCOMPARE(bodies, (QList<QByteArray>{"SETNET(PWD=admin,NAME=velto-modbus,IP=0.0.0.0,NETMASK=0.0.0.0,"
                                            "GATEWAY=0.0.0.0,FSTDNS=0.0.0.0,SNDDNS=0.0.0.0,SNMP=1,"
                                            "MANAGER=10.0.0.9,READS=pub,WRITES=priv,TRAPS=trp,);",
                                            "RESET();"}));
        QCOMPARE(bodies.front().count("=0.0.0.0,"), 5);
        QVERIFY(!dlg().isVisible());
    }

    void snmpOffSendsZeroManagerAndEmptyCommunities()
    {
        QVERIFY(Open(kMacA));
        dlg().txtIPAddress->SetText("10.1.2.3");
        dlg().chkEnableSNMP->click();
        QCOMPARE(Text(dlg().txtSNMPAddress), QStringLiteral("0.0.0.0"));
        QVERIFY(!dlg().txtSNMPAddress->isEnabled());
        QVERIFY(dlg().txtRead->text().isEmpty() && dlg().txtWrite->text().isEmpty() && dlg().txtTrap->text().isEmpty());
        ClearRecords();
        Press(dlg().btnOk, QStringLiteral("admin"));
        QCOMPARE(Bodies().front(), QByteArray("SETNET(PWD=admin,NAME=velto-modbus,IP=10.1.2.3,NETMASK=255.0.0.0,"
                                              "GATEWAY=10.0.0.1,FSTDNS=10.0.0.53,SNDDNS=0.0.0.0,SNMP=0,"
                                              "MANAGER=0.0.0.0,READS=,WRITES=,TRAPS=,);"));
        QCOMPARE(emu->deviceState(kMacA).value(QStringLiteral("snmp")).toBool(), false);
    }

    void networkChecksInOrder()
    {
        QVERIFY(Open(kMacA));
        ClearRecords();
        dlg().txtSNMPAddress->SetText("10.0.0.255");
        dlg().txtGateway->SetText("10.0.0.0");
        dlg().txtFstDns->SetText("255.1.1.1");
        dlg().txtSndDns->SetText("10.1.1.255");
        struct Step {
            std::function<void()> fix;   // applied before the press
            std::string text;
            QWidget *page;
            QWidget *focus;
        };
        // An address control whose four boxes are empty says so in its own words.
        const std::string empty = "Must include exactly 3 dots! []";
        const auto check = [this](const std::vector<Step> &steps) {
            for (const Step &s : steps) {
                s.fix();
                boxes->Clear();
                dlg().btnOk->click();
                QCOMPARE(Texts(), (std::vector<std::string>{s.text}));
                QCOMPARE(boxes->Shown().front().Kind, MsgKind::Error);
                QCOMPARE(dlg().pgeProperties->currentWidget(), s.page);
                QVERIFY2(Focused(s.focus), s.text.c_str());
                QVERIFY(dlg().isVisible());
            }
        };
        check({
            {[this]() { dlg().txtIPAddress->SetText(""); }, empty, dlg().tabNetwork, dlg().txtIPAddress},
            // A loopback address is no host either.
            {[this]() { dlg().txtIPAddress->SetText("127.0.0.2"); }, "Not valid IP Address.", dlg().tabNetwork,
             dlg().txtIPAddress},
            // The netmask is sent as typed, but never empty.
            {[this]() {
                 dlg().txtIPAddress->SetText("10.1.2.3");
                 dlg().txtNetmask->SetText("");
                 dlg().pgeProperties->setCurrentWidget(dlg().tabSNMP);
             },
             empty, dlg().tabNetwork, dlg().txtNetmask},
            {[this]() {
                 dlg().txtNetmask->SetText("255.0.0.0");
                 dlg().pgeProperties->setCurrentWidget(dlg().TabLog);
             },
             "Not valid Manager IP Address.", dlg().tabSNMP, dlg().txtSNMPAddress},
            {[this]() {
                 dlg().txtSNMPAddress->SetText("");
                 dlg().pgeProperties->setCurrentWidget(dlg().tabNetwork);
             },
             empty, dlg().tabSNMP, dlg().txtSNMPAddress},
            {[this]() {
                 dlg().txtSNMPAddress->SetText("10.0.0.9");
                 dlg().pgeProperties->setCurrentWidget(dlg().tabSNMP);
             },
             "Not valid Gateway Address.", dlg().tabNetwork, dlg().txtGateway},
            {[this]() { dlg().txtGateway->SetText(""); }, empty, dlg().tabNetwork, dlg().txtGateway},
            {[this]() { dlg().txtGateway->SetText("0.0.0.0"); }, "Not valid DNS Server Address.", dlg().tabNetwork,
             dlg().txtFstDns},
            {[this]() { dlg().txtFstDns->SetText(""); }, empty, dlg().tabNetwork, dlg().txtFstDns},
            {[this]() { dlg().txtFstDns->SetText("0.0.0.0"); }, "Not valid DNS Server Address.", dlg().tabNetwork,
             dlg().txtSndDns},
        });
        if (QTest::currentTestFailed()) return;
        QCOMPARE(prompts, 0);
        // All valid now: the password is asked for; Cancel leaves the dialog open, nothing sent.
        dlg().txtSndDns->SetText("10.1.1.1");
        boxes->Clear();
        Press(dlg().btnOk, std::nullopt);
        QCOMPARE(prompts, 1);
        QVERIFY(Texts().empty());
        QVERIFY(dlg().isVisible());
        QVERIFY(Bodies().isEmpty());

        // The same for the discovery datagram of a device not yet addressed.
        dlg().reject();
        QVERIFY(Open(kMacC));
        ClearRecords();
        dlg().chkEnableDHCP->click();
        dlg().txtIPAddress->SetText("10.1.2.3");
        check({
            {[this]() { dlg().txtNetmask->SetText(""); }, empty, dlg().tabNetwork, dlg().txtNetmask},
            {[this]() {
                 dlg().txtNetmask->SetText("0.0.0.0");
                 dlg().txtGateway->SetText("");
             },
             empty, dlg().tabNetwork, dlg().txtGateway},
        });
        if (QTest::currentTestFailed()) return;
        QCOMPARE(prompts, 0);
        QVERIFY(Bodies(QStringLiteral("udp")).isEmpty());
        // A netmask that is not empty goes as it stands.
        dlg().txtGateway->SetText("10.1.2.1");
        Press(dlg().btnOk, QStringLiteral("admin"));
        QCOMPARE(Bodies(QStringLiteral("udp")),
                 (QList<QByteArray>{"CONFIG(admin,00-11-22-33-44-03,10.1.2.3,0.0.0.0,10.1.2.1,velto-new)"}));
    }

    // A text typed for the device that would reach it changed ("/" has no code in a message, a
    // character outside Latin-1 no byte) is refused with its field and the character named, the
    // field focused, before the password is asked and before anything is sent.
    void textsTheDeviceCannotCarryAreRefusedBeforeSending()
    {
        QVERIFY(Open(kMacA));
        dlg().txtIPAddress->SetText("10.1.2.3");
        // What each value is refused for, as the box words it; a device may send a control character.
        const std::pair<const char *, std::string> values[] = {{"a/b", "\"/\" (U+002F)"},
                                                               {"S\u00FCd\u20AC2024", "\"\u20AC\" (U+20AC)"},
                                                               {"Pumpe-S\u00FCd-\u914D", "\"\u914D\" (U+914D)"},
                                                               {"pump\x01" "7", "the control character U+0001"},
                                                               {"pump\t7", "the control character U+0009"}};
        struct Step {
            QLineEdit *edit;
            const char *field;
            QWidget *page;
        };
        const std::vector<Step> network = {{dlg().txtHostname, "Host name", dlg().tabNetwork},
                                           {dlg().txtRead, "Read Community", dlg().tabSNMP},
                                           {dlg().txtWrite, "Write Community", dlg().tabSNMP},
                                           {dlg().txtTrap, "Trap Community", dlg().tabSNMP}};
        for (const auto &[value, character] : values) {
            for (const Step &s : network) {
                const std::string text = "The " + std::string(s.field) + " cannot contain " + character + ".";
                const QString kept = s.edit->text();
                s.edit->setText(QString::fromUtf8(value));
                dlg().pgeProperties->setCurrentWidget(dlg().tabTime);
                ClearRecords();
                dlg().btnOk->click();
                QCOMPARE(Texts(), (std::vector<std::string>{text}));
                QCOMPARE(boxes->Shown().front().Kind, MsgKind::Error);
                QCOMPARE(dlg().pgeProperties->currentWidget(), s.page);
                QVERIFY2(Focused(s.edit), text.c_str());
                QVERIFY(dlg().isVisible());
                s.edit->setText(kept);
            }
        }
        QCOMPARE(prompts, 0);
        QVERIFY(Bodies().isEmpty());

        dlg().pgeProperties->setCurrentWidget(dlg().tabUsers);
        ClearRecords();
        const std::vector<std::pair<Step, QPushButton *>> users = {
            {{dlg().txtUsername, "Username", dlg().tabUsers}, dlg().btnSetUser},
            {{dlg().txtUserPassword, "Password", dlg().tabUsers}, dlg().btnSetUser},
            {{dlg().txtAdminPassword, "Password", dlg().tabUsers}, dlg().btnSetAdmin}};
        for (const auto &[value, character] : values) {
            for (const auto &[s, button] : users) {
                const std::string text = "The " + std::string(s.field) + " cannot contain " + character + ".";
                const QString bad = QString::fromUtf8(value);
                s.edit->setText(bad);
                if (s.edit == dlg().txtUserPassword) dlg().txtUserRetypePassword->setText(bad);
                if (s.edit == dlg().txtAdminPassword) dlg().txtAdminRetypePassword->setText(bad);
                boxes->Clear();
                button->click();
                QCOMPARE(Texts(), (std::vector<std::string>{text}));
                QVERIFY2(Focused(s.edit), text.c_str());
                s.edit->setText(QStringLiteral("ab"));
                if (s.edit == dlg().txtUserPassword) dlg().txtUserRetypePassword->setText(QStringLiteral("ab"));
            }
        }
        QCOMPARE(prompts, 0);
        QVERIFY(Bodies().isEmpty());
    }

    void usersPageLoadsOnceAndSetsUser()
    {
        QVERIFY(Open(kMacA));
        ClearRecords();
        dlg().btnCancel->setFocus();
        dlg().pgeProperties->setCurrentWidget(dlg().tabUsers);
        QCOMPARE(Bodies(), (QList<QByteArray>{"GETADMIN();", "GETUSER();", "GETTIME();", "GETLOG();"}));
        QCOMPARE(banners, (QStringList{QStringLiteral("Getting User Data from Device..."),
                                       QStringLiteral("Getting User Data from Device..."),
                                       QStringLiteral("Getting current Date and Time from Device..."),
                                       QStringLiteral("Getting Log Configuration...")}));
        QVERIFY(dlg().GralPropsLoaded);
        QCOMPARE(QStr(dlg().AdminPassword), QStringLiteral("admin"));
        QCOMPARE(dlg().txtUsername->text(), QStringLiteral("operator"));
        QVERIFY(Focused(dlg().txtUsername));
        QCOMPARE(dlg().dteDate->date(), QDate(2007, 3, 5));
        QCOMPARE(dlg().dteTime->time(), QTime(14, 7, 9));
        dlg().pgeProperties->setCurrentWidget(dlg().tabNetwork);
        dlg().pgeProperties->setCurrentWidget(dlg().tabTime);
        dlg().pgeProperties->setCurrentWidget(dlg().tabUsers);
        QCOMPARE(Bodies().size(), 4);
        ClearRecords();

        dlg().txtUserPassword->setText(QStringLiteral("a"));
        dlg().txtUserRetypePassword->setText(QStringLiteral("b"));
        dlg().btnSetUser->click();
        QCOMPARE(Texts(), (std::vector<std::string>{"Passwords do not match."}));
        QVERIFY(Focused(dlg().txtUserPassword));
        QCOMPARE(prompts, 0);

        boxes->Clear();
        dlg().txtUsername->clear();
        dlg().txtUserPassword->setText(QStringLiteral("pw1"));
        dlg().txtUserRetypePassword->setText(QStringLiteral("pw1"));
        Press(dlg().btnSetUser, QStringLiteral("nope"));
        QCOMPARE(Texts(),
                 (std::vector<std::string>{"An empty Username will disable Authentication.", "Not valid Password."}));
        QCOMPARE(boxes->Shown()[0].Kind, MsgKind::Warning);
        QCOMPARE(boxes->Shown()[1].Kind, MsgKind::Error);
        QVERIFY(Bodies().isEmpty());

        boxes->Clear();
        dlg().txtUsername->setText(QStringLiteral("guest"));
        Press(dlg().btnSetUser, QStringLiteral("admin"));
        QCOMPARE(Bodies(), (QList<QByteArray>{"SETUSER(USERNAME=guest,PWD=pw1,);"}));
        QCOMPARE(banners.back(), QStringLiteral("Setting Standard User Data..."));
        QCOMPARE(Texts(), (std::vector<std::string>{"User Data successfully configured."}));
        QCOMPARE(boxes->Shown()[0].Kind, MsgKind::Information);
        const QJsonObject state = emu->deviceState(kMacA);
        QCOMPARE(state.value(QStringLiteral("user_name")).toString(), QStringLiteral("guest"));
        QCOMPARE(state.value(QStringLiteral("user_password")).toString(), QStringLiteral("pw1"));
        QVERIFY(dlg().isVisible());

        // OK on this page only closes.
        ClearRecords();
        dlg().btnOk->click();
        QVERIFY(!dlg().isVisible());
        QCOMPARE(dlg().result(), int(QDialog::Accepted));
        QCOMPARE(prompts, 0);
        QVERIFY(Bodies().isEmpty());
    }

    void setAdministratorThenUserNeedsNewPassword()
    {
        QVERIFY(Open(kMacA));
        dlg().pgeProperties->setCurrentWidget(dlg().tabUsers);
        ClearRecords();
        dlg().txtAdminPassword->setText(QStringLiteral("n3w"));
        dlg().txtAdminRetypePassword->setText(QStringLiteral("n3x"));
        dlg().btnSetAdmin->click();
        QCOMPARE(Texts(), (std::vector<std::string>{"Passwords do not match."}));
        QVERIFY(Focused(dlg().txtAdminPassword));
        QCOMPARE(prompts, 0);

        boxes->Clear();
        dlg().txtAdminRetypePassword->setText(QStringLiteral("n3w"));
        Press(dlg().btnSetAdmin, QStringLiteral("wrong"));
        QCOMPARE(Texts(), (std::vector<std::string>{"Not valid Password."}));
        QVERIFY(Bodies().isEmpty());

        boxes->Clear();
        Press(dlg().btnSetAdmin, QStringLiteral("admin"));
        QCOMPARE(Bodies(), (QList<QByteArray>{"SETADMIN(PWD=n3w,);"}));
        QCOMPARE(banners.back(), QStringLiteral("Setting Administrator Data..."));
        QCOMPARE(Texts(), (std::vector<std::string>{"Administrator Data successfully configured."}));
        QCOMPARE(QStr(dlg().AdminPassword), QStringLiteral("n3w"));
        QCOMPARE(emu->deviceState(kMacA).value(QStringLiteral("admin_password")).toString(), QStringLiteral("n3w"));

        ClearRecords();
        dlg().txtUsername->setText(QStringLiteral("guest"));
        Press(dlg().btnSetUser, QStringLiteral("admin"));
        QCOMPARE(Texts(), (std::vector<std::string>{"Not valid Password."}));
        QVERIFY(Bodies().isEmpty());
        boxes->Clear();
        Press(dlg().btnSetUser, QStringLiteral("n3w"));
        QCOMPARE(Bodies(), (QList<QByteArray>{"SETUSER(USERNAME=guest,PWD=,);"}));
        QCOMPARE(Texts(), (std::vector<std::string>{"User Data successfully configured."}));
    }

    void setDateAndTime()
    {
        QVERIFY(Open(kMacA));
        dlg().btnCancel->setFocus();
        dlg().pgeProperties->setCurrentWidget(dlg().tabTime);
        QVERIFY(Focused(dlg().dteDate));
        QCOMPARE(dlg().dteDate->date(), QDate(2007, 3, 5));
        ClearRecords();
        dlg().dteDate->setDate(QDate(2024, 2, 29));
        dlg().dteTime->setTime(QTime(23, 59, 58, 750));
        dlg().btnSetDateTime->click();
        QCOMPARE(prompts, 0);
        QCOMPARE(Bodies(), (QList<QByteArray>{"SETTIME(TIME=29022024235958,);"}));
        QCOMPARE(banners, (QStringList{QStringLiteral("Setting Date and Time...")}));
        QCOMPARE(Texts(), (std::vector<std::string>{"Date and Time successfully configured."}));
        QCOMPARE(boxes->Shown()[0].Kind, MsgKind::Information);
        QCOMPARE(emu->deviceState(kMacA).value(QStringLiteral("clock")).toString(), QStringLiteral("29022024235958"));

        dlg().btnSetTimeNow->click();
        QCOMPARE(dlg().dteDate->date(), QDate(2024, 2, 29));
        QVERIFY(qAbs(dlg().dteTime->time().secsTo(QTime::currentTime())) <= 2);

        ClearRecords();
        QVERIFY(emu->setFail(kMacA, QStringLiteral("wrong"), 1, QStringLiteral("SETTIME")));
        dlg().btnSetDateTime->click();
        QCOMPARE(Texts(), (std::vector<std::string>{kNotValid}));
        QCOMPARE(boxes->Shown()[0].Kind, MsgKind::Error);
    }

    // The clock shows ASCII digits whatever the user's locale, as every number of the program does.
    void dateAndTimeShowAsciiDigits_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *name : {"ar_EG", "fa_IR", "de_DE", "C"}) QTest::newRow(name) << QString::fromLatin1(name);
    }

    void dateAndTimeShowAsciiDigits()
    {
        QFETCH(QString, locale);
        const QLocale old;
        QLocale::setDefault(QLocale(locale));
        TfrmProperties page;
        QLocale::setDefault(old);
        page.dteDate->setDate(QDate(2007, 3, 5));
        page.dteTime->setTime(QTime(14, 7, 9));
        QCOMPARE(page.dteDate->text(), QStringLiteral("05/03/2007"));
        QCOMPARE(page.dteTime->text(), QStringLiteral("14:07:09"));
        QVERIFY(page.dteDate->calendarWidget());
        QCOMPARE(page.dteDate->calendarWidget()->locale().zeroDigit(), QStringLiteral("0"));
    }

    // Typed with the digits of the user's keyboard, the clock takes the value the ASCII keys give.
    void dateAndTimeTakeKeyboardDigits_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("zero");   // the keyboard's digit 0
        QTest::newRow("ar_EG") << QStringLiteral("ar_EG") << 0x0660;
        QTest::newRow("fa_IR") << QStringLiteral("fa_IR") << 0x06F0;
        QTest::newRow("C") << QStringLiteral("C") << int('0');
    }

    void dateAndTimeTakeKeyboardDigits()
    {
        QFETCH(QString, locale);
        QFETCH(int, zero);
        const QLocale old;
        QLocale::setDefault(QLocale(locale));
        const auto restore = qScopeGuard([old]() { QLocale::setDefault(old); });
        delete frmProperties;
        frmProperties = new TfrmProperties(form);
        frmProperties->installEventFilter(this);
        QVERIFY(Open(kMacA));
        dlg().pgeProperties->setCurrentWidget(dlg().tabTime);
        ClearRecords();
        const auto type = [zero](QDateTimeEdit *e, const char *digits) {
            e->setFocus();
            e->setSelectedSection(e->sectionAt(0));
            for (const char *d = digits; *d; ++d) {
                const QChar key(char16_t(zero + (*d - '0')));
                QTest::sendKeyEvent(QTest::Click, e, Qt::Key(key.unicode()), QString(key), Qt::NoModifier);
            }
        };
        QCOMPARE(dlg().dteDate->date(), QDate(2007, 3, 5));   // the device's clock
        type(dlg().dteDate, "17081999");
        type(dlg().dteTime, "081502");
        QCOMPARE(dlg().dteDate->date(), QDate(1999, 8, 17));
        QCOMPARE(dlg().dteTime->time(), QTime(8, 15, 2));
        dlg().btnSetDateTime->click();
        QCOMPARE(Bodies(), (QList<QByteArray>{"SETTIME(TIME=17081999081502,);"}));
    }

    void logBounds()
    {
        QVERIFY(Open(kMacA));
        dlg().pgeProperties->setCurrentWidget(dlg().TabLog);
        ClearRecords();
        const std::vector<std::pair<const char *, const char *>> refused = {
            {"9", "0"}, {"3601", "0"}, {"10", "17"}, {"10", "-1"}, {"abc", "0"}, {"10", "x"}, {"", "0"},
            {"10", ""}, {"10.5", "0"}, {"99999999999", "0"}, {"\u06F9", "0"}, {"10", "\u0661\u0667"}};
        for (const auto &[interval, count] : refused) {
            boxes->Clear();
            dlg().txtLogInterval->setText(QString::fromUtf8(interval));
            dlg().txtLogCount->setText(QString::fromUtf8(count));
            dlg().ButtonLog->click();
            QCOMPARE(Texts(), (std::vector<std::string>{"Error"}));
            QCOMPARE(boxes->Shown()[0].Kind, MsgKind::Error);
        }
        QVERIFY(Bodies().isEmpty());
        QCOMPARE(prompts, 0);

        boxes->Clear();
        dlg().txtLogInterval->setText(QStringLiteral("10"));
        dlg().txtLogCount->setText(QStringLiteral("0"));
        dlg().ButtonLog->click();
        QCOMPARE(Texts(), (std::vector<std::string>{"Log Configuration sent."}));
        QCOMPARE(boxes->Shown()[0].Kind, MsgKind::Information);
        QCOMPARE(banners, (QStringList{QStringLiteral("Setting Log Configuration...")}));

        dlg().chkEnableLog->click();
        QVERIFY(!dlg().txtLogInterval->isEnabled() && !dlg().txtLogCount->isEnabled());
        dlg().txtLogInterval->setText(QStringLiteral("3600"));
        dlg().txtLogCount->setText(QStringLiteral("16"));
        dlg().ButtonLog->click();
        QCOMPARE(Bodies(), (QList<QByteArray>{"SETLOG(ENABLE=1,TIME=10,COUNT=0,);",
                                              "SETLOG(ENABLE=0,TIME=3600,COUNT=16,);"}));
        const QJsonObject state = emu->deviceState(kMacA);
        QCOMPARE(state.value(QStringLiteral("log_time")).toInt(), 3600);
        QCOMPARE(state.value(QStringLiteral("log_count")).toInt(), 16);

        // The digits of Arabic and Persian keyboards are read as the ASCII ones.
        const std::vector<std::tuple<QString, QString, QByteArray>> native = {
            {QStringLiteral("\u0661\u0662\u0660"), QStringLiteral("\u06F3"), "SETLOG(ENABLE=0,TIME=120,COUNT=3,);"},
            {QStringLiteral("\u06F3\u06F6\u06F0\u06F0"), QStringLiteral("\u0661\u0666"),
             "SETLOG(ENABLE=0,TIME=3600,COUNT=16,);"},
            {QStringLiteral("1\u0660"), QStringLiteral("\u06F0"), "SETLOG(ENABLE=0,TIME=10,COUNT=0,);"}};
        for (const auto &[interval, count, body] : native) {
            ClearRecords();
            dlg().txtLogInterval->setText(interval);
            dlg().txtLogCount->setText(count);
            dlg().ButtonLog->click();
            QCOMPARE(Texts(), (std::vector<std::string>{"Log Configuration sent."}));
            QCOMPARE(Bodies(), QList<QByteArray>{body});
        }

        boxes->Clear();
        QVERIFY(emu->setFail(kMacA, QStringLiteral("wrong"), 1, QStringLiteral("SETLOG")));
        dlg().ButtonLog->click();
        QCOMPARE(Texts(), (std::vector<std::string>{"No Logging capabilities in Device."}));
        QVERIFY(dlg().isVisible());
    }

    void unaddressedDeviceGetsConfigDatagram()
    {
        QVERIFY(Open(kMacC));
        QVERIFY(Bodies().isEmpty());
        QVERIFY(Texts().empty());
        QVERIFY(dlg().PageVisible(dlg().tabNetwork));
        for (QWidget *page : {dlg().tabUsers, dlg().tabTime, dlg().tabSNMP, dlg().TabLog})
            QVERIFY2(!dlg().PageVisible(page), qPrintable(page->objectName()));
        QCOMPARE(dlg().txtHostname->text(), QStringLiteral("velto-new"));
        QVERIFY(dlg().txtHostname->isEnabled());
        QVERIFY(dlg().chkEnableDHCP->isChecked());
        QCOMPARE(Text(dlg().txtIPAddress), QStringLiteral("0.0.0.0"));
        QCOMPARE(Text(dlg().txtNetmask), QStringLiteral("255.255.255.0"));
        QVERIFY(!dlg().txtIPAddress->isEnabled());
        QVERIFY(Text(dlg().txtFstDns).isEmpty() && Text(dlg().txtSndDns).isEmpty());
        QVERIFY(!dlg().txtFstDns->isEnabled() && !dlg().lblSndDns->isEnabled());
        dlg().chkEnableDHCP->click();
        QVERIFY(dlg().txtIPAddress->isEnabled() && dlg().txtGateway->isEnabled());
        QVERIFY(!dlg().txtFstDns->isEnabled() && !dlg().txtSndDns->isEnabled());

        dlg().txtIPAddress->SetText("10.1.2.3");
        dlg().txtGateway->SetText("10.1.2.1");
        // The datagram is 8-bit text too: a host name outside Latin-1 is refused, nothing is asked or sent.
        dlg().txtHostname->setText(QString::fromUtf8("Pumpe-S\u00FCd-\u914D"));
        const int promptsBefore = prompts;
        boxes->Clear();
        dlg().btnOk->click();
        QCOMPARE(Texts(), (std::vector<std::string>{"The Host name cannot contain \"\u914D\" (U+914D)."}));
        QVERIFY(Focused(dlg().txtHostname));
        QCOMPARE(prompts, promptsBefore);
        QVERIFY(Bodies(QStringLiteral("udp")).isEmpty());
        boxes->Clear();
        dlg().txtHostname->setText(QStringLiteral("line-4"));
        Press(dlg().btnOk, QStringLiteral("admin"));
        QCOMPARE(Bodies(QStringLiteral("udp")),
                 (QList<QByteArray>{"CONFIG(admin,00-11-22-33-44-03,10.1.2.3,255.255.255.0,10.1.2.1,line-4)"}));
        QVERIFY(Bodies().isEmpty());
        QVERIFY(banners.contains(QStringLiteral("Setting Device Data...")));
        QCOMPARE(Texts(), (std::vector<std::string>{"Device Successfully Configured!."}));
        QVERIFY(!dlg().isVisible());
        QCOMPARE(dlg().result(), int(QDialog::Accepted));
        const QJsonObject state = emu->deviceState(kMacC);
        QCOMPARE(state.value(QStringLiteral("ip")).toString(), QStringLiteral("10.1.2.3"));
        QCOMPARE(state.value(QStringLiteral("hostname")).toString(), QStringLiteral("line-4"));
    }

    void emptyPasswordKeepsMacSecondInDatagram()
    {
        QVERIFY(Open(kMacD));
        QVERIFY(!dlg().txtHostname->isEnabled());
        QVERIFY(dlg().txtHostname->text().isEmpty());
        QCOMPARE(focusAtOpen.data(), static_cast<QWidget *>(dlg().chkEnableDHCP));
        QVERIFY(dlg().chkEnableDHCP->isChecked());
        dlg().txtIPAddress->SetText("");   // not checked while DHCP is on
        Press(dlg().btnOk, QStringLiteral(""));
        QCOMPARE(Bodies(QStringLiteral("udp")),
                 (QList<QByteArray>{"CONFIG(,00-11-22-33-44-04,0.0.0.0,0.0.0.0,0.0.0.0)"}));
        QCOMPARE(Texts(), (std::vector<std::string>{"Device Successfully Configured!."}));
    }

    void datagramRefusedOrUnanswered()
    {
        QVERIFY(Open(kMacC));
        Press(dlg().btnOk, QStringLiteral("bad"));
        QCOMPARE(Bodies(QStringLiteral("udp")),
                 (QList<QByteArray>{"CONFIG(bad,00-11-22-33-44-03,0.0.0.0,0.0.0.0,0.0.0.0,velto-new)"}));
        QCOMPARE(Texts(), (std::vector<std::string>{kSetError}));
        QCOMPARE(boxes->Shown()[0].Kind, MsgKind::Error);

        ClearRecords();
        QVERIFY(emu->setFail(kMacC, QStringLiteral("silent"), 0, QString(), QStringLiteral("udp")));
        QVERIFY(Open(kMacC));
        Press(dlg().btnOk, QStringLiteral("admin"));
        QCOMPARE(Bodies(QStringLiteral("udp")).size(), 1);
        QCOMPARE(Texts(), (std::vector<std::string>{kSetError}));
    }

    void remoteDeviceIsReachedThroughItsRemoteAddress()
    {
        TDeviceData dev;
        dev.Device = "Velto-10-HL";
        dev.Hostname = "far";
        dev.MAC = "00-11-22-33-44-77";
        dev.Version = "2.0.4-SN";
        dev.IP = "10.9.9.9";
        dev.Netmask = "255.0.0.0";
        dev.Gateway = "10.0.0.1";
        dev.RemoteIP = "127.0.0.3";
        dev.HasHostname = true;
        dev.IsVelto = true;
        form->AddDeviceToList(dev);
        QVERIFY(Open(QStringLiteral("00-11-22-33-44-77")));
        const QList<EmulatedRequest> reqs = emu->requests(QStringLiteral("http"));
        QCOMPARE(reqs.size(), 2);
        for (const EmulatedRequest &r : reqs) {
            QCOMPARE(r.host, QStringLiteral("127.0.0.3"));
            QCOMPARE(r.device, kMacB);
        }
        QCOMPARE(dlg().stMAC->text(), QStringLiteral("00-11-22-33-44-77"));
        QCOMPARE(dlg().txtHostname->text(), QStringLiteral("velto-hostlink"));
    }

    void badAddressFromDeviceIsReported()
    {
        QVERIFY(emu->setDeviceState(kMacA, QJsonObject{{QStringLiteral("dns2"), QStringLiteral("10.0.0.256")}}));
        QVERIFY(Open(kMacA));
        QCOMPARE(Texts(), (std::vector<std::string>{"Bad IP address string given to component"}));
        QCOMPARE(boxes->Shown()[0].Kind, MsgKind::Error);
        QVERIFY(Text(dlg().txtSndDns).isEmpty());
        QCOMPARE(Text(dlg().txtFstDns), QStringLiteral("10.0.0.53"));
        boxes->Clear();
        dlg().txtIPAddress->SetText("10.1.2.3");
        dlg().btnOk->click();
        // The box left empty is refused as every emptied address box is.
        QCOMPARE(Texts(), (std::vector<std::string>{"Must include exactly 3 dots! []"}));
        QVERIFY(Focused(dlg().txtSndDns));
    }

    void failedNetworkReadLeavesNothingOfTheLastDevice()
    {
        QVERIFY(Open(kMacA));
        dlg().pgeProperties->setCurrentWidget(dlg().tabUsers);
        QCOMPARE(QStr(dlg().AdminPassword), QStringLiteral("admin"));
        dlg().hide();
        ClearRecords();
        QVERIFY(emu->setFail(kMacB, QStringLiteral("wrong"), 1, QStringLiteral("GETNET")));
        // GETLOG still answers, so the dialog opens, without the previous device's data.
        QVERIFY(Open(kMacB));
        QCOMPARE(Texts(), (std::vector<std::string>{kNotValid}));
        QCOMPARE(Bodies(), (QList<QByteArray>{"GETNET();", "GETLOG();"}));
        QVERIFY(dlg().txtHostname->text().isEmpty());
        QVERIFY(Text(dlg().txtIPAddress).isEmpty());
        QVERIFY(!dlg().chkEnableSNMP->isChecked());
        QVERIFY(dlg().AdminPassword.empty());
    }

    void deadDeviceDoesNotOpen()
    {
        QVERIFY(emu->setFail(kMacA, QStringLiteral("close")));
        QVERIFY(!Open(kMacA));
        QCOMPARE(propertiesShown, 0);
        QCOMPARE(Texts(), (std::vector<std::string>{kNoResponse, kNotValid, kNoResponse}));
        QCOMPARE(Bodies(), (QList<QByteArray>{"GETNET();", "GETLOG();"}));
    }

    void silentDeviceDuringChanges()
    {
        form->IdHTTPLocal.TimeoutMs = 1000;
        QVERIFY(Open(kMacA));
        dlg().pgeProperties->setCurrentWidget(dlg().tabUsers);
        ClearRecords();
        QVERIFY(emu->setFail(kMacA, QStringLiteral("silent"), 1, QStringLiteral("SETUSER")));
        dlg().txtUsername->setText(QStringLiteral("guest"));
        Press(dlg().btnSetUser, QStringLiteral("admin"));
        QCOMPARE(Texts(), (std::vector<std::string>{kNoResponse, kNotValid}));

        boxes->Clear();
        QVERIFY(emu->setFail(kMacA, QStringLiteral("silent"), 1, QStringLiteral("SETNET")));
        dlg().pgeProperties->setCurrentWidget(dlg().tabNetwork);
        dlg().txtIPAddress->SetText("10.1.2.3");
        Press(dlg().btnOk, QStringLiteral("admin"));
        QCOMPARE(Texts(), (std::vector<std::string>{kNoResponse, kSetError}));
        QVERIFY(!Bodies().contains("RESET();"));
        QVERIFY(!dlg().isVisible());
    }

    void userDataReadStopsSilentlyAndOnlyOnce()
    {
        QVERIFY(Open(kMacA));
        ClearRecords();
        QVERIFY(emu->setFail(kMacA, QStringLiteral("http500"), 1, QStringLiteral("GETUSER")));
        // Focus outside the pages, so that only the dialog itself can move it.
        dlg().btnCancel->setFocus();
        dlg().pgeProperties->setCurrentWidget(dlg().tabUsers);
        QCOMPARE(Bodies(), (QList<QByteArray>{"GETADMIN();", "GETUSER();"}));
        QCOMPARE(Texts(), (std::vector<std::string>{kNoResponse}));
        QVERIFY(dlg().GralPropsLoaded);
        QVERIFY(Focused(dlg().btnCancel));
        dlg().pgeProperties->setCurrentWidget(dlg().tabTime);
        QCOMPARE(Bodies().size(), 2);
        QVERIFY(Focused(dlg().dteDate));
    }

    void noAdministratorPasswordKnownAsksNothing_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("GETADMIN answered otherwise") << QStringLiteral("wrong");
        QTest::newRow("GETADMIN unanswered") << QStringLiteral("http500");
    }

    void noAdministratorPasswordKnownAsksNothing()
    {
        QFETCH(QString, failure);
        QVERIFY(Open(kMacA));
        ClearRecords();
        QVERIFY(emu->setFail(kMacA, failure, 1, QStringLiteral("GETADMIN")));
        dlg().pgeProperties->setCurrentWidget(dlg().tabUsers);
        QVERIFY(!Bodies().isEmpty());
        QCOMPARE(Bodies().front(), QByteArray("GETADMIN();"));
        ClearRecords();
        dlg().txtUsername->setText(QStringLiteral("guest"));
        for (QLineEdit *e : {dlg().txtUserPassword, dlg().txtUserRetypePassword, dlg().txtAdminPassword,
                             dlg().txtAdminRetypePassword})
            e->setText(QStringLiteral("pw1"));
        for (QPushButton *b : {dlg().btnSetUser, dlg().btnSetAdmin}) {
            boxes->Clear();
            b->click();
            QCOMPARE(Texts(), (std::vector<std::string>{"The administrator password could not be read from the "
                                                        "Device.\r\nClose the Device Properties and open them "
                                                        "again to retry."}));
            QCOMPARE(boxes->Shown()[0].Kind, MsgKind::Error);
        }
        QCOMPARE(prompts, 0);
        QVERIFY(Bodies().isEmpty());
    }

    // Last: it stops the emulator and starts it again on new ports.
    void stoppedDeviceDoesNotOpen()
    {
        emu->stop();
        QVERIFY(!Open(kMacB));
        QCOMPARE(Texts(), (std::vector<std::string>{kNoResponse, kNotValid, kNoResponse}));
        QVERIFY2(emu->start(), qPrintable(emu->errorString()));
    }

    void cleanupTestCase() { emu.reset(); }
};

QTEST_MAIN(TestProperties)
#include "test_properties.moc"
