// The Modbus gateway configuration document: the format list and the RTU packet timeout on the
// Serial Port page, the "Trap" column, and the firmware rule for SMTP authentication.
#pragma once

#include "ConfigDocumentOf.h"
#include "ModbusTags.h"
#include "TransferModbusConfig.h"

namespace vxt {

struct ModbusDocTraits {
    using Tag = TModbusTagConfig;
    using Config = TModbusVeltoConfig;
    static const TFamilyDesc &Family();
    static TTagRow ToRow(const Tag &t);
    static void FromRow(const TTagRow &row, Tag &t);
    static void SerialToConfig(const TSerialSettings &s, Config &c);
    static TSerialSettings SerialOfConfig(const Config &c);
    static TfrmModbusTags *Editor() { return frmModbusTags; }
    static TfrmTransferModbusConfig *Transfer();
};

// The device of the last send runs a firmware older than 2.0.6, which has no SMTP authentication.
extern bool OldFirmware;

class TMDIModbusConfig : public TMDIConfigOf<ModbusDocTraits> {
    Q_OBJECT
public:
    explicit TMDIModbusConfig(QWidget *parent = nullptr);

    QComboBox *cboFormat = nullptr;
    QLineEdit *txtPacketTout = nullptr;
    TUpDown *udnPacketTout = nullptr;

protected:
    void BuildSerialExtras(QGridLayout *grid, int &row) override;
    void SerialExtrasFromPage(TSerialSettings &s) const override;
    void SerialExtrasToPage(const TSerialSettings &s) override;
    bool CheckPasses(ValidateCheck check, int &page, QWidget *&focus) override;
    void BeforeSend(const TDeviceData &device) override;
    bool AuthAllowed() const override { return !OldFirmware; }
};

}  // namespace vxt
