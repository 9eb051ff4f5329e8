#include "ModbusTags.h"

#include "GatewayTables.h"
#include "ModbusTagsAddress.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "StrUtils.h"
#include "Utiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vxt {

TfrmModbusTags *frmModbusTags = nullptr;
int TfrmModbusTags::AlarmMode = 0;

namespace {

enum { tUnsigned = 0, tSigned = 1, tLong = 2, tFloat = 4, tFloatInverted = 5, tWordBit = 7, tSingleBit = 8 };
enum { rtHolding = 0, rtInput = 1, rtInputStatus = 2, rtCoil = 3 };

const char *kUnitProvided = "Modbus Unit ID must be provided.";
const char *kUnitRange = "Unit ID must be between 1 and 255.";
const char *kBitTables = "\"Coils\" and \"Input Status\" must be of type \"Single Bit\".";
const char *kRegisterTables = "\"Inputs Register\" and \"Holding Registers\" cannot be of type \"Single Bit\".";
const char *kAddressProvided = "Register Address must be provided.";
const char *kAddressComplete = "Register Address must be complete.";
const char *kAddressRange = "In %d digit format, Address must be between %s and %s.";
const char *kAddressFormat = "The entered Address will be converted in its equivalent value expressed in the 5 digits Format.";

void Show(QWidget *w, bool shown)
{
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);   // both alarm layouts share one place; the page keeps its size
    w->setSizePolicy(p);
    w->setVisible(shown);
}

}  // namespace

TfrmModbusTags::TfrmModbusTags(QWidget *parent)
    : TTagEditorBase("Modbus", Modbus::SourceTable(), Modbus::TypeTable(), parent)
{
    setObjectName(QStringLiteral("frmModbusTags"));
    BuildConfigPage();
    BuildAlarmPage();
    connect(cboModbusFunction, &QComboBox::activated, this, &TfrmModbusTags::cboModbusFunctionChange);
}

void TfrmModbusTags::BuildConfigPage()
{
    txtUnitID = new QLineEdit(grpTagConfig);
    txtUnitID->setObjectName(QStringLiteral("txtUnitID"));
    FilterInteger(txtUnitID, 3);
    lblUnitID = new QLabel(QStringLiteral("Modbus Unit ID (Slave)"), grpTagConfig);
    lblUnitID->setObjectName(QStringLiteral("lblUnitID"));
    cboModbusFunction = new QComboBox(grpTagConfig);
    cboModbusFunction->setObjectName(QStringLiteral("cboModbusFunction"));
    for (const std::string &s : Modbus::RegTableTable().Rows()) cboModbusFunction->addItem(QStr(s));
    lblModbusFunction = new QLabel(QStringLiteral("Register Table"), grpTagConfig);
    lblModbusFunction->setObjectName(QStringLiteral("lblModbusFunction"));
    txtAddress = new TMaskedAddressEdit(grpTagConfig);
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    lblAddress = new QLabel(QStringLiteral("Register Address"), grpTagConfig);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    chk32Bit = new QCheckBox(QStringLiteral("32-Bit Register (Enron)"), grpTagConfig);
    chk32Bit->setObjectName(QStringLiteral("chk32Bit"));
    chk32Bit->setEnabled(false);
    txtBitPosition->setEnabled(false);

    AddConfigRow(lblUnitID, txtUnitID);
    AddConfigRow(lblType, cboType);
    AddConfigRow(lblModbusFunction, cboModbusFunction);
    AddConfigRow(lblAddress, txtAddress);
    AddConfigRow(lblBitPosition, txtBitPosition);
    AddConfigRow(nullptr, chk32Bit);
}

