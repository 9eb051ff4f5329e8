// The program's options: the HTTP proxy for remote devices and the FTP proxy (firewall) for the
// web-site transfer. Loaded from the settings file on show and stored back by OK.
#pragma once

#include <QDialog>
#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace vxt {

// Shows what makes the settings file unusable, once for each problem; the settings then read as
// their defaults until the Options dialog replaces the file.
void ReportSettingsFileProblem();

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget *parent = nullptr);

    QTabWidget *pgeOptions;

    QWidget *tabConnections;
    QGroupBox *grpHTTPProxy;
    QCheckBox *chkUseHTTPProxy;
    QLabel *lblHTTPProxy;
    QLineEdit *txtHTTPProxy;
    QLabel *lblHTTPProxyPort;
    QLineEdit *txtHTTPProxyPort;
    QCheckBox *chkHTTPProxyAuthentication;
    QLabel *lblHTTPUsername;
    QLineEdit *txtHTTPUsername;
    QLabel *lblHTTPPassword;
    QLineEdit *txtHTTPPassword;

    QWidget *TabSheet1;
    QGroupBox *grpFTPProxy;
    QCheckBox *chkUseFTPProxy;
    QLabel *lblFTPProxy;
    QLineEdit *txtFTPProxy;
    QLabel *lblFTPProxyPort;
    QLineEdit *txtFTPProxyPort;
    QButtonGroup *grpMethod;
    QRadioButton *rdoUserMode;
    QRadioButton *rdoSiteMode;
    QRadioButton *rdoOpenMode;
    QRadioButton *rdoUserPass;
    QCheckBox *chkFirewallLogon;
    QLabel *lblFTPUsername;
    QLineEdit *txtFTPUsername;
    QLabel *lblFTPPassword;
    QLineEdit *txtFTPPassword;

    QPushButton *btnOk;
    QPushButton *btnCancel;

    void FormShow();
    void SetEnableHTTPProxy();
    void SetEnableFTPProxy();
    bool Validate();
    void btnOkClick();

    // The FTP logon method of the ticked radio button (1 to 4), 0 when none is ticked; setting a
    // method outside 1..4 unticks them all.
    uint8_t Method() const;
    void SetMethod(uint8_t method);

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool Fail(QWidget *page, QWidget *control, const char *message);
};

extern TfrmOptions *frmOptions;

}  // namespace vxt
