// Devices/Properties: the selected row into the properties dialog, guarded by the firmware marks.
#include "Main.h"
#include "Properties.h"
#include "StrUtils.h"

namespace vxt {

void TMainForm::DevicesPropertiesExecute()
{
    const int row = SelectedRow();
    if (row < 0 || !frmProperties) return;
    TfrmProperties &dlg = *frmProperties;
    dlg.Device = RowCaption(row);
    dlg.Hostname = RowSubItem(row, 0);
    dlg.MAC = RowSubItem(row, 1);
    dlg.Version = RowSubItem(row, 2);
    dlg.SetPageVisible(dlg.TabLog, Contains(dlg.Version, "-R"));
    if (!Contains(dlg.Version, "-SN")) {
        ShowVersionNotice(NoSNFirmwareText(), dlg.Version);
        return;
    }
    dlg.DHCP = RowSubItem(row, 3) == "Yes" || RowSubItem(row, 4) == "0.0.0.0";
    dlg.IP = RowSubItem(row, 4);
    dlg.Netmask = RowSubItem(row, 5);
    dlg.Gateway = RowSubItem(row, 6);
    dlg.RemoteIP = RowSubItem(row, 7);
    dlg.HasHostname = RowSubItem(row, 8) == "1";
    dlg.IsVelto = RowSubItem(row, 9) == "1";
    if (dlg.Initialize()) dlg.exec();
}

}  // namespace vxt
