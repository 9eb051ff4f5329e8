#include "Properties.h"
#include "DialogButtons.h"

#include "Command.h"
#include "DateTime.h"
#include "DscPkt.h"
#include "EditIPAddr.h"
#include "KProt.h"
#include "Main.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "Password.h"
#include "QtStr.h"
#include "StrUtils.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <exception>

namespace vxt {

TfrmProperties *frmProperties = nullptr;

namespace {

const char kAdminPasswordUnknown[] =
    "The administrator password could not be read from the Device.\r\nClose the Device Properties and open "
    "them again to retry.";

// False, with the field named and focused, when a text typed for the device would reach it changed.
bool Carries(QTabWidget *pages, QWidget *page, QLineEdit *edit, const char *field,
             TextGoal goal = TextGoal::KProt)
{
    const std::string refusal = TextRefusal(edit->text(), field, goal);
    if (refusal.empty()) return true;
    pages->setCurrentWidget(page);
    ShowError(refusal);
    edit->setFocus();
    return false;
}

// Empty when the address is a valid host; otherwise what to tell: the control's own words for an
// address it cannot read (the four boxes emptied), else `message`.
std::string HostRefusal(TEditIPAddr *box, const char *message)
{
    try {
        return box->IsValidHost() ? std::string() : message;
    } catch (const EIPAddressError &e) {
        return e.what();
    }
}

// For an address sent as it stands: the control's own words when its four boxes are empty, so that
// no empty address reaches the device; empty otherwise.
std::string EmptyRefusal(TEditIPAddr *box)
{
    const std::string text = box->Text();
    if (!text.empty()) return std::string();
    try {
        ValidateIPAddress(text);
    } catch (const EIPAddressError &e) {
        return e.what();
    }
    return std::string();
}

// A device that sends garbage in a number field gets the field's default.
int32_t IntegerOf(const TPacket &reply, const std::string &key, int32_t def)
{
    try {
        return reply.GetInteger(key, def);
    } catch (const EConvertError &) {
        return def;
    }
}

void ShowDateTime(TDateTime value, QDateEdit *date, QTimeEdit *time)
{
    const TDateTimeParts p = DecodeDateTime(value);
    date->setDate(QDate(p.Year, p.Month, p.Day));
    time->setTime(QTime(p.Hour, p.Minute, p.Second));
}

}  // namespace

std::string MakeConfigDatagram(const std::vector<std::string> &params)
{
    // Joined here rather than parameter by parameter: appending to "CONFIG()" would take an empty
    // first parameter for "no parameters yet" and drop its place.
    std::string packet = DscMakeCommand("CONFIG");
    packet.pop_back();
    for (size_t i = 0; i < params.size(); ++i) {
        if (i > 0) packet += ',';
        packet += params[i];
    }
    return packet + ")";
}

TfrmProperties::TfrmProperties(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(QStringLiteral("Device Properties"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    pgeProperties = new QTabWidget(this);
    pgeProperties->setObjectName(QStringLiteral("pgeProperties"));
    pgeProperties->setUsesScrollButtons(false);   // all five page captions in view
    CreateNetworkPage();
    CreateUsersPage();
    CreateTimePage();
    CreateSNMPPage();
    CreateLogPage();

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, &btnCancel);

    auto *main = new QVBoxLayout(this);
    main->addWidget(pgeProperties);
    main->addLayout(buttons);
    // One size for all pages: the layout's own fixed size would follow whether the page in front
    // has wrapped notes, and the dialog would jump when the user switches pages.
    setFixedSize(sizeHint());

    connect(pgeProperties, &QTabWidget::currentChanged, this, &TfrmProperties::PageShow);
    connect(chkEnableDHCP, &QCheckBox::toggled, this, &TfrmProperties::chkEnableDHCPClick);
    connect(chkEnableSNMP, &QCheckBox::toggled, this, &TfrmProperties::chkEnableSNMPClick);
    connect(chkEnableLog, &QCheckBox::toggled, this, &TfrmProperties::chkEnableLogClick);
    ConnectCommand(btnSetUser, &QPushButton::clicked, this, &TfrmProperties::btnSetUserClick);
    ConnectCommand(btnSetAdmin, &QPushButton::clicked, this, &TfrmProperties::btnSetAdminClick);
    ConnectCommand(btnSetDateTime, &QPushButton::clicked, this, &TfrmProperties::btnSetDateTimeClick);
    ConnectCommand(btnSetTimeNow, &QPushButton::clicked, this, &TfrmProperties::btnSetTimeNowClick);
    ConnectCommand(ButtonLog, &QPushButton::clicked, this, &TfrmProperties::ButtonLogClick);
    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmProperties::btnOkClick);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}


void TfrmProperties::SetPageVisible(QWidget *page, bool visible)
{
    pgeProperties->setTabVisible(pgeProperties->indexOf(page), visible);
}

bool TfrmProperties::PageVisible(QWidget *page) const
{
    return pgeProperties->isTabVisible(pgeProperties->indexOf(page));
}

bool TfrmProperties::IsFullyConfigurable() const { return IsVelto && IP != "0.0.0.0"; }

void TfrmProperties::SetAddress(TEditIPAddr *box, const std::string &text)
{
    try {
        box->SetText(text);
    } catch (const std::exception &e) {
        box->SetText("");
        ShowError(e.what());
    }
}

bool TfrmProperties::Send(const std::string &banner, const TPacket &request, TPacket &reply)
{
    return MainForm->SendHTTPAdminServer(banner, IP, RemoteIP, request, reply);
}

void TfrmProperties::FormCreate() { pgeProperties->setCurrentIndex(0); }

bool TfrmProperties::Initialize()
{
    GralPropsLoaded = false;
    // Nothing of the previous device may be shown, or sent back, for this one.
    AdminPassword.clear();
    AdminPasswordKnown = false;
    pgeProperties->setCurrentWidget(tabNetwork);
    stDevice->setText(QStr(Device));
    stMAC->setText(QStr(MAC));
    stVersion->setText(QStr(Version));
    txtHostname->clear();
    chkEnableDHCP->setChecked(false);
    for (TEditIPAddr *box : {txtIPAddress, txtNetmask, txtGateway, txtFstDns, txtSndDns}) box->SetText("");
    chkEnableSNMP->setChecked(false);
    chkEnableSNMPClick();
    chkEnableLog->setChecked(false);
    chkEnableLogClick();
    txtLogInterval->clear();
    txtLogCount->clear();

    const bool full = IsFullyConfigurable();
    if (full) {
        HasHostname = true;
        txtHostname->setEnabled(true);
        if (!GetVeltoNetwork()) return false;
        chkEnableDHCPClick();
    } else {
        txtHostname->setEnabled(HasHostname);
        txtHostname->setText(HasHostname ? QStr(Hostname) : QString());
        chkEnableDHCP->setChecked(DHCP);
        chkEnableDHCPClick();
        SetAddress(txtIPAddress, IP);
        SetAddress(txtNetmask, Netmask);
        SetAddress(txtGateway, Gateway);
        for (QWidget *w : std::initializer_list<QWidget *>{lblFstDns, txtFstDns, lblSndDns, txtSndDns})
            w->setEnabled(false);
    }

    for (QWidget *page : {tabUsers, tabTime, tabSNMP}) SetPageVisible(page, full);
    if (full) {
        for (QLineEdit *e : {txtUsername, txtUserPassword, txtUserRetypePassword, txtAdminPassword,
                             txtAdminRetypePassword})
            e->clear();
        const QDateTime now = QDateTime::currentDateTime();
        dteDate->setDate(now.date());
        dteTime->setTime(now.time());
    }
    return true;
}

void TfrmProperties::ReadLog(const TPacket &reply)
{
    chkEnableLog->setChecked(reply.GetBoolean("ENABLE", false));
    chkEnableLogClick();
    txtLogInterval->setText(QString::number(IntegerOf(reply, "TIME", 60)));
    txtLogCount->setText(QString::number(IntegerOf(reply, "COUNT", 0)));
}

bool TfrmProperties::GetVeltoNetwork()
{
    if (IP == "0.0.0.0") return false;
    bool result = false;
    TPacket request, reply;
    request.SetCommand("GETNET");
    if (Send("Getting Velto Network Parameters...", request, reply) && reply.IsCommand("NETWORK")) {
        txtHostname->setText(QStr(reply.GetString("NAME", "")));
        const std::string ip = reply.GetString("IP", "0.0.0.0");
        chkEnableDHCP->setChecked(reply.GetBoolean("DHCP", false) || ip == "0.0.0.0");
        SetAddress(txtIPAddress, ip);
        SetAddress(txtNetmask, reply.GetString("NETMASK", "0.0.0.0"));
        SetAddress(txtGateway, reply.GetString("GATEWAY", "0.0.0.0"));
        SetAddress(txtFstDns, reply.GetString("FSTDNS", "0.0.0.0"));
        SetAddress(txtSndDns, reply.GetString("SNDDNS", "0.0.0.0"));
        chkEnableSNMP->setChecked(reply.GetBoolean("SNMP", false));
        SetAddress(txtSNMPAddress, reply.GetString("MANAGER", "0.0.0.0"));
        txtRead->setText(QStr(reply.GetString("READS", "")));
        txtWrite->setText(QStr(reply.GetString("WRITES", "")));
        txtTrap->setText(QStr(reply.GetString("TRAPS", "")));
        chkEnableSNMPClick();
        result = true;
    } else {
        ShowError("Not Valid Response from Device.");
    }

    TPacket logRequest, logReply;
    logRequest.SetCommand("GETLOG");
    if (Send("Getting Log Configuration...", logRequest, logReply)) {
        ReadLog(logReply);
        result = true;
    }
    return result;
}

bool TfrmProperties::GetVeltoGralProps()
{
    if (IP == "0.0.0.0") return false;
    TPacket request, reply;

    request.SetCommand("GETADMIN");
    if (!Send("Getting User Data from Device...", request, reply)) return false;
    AdminPasswordKnown = reply.IsCommand("ADMIN");
    AdminPassword = AdminPasswordKnown ? reply.GetString("PWD", "") : "";

    request.SetCommand("GETUSER");
    reply.SetText("");
    if (!Send("Getting User Data from Device...", request, reply)) return false;
    txtUsername->setText(reply.IsCommand("USER") ? QStr(reply.GetString("USERNAME", "")) : QString());

    request.SetCommand("GETTIME");
    reply.SetText("");
    if (!Send("Getting current Date and Time from Device...", request, reply)) return false;
    ShowDateTime(reply.GetDateTime("TIME", Now()), dteDate, dteTime);

    request.SetCommand("GETLOG");
    reply.SetText("");
    if (!Send("Getting Log Configuration...", request, reply)) return false;
    ReadLog(reply);
    return true;
}

void TfrmProperties::PageShow(int index)
{
    // Pages change while Initialize prepares a hidden dialog; only a page the user gets to see counts.
    if (!isVisible()) return;
    QWidget *page = pgeProperties->widget(index);
    if (page == tabNetwork)
        tabNetworkShow();
    else if (page == tabUsers)
        tabUsersShow();
    else if (page == tabTime)
        tabTimeShow();
}

void TfrmProperties::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) PageShow(pgeProperties->currentIndex());
}