void TfrmModbusTags::BuildAlarmPage()
{
    rdoPositive->setText(QStringLiteral("Positive edge (0 -> 1)"));
    rdoNegative->setText(QStringLiteral("Negative edge (1 -> 0)"));
    lblLowestAlarm->setText(QStringLiteral("Lower Limit"));
    lblHighestAlarm->setText(QStringLiteral("Upper Limit"));
    lblLowestAlarm->setBuddy(txtLowestAlarm);
    lblHighestAlarm->setBuddy(txtHighestAlarm);
    chkSendEMail->setText(QStringLiteral("Send an e-mail"));

    grpAction = new QGroupBox(QStringLiteral("Action"), grpTagAlarm);
    grpAction->setObjectName(QStringLiteral("grpAction"));
    chkSendTrap = new QCheckBox(QStringLiteral("Send a trap"), grpAction);
    chkSendTrap->setObjectName(QStringLiteral("chkSendTrap"));
    chkSendEMail->setParent(grpAction);
    auto *action = new QVBoxLayout(grpAction);
    action->addWidget(chkSendEMail);
    action->addWidget(chkSendTrap);

    // The edge layout and the value layout take the same place; AlarmMode shows one of them.
    auto *edge = new QGridLayout;
    edge->addWidget(rdoPositive, 0, 0);
    edge->addWidget(imgPositive, 0, 1);
    edge->addWidget(rdoNegative, 1, 0);
    edge->addWidget(imgNegative, 1, 1);
    edge->setColumnStretch(2, 1);
    auto *value = new QGridLayout;
    value->addWidget(lblLowestAlarm, 0, 0);
    value->addWidget(txtLowestAlarm, 0, 1);
    value->addWidget(lblHighestAlarm, 1, 0);
    value->addWidget(txtHighestAlarm, 1, 1);
    for (QWidget *w : {static_cast<QWidget *>(rdoPositive), static_cast<QWidget *>(rdoNegative),
                       static_cast<QWidget *>(imgPositive), static_cast<QWidget *>(imgNegative),
                       static_cast<QWidget *>(lblLowestAlarm), static_cast<QWidget *>(lblHighestAlarm),
                       static_cast<QWidget *>(txtLowestAlarm), static_cast<QWidget *>(txtHighestAlarm)})
        Show(w, true);

    QGridLayout *g = AlarmGrid();
    g->addWidget(chkAlarmEnable, 0, 0);
    g->addLayout(edge, 1, 0);
    g->addLayout(value, 1, 0);
    g->addWidget(grpAction, 2, 0);
    g->setRowStretch(3, 1);
}

// ---- tables --------------------------------------------------------------------------------

std::string TfrmModbusTags::GetSourceText(uint8_t index) { return Modbus::SourceTable().Text(index); }
std::string TfrmModbusTags::GetTypeText(uint8_t index) { return Modbus::TypeTable().Text(index); }
std::string TfrmModbusTags::GetScaleText(uint8_t index) { return ScaleTable().Text(index); }
uint8_t TfrmModbusTags::GetSourceValue(const std::string &text) { return Modbus::SourceTable().Value(text); }
uint8_t TfrmModbusTags::GetTypeValue(const std::string &text) { return Modbus::TypeTable().Value(text); }
uint8_t TfrmModbusTags::GetScaleValue(const std::string &text) { return ScaleTable().Value(text); }

TIntBounds TfrmModbusTags::TypeBounds(int type) const { return Modbus::TypeBounds(type); }

int TfrmModbusTags::RegTable() const { return cboModbusFunction->currentIndex(); }

// ---- predicates ----------------------------------------------------------------------------

bool TfrmModbusTags::IsDigital() const
{
    switch (Source()) {
    case srcSerial: return RegTable() == rtInputStatus || RegTable() == rtCoil || TypeIndex() == tWordBit;
    case srcAnalog: return false;
    default: return true;
    }
}

bool TfrmModbusTags::IsReadOnly() const
{
    switch (Source()) {
    case srcSerial: return RegTable() == rtInput || RegTable() == rtInputStatus;
    case srcOutput: return false;
    default: return true;
    }
}

bool TfrmModbusTags::IsInteger() const
{
    switch (Source()) {
    case srcSerial: {
        const int t = TypeIndex();
        return (RegTable() == rtHolding || RegTable() == rtInput) && t != tFloat && t != tFloatInverted &&
               t != tWordBit && ScaleIsNone();
    }
    case srcAnalog: return ScaleIsNone();
    default: return false;
    }
}

