// The Modbus tag editor: adds or edits one tag of a Modbus gateway configuration. Its lists are the
// system's tables of Modbus display texts, offered to the document through the static text and
// value operations.
#pragma once

#include "TagEditor.h"

namespace vxt {

class TMaskedAddressEdit;

class TfrmModbusTags : public TTagEditorBase {
    Q_OBJECT
public:
    explicit TfrmModbusTags(QWidget *parent = nullptr);

    TModbusTagConfig Tag;
    // 1: the alarm page shows the edge layout (digital tag); 2: the value layout. One value for
    // every showing, 0 until a showing sets it.
    static int AlarmMode;

    QLabel *lblUnitID;
    QLineEdit *txtUnitID;
    QLabel *lblModbusFunction;
    QComboBox *cboModbusFunction;
    QLabel *lblAddress;
    TMaskedAddressEdit *txtAddress;
    QCheckBox *chk32Bit;
    QGroupBox *grpAction;
    QCheckBox *chkSendTrap;

    static std::string GetSourceText(uint8_t index);
    static std::string GetTypeText(uint8_t index);
    static std::string GetScaleText(uint8_t index);
    static uint8_t GetSourceValue(const std::string &text);
    static uint8_t GetTypeValue(const std::string &text);
    static uint8_t GetScaleValue(const std::string &text);

    void ClearControls() override;
    void SetControls() override;
    bool ValidateModbus();

    void DigitalChange();
    void ReadAccessChange();
    void cboSourceChange() override;
    void cboTypeChange() override;
    void cboModbusFunctionChange();
    void cboModbusFunctionChange2();
    void chkReadOnlyClick() override;
    void chkAlarmEnableClick() override;
    void tabTagAlarmShow() override;
    void tabTagScaleShow() override;

    bool IsDigital() const override;
    bool IsReadOnly() const;
    bool IsInteger() const override;

protected:
    TIntBounds TypeBounds(int type) const override;
    void GetTagConfiguration() override;
    bool ValidateSerial() override { return ValidateModbus(); }
    // A Velto input or output is checked for its bit position and read-only box alone.
    bool ValidateDigitalIO() override { return true; }

private:
    void BuildConfigPage();
    void BuildAlarmPage();
    int RegTable() const;
    // The bit position and Enron box as the shown type wants them.
    void TypeDependents();
};

extern TfrmModbusTags *frmModbusTags;

}  // namespace vxt
