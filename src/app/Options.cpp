#include "Options.h"
#include "DialogButtons.h"
#include "KeyFilter.h"

#include "Command.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "PasswordEdit.h"
#include "QtStr.h"
#include "VXTOptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>

namespace vxt {

TfrmOptions *frmOptions = nullptr;

namespace {

template <typename W>
W *Named(W *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

// A proxy server as it is stored: without blanks or control characters at either end, as SMTP
// servers are (Trim); a blank of any script (a no-break space) is a blank too.
QString ServerText(const QLineEdit *edit)
{
    const QString t = edit->text();
    const auto blank = [](QChar c) { return c.unicode() <= ' ' || c.isSpace(); };
    qsizetype first = 0;
    qsizetype end = t.size();
    while (first < end && blank(t.at(first))) ++first;
    while (end > first && blank(t.at(end - 1))) --end;
    return t.mid(first, end - first);
}

QLineEdit *MakeEdit(QWidget *parent, const char *name, QLabel *&label, const QString &caption)
{
    auto *edit = Named(new QLineEdit(parent), name);
    std::string labelName = std::string("lbl") + (name + 3);   // txtX -> lblX
    label = Named(new QLabel(caption, parent), labelName.c_str());
    label->setBuddy(edit);
    return edit;
}

// The server and port on one row, user name and password under the authentication tick box.
void AddServerRow(QGridLayout *grid, int row, QLabel *lblServer, QLineEdit *server, QLabel *lblPort, QLineEdit *port)
{
    grid->addWidget(lblServer, row, 1);
    grid->addWidget(server, row, 2);
    grid->addWidget(lblPort, row, 3);
    grid->addWidget(port, row, 4);
    SetTypingLimit(port, 5);
    port->setFixedWidth(port->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    server->setMinimumWidth(200);
}

void AddCredentialRows(QGridLayout *grid, int row, QLabel *lblUser, QLineEdit *user, QLabel *lblPass, QLineEdit *pass)
{
    grid->addWidget(lblUser, row, 1);
    grid->addWidget(user, row, 2);
    grid->addWidget(lblPass, row + 1, 1);
    grid->addWidget(pass, row + 1, 2);
    MaskPassword(pass);
}

void EnableWithLabel(QWidget *control, QLabel *label, bool on)
{
    control->setEnabled(on);
    if (label) label->setEnabled(on);
}

// The port a box holds; -1 when it holds none.
int32_t PortOf(const QLineEdit *edit)
{
    int32_t v = 0;
    return TryStrToInt(edit->text(), v) && v >= 0 && v <= 65535 ? v : -1;
}

}  // namespace

void ReportSettingsFileProblem()
{
    const std::string problem = TakeSettingsFileProblem();
    if (!problem.empty()) ShowWarning(problem);
}

TfrmOptions::TfrmOptions(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Velto Configuration Manager Options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    pgeOptions = Named(new QTabWidget(this), "pgeOptions");

    // HTTP page
    tabConnections = Named(new QWidget, "tabConnections");
    grpHTTPProxy = Named(new QGroupBox(QStringLiteral("HTTP Proxy"), tabConnections), "grpHTTPProxy");
    chkUseHTTPProxy = Named(new QCheckBox(QStringLiteral("Use Proxy Server for Remote Devices"), grpHTTPProxy),
                            "chkUseHTTPProxy");
    txtHTTPProxy = MakeEdit(grpHTTPProxy, "txtHTTPProxy", lblHTTPProxy, QStringLiteral("Proxy Server"));
    txtHTTPProxyPort = MakeEdit(grpHTTPProxy, "txtHTTPProxyPort", lblHTTPProxyPort, QStringLiteral("Port"));
    chkHTTPProxyAuthentication = Named(new QCheckBox(QStringLiteral("Use Basic Authentication"), grpHTTPProxy),
                                       "chkHTTPProxyAuthentication");
    txtHTTPUsername = MakeEdit(grpHTTPProxy, "txtHTTPUsername", lblHTTPUsername, QStringLiteral("Username"));
    txtHTTPPassword = MakeEdit(grpHTTPProxy, "txtHTTPPassword", lblHTTPPassword, QStringLiteral("Password"));
    {
        auto *grid = new QGridLayout(grpHTTPProxy);
        grid->setColumnMinimumWidth(0, 16);
        grid->addWidget(chkUseHTTPProxy, 0, 0, 1, 5);
        AddServerRow(grid, 1, lblHTTPProxy, txtHTTPProxy, lblHTTPProxyPort, txtHTTPProxyPort);
        grid->addWidget(chkHTTPProxyAuthentication, 2, 1, 1, 4);
        AddCredentialRows(grid, 3, lblHTTPUsername, txtHTTPUsername, lblHTTPPassword, txtHTTPPassword);
        grid->setRowStretch(5, 1);
        auto *page = new QVBoxLayout(tabConnections);
        page->addWidget(grpHTTPProxy);
    }
    pgeOptions->addTab(tabConnections, QStringLiteral("HTTP Proxy"));

    // FTP page
    TabSheet1 = Named(new QWidget, "TabSheet1");
    grpFTPProxy = Named(new QGroupBox(QStringLiteral("FTP Proxy"), TabSheet1), "grpFTPProxy");
    chkUseFTPProxy = Named(new QCheckBox(QStringLiteral("Use Proxy Server for Remote Devices"), grpFTPProxy),
                           "chkUseFTPProxy");
    txtFTPProxy = MakeEdit(grpFTPProxy, "txtFTPProxy", lblFTPProxy, QStringLiteral("Proxy Server"));
    txtFTPProxyPort = MakeEdit(grpFTPProxy, "txtFTPProxyPort", lblFTPProxyPort, QStringLiteral("Port"));
    rdoUserMode = Named(new QRadioButton(QStringLiteral("Send USER user@hostname"), grpFTPProxy), "rdoUserMode");
    rdoSiteMode = Named(new QRadioButton(QStringLiteral("Send SITE (logon)"), grpFTPProxy), "rdoSiteMode");
    rdoOpenMode = Named(new QRadioButton(QStringLiteral("Send OPEN"), grpFTPProxy), "rdoOpenMode");
    rdoUserPass = Named(
        new QRadioButton(QStringLiteral("USER user@firewalluser@hostname / PASS pass@firewallpass"), grpFTPProxy),
        "rdoUserPass");
    grpMethod = new QButtonGroup(this);
    grpMethod->addButton(rdoUserMode, 1);
    grpMethod->addButton(rdoSiteMode, 2);
    grpMethod->addButton(rdoOpenMode, 3);
    grpMethod->addButton(rdoUserPass, 4);
    chkFirewallLogon = Named(new QCheckBox(QStringLiteral("Firewall Logon"), grpFTPProxy), "chkFirewallLogon");
    txtFTPUsername = MakeEdit(grpFTPProxy, "txtFTPUsername", lblFTPUsername, QStringLiteral("Username"));
    txtFTPPassword = MakeEdit(grpFTPProxy, "txtFTPPassword", lblFTPPassword, QStringLiteral("Password"));
    {
        auto *grid = new QGridLayout(grpFTPProxy);
        grid->setColumnMinimumWidth(0, 16);
        grid->addWidget(chkUseFTPProxy, 0, 0, 1, 5);
        AddServerRow(grid, 1, lblFTPProxy, txtFTPProxy, lblFTPProxyPort, txtFTPProxyPort);
        int row = 2;
        for (QRadioButton *r : {rdoUserMode, rdoSiteMode, rdoOpenMode, rdoUserPass}) grid->addWidget(r, row++, 1, 1, 4);
        grid->addWidget(chkFirewallLogon, row++, 1, 1, 4);
        AddCredentialRows(grid, row, lblFTPUsername, txtFTPUsername, lblFTPPassword, txtFTPPassword);
        grid->setRowStretch(row + 2, 1);
        auto *page = new QVBoxLayout(TabSheet1);
        page->addWidget(grpFTPProxy);
    }
    pgeOptions->addTab(TabSheet1, QStringLiteral("FTP Proxy"));

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, &btnCancel);

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(pgeOptions);
    main->addLayout(buttons);

    connect(chkUseHTTPProxy, &QCheckBox::toggled, this, &TfrmOptions::SetEnableHTTPProxy);
    connect(chkHTTPProxyAuthentication, &QCheckBox::toggled, this, &TfrmOptions::SetEnableHTTPProxy);
    connect(chkUseFTPProxy, &QCheckBox::toggled, this, &TfrmOptions::SetEnableFTPProxy);
    connect(chkFirewallLogon, &QCheckBox::toggled, this, &TfrmOptions::SetEnableFTPProxy);
    connect(grpMethod, &QButtonGroup::idToggled, this, &TfrmOptions::SetEnableFTPProxy);
    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

uint8_t TfrmOptions::Method() const
{
    const int id = grpMethod->checkedId();
    return id >= 1 && id <= 4 ? uint8_t(id) : 0;
}

void TfrmOptions::SetMethod(uint8_t method)
{
    if (QAbstractButton *b = grpMethod->button(method)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group never unticks its last button by itself.
    grpMethod->setExclusive(false);
    for (QAbstractButton *b : grpMethod->buttons()) b->setChecked(false);
    grpMethod->setExclusive(true);
}

void TfrmOptions::FormShow()
{
    // An unusable file reads as the defaults, so the checks of OK are about what the user typed.
    ReportSettingsFileProblem();
    RunCommand([this] {
        chkUseHTTPProxy->setChecked(GetHttpProxyEnabled());
        txtHTTPProxy->setText(QStr(GetHttpProxyServer()));
        txtHTTPProxyPort->setText(QString::number(GetHttpProxyPort()));
        chkHTTPProxyAuthentication->setChecked(GetHttpProxyAuth());
        txtHTTPUsername->setText(QStr(GetHttpProxyUserName()));
        chkUseFTPProxy->setChecked(GetFtpProxyEnabled());
        txtFTPProxy->setText(QStr(GetFtpProxyServer()));
        txtFTPProxyPort->setText(QString::number(GetFtpProxyPort()));
        SetMethod(GetFtpProxyMethod());
        chkFirewallLogon->setChecked(GetFtpProxyAuth());
        txtFTPUsername->setText(QStr(GetFtpProxyUserName()));
    });
    // The stored passwords are never shown: they have to be typed again.
    txtHTTPPassword->clear();
    txtFTPPassword->clear();
    pgeOptions->setCurrentIndex(0);
    SetEnableHTTPProxy();
    SetEnableFTPProxy();
}

void TfrmOptions::SetEnableHTTPProxy()
{
    const bool proxy = chkUseHTTPProxy->isChecked();
    const bool auth = proxy && chkHTTPProxyAuthentication->isChecked();
    EnableWithLabel(txtHTTPProxy, lblHTTPProxy, proxy);
    EnableWithLabel(txtHTTPProxyPort, lblHTTPProxyPort, proxy);
    EnableWithLabel(chkHTTPProxyAuthentication, nullptr, proxy);
    EnableWithLabel(txtHTTPUsername, lblHTTPUsername, auth);
    EnableWithLabel(txtHTTPPassword, lblHTTPPassword, auth);
}

void TfrmOptions::SetEnableFTPProxy()
{
    const bool proxy = chkUseFTPProxy->isChecked();
    EnableWithLabel(txtFTPProxy, lblFTPProxy, proxy);
    EnableWithLabel(txtFTPProxyPort, lblFTPProxyPort, proxy);
    for (QAbstractButton *b : grpMethod->buttons()) b->setEnabled(proxy);
    chkFirewallLogon->setEnabled(proxy);
    if (proxy) {
        if (rdoUserMode->isChecked()) {
            chkFirewallLogon->setEnabled(false);
            chkFirewallLogon->setChecked(false);
        } else if (rdoUserPass->isChecked()) {
            chkFirewallLogon->setChecked(true);
        }
    }
    const bool logon = proxy && chkFirewallLogon->isChecked();
    EnableWithLabel(txtFTPUsername, lblFTPUsername, logon);
    EnableWithLabel(txtFTPPassword, lblFTPPassword, logon);
}

bool TfrmOptions::Fail(QWidget *page, QWidget *control, const char *message)
{
    ShowError(message);
    pgeOptions->setCurrentWidget(page);
    if (control && control->isEnabled()) control->setFocus();
    return false;
}

bool TfrmOptions::Validate()
{
    auto emptyOf = [](QLineEdit *user, QLineEdit *pass) { return user->text().isEmpty() ? user : pass; };
    if (chkUseHTTPProxy->isChecked() && ServerText(txtHTTPProxy).isEmpty())
        return Fail(tabConnections, txtHTTPProxy, "Not valid Proxy Server for HTTP.");
    if (PortOf(txtHTTPProxyPort) < 0)
        return Fail(tabConnections, txtHTTPProxyPort, "Not valid Proxy Port Number for HTTP.");
    if (chkHTTPProxyAuthentication->isChecked() &&
        (txtHTTPUsername->text().isEmpty() || txtHTTPPassword->text().isEmpty()))
        return Fail(tabConnections, emptyOf(txtHTTPUsername, txtHTTPPassword),
                    "Must provide a User and Password for HTTP Proxy authentication.");
    if (chkUseFTPProxy->isChecked() && ServerText(txtFTPProxy).isEmpty())
        return Fail(TabSheet1, txtFTPProxy, "Not valid Proxy Server for FTP.");
    if (PortOf(txtFTPProxyPort) < 0)
        return Fail(TabSheet1, txtFTPProxyPort, "Not valid Proxy Port Number for FTP.");
    if (chkUseFTPProxy->isChecked() && Method() == 0) return Fail(TabSheet1, rdoUserMode, "Must Select a Firewall Type.");
    if (chkFirewallLogon->isChecked() && (txtFTPUsername->text().isEmpty() || txtFTPPassword->text().isEmpty()))
        return Fail(TabSheet1, emptyOf(txtFTPUsername, txtFTPPassword),
                    "Must provide a User and Password for FTP Proxy authentication.");
    // Every text is written, used or not, and the settings file holds 8-bit text.
    const struct {
        QWidget *page;
        QLineEdit *edit;
        const char *field;
    } texts[] = {{tabConnections, txtHTTPProxy, "HTTP Proxy Server"},
                 {tabConnections, txtHTTPUsername, "HTTP Proxy Username"},
                 {tabConnections, txtHTTPPassword, "HTTP Proxy Password"},
                 {TabSheet1, txtFTPProxy, "FTP Proxy Server"},
                 {TabSheet1, txtFTPUsername, "FTP Proxy Username"},
                 {TabSheet1, txtFTPPassword, "FTP Proxy Password"}};
    for (const auto &t : texts) {
        const bool server = t.edit == txtHTTPProxy || t.edit == txtFTPProxy;
        const std::string refusal = TextRefusal(server ? ServerText(t.edit) : t.edit->text(), t.field, TextGoal::Latin1);
        if (!refusal.empty()) return Fail(t.page, t.edit, refusal.c_str());
    }
    return true;
}

void TfrmOptions::btnOkClick()
{
    if (!Validate()) return;
    // Every value or none: a settings file that cannot be written is reported, kept as it was, and
    // the dialog stays open.
    const bool stored = RunCommand([this] {
        TSettingsUpdate update;
        SetHttpProxyEnabled(chkUseHTTPProxy->isChecked());
        SetHttpProxyServer(StdStr(ServerText(txtHTTPProxy)));
        SetHttpProxyPort(PortOf(txtHTTPProxyPort));
        SetHttpProxyAuth(chkHTTPProxyAuthentication->isChecked());
        SetHttpProxyUserName(StdStr(txtHTTPUsername->text()));
        SetHttpProxyPassword(StdStr(txtHTTPPassword->text()));
        SetFtpProxyEnabled(chkUseFTPProxy->isChecked());
        SetFtpProxyServer(StdStr(ServerText(txtFTPProxy)));
        SetFtpProxyPort(PortOf(txtFTPProxyPort));
        SetFtpProxyMethod(Method());
        SetFtpProxyAuth(chkFirewallLogon->isChecked());
        SetFtpProxyUserName(StdStr(txtFTPUsername->text()));
        SetFtpProxyPassword(StdStr(txtFTPPassword->text()));
        update.Commit();
    });
    if (stored) accept();
}

void TfrmOptions::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

}  // namespace vxt
