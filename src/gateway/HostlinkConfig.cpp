#include "HostlinkConfig.h"

#include "Main.h"

namespace vxt {

const TFamilyDesc &HostlinkDocTraits::Family() { return HostlinkFamily(); }
TTagRow HostlinkDocTraits::ToRow(const Tag &t) { return HostlinkTagToRow(t); }
void HostlinkDocTraits::FromRow(const TTagRow &row, Tag &t) { HostlinkRowToTag(row, t); }

void HostlinkDocTraits::SerialToConfig(const TSerialSettings &s, Config &c)
{
    c.ComType = uint8_t(s.ComType);
    c.Baud = uint8_t(s.Baud);
    c.Parity = uint8_t(s.Parity);
    c.ScanTime = s.ScanTime;
    c.MsgTimeout = s.MsgTimeout;
}

TSerialSettings HostlinkDocTraits::SerialOfConfig(const Config &c)
{
    TSerialSettings s;
    s.ComType = c.ComType;
    s.Baud = c.Baud;
    s.Parity = c.Parity;
    s.ScanTime = c.ScanTime;
    s.MsgTimeout = c.MsgTimeout;
    return s;
}

TfrmTransferHostlinkConfig *HostlinkDocTraits::Transfer()
{
    if (!frmTransferHostlinkConfig) frmTransferHostlinkConfig = new TfrmTransferHostlinkConfig(MainForm);
    return frmTransferHostlinkConfig;
}

TMDIHostlinkConfig::TMDIHostlinkConfig(QWidget *parent) : TMDIConfigOf<HostlinkDocTraits>(parent)
{
    setObjectName(QStringLiteral("MDIHostlinkConfig"));
    BuildPages();
    WireEnableRulesToEveryControl();
}

}  // namespace vxt