// ---- control rules -------------------------------------------------------------------------

void TfrmModbusTags::DigitalChange()
{
    if (IsDigital()) {
        AlarmMode = 1;
        chkWriteLimits->setChecked(false);
        chkWriteLimits->setEnabled(false);
        cboScale->setCurrentIndex(0);
        cboScale->setEnabled(false);
    } else {
        AlarmMode = 2;
        cboScale->setEnabled(true);
        // A read-only tag keeps its write-limit box off, whatever the type.
        chkWriteLimits->setEnabled(!chkReadOnly->isChecked());
    }
    cboScaleChange();
    chkAlarmEnableClick();
}

void TfrmModbusTags::ReadAccessChange()
{
    if (IsReadOnly()) {
        chkReadOnly->setChecked(true);
        chkReadOnly->setEnabled(false);
        chkWriteLimits->setChecked(false);
        chkWriteLimits->setEnabled(false);
    } else {
        chkReadOnly->setEnabled(true);
        chkReadOnly->setChecked(false);
        chkWriteLimits->setEnabled(true);
    }
    chkReadOnlyClick();
    chkWriteLimitsClick();
}

void TfrmModbusTags::TypeDependents()
{
    const int t = TypeIndex();
    if (t == tWordBit) {
        txtBitPosition->setEnabled(true);
    } else if (t == tLong || t == tFloat) {
        txtBitPosition->setEnabled(false);
        chk32Bit->setEnabled(true);
    } else {
        txtBitPosition->setEnabled(false);
        chk32Bit->setChecked(false);
        chk32Bit->setEnabled(false);
    }
}

void TfrmModbusTags::cboSourceChange()
{
    DigitalChange();
    ReadAccessChange();
    const int source = Source();
    const bool serial = source == srcSerial;
    btnInternal->setEnabled(source == srcInternal);
    for (QWidget *w : {static_cast<QWidget *>(txtUnitID), static_cast<QWidget *>(lblUnitID),
                       static_cast<QWidget *>(txtAddress), static_cast<QWidget *>(lblAddress),
                       static_cast<QWidget *>(cboType), static_cast<QWidget *>(lblType),
                       static_cast<QWidget *>(cboModbusFunction), static_cast<QWidget *>(lblModbusFunction)})
        w->setEnabled(serial);
    if (serial) {
        txtBitPosition->setEnabled(TypeIndex() == tWordBit);
        return;
    }
    // The Enron box stays as it is: a tag of these sources is stored without the 32-bit mode.
    cboType->setCurrentIndex(source == srcAnalog ? tSigned : tSingleBit);
    txtBitPosition->setEnabled(source != srcInternal);
}

void TfrmModbusTags::cboTypeChange()
{
    DigitalChange();
    TypeDependents();
}

void TfrmModbusTags::cboModbusFunctionChange()
{
    DigitalChange();
    ReadAccessChange();
    cboModbusFunctionChange2();
    const bool registers = RegTable() == rtHolding || RegTable() == rtInput;
    cboType->setCurrentIndex(registers ? tUnsigned : tSingleBit);
    // The type set here brings its bit position, Enron box and pages along.
    TypeDependents();
    DigitalChange();
}

void TfrmModbusTags::cboModbusFunctionChange2()
{
    txtAddress->SetPrefix(Modbus::RegTablePrefix(RegTable()));
    cboType->setEnabled(RegTable() == rtHolding || RegTable() == rtInput);
}

void TfrmModbusTags::chkReadOnlyClick()
{
    if (chkReadOnly->isChecked() || IsDigital()) {
        chkWriteLimits->setChecked(false);
        chkWriteLimits->setEnabled(false);
    } else {
        chkWriteLimits->setEnabled(true);
    }
}

void TfrmModbusTags::chkAlarmEnableClick()
{
    const bool on = chkAlarmEnable->isChecked();
    if (!on) {
        chkSendEMail->setChecked(false);
        chkSendTrap->setChecked(false);
    }
    chkSendEMail->setEnabled(on);
    chkSendTrap->setEnabled(on);
    if (!IsDigital()) {
        txtLowestAlarm->setEnabled(on);
        txtHighestAlarm->setEnabled(on);
    } else {
        rdoPositive->setEnabled(on);
        rdoNegative->setEnabled(on);
    }
    tabTagAlarmShow();
}

