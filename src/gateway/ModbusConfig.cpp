#include "ModbusConfig.h"

#include "Main.h"
#include "NoFeature.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "Utiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace vxt {

bool OldFirmware = false;

const TFamilyDesc &ModbusDocTraits::Family() { return ModbusFamily(); }
TTagRow ModbusDocTraits::ToRow(const Tag &t) { return ModbusTagToRow(t); }
void ModbusDocTraits::FromRow(const TTagRow &row, Tag &t) { ModbusRowToTag(row, t); }

void ModbusDocTraits::SerialToConfig(const TSerialSettings &s, Config &c)
{
    c.ComType = uint8_t(s.ComType);
    c.Baud = uint8_t(s.Baud);
    c.Parity = uint8_t(s.Parity);
    c.Format = uint8_t(s.Format);
    c.ScanTime = s.ScanTime;
    c.MsgTimeout = s.MsgTimeout;
    c.PktTimeout = s.PktTimeout;
}

TSerialSettings ModbusDocTraits::SerialOfConfig(const Config &c)
{
    TSerialSettings s;
    s.ComType = c.ComType;
    s.Baud = c.Baud;
    s.Parity = c.Parity;
    s.Format = c.Format;
    s.ScanTime = c.ScanTime;
    s.MsgTimeout = c.MsgTimeout;
    s.PktTimeout = c.PktTimeout;
    return s;
}

TfrmTransferModbusConfig *ModbusDocTraits::Transfer()
{
    if (!frmTransferModbusConfig) frmTransferModbusConfig = new TfrmTransferModbusConfig(MainForm);
    return frmTransferModbusConfig;
}

TMDIModbusConfig::TMDIModbusConfig(QWidget *parent) : TMDIConfigOf<ModbusDocTraits>(parent)
{
    setObjectName(QStringLiteral("MDIModbusConfig"));
    BuildPages();
}

void TMDIModbusConfig::BuildSerialExtras(QGridLayout *grid, int &row)
{
    cboFormat = ComboBox("cboFormat", {QStringLiteral("RTU"), QStringLiteral("ASCII")}, 0);
    grid->addWidget(new QLabel(QStringLiteral("Modbus Format")), row, 0);
    grid->addWidget(cboFormat, row++, 1);
    txtPacketTout = IntegerEdit("txtPacketTout", 2, "udnPacketTout", 3, 20, &udnPacketTout);
    txtPacketTout->setText(QStringLiteral("4"));
    auto *box = new QHBoxLayout;
    box->setSpacing(1);
    box->addWidget(txtPacketTout);
    box->addWidget(udnPacketTout);
    box->addSpacing(6);
    box->addWidget(new QLabel(QStringLiteral("(In bytes unit)")));
    box->addStretch();
    grid->addWidget(new QLabel(QStringLiteral("Modbus Packet Timeout (RTU Mode)")), row, 0);
    grid->addLayout(box, row++, 1, 1, 2);
}

void TMDIModbusConfig::SerialExtrasFromPage(TSerialSettings &s) const
{
    s.Format = cboFormat->currentIndex();
    int32_t v = 0;
    TryStrToInt(txtPacketTout->text(), v);
    s.PktTimeout = v;
}

void TMDIModbusConfig::SerialExtrasToPage(const TSerialSettings &s)
{
    if (s.Format >= 0 && s.Format < cboFormat->count()) cboFormat->setCurrentIndex(s.Format);
    txtPacketTout->setText(QString::number(s.PktTimeout));
}

bool TMDIModbusConfig::CheckPasses(ValidateCheck check, int &page, QWidget *&focus)
{
    if (check != ValidateCheck::PacketTimeout) return TMDIGatewayConfig::CheckPasses(check, page, focus);
    page = 0;
    focus = txtPacketTout;
    int32_t v;
    return TryStrToInt(txtPacketTout->text(), v) && v >= udnPacketTout->Min && v <= udnPacketTout->Max;
}

void TMDIModbusConfig::BeforeSend(const TDeviceData &device)
{
    const std::string version = MainForm ? MainForm->ConnectedDevice.Version : device.Version;
    OldFirmware = VersionLess(version, "2.0.6");
    if (OldFirmware && chkAuth->isChecked() && frmNoFeature) {
        frmNoFeature->txtUnsupported->setText(QStringLiteral("SMTP relay not authenticated"));
        frmNoFeature->exec();
    }
}

}  // namespace vxt
