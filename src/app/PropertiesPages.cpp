// The pages of the device properties dialog: their controls and layout.
#include "EditIPAddr.h"
#include "KeyFilter.h"
#include "PasswordEdit.h"
#include "Properties.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace vxt {

namespace {

// One width for the caption column of every page, so the pages line up when switched.
constexpr int kLabelWidth = 190;

template <typename T>
T *Named(T *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel *Note(const char *text, QWidget *parent, const char *name)
{
    auto *l = Named(new QLabel(QString::fromLatin1(text), parent), name);
    l->setWordWrap(true);
    return l;
}

QLineEdit *Edit(QWidget *parent, const char *name, int maxLength, bool masked = false)
{
    auto *e = Named(new QLineEdit(parent), name);
    SetTypingLimit(e, maxLength);
    if (masked) MaskPassword(e);
    return e;
}

QLabel *Caption(const QString &text, QWidget *buddy, QWidget *parent, const char *name)
{
    auto *l = Named(new QLabel(text, parent), name);
    l->setBuddy(buddy);
    return l;
}

using Row = std::pair<QWidget *, QWidget *>;

// A group's grid with the captions in column 0 at the shared width and their fields beside them,
// starting at `firstRow`; `stretch` is the column that takes the spare width.
QGridLayout *CaptionGrid(QWidget *group, std::initializer_list<Row> rows, int firstRow = 0, int stretch = 1)
{
    auto *grid = new QGridLayout(group);
    grid->setColumnMinimumWidth(0, kLabelWidth);
    grid->setColumnStretch(stretch, 1);
    int r = firstRow;
    for (const auto &[caption, field] : rows) {
        grid->addWidget(caption, r, 0);
        grid->addWidget(field, r++, 1);
    }
    return grid;
}

}  // namespace

void TfrmProperties::CreateNetworkPage()
{
    tabNetwork = Named(new QWidget, "tabNetwork");
    pgeProperties->addTab(tabNetwork, QStringLiteral("Network"));

    grpDeviceInfo = Named(new QGroupBox(QStringLiteral("Device Information"), tabNetwork), "grpDeviceInfo");
    stDevice = Named(new QLabel(grpDeviceInfo), "stDevice");
    stMAC = Named(new QLabel(grpDeviceInfo), "stMAC");
    stVersion = Named(new QLabel(grpDeviceInfo), "stVersion");
    lblDevice = Caption(QStringLiteral("Device"), stDevice, grpDeviceInfo, "lblDevice");
    lblMAC = Caption(QStringLiteral("MAC"), stMAC, grpDeviceInfo, "lblMAC");
    lblVersion = Caption(QStringLiteral("Firmware Version"), stVersion, grpDeviceInfo, "lblVersion");
    CaptionGrid(grpDeviceInfo, {{lblDevice, stDevice}, {lblMAC, stMAC}, {lblVersion, stVersion}});

    grpNetwork = Named(new QGroupBox(QStringLiteral("Network Parameters"), tabNetwork), "grpNetwork");
    txtHostname = Edit(grpNetwork, "txtHostname", 20);
    chkEnableDHCP = Named(new QCheckBox(QStringLiteral("Enable DHCP"), grpNetwork), "chkEnableDHCP");
    txtIPAddress = Named(new TEditIPAddr(grpNetwork), "txtIPAddress");
    txtNetmask = Named(new TEditIPAddr(grpNetwork), "txtNetmask");
    txtGateway = Named(new TEditIPAddr(grpNetwork), "txtGateway");
    txtFstDns = Named(new TEditIPAddr(grpNetwork), "txtFstDns");
    txtSndDns = Named(new TEditIPAddr(grpNetwork), "txtSndDns");
    lblHostname = Caption(QStringLiteral("Host name"), txtHostname, grpNetwork, "lblHostname");
    lblIPAddress = Caption(QStringLiteral("IP"), txtIPAddress, grpNetwork, "lblIPAddress");
    lblNetmask = Caption(QStringLiteral("Netmask"), txtNetmask, grpNetwork, "lblNetmask");
    lblGateway = Caption(QStringLiteral("Gateway"), txtGateway, grpNetwork, "lblGateway");
    lblFstDns = Caption(QStringLiteral("Preferred DNS Server"), txtFstDns, grpNetwork, "lblFstDns");
    lblSndDns = Caption(QStringLiteral("Alternative DNS Server"), txtSndDns, grpNetwork, "lblSndDns");
    QGridLayout *net = CaptionGrid(grpNetwork,
                                   {{lblIPAddress, txtIPAddress},
                                    {lblNetmask, txtNetmask},
                                    {lblGateway, txtGateway},
                                    {lblFstDns, txtFstDns},
                                    {lblSndDns, txtSndDns}},
                                   2, 2);
    net->addWidget(lblHostname, 0, 0);
    net->addWidget(txtHostname, 0, 1, 1, 2);
    net->addWidget(chkEnableDHCP, 1, 0, 1, 3);

    auto *page = new QVBoxLayout(tabNetwork);
    page->addWidget(grpDeviceInfo);
    page->addWidget(grpNetwork);
    page->addStretch();
}

void TfrmProperties::CreateUsersPage()
{
    tabUsers = Named(new QWidget, "tabUsers");
    pgeProperties->addTab(tabUsers, QStringLiteral("Users && Passwords"));

    grpStandardUser = Named(new QGroupBox(QStringLiteral("Standard User"), tabUsers), "grpStandardUser");
    lblUserNote = Note("The standard user is the only user that has access to the Velto's Web Site. You can change "
                       "the standard Username and its Password.",
                       grpStandardUser, "lblUserNote");
    txtUsername = Edit(grpStandardUser, "txtUsername", 20);
    txtUserPassword = Edit(grpStandardUser, "txtUserPassword", 20, true);
    txtUserRetypePassword = Edit(grpStandardUser, "txtUserRetypePassword", 20, true);
    lblUsername = Caption(QStringLiteral("Username"), txtUsername, grpStandardUser, "lblUsername");
    lblUserPassword = Caption(QStringLiteral("New Password"), txtUserPassword, grpStandardUser, "lblUserPassword");
    lblUserRetypePassword =
        Caption(QStringLiteral("Retype Password"), txtUserRetypePassword, grpStandardUser, "lblUserRetypePassword");
    btnSetUser = Named(new QPushButton(QStringLiteral("Set &User"), grpStandardUser), "btnSetUser");
    QGridLayout *user = CaptionGrid(grpStandardUser,
                                    {{lblUsername, txtUsername},
                                     {lblUserPassword, txtUserPassword},
                                     {lblUserRetypePassword, txtUserRetypePassword}},
                                    1);
    user->addWidget(lblUserNote, 0, 0, 1, 2);
    user->addWidget(btnSetUser, 4, 1, Qt::AlignRight);

    grpAdministrator = Named(new QGroupBox(QStringLiteral("Administrator"), tabUsers), "grpAdministrator");
    lblAdminNote = Note("Be sure not to forget the admin password, or you will have to change it locally using the "
                        "Serial Command Console.",
                        grpAdministrator, "lblAdminNote");
    txtAdminPassword = Edit(grpAdministrator, "txtAdminPassword", 20, true);
    txtAdminRetypePassword = Edit(grpAdministrator, "txtAdminRetypePassword", 20, true);
    lblAdminPassword = Caption(QStringLiteral("New Password for \"admin\""), txtAdminPassword, grpAdministrator,
                               "lblAdminPassword");
    lblAdminRetypePassword = Caption(QStringLiteral("Retype Password for \"admin\""), txtAdminRetypePassword,
                                     grpAdministrator, "lblAdminRetypePassword");
    btnSetAdmin = Named(new QPushButton(QStringLiteral("Set &Administrator"), grpAdministrator), "btnSetAdmin");
    QGridLayout *admin = CaptionGrid(
        grpAdministrator, {{lblAdminPassword, txtAdminPassword}, {lblAdminRetypePassword, txtAdminRetypePassword}}, 1);
    admin->addWidget(lblAdminNote, 0, 0, 1, 2);
    admin->addWidget(btnSetAdmin, 3, 1, Qt::AlignRight);

    auto *page = new QVBoxLayout(tabUsers);
    page->addWidget(grpStandardUser);
    page->addWidget(grpAdministrator);
    page->addStretch();
}

void TfrmProperties::CreateTimePage()
{
    tabTime = Named(new QWidget, "tabTime");
    pgeProperties->addTab(tabTime, QStringLiteral("Date && Time"));

    grpDateTime = Named(new QGroupBox(QStringLiteral("Date and Time"), tabTime), "grpDateTime");
    lblTimeNote = Note("The Date and Time feature permits Velto to send the Alarm E-Mails with the correct values "
                       "within the Message Body.",
                       grpDateTime, "lblTimeNote");
    dteDate = Named(new TLatinDigitsEdit<QDateEdit>(grpDateTime), "dteDate");
    dteDate->setCalendarPopup(true);
    dteDate->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    dteTime = Named(new TLatinDigitsEdit<QTimeEdit>(grpDateTime), "dteTime");
    dteTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    // The program's numbers are ASCII in every locale; the clock's too (its calendar follows), and it
    // reads the user's keyboard digits as every number box does.
    for (QDateTimeEdit *edit : {static_cast<QDateTimeEdit *>(dteDate), static_cast<QDateTimeEdit *>(dteTime)})
        edit->setLocale(QLocale::c());
    lblDate = Caption(QStringLiteral("Current Velto Date"), dteDate, grpDateTime, "lblDate");
    lblTime = Caption(QStringLiteral("Current Velto Time"), dteTime, grpDateTime, "lblTime");
    btnSetDateTime =
        Named(new QPushButton(QStringLiteral("Set &Date and Time"), grpDateTime), "btnSetDateTime");
    btnSetTimeNow = Named(new QPushButton(QStringLiteral("Now"), grpDateTime), "btnSetTimeNow");
    auto *grid = new QGridLayout(grpDateTime);
    grid->setColumnMinimumWidth(0, kLabelWidth);
    grid->setColumnStretch(2, 1);
    grid->addWidget(lblTimeNote, 0, 0, 1, 3);
    grid->addWidget(lblDate, 1, 0);
    grid->addWidget(dteDate, 1, 1);
    grid->addWidget(lblTime, 2, 0);
    grid->addWidget(dteTime, 2, 1);
    grid->addWidget(btnSetTimeNow, 2, 2, Qt::AlignLeft);
    grid->addWidget(btnSetDateTime, 3, 1, 1, 2, Qt::AlignRight);

    auto *page = new QVBoxLayout(tabTime);
    page->addWidget(grpDateTime);
    page->addStretch();
}

void TfrmProperties::CreateSNMPPage()
{
    tabSNMP = Named(new QWidget, "tabSNMP");
    pgeProperties->addTab(tabSNMP, QStringLiteral("SNMP"));

    lblSNMPNote = Note("The embedded SNMP agent provides remote administration and monitoring of the device through "
                       "the Simple Network Management Protocol.",
                       tabSNMP, "lblSNMPNote");
    chkEnableSNMP = Named(new QCheckBox(QStringLiteral("Enable SNMP"), tabSNMP), "chkEnableSNMP");
    txtSNMPAddress = Named(new TEditIPAddr(tabSNMP), "txtSNMPAddress");
    lblSNMPAddress = Caption(QStringLiteral("Send traps to this IP Address"), txtSNMPAddress, tabSNMP, "lblSNMPAddress");

    grpCommunities = Named(new QGroupBox(QStringLiteral("Communities"), tabSNMP), "grpCommunities");
    txtRead = Edit(grpCommunities, "txtRead", 15);
    txtWrite = Edit(grpCommunities, "txtWrite", 15);
    txtTrap = Edit(grpCommunities, "txtTrap", 15);
    lblRead = Caption(QStringLiteral("Read Community"), txtRead, grpCommunities, "lblRead");
    lblWrite = Caption(QStringLiteral("Write Community"), txtWrite, grpCommunities, "lblWrite");
    lblTrap = Caption(QStringLiteral("Trap Community"), txtTrap, grpCommunities, "lblTrap");
    CaptionGrid(grpCommunities, {{lblRead, txtRead}, {lblWrite, txtWrite}, {lblTrap, txtTrap}});

    auto *trap = new QHBoxLayout;
    trap->addWidget(lblSNMPAddress);
    trap->addWidget(txtSNMPAddress);
    trap->addStretch();
    auto *page = new QVBoxLayout(tabSNMP);
    page->addWidget(lblSNMPNote);
    page->addWidget(chkEnableSNMP);
    page->addLayout(trap);
    page->addWidget(grpCommunities);
    page->addStretch();
}

void TfrmProperties::CreateLogPage()
{
    TabLog = Named(new QWidget, "TabLog");
    pgeProperties->addTab(TabLog, QStringLiteral("Log"));

    chkEnableLog = Named(new QCheckBox(QStringLiteral("Enabled"), TabLog), "chkEnableLog");
    txtLogInterval = Named(new QLineEdit(TabLog), "txtLogInterval");
    txtLogCount = Named(new QLineEdit(TabLog), "txtLogCount");
    lblLogInterval =
        Caption(QStringLiteral("Log Interval [seconds] (10..3600)"), txtLogInterval, TabLog, "lblLogInterval");
    lblLogCount = Caption(QStringLiteral("Tags logged (from first tag) (0..16)"), txtLogCount, TabLog, "lblLogCount");
    ButtonLog = Named(new QPushButton(QStringLiteral("Set Log Data"), TabLog), "ButtonLog");
    txtLogInterval->setMaximumWidth(120);
    txtLogCount->setMaximumWidth(120);

    auto *page = new QVBoxLayout(TabLog);
    page->addWidget(chkEnableLog);
    page->addSpacing(6);
    page->addWidget(lblLogInterval);
    page->addWidget(txtLogInterval);
    page->addSpacing(6);
    page->addWidget(lblLogCount);
    page->addWidget(txtLogCount);
    page->addSpacing(6);
    page->addWidget(ButtonLog, 0, Qt::AlignLeft);
    page->addStretch();
}

}  // namespace vxt
