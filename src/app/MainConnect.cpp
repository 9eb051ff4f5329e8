// Connecting to a listed device: password, firmware window, administrator password check.
#include "Icons.h"
#include "KProt.h"
#include "Main.h"
#include "NumFormat.h"
#include "MsgBox.h"
#include "Password.h"
#include "QtStr.h"
#include "StrUtils.h"
#include "Utiles.h"
#include "Version.h"

#include <QAction>
#include <QLabel>

namespace vxt {

namespace {

const char *kSupport = "support@porlin.example";
const char *kWebSite = "www.porlin.example";

struct FirmwareWindow {
    const char *Lowest;
    const char *FirstRefused;
};

FirmwareWindow WindowOf(uint8_t family)
{
    return family == FamilyDF1 ? FirmwareWindow{"2.0.5", "3.99.99"} : FirmwareWindow{"2.0.3", "3.99.99"};
}

}  // namespace

void ShowVersionNotice(const std::string &reason, const std::string &version)
{
    frmVersion->txtVersion->setText(QStr(reason));
    frmVersion->txtVeltoVersion->setText(QStr("Device version: " + version));
    frmVersion->exec();
}

std::string NoSNFirmwareText()
{
    return std::string("This version of VXT only applies to regular Velto (non-manageable devices). Please contact "
                       "Porlin, ") + kSupport;
}

void TMainForm::DevicesConnectExecute()
{
    if (Connected) {
        DevicesConnect->setIcon(ImageListIcon(7));
        DevicesConnect->setText(QStringLiteral("Co&nnect..."));
        DevicesConnect->setStatusTip(QStringLiteral("Connect to Velto"));
        DevicesConnect->setToolTip(QStringLiteral("Connect to Velto"));
        Connected = false;
        DevicesConnect->setChecked(false);
        UpdateActions();
        return;
    }
    const int row = SelectedRow();
    DevicesConnect->setChecked(false);
    if (row < 0) return;
    TDeviceData dev;
    dev.Device = RowCaption(row);
    dev.Hostname = RowSubItem(row, 0);
    dev.MAC = RowSubItem(row, 1);
    dev.Version = RowSubItem(row, 2);
    dev.IP = RowSubItem(row, 4);
    dev.RemoteIP = RowSubItem(row, 7);
    dev.Username = "admin";
    int32_t family = 0;
    TryStrToInt(RowSubItem(row, 10), family);
    dev.Family = uint8_t(family);
    if (ConnectToDevice(dev)) {
        const QString name = QStr(ConnectedDevice.Device + "/" + ConnectedDevice.MAC);
        DevicesConnect->setIcon(ImageListIcon(8));
        DevicesConnect->setText(QStringLiteral("Disco&nnect from ") + name);
        DevicesConnect->setStatusTip(QStringLiteral("Disconnect from ") + name);
        DevicesConnect->setToolTip(QStringLiteral("Disconnect from ") + name);
        Connected = true;
        DevicesConnect->setChecked(true);
    }
    UpdateActions();
}

bool TMainForm::ConnectToDevice(const TDeviceData &Dev)
{
    if (frmPassword->exec() != QDialog::Accepted) return false;
    ConnectedDevice = Dev;
    ConnectedDevice.IsVelto = Contains(ConnectedDevice.Device, "Velto");
    if (ConnectedDevice.IsVelto) {
        ConnectedDevice.RFirmware = Contains(ConnectedDevice.Version, "-R");
        ConnectedDevice.SNFirmware = Contains(ConnectedDevice.Version, "-SN");
        if (!ConnectedDevice.SNFirmware) {
            ShowVersionNotice(NoSNFirmwareText(), ConnectedDevice.Version);
            return false;
        }
        const FirmwareWindow window = WindowOf(ConnectedDevice.Family);
        const size_t cut = std::min(ConnectedDevice.Version.find("-R"), ConnectedDevice.Version.find("-SN"));
        if (cut != std::string::npos) ConnectedDevice.Version.resize(cut);
        if (VersionLess(ConnectedDevice.Version, window.Lowest)) {
            ShowVersionNotice(
                std::string("This version of VXT is too new to configure your Velto. Please contact Porlin, ") + kSupport,
                ConnectedDevice.Version);
            return false;
        }
        if (!VersionLess(ConnectedDevice.Version, window.FirstRefused)) {
            ShowVersionNotice(std::string("This version of VXT is too old to configure your Velto. Close this "
                                          "application and install an updated version from ") +
                                  kWebSite,
                              ConnectedDevice.Version);
            return false;
        }
    }
    TPacket request, reply;
    request.SetCommand("GETADMIN");
    if (!SendHTTPAdminServer("Connecting...", ConnectedDevice.IP, ConnectedDevice.RemoteIP, request, reply)) {
        ShowError("Unable to connect to Device.");
        return false;
    }
    if (reply.GetString("PWD", "") != frmPassword->Password) {
        ShowError("Unable to connect to Device. Wrong Password.");
        return false;
    }
    ShowInformation(Format("Succesfully Connected to %s.", (ConnectedDevice.Device + "/" + ConnectedDevice.MAC).c_str()));
    ConnectedDevice.Password = frmPassword->Password;
    return true;
}

}  // namespace vxt
