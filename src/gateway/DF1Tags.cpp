#include "DF1Tags.h"

#include "GatewayTables.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "StrUtils.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace vxt {

TfrmDF1Tags *frmDF1Tags = nullptr;

namespace {

enum { ftInput = 0, ftOutput = 1, ftStatus = 2, ftBinary = 3, ftInteger = 4, ftFloat = 5 };

const char *kSingleBit = "DF1 Serial Tags cannot be of type \"Single Bit\".";
const char *kFileProvided = "Enter a valid File Number.";
const char *kFileRange = "File Number must be between 0 and 65535.";
const char *kFileExactly = "File Number for Tags of File Type \"%s\" must be \"%s\"";
const char *kFileFrom = "File Number for Tags of File Type \"%s\" must be %s or greater than 8.";
const char *kWordProvided = "Enter a valid Word number.";
const char *kWordRange = "Word Number must be between 0 and 65535.";

QLineEdit *NumberEdit(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

}  // namespace

TfrmDF1Tags::TfrmDF1Tags(QWidget *parent) : TPlcTagEditor("DF1", DF1::SourceTable(), parent)
{
    setObjectName(QStringLiteral("frmDF1Tags"));
    cboFileType = new QComboBox(grpTagConfig);
    cboFileType->setObjectName(QStringLiteral("cboFileType"));
    for (const std::string &s : DF1::FileTypeTable().Rows()) cboFileType->addItem(QStr(s));
    lblFileType = new QLabel(QStringLiteral("File Type"), grpTagConfig);
    lblFileType->setObjectName(QStringLiteral("lblFileType"));
    txtFileNumber = NumberEdit("txtFileNumber", grpTagConfig);
    txtWordNumber = NumberEdit("txtWordNumber", grpTagConfig);
    FilterInteger(txtFileNumber, 5);
    FilterInteger(txtWordNumber, 5);
    lblFileNumber = new QLabel(QStringLiteral("File Number"), grpTagConfig);
    lblFileNumber->setObjectName(QStringLiteral("lblFileNumber"));
    lblWordNumber = new QLabel(QStringLiteral("Word Number"), grpTagConfig);
    lblWordNumber->setObjectName(QStringLiteral("lblWordNumber"));
    lblBitPosition->setText(QStringLiteral("Position (bit)"));

    AddConfigRow(lblType, cboType);
    AddConfigRow(lblFileType, cboFileType);
    AddConfigRow(lblFileNumber, txtFileNumber);
    AddConfigRow(lblWordNumber, txtWordNumber);
    AddConfigRow(lblBitPosition, txtBitPosition);
}

std::string TfrmDF1Tags::GetSourceText(uint8_t index) { return DF1::SourceTable().Text(index); }
std::string TfrmDF1Tags::GetTypeText(uint8_t index) { return DF1::TypeTable().Text(index); }
std::string TfrmDF1Tags::GetScaleText(uint8_t index) { return ScaleTable().Text(index); }
std::string TfrmDF1Tags::GetDF1FileTypeText(uint8_t index) { return DF1::FileTypeTable().Text(index); }
uint8_t TfrmDF1Tags::GetSourceValue(const std::string &text) { return DF1::SourceTable().Value(text); }
uint8_t TfrmDF1Tags::GetTypeValue(const std::string &text) { return DF1::TypeTable().Value(text); }
uint8_t TfrmDF1Tags::GetScaleValue(const std::string &text) { return ScaleTable().Value(text); }
uint8_t TfrmDF1Tags::GetDF1FileTypeValue(const std::string &text) { return DF1::FileTypeTable().Value(text); }

void TfrmDF1Tags::EnableAddressing(bool serial)
{
    cboFileType->setEnabled(serial);
    lblFileType->setEnabled(serial);
    txtFileNumber->setEnabled(serial);
    txtWordNumber->setEnabled(serial);
}

void TfrmDF1Tags::ClearControls()
{
    txtTagName->clear();
    cboSource->setCurrentIndex(srcSerial);
    cboFileType->setCurrentIndex(ftInput);
    cboType->setCurrentIndex(tUnsigned);
    txtFileNumber->clear();
    txtWordNumber->clear();
    txtBitPosition->clear();
    cboSourceChange();
    cboTypeChange();
    ClearValueAlarmScale();
}

void TfrmDF1Tags::SetControls()
{
    txtTagName->setText(QStr(Tag.Name));
    cboSource->setCurrentIndex(InList(Tag.Source, cboSource));
    cboFileType->setCurrentIndex(InList(Tag.FileType, cboFileType));
    cboType->setCurrentIndex(InList(Tag.Type, cboType));
    txtFileNumber->setText(QString::number(Tag.FileNumber));
    txtWordNumber->setText(QString::number(Tag.WordNumber));
    txtBitPosition->setText(QString::number(Tag.BitPos));
    cboTypeChange();
    cboSourceChange();
    SetValueAlarmScale(EditFieldsOf(Tag));
}

bool TfrmDF1Tags::ValidateDF1()
{
    if (TypeIndex() == tSingleBit) return Refuse(kSingleBit);
    int32_t file = 0;
    if (!TryStrToInt(Text(txtFileNumber), file)) return Refuse(kFileProvided);
    if (file < 0 || file > 65535) return Refuse(kFileRange);
    const int fileType = cboFileType->currentIndex();
    const std::string typeText = DF1::FileTypeTable().Text(fileType);
    switch (fileType) {
    case ftInput:
        if (file != 1) return Refuse(Format(kFileExactly, typeText.c_str(), "1"));
        break;
    case ftOutput:
        if (file != 0) return Refuse(Format(kFileExactly, typeText.c_str(), "0"));
        break;
    case ftStatus:
        if (file != 2) return Refuse(Format(kFileExactly, typeText.c_str(), "2"));
        break;
    case ftBinary:
        if (file != 3 && file <= 8) return Refuse(Format(kFileFrom, typeText.c_str(), "3"));
        break;
    case ftInteger:
        if (file != 7 && file <= 8) return Refuse(Format(kFileFrom, typeText.c_str(), "7"));
        break;
    case ftFloat:
        if (file < 8) return Refuse(Format(kFileFrom, typeText.c_str(), "8"));
        break;
    default:
        break;
    }
    int32_t word = 0;
    if (!TryStrToInt(Text(txtWordNumber), word)) return Refuse(kWordProvided);
    if (word < 0 || word > 65535) return Refuse(kWordRange);
    return ValidateTagValues();
}

void TfrmDF1Tags::GetTagConfiguration()
{
    TDF1TagConfig t;
    t.Name = TagName();
    t.Source = uint8_t(Source());
    switch (t.Source) {
    case srcSerial:
        t.FileType = uint8_t(cboFileType->currentIndex());
        t.Type = uint8_t(TypeIndex());
        t.FileNumber = StrToInt(Text(txtFileNumber));
        t.WordNumber = StrToInt(Text(txtWordNumber));
        break;
    case srcOutput:
        t.FileType = ftOutput;
        t.Type = NonSerialType();
        break;
    default:
        t.FileType = ftInput;
        t.Type = NonSerialType();
        break;
    }
    t.BitPos = StoredBitPos();
    PutEditFields(GetEditFields(), t);
    Tag = t;
}

}  // namespace vxt
