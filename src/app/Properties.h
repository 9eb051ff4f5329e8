// The "Device Properties" dialog of the selected device: network, users, clock, SNMP and log of a
// fully configurable device over KProt; for any other device the list's network data, sent back as
// one UDP CONFIG datagram.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTimeEdit;

namespace vxt {

class TEditIPAddr;
class TPacket;

// The CONFIG datagram with its parameters in order; an empty parameter keeps its place.
std::string MakeConfigDatagram(const std::vector<std::string> &params);

class TfrmProperties : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProperties(QWidget *parent = nullptr);

    // Written by the caller before Initialize.
    std::string Device;
    std::string MAC;
    std::string Version;
    bool IsVelto = false;
    bool HasHostname = false;
    std::string Hostname;
    bool DHCP = false;
    std::string IP;
    std::string Netmask;
    std::string Gateway;
    std::string RemoteIP;

    // The administrator password as the device reported it, updated by a successful SETADMIN.
    std::string AdminPassword;
    // The device answered GETADMIN with its password since Initialize: only then can the password
    // typed for a user or administrator change be checked.
    bool AdminPasswordKnown = false;
    // User, clock and log data have been requested since Initialize.
    bool GralPropsLoaded = false;

    QTabWidget *pgeProperties;

    QWidget *tabNetwork;
    QGroupBox *grpDeviceInfo;
    QLabel *lblDevice, *stDevice, *lblMAC, *stMAC, *lblVersion, *stVersion;
    QGroupBox *grpNetwork;
    QLabel *lblHostname;
    QLineEdit *txtHostname;
    QCheckBox *chkEnableDHCP;
    QLabel *lblIPAddress, *lblNetmask, *lblGateway, *lblFstDns, *lblSndDns;
    TEditIPAddr *txtIPAddress, *txtNetmask, *txtGateway, *txtFstDns, *txtSndDns;

    QWidget *tabUsers;
    QGroupBox *grpStandardUser;
    QLabel *lblUserNote, *lblUsername, *lblUserPassword, *lblUserRetypePassword;
    QLineEdit *txtUsername, *txtUserPassword, *txtUserRetypePassword;
    QPushButton *btnSetUser;
    QGroupBox *grpAdministrator;
    QLabel *lblAdminNote, *lblAdminPassword, *lblAdminRetypePassword;
    QLineEdit *txtAdminPassword, *txtAdminRetypePassword;
    QPushButton *btnSetAdmin;

    QWidget *tabTime;
    QGroupBox *grpDateTime;
    QLabel *lblTimeNote, *lblDate, *lblTime;
    QDateEdit *dteDate;
    QTimeEdit *dteTime;
    QPushButton *btnSetDateTime, *btnSetTimeNow;

    QWidget *tabSNMP;
    QLabel *lblSNMPNote;
    QCheckBox *chkEnableSNMP;
    QLabel *lblSNMPAddress;
    TEditIPAddr *txtSNMPAddress;
    QGroupBox *grpCommunities;
    QLabel *lblRead, *lblWrite, *lblTrap;
    QLineEdit *txtRead, *txtWrite, *txtTrap;

    QWidget *TabLog;
    QCheckBox *chkEnableLog;
    QLabel *lblLogInterval, *lblLogCount;
    QLineEdit *txtLogInterval, *txtLogCount;
    QPushButton *ButtonLog;

    QPushButton *btnOk, *btnCancel;

    // Shows or hides one page of pgeProperties (the caller decides on the Log page).
    void SetPageVisible(QWidget *page, bool visible);
    bool PageVisible(QWidget *page) const;

    void FormCreate();
    bool Initialize();
    bool GetVeltoNetwork();
    bool GetVeltoGralProps();
    bool IsFullyConfigurable() const;

    void tabNetworkShow();
    void tabUsersShow();
    void tabTimeShow();
    void chkEnableDHCPClick();
    void chkEnableSNMPClick();
    void chkEnableLogClick();
    void btnOkClick();
    void btnSetUserClick() { ConfigureUser(); }
    void btnSetAdminClick() { ConfigureAdmin(); }
    void btnSetDateTimeClick() { ConfigureDateTime(); }
    void ButtonLogClick() { ConfigureLog(); }
    void btnSetTimeNowClick();

    bool IsValidNetwork();
    void ConfigureNetwork();
    // False, after telling the user why, when the administrator password is not known.
    bool CanCheckAdminPassword();
    void ConfigureUser();
    void ConfigureAdmin();
    void ConfigureDateTime();
    void ConfigureLog();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateNetworkPage();
    void CreateUsersPage();
    void CreateTimePage();
    void CreateSNMPPage();
    void CreateLogPage();
    void PageShow(int index);
    void ReadLog(const TPacket &reply);
    // Sends one request of this dialog through the main window's channel, with its banner.
    bool Send(const std::string &banner, const TPacket &request, TPacket &reply);
    // An address from the device or the list that the box refuses is reported and leaves it empty.
    static void SetAddress(TEditIPAddr *box, const std::string &text);
};

extern TfrmProperties *frmProperties;

}  // namespace vxt