void TfrmModbusTags::tabTagAlarmShow()
{
    chkSendTrap->setVisible(true);
    if (AlarmMode != 1 && AlarmMode != 2) return;
    const bool edge = AlarmMode == 1;
    for (QWidget *w : {static_cast<QWidget *>(rdoPositive), static_cast<QWidget *>(rdoNegative),
                       static_cast<QWidget *>(imgPositive), static_cast<QWidget *>(imgNegative)})
        Show(w, edge);
    for (QWidget *w : {static_cast<QWidget *>(lblLowestAlarm), static_cast<QWidget *>(lblHighestAlarm),
                       static_cast<QWidget *>(txtLowestAlarm), static_cast<QWidget *>(txtHighestAlarm)})
        Show(w, !edge);
}

void TfrmModbusTags::tabTagScaleShow()
{
    if (AlarmMode == 1) {
        cboScale->setCurrentIndex(0);
        cboScaleChange();
        cboScale->setEnabled(false);
    } else if (AlarmMode == 2) {
        cboScale->setEnabled(true);
    }
}

// ---- loading -------------------------------------------------------------------------------

void TfrmModbusTags::ClearControls()
{
    txtTagName->clear();
    cboSource->setCurrentIndex(srcSerial);
    txtUnitID->clear();
    cboType->setCurrentIndex(tUnsigned);
    cboModbusFunction->setCurrentIndex(rtHolding);
    txtAddress->SetPrefix(Modbus::RegTablePrefix(rtHolding));
    txtAddress->SetTyped(std::string());
    txtBitPosition->clear();
    chk32Bit->setChecked(false);
    cboSourceChange();
    cboTypeChange();
    cboModbusFunctionChange();
    ClearValueEdits();
    chkAlarmEnable->setChecked(false);
    chkSendEMail->setChecked(false);
    chkSendTrap->setChecked(false);
    txtLowestAlarm->clear();
    txtHighestAlarm->clear();
    rdoPositive->setChecked(true);
    chkAlarmEnableClick();
    ClearScaleControls();
}

void TfrmModbusTags::SetControls()
{
    const TTagEditFields f = EditFieldsOf(Tag);
    txtTagName->setText(QStr(Tag.Name));
    cboSource->setCurrentIndex(InList(Tag.Source, cboSource));
    txtUnitID->setText(QString::number(Tag.UnitID));
    cboModbusFunction->setCurrentIndex(InList(Tag.RegTable, cboModbusFunction));
    cboType->setCurrentIndex(InList(Tag.Type, cboType));
    txtAddress->SetPrefix(Modbus::RegTablePrefix(RegTable()));
    txtAddress->SetTyped(Format(Tag.Address >= 10000 ? "%.5d" : "%.4d", int(Tag.Address)));
    txtBitPosition->setText(QString::number(Tag.BitPos));
    chk32Bit->setChecked(Tag.Reg32);
    cboModbusFunctionChange2();
    cboTypeChange();
    cboSourceChange();

    chkWriteLimits->setChecked(Tag.Limits);
    SetLimitTexts(f);
    chkReadOnly->setChecked(Tag.ReadOnly);
    chkReadOnly->setEnabled(!IsReadOnly());
    chkReadOnlyClick();
    chkWriteLimitsClick();

    chkAlarmEnable->setChecked(Tag.Alarm);
    chkSendEMail->setChecked(Tag.EMail);
    chkSendTrap->setChecked(Tag.Trap);
    chkAlarmEnableClick();
    if (Tag.Alarm) {
        if (Tag.Kind == KindDigital) {
            AlarmMode = 1;
            txtLowestAlarm->clear();
            txtHighestAlarm->clear();
            const bool negative = !Tag.AlMin.AsBoolean && Tag.AlMax.AsBoolean;
            (negative ? rdoNegative : rdoPositive)->setChecked(true);
        } else {
            AlarmMode = 2;
            SetBoundTexts(f);
        }
        tabTagAlarmShow();
    } else {
        txtLowestAlarm->clear();
        txtHighestAlarm->clear();
        rdoPositive->setChecked(true);
    }
    chkAlarmEnableClick();
    SetScaleControls(f);
}

