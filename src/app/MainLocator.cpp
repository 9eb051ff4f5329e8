// The device locator: HELLO broadcast, NTM replies into the device list, and the network-settings
// acknowledgement wait.
#include "DscPkt.h"
#include "InfoMsg.h"
#include "Main.h"
#include "MsgBox.h"
#include "QtStr.h"
#include "SearchRemote.h"
#include "StrUtils.h"
#include "UdpEndpoint.h"
#include "Utiles.h"

#include <QCoreApplication>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>

namespace vxt {

void TMainForm::SendUDPPacket(const std::string &Data)
{
    const bool opened = IdUDPServer->Open(UdpLocalPort);
    if (!opened && IdUDPServer->LastOpenError() == TUdpOpenError::NoRight) {
        // Ports below 1024 are privileged: blaming another application would mislead.
        ShowError("VXT has no right to use UDP port " + std::to_string(UdpLocalPort) +
                  ", which it needs to find devices.\r\nGrant it, as root, with: setcap cap_net_bind_service=+ep " +
                  StdPath(QCoreApplication::applicationFilePath()));
        return;
    }
    if (!opened && IdUDPServer->LastOpenError() == TUdpOpenError::InUse) {
        ShowError("Other Application is conflicting with VXT Communication.\r\nClose the other application and try "
                  "again.");
        return;
    }
    // Any other failure (no route for the broadcast, no network at all) is no other program's doing.
    if (!opened || !IdUDPServer->Send(Data, BroadcastAddress, UdpDevicePort))
        ShowError("VXT cannot send to the devices on UDP port " + std::to_string(UdpDevicePort) + ".\r\n" +
                  IdUDPServer->LastErrorText() + ".");
}

void TMainForm::SetDeviceLocatorAction(uint8_t State, const std::string &MAC)
{
    LocatorState = State;
    tmrUDPResponse->setInterval(State == 2 ? 1000 : 500);
    tmrUDPResponse->start();
    if (State == 0) {
        tmrUDPResponse->stop();
        return;
    }
    if (State == 1) {
        InfoMessage->Msg = "Getting Data from Devices in Network...";
    } else if (State == 2) {
        AwaitedMAC = MAC;
        DeviceAcked = false;
        InfoMessage->Msg = "Setting Device Data...";
    }
    InfoMessage->exec();
}

void TMainForm::tmrUDPResponseTimer()
{
    tmrUDPResponse->stop();
    InfoMessage->done(QDialog::Accepted);
    if (LocatorState == 2) {
        if (DeviceAcked)
            ShowInformation("Device Successfully Configured!.");
        else
            ShowError("Error Setting Device Configuration.\r\nCheck the Password.");
        DeviceAcked = false;
        AwaitedMAC.clear();
    } else {
        LocatorState = 0;
    }
}

void TMainForm::IdUDPServerUDPRead(const QByteArray &data)
{
    const std::string text(data.constData(), size_t(data.size()));
    switch (LocatorState) {
    case 0:
        DeviceAcked = false;
        break;
    case 1:
        if (DscIsCommand("NTM", text)) {
            TDeviceData dev;
            GetDeviceData(text, dev);
            AddDeviceToList(dev);
        }
        break;
    case 2:
        if (DscIsCommand("NAK", text) && DscGetParam(text, 1) == AwaitedMAC)
            DeviceAcked = false;
        else if (DscIsCommand("ACK", text) && DscGetParam(text, 1) == AwaitedMAC)
            DeviceAcked = true;
        break;
    default:
        break;
    }
}

void TMainForm::GetDeviceData(const std::string &Packet, TDeviceData &Dev) const
{
    const std::string code = DscGetParam(Packet, 1);
    Dev.Device = ModelName(code);
    Dev.Version = DscGetParam(Packet, 2);
    Dev.MAC = DscGetParam(Packet, 3);
    Dev.IP = DscGetParam(Packet, 4);
    Dev.RemoteIP.clear();
    Dev.Netmask = DscGetParam(Packet, 5);
    Dev.Gateway = DscGetParam(Packet, 6);
    Dev.DHCP = DscGetParam(Packet, 7) != "0";
    if (DscHasParam(Packet, 8)) {
        Dev.Hostname = DscGetParam(Packet, 8);
        Dev.HasHostname = true;
    } else {
        Dev.Hostname = "-";
        Dev.HasHostname = false;
    }
    Dev.IsVelto = Contains(Dev.Device, "Velto");
    if (code == "1118" || code == "1119")
        Dev.Family = FamilyModbus;
    else if (code == "1110" || code == "1109")
        Dev.Family = FamilyHostlink;
    else if (code == "1116" || code == "1117")
        Dev.Family = FamilyDF1;
}

int TMainForm::DeviceIsListed(const TDeviceData &Dev) const
{
    for (int i = 0; i < DeviceCount(); ++i)
        if (RowSubItem(i, 1) == Dev.MAC) return i;
    return -1;
}

void TMainForm::AddDeviceToList(const TDeviceData &Dev)
{
    const std::vector<std::string> subItems = {
        Dev.Hostname, Dev.MAC,     Dev.Version,  Dev.DHCP ? "Yes" : "No",   Dev.IP,
        Dev.Netmask,  Dev.Gateway, Dev.RemoteIP, Dev.HasHostname ? "1" : "0", Dev.IsVelto ? "1" : "0",
        std::to_string(Dev.Family)};
    const int i = DeviceIsListed(Dev);
    if (i < 0) {
        const int row = lstDevices->rowCount();
        lstDevices->setRowCount(row + 1);
        SetRow(row, Dev.Device, subItems);
    } else if (!Dev.RemoteIP.empty()) {
        SetRow(i, Dev.Device, subItems);
    }
    SortDevices();
}

void TMainForm::DevicesSearchLocalExecute()
{
    // A deleted row takes its selection along: the list would otherwise move it to a neighbour,
    // a device the user did not pick.
    const int selected = SelectedRow();
    if (selected >= 0 && RowSubItem(selected, 7).empty()) {
        lstDevices->clearSelection();
        lstDevices->setCurrentItem(nullptr);
    }
    for (int i = DeviceCount() - 1; i >= 0; --i)
        if (RowSubItem(i, 7).empty()) lstDevices->removeRow(i);
    SendUDPPacket(DscMakeCommand("HELLO"));
    SetDeviceLocatorAction(1, "");
}

void TMainForm::DevicesSearchRemoteExecute()
{
    if (!frmSearchRemote || frmSearchRemote->exec() != QDialog::Accepted) return;
    TDeviceData dev;
    dev.Device = frmSearchRemote->Device;
    dev.Hostname = frmSearchRemote->Hostname;
    dev.MAC = frmSearchRemote->MAC;
    dev.Version = frmSearchRemote->Version;
    dev.IP = frmSearchRemote->IP;
    dev.Netmask = frmSearchRemote->Netmask;
    dev.Gateway = frmSearchRemote->Gateway;
    dev.DHCP = frmSearchRemote->DHCP;
    dev.RemoteIP = frmSearchRemote->RemoteIP;
    dev.Family = frmSearchRemote->Family;
    dev.HasHostname = true;
    dev.IsVelto = true;
    AddDeviceToList(dev);
}

}  // namespace vxt