void TfrmProperties::tabNetworkShow()
{
    if (HasHostname)
        txtHostname->setFocus();
    else
        chkEnableDHCP->setFocus();
}

void TfrmProperties::tabUsersShow()
{
    if (!GralPropsLoaded) {
        GralPropsLoaded = true;
        if (!GetVeltoGralProps()) return;
    }
    txtUsername->setFocus();
}

void TfrmProperties::tabTimeShow()
{
    if (!GralPropsLoaded) {
        GralPropsLoaded = true;
        if (!GetVeltoGralProps()) return;
    }
    dteDate->setFocus();
}

void TfrmProperties::chkEnableDHCPClick()
{
    const bool manual = !chkEnableDHCP->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{lblIPAddress, txtIPAddress, lblNetmask, txtNetmask,
                                                        lblGateway, txtGateway})
        w->setEnabled(manual);
    const bool dns = manual && IsFullyConfigurable();
    for (QWidget *w : std::initializer_list<QWidget *>{lblFstDns, txtFstDns, lblSndDns, txtSndDns})
        w->setEnabled(dns);
}

void TfrmProperties::chkEnableSNMPClick()
{
    const bool on = chkEnableSNMP->isChecked();
    if (!on) {
        txtSNMPAddress->SetText("0.0.0.0");
        txtRead->clear();
        txtWrite->clear();
        txtTrap->clear();
    }
    for (QWidget *w : std::initializer_list<QWidget *>{lblSNMPAddress, txtSNMPAddress, grpCommunities, txtRead,
                                                        txtWrite, txtTrap})
        w->setEnabled(on);
}

