#include "SearchRemote.h"
#include "DialogButtons.h"

#include "Command.h"
#include "Icons.h"
#include "KProt.h"
#include "Main.h"
#include "MsgBox.h"
#include "QtStr.h"
#include "Utiles.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vxt {

TfrmSearchRemote *frmSearchRemote = nullptr;

TfrmSearchRemote::TfrmSearchRemote(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSearchRemote"));
    setWindowTitle(QStringLiteral("Search Remote Device"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto *group = new QGroupBox(QStringLiteral("Remote Device"));
    auto *picture = new QLabel;
    picture->setPixmap(ImageListIcon(3).pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop);
    auto *note = new QLabel(
        QStringLiteral("Enter the Host or IP Address of the Remote Device. VXT will search for this Device."));
    note->setWordWrap(true);
    txtRemoteIP = new QLineEdit;
    txtRemoteIP->setObjectName(QStringLiteral("txtRemoteIP"));
    auto *caption = new QLabel(QStringLiteral("Host or IP Address"));
    caption->setBuddy(txtRemoteIP);

    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(note, 1);
    auto *inner = new QVBoxLayout(group);
    inner->addLayout(top);
    inner->addWidget(caption);
    inner->addWidget(txtRemoteIP);

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, &btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    setFixedSize(360, 200);

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmSearchRemote::btnOkClick);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmSearchRemote::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmSearchRemote::FormShow()
{
    txtRemoteIP->clear();
    txtRemoteIP->setFocus();
}

void TfrmSearchRemote::btnOkClick()
{
    const std::string refusal = TextRefusal(txtRemoteIP->text(), "Host or IP Address", TextGoal::Latin1);
    if (!refusal.empty()) {
        ShowError(refusal);
        txtRemoteIP->setFocus();
        return;
    }
    const std::string host = StdStr(txtRemoteIP->text());
    if (host.empty()) {
        ShowError("You must provide Host or an IP Address.");
        return;
    }
    for (QWidget *w : std::initializer_list<QWidget *>{txtRemoteIP, btnOk, btnCancel}) w->setEnabled(false);
    TPacket request, device, network;
    request.SetCommand("GETDEVICE");
    bool replied = MainForm->SendHTTPAdminServer("Searching Remote Device...", host, host, request, device);
    if (replied) {
        request.SetCommand("GETNET");
        replied = MainForm->SendHTTPAdminServer("Searching Remote Device...", host, host, request, network);
    }
    for (QWidget *w : std::initializer_list<QWidget *>{txtRemoteIP, btnOk, btnCancel}) w->setEnabled(true);
    if (!replied) {
        reject();
        return;
    }
    if (!device.IsCommand("DEVICE") || !network.IsCommand("NETWORK")) {
        ShowError("Not Valid Response from Device.");
        reject();
        return;
    }
    const std::string id = device.GetString("ID", "Velto");
    Version = device.GetString("VERSION", "");
    MAC = device.GetString("MAC", "");
    Hostname = network.GetString("NAME", "");
    DHCP = network.GetBoolean("DHCP", false);
    IP = network.GetString("IP", "0.0.0.0");
    Netmask = network.GetString("NETMASK", "0.0.0.0");
    Gateway = network.GetString("GATEWAY", "0.0.0.0");
    RemoteIP = host;
    if (id == "1118" || id == "1119")
        Family = FamilyModbus;
    else if (id == "1109" || id == "1110")
        Family = FamilyHostlink;
    else if (id == "1116" || id == "1117")
        Family = FamilyDF1;
    else
        Family = FamilyModbus;
    // A device that sent no model code is named by the product word alone.
    Device = device.GetString("ID", "").empty() ? std::string("Velto") : ModelName(id);
    accept();
}

}  // namespace vxt
