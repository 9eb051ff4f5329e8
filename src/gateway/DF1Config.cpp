#include "DF1Config.h"

#include "Main.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace vxt {

const TFamilyDesc &DF1DocTraits::Family() { return DF1Family(); }
TTagRow DF1DocTraits::ToRow(const Tag &t) { return DF1TagToRow(t); }
void DF1DocTraits::FromRow(const TTagRow &row, Tag &t) { DF1RowToTag(row, t); }

// The list shows None and Even; the record keeps Even as 2, as the device's parity codes do.
void DF1DocTraits::SerialToConfig(const TSerialSettings &s, Config &c)
{
    c.ComType = uint8_t(s.ComType);
    c.Baud = uint8_t(s.Baud);
    c.DataBits = s.DataBits;
    c.Parity = s.Parity == 0 ? 0 : 2;
    c.ErrorMethod = uint8_t(s.ErrorMethod);
    c.ScanTime = s.ScanTime;
    c.MsgTimeout = s.MsgTimeout;
}

// A value that no list entry shows leaves the list as it is (-1).
TSerialSettings DF1DocTraits::SerialOfConfig(const Config &c)
{
    TSerialSettings s;
    s.ComType = c.ComType <= 2 ? c.ComType : -1;
    s.Baud = c.Baud;
    s.Parity = c.Parity == 0 ? 0 : (c.Parity <= 2 ? 1 : -1);
    s.DataBits = c.DataBits == 7 ? 7 : 8;
    s.ErrorMethod = c.ErrorMethod <= 1 ? c.ErrorMethod : -1;
    s.ScanTime = c.ScanTime;
    s.MsgTimeout = c.MsgTimeout;
    return s;
}

TfrmTransferDF1Config *DF1DocTraits::Transfer()
{
    if (!frmTransferDF1Config) frmTransferDF1Config = new TfrmTransferDF1Config(MainForm);
    return frmTransferDF1Config;
}

TMDIDF1Config::TMDIDF1Config(QWidget *parent) : TMDIConfigOf<DF1DocTraits>(parent)
{
    setObjectName(QStringLiteral("MDIDF1Config"));
    BuildPages();
    WireEnableRulesToEveryControl();
}

QStringList TMDIDF1Config::ParityItems() const { return {QStringLiteral("None"), QStringLiteral("Even")}; }

void TMDIDF1Config::BuildSerialExtras(QGridLayout *grid, int &row)
{
    cboDataBits = ComboBox("cboDataBits", {QStringLiteral("7"), QStringLiteral("8")}, 1);
    cboErrorMethod = ComboBox("cboErrorMethod", {QStringLiteral("CRC"), QStringLiteral("BCC")}, 0);
    grid->addWidget(new QLabel(QStringLiteral("Data Bits")), row, 0);
    grid->addWidget(cboDataBits, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Error Detection")), row, 0);
    grid->addWidget(cboErrorMethod, row++, 1);
}

void TMDIDF1Config::SerialExtrasFromPage(TSerialSettings &s) const
{
    s.DataBits = cboDataBits->currentIndex() == 0 ? 7 : 8;
    s.ErrorMethod = cboErrorMethod->currentIndex();
}

void TMDIDF1Config::SerialExtrasToPage(const TSerialSettings &s)
{
    cboDataBits->setCurrentIndex(s.DataBits == 7 ? 0 : 1);
    if (s.ErrorMethod >= 0 && s.ErrorMethod <= 1) cboErrorMethod->setCurrentIndex(s.ErrorMethod);
}

}  // namespace vxt