void TfrmProperties::chkEnableLogClick()
{
    txtLogInterval->setEnabled(chkEnableLog->isChecked());
    txtLogCount->setEnabled(chkEnableLog->isChecked());
}

void TfrmProperties::btnSetTimeNowClick() { dteTime->setTime(QTime::currentTime()); }

void TfrmProperties::btnOkClick()
{
    if (pgeProperties->currentWidget() == tabUsers)
        accept();
    else
        ConfigureNetwork();
}

bool TfrmProperties::IsValidNetwork()
{
    // True, with the refusal shown on its page and the control focused, unless `text` is empty.
    auto refusedText = [this](QWidget *page, TEditIPAddr *box, const std::string &text) {
        if (text.empty()) return false;
        pgeProperties->setCurrentWidget(page);
        ShowError(text);
        box->setFocus();
        return true;
    };
    // True, as above, when `box` holds no valid host.
    auto refused = [&](QWidget *page, TEditIPAddr *box, const char *message) {
        return refusedText(page, box, HostRefusal(box, message));
    };
    const bool full = IsFullyConfigurable();
    const bool dhcp = chkEnableDHCP->isChecked();
    if (!dhcp && refused(tabNetwork, txtIPAddress, "Not valid IP Address.")) return false;
    if (!dhcp && refusedText(tabNetwork, txtNetmask, EmptyRefusal(txtNetmask))) return false;
    // The trap address goes to the device as typed whatever DHCP does, so it is checked either way;
    // without the SNMP page the device has no SNMP settings to check.
    if (full && chkEnableSNMP->isChecked() && refused(tabSNMP, txtSNMPAddress, "Not valid Manager IP Address."))
        return false;
    if (dhcp) return true;
    if (txtGateway->Text() != "0.0.0.0" && refused(tabNetwork, txtGateway, "Not valid Gateway Address.")) return false;
    if (full) {
        for (TEditIPAddr *dns : {txtFstDns, txtSndDns})
            if (dns->Text() != "0.0.0.0" && refused(tabNetwork, dns, "Not valid DNS Server Address.")) return false;
    }
    return true;
}