// ---- validation ----------------------------------------------------------------------------

bool TfrmModbusTags::ValidateModbus()
{
    int32_t unit = 0;
    if (!TryStrToInt(Text(txtUnitID), unit)) return Refuse(kUnitProvided);
    if (unit < 1 || unit > 255) return Refuse(kUnitRange);
    const int table = RegTable(), type = TypeIndex();
    const bool bitTable = table == rtInputStatus || table == rtCoil;
    if (bitTable && type != tSingleBit) return Refuse(kBitTables);
    if (!bitTable && type == tSingleBit) return Refuse(kRegisterTables);

    const std::string address = txtAddress->Typed();
    int32_t a = 0;
    if (!TryStrToInt(address, a)) return Refuse(kAddressProvided);
    const size_t len = address.size();
    if (len < 3) return Refuse(kAddressComplete);
    if (len == 3 && (a < 1 || a > 999)) return Refuse(Format(kAddressRange, 4, "001", "999"));
    if (len == 4 && (a < 1 || a > 9999)) return Refuse(Format(kAddressRange, 5, "0001", "9999"));
    if (len == 5 && (a < 1 || a > 65536)) return Refuse(Format(kAddressRange, 6, "00001", "65536"));
    if (len == 3 || (len == 5 && a < 10000)) ShowWarning(kAddressFormat);

    if (type == tWordBit && !ValidateBitPosition(15)) return false;
    if ((table == rtInput || table == rtInputStatus) && !chkReadOnly->isChecked()) return Refuse(TagMsg::ReadOnly);
    const bool limits = chkWriteLimits->isChecked(), alarm = chkAlarmEnable->isChecked();
    if ((type == tWordBit || type == tSingleBit) && limits) return Refuse(TagMsg::DigitalLimits);
    if (limits && !PairInOrder(txtMinWrite, txtMaxWrite)) return Refuse(TagMsg::WritingLimits);
    if (alarm && !IsDigital() && !PairInOrder(txtLowestAlarm, txtHighestAlarm)) return Refuse(TagMsg::AlarmRange);
    if (IsDigital() && !ScaleIsNone()) return Refuse(TagMsg::DigitalScale);
    if (!ScaleIsNone() && !FactorsValid())
        return Refuse(TagMsg::ScaleFactors);
    return ValidateIntegerValues(limits, alarm);
}

// ---- the tag -------------------------------------------------------------------------------

void TfrmModbusTags::GetTagConfiguration()
{
    TModbusTagConfig t;
    t.Name = TagName();
    t.Source = uint8_t(Source());
    switch (t.Source) {
    case srcSerial:
        t.UnitID = StrToInt(Text(txtUnitID));
        t.Type = uint8_t(TypeIndex());
        t.RegTable = uint8_t(RegTable());
        t.Address = StrToInt(txtAddress->Typed());
        t.BitPos = t.Type == tWordBit ? StrToInt(Text(txtBitPosition)) : 0;
        t.Reg32 = chk32Bit->isChecked();
        break;
    case srcInput:
    case srcOutput:
        t.Type = tSingleBit;
        t.RegTable = t.Source == srcInput ? rtInputStatus : rtCoil;
        t.BitPos = StrToInt(Text(txtBitPosition));
        break;
    case srcInternal:
        t.Type = tSingleBit;
        t.RegTable = rtInputStatus;
        break;
    default:
        t.Type = tSigned;
        t.RegTable = rtInput;
        t.BitPos = StrToInt(Text(txtBitPosition));
        break;
    }
    PutEditFields(GetEditFields(), t);
    t.Trap = t.Alarm && chkSendTrap->isChecked();
    Tag = t;
}

}  // namespace vxt
