#include "HostlinkTags.h"

#include "GatewayTables.h"
#include "NumFormat.h"
#include "QtStr.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace vxt {

TfrmHostlinkTags *frmHostlinkTags = nullptr;

namespace {

const char *kUnitProvided = "Unit ID must be provided.";
const char *kUnitRange = "Unit ID must be between 0 and 99.";
const char *kSingleBit = "Hostlink Serial Tags cannot be of type \"Single Bit\".";
const char *kAddressProvided = "Register Address must be provided.";

}  // namespace

TfrmHostlinkTags::TfrmHostlinkTags(QWidget *parent) : TPlcTagEditor("Hostlink", Hostlink::SourceTable(), parent)
{
    setObjectName(QStringLiteral("frmHostlinkTags"));
    txtUnitID = new QLineEdit(grpTagConfig);
    txtUnitID->setObjectName(QStringLiteral("txtUnitID"));
    FilterInteger(txtUnitID, 2);
    lblUnitID = new QLabel(QStringLiteral("Hostlink Unit ID (Slave)"), grpTagConfig);
    lblUnitID->setObjectName(QStringLiteral("lblUnitID"));
    cboHostlinkFunction = new QComboBox(grpTagConfig);
    cboHostlinkFunction->setObjectName(QStringLiteral("cboHostlinkFunction"));
    for (const std::string &s : Hostlink::RegTableTable().Rows()) cboHostlinkFunction->addItem(QStr(s));
    lblHostlinkFunction = new QLabel(QStringLiteral("Register Table"), grpTagConfig);
    lblHostlinkFunction->setObjectName(QStringLiteral("lblHostlinkFunction"));
    txtAddress = new QLineEdit(grpTagConfig);
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    FilterInteger(txtAddress, 4);
    lblAddress = new QLabel(QStringLiteral("Register Address"), grpTagConfig);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));

    AddConfigRow(lblUnitID, txtUnitID);
    AddConfigRow(lblType, cboType);
    AddConfigRow(lblHostlinkFunction, cboHostlinkFunction);
    AddConfigRow(lblAddress, txtAddress);
    AddConfigRow(lblBitPosition, txtBitPosition);
}

std::string TfrmHostlinkTags::GetSourceText(uint8_t index) { return Hostlink::SourceTable().Text(index); }
std::string TfrmHostlinkTags::GetTypeText(uint8_t index) { return Hostlink::TypeTable().Text(index); }
std::string TfrmHostlinkTags::GetScaleText(uint8_t index) { return ScaleTable().Text(index); }
std::string TfrmHostlinkTags::GetHostlinkFunctionText(uint8_t index) { return Hostlink::RegTableTable().Text(index); }
uint8_t TfrmHostlinkTags::GetSourceValue(const std::string &text) { return Hostlink::SourceTable().Value(text); }
uint8_t TfrmHostlinkTags::GetTypeValue(const std::string &text) { return Hostlink::TypeTable().Value(text); }
uint8_t TfrmHostlinkTags::GetScaleValue(const std::string &text) { return ScaleTable().Value(text); }
uint8_t TfrmHostlinkTags::GetHostlinkFunctionValue(const std::string &text)
{
    return Hostlink::RegTableTable().Value(text);
}

void TfrmHostlinkTags::EnableAddressing(bool serial)
{
    txtUnitID->setEnabled(serial);
    txtAddress->setEnabled(serial);
    cboHostlinkFunction->setEnabled(serial);
    lblHostlinkFunction->setEnabled(serial);
}

void TfrmHostlinkTags::ClearControls()
{
    txtTagName->clear();
    cboSource->setCurrentIndex(srcSerial);
    txtUnitID->clear();
    cboType->setCurrentIndex(tUnsigned);
    cboHostlinkFunction->setCurrentIndex(0);
    txtAddress->clear();
    txtBitPosition->clear();
    cboSourceChange();
    cboTypeChange();
    ClearValueAlarmScale();
}

void TfrmHostlinkTags::SetControls()
{
    txtTagName->setText(QStr(Tag.Name));
    cboSource->setCurrentIndex(InList(Tag.Source, cboSource));
    txtUnitID->setText(QString::number(Tag.UnitID));
    cboType->setCurrentIndex(InList(Tag.Type, cboType));
    cboHostlinkFunction->setCurrentIndex(InList(Tag.RegTable, cboHostlinkFunction));
    txtAddress->setText(QString::number(Tag.Address));
    txtBitPosition->setText(QString::number(Tag.BitPos));
    cboTypeChange();
    cboSourceChange();
    SetValueAlarmScale(EditFieldsOf(Tag));
}

bool TfrmHostlinkTags::ValidateHostlink()
{
    int32_t unit = 0;
    if (!TryStrToInt(Text(txtUnitID), unit)) return Refuse(kUnitProvided);
    if (unit < 0 || unit > 99) return Refuse(kUnitRange);
    if (TypeIndex() == tSingleBit) return Refuse(kSingleBit);
    int32_t address = 0;
    if (!TryStrToInt(Text(txtAddress), address)) return Refuse(kAddressProvided);
    return ValidateTagValues();
}

void TfrmHostlinkTags::GetTagConfiguration()
{
    THostlinkTagConfig t;
    t.Name = TagName();
    t.Source = uint8_t(Source());
    if (t.Source == srcSerial) {
        t.UnitID = StrToInt(Text(txtUnitID));
        t.Type = uint8_t(TypeIndex());
        t.RegTable = uint8_t(cboHostlinkFunction->currentIndex());
        t.Address = StrToInt(Text(txtAddress));
    } else {
        t.Type = NonSerialType();
    }
    t.BitPos = StoredBitPos();
    PutEditFields(GetEditFields(), t);
    Tag = t;
}

}  // namespace vxt