void TfrmProperties::ConfigureNetwork()
{
    if (!IsValidNetwork()) return;
    if (IsFullyConfigurable() &&
        !(Carries(pgeProperties, tabNetwork, txtHostname, "Host name") &&
          Carries(pgeProperties, tabSNMP, txtRead, "Read Community") &&
          Carries(pgeProperties, tabSNMP, txtWrite, "Write Community") &&
          Carries(pgeProperties, tabSNMP, txtTrap, "Trap Community")))
        return;
    // The discovery datagram has no KProt codes, but it is 8-bit text all the same.
    if (!IsFullyConfigurable() && HasHostname &&
        !Carries(pgeProperties, tabNetwork, txtHostname, "Host name", TextGoal::Latin1))
        return;
    if (frmPassword->exec() != QDialog::Accepted) return;
    const bool dhcp = chkEnableDHCP->isChecked();
    auto address = [dhcp](TEditIPAddr *box) { return dhcp ? std::string("0.0.0.0") : box->Text(); };

    if (IsFullyConfigurable()) {
        TPacket request, reply;
        request.SetCommand("SETNET");
        request.AddString("PWD", frmPassword->Password);
        request.AddString("NAME", StdStr(txtHostname->text()));
        request.AddString("IP", address(txtIPAddress));
        request.AddString("NETMASK", address(txtNetmask));
        request.AddString("GATEWAY", address(txtGateway));
        request.AddString("FSTDNS", address(txtFstDns));
        request.AddString("SNDDNS", address(txtSndDns));
        request.AddString("SNMP", chkEnableSNMP->isChecked() ? "1" : "0");
        request.AddString("MANAGER", txtSNMPAddress->Text());
        request.AddString("READS", StdStr(txtRead->text()));
        request.AddString("WRITES", StdStr(txtWrite->text()));
        request.AddString("TRAPS", StdStr(txtTrap->text()));
        bool done = Send("Setting Device Network Configuration...", request, reply) && reply.IsCommand("ACK");
        if (done) {
            request.SetCommand("RESET");
            reply.SetText("");
            done = Send("Resetting Device...", request, reply) && reply.IsCommand("ACK");
        }
        if (done)
            ShowInformation("Device Successfully Configured!.");
        else
            ShowError("Error Setting Device Configuration.\r\nCheck the Password.");
    } else {
        std::vector<std::string> params = {frmPassword->Password, MAC, address(txtIPAddress),
                                           address(txtNetmask), address(txtGateway)};
        if (HasHostname) params.push_back(StdStr(txtHostname->text()));
        MainForm->SendUDPPacket(MakeConfigDatagram(params));
        MainForm->SetDeviceLocatorAction(2, MAC);
    }
    accept();
}

bool TfrmProperties::CanCheckAdminPassword()
{
    if (AdminPasswordKnown) return true;
    ShowError(kAdminPasswordUnknown);
    return false;
}

void TfrmProperties::ConfigureUser()
{
    if (!CanCheckAdminPassword()) return;
    if (txtUserPassword->text() != txtUserRetypePassword->text()) {
        ShowError("Passwords do not match.");
        txtUserPassword->setFocus();
        return;
    }
    if (!Carries(pgeProperties, tabUsers, txtUsername, "Username") ||
        !Carries(pgeProperties, tabUsers, txtUserPassword, "Password"))
        return;
    if (txtUsername->text().isEmpty()) ShowWarning("An empty Username will disable Authentication.");
    if (frmPassword->exec() != QDialog::Accepted) return;
    if (frmPassword->Password != AdminPassword) {
        ShowError("Not valid Password.");
        return;
    }
    TPacket request, reply;
    request.SetCommand("SETUSER");
    request.AddString("USERNAME", StdStr(txtUsername->text()));
    request.AddString("PWD", StdStr(txtUserPassword->text()));
    if (Send("Setting Standard User Data...", request, reply) && reply.IsCommand("ACK"))
        ShowInformation("User Data successfully configured.");
    else
        ShowError("Not Valid Response from Device.");
}

void TfrmProperties::ConfigureAdmin()
{
    if (!CanCheckAdminPassword()) return;
    if (txtAdminPassword->text() != txtAdminRetypePassword->text()) {
        ShowError("Passwords do not match.");
        txtAdminPassword->setFocus();
        return;
    }
    if (!Carries(pgeProperties, tabUsers, txtAdminPassword, "Password")) return;
    if (frmPassword->exec() != QDialog::Accepted) return;
    if (frmPassword->Password != AdminPassword) {
        ShowError("Not valid Password.");
        return;
    }
    const std::string password = StdStr(txtAdminPassword->text());
    TPacket request, reply;
    request.SetCommand("SETADMIN");
    request.AddString("PWD", password);
    if (Send("Setting Administrator Data...", request, reply) && reply.IsCommand("ACK")) {
        AdminPassword = password;
        ShowInformation("Administrator Data successfully configured.");
    } else {
        ShowError("Not Valid Response from Device.");
    }
}

void TfrmProperties::ConfigureDateTime()
{
    const QDate d = dteDate->date();
    const QTime t = dteTime->time();
    TDateTime value;
    if (!TryEncodeDateTime({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), 0}, value)) return;
    TPacket request, reply;
    request.SetCommand("SETTIME");
    request.AddDateTime("TIME", value);
    if (Send("Setting Date and Time...", request, reply) && reply.IsCommand("ACK"))
        ShowInformation("Date and Time successfully configured.");
    else
        ShowError("Not Valid Response from Device.");
}

void TfrmProperties::ConfigureLog()
{
    int32_t interval = 0, count = 0;
    if (!TryStrToInt(txtLogInterval->text(), interval) || interval < 10 || interval > 3600 ||
        !TryStrToInt(txtLogCount->text(), count) || count < 0 || count > 16) {
        ShowError("Error");
        return;
    }
    TPacket request, reply;
    request.SetCommand("SETLOG");
    request.AddBoolean("ENABLE", chkEnableLog->isChecked());
    request.AddInteger("TIME", interval);
    request.AddInteger("COUNT", count);
    if (Send("Setting Log Configuration...", request, reply) && reply.IsCommand("ACK"))
        ShowInformation("Log Configuration sent.");
    else
        ShowError("No Logging capabilities in Device.");
}

}  // namespace vxt
