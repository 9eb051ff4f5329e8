#include "TagEditorPlc.h"

#include "GatewayTables.h"
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

namespace vxt {

TPlcTagEditor::TPlcTagEditor(const char *family, const TTextTable &sources, QWidget *parent)
    : TTagEditorBase(family, sources, Hostlink::TypeTable(), parent)
{
    BuildAlarmPage();
    txtBitPosition->setEnabled(false);
    connect(chkAlarmValue, &QCheckBox::toggled, this, &TPlcTagEditor::chkAlarmValueClick);
    connect(chkAlarmEdge, &QCheckBox::toggled, this, &TPlcTagEditor::chkAlarmEdgeClick);
}

void TPlcTagEditor::BuildAlarmPage()
{
    chkSendEMail->setText(QStringLiteral("Send E-Mail on Alarm"));
    chkAlarmValue = new QCheckBox(QStringLiteral("Alarm by Value (Integer and Floats)"), grpTagAlarm);
    chkAlarmValue->setObjectName(QStringLiteral("chkAlarmValue"));
    lblLowestAlarm->setText(QStringLiteral("Lowest Value"));
    lblHighestAlarm->setText(QStringLiteral("Highest Value"));
    lblLowestAlarm->setBuddy(txtLowestAlarm);
    lblHighestAlarm->setBuddy(txtHighestAlarm);
    chkAlarmEdge = new QCheckBox(QStringLiteral("Alarm by edge (Digital)"), grpTagAlarm);
    chkAlarmEdge->setObjectName(QStringLiteral("chkAlarmEdge"));
    rdoPositive->setText(QStringLiteral("Alarm on Positive edge (0 -> 1)"));
    rdoNegative->setText(QStringLiteral("Alarm on Negative edge (1 -> 0)"));

    QGridLayout *g = AlarmGrid();
    g->setColumnMinimumWidth(0, 16);   // what belongs to a box stands indented below it
    g->addWidget(chkAlarmEnable, 0, 0, 1, 3);
    g->addWidget(chkSendEMail, 1, 1, 1, 2);
    g->addWidget(chkAlarmValue, 2, 0, 1, 3);
    g->addWidget(lblLowestAlarm, 3, 1);
    g->addWidget(txtLowestAlarm, 3, 2);
    g->addWidget(lblHighestAlarm, 4, 1);
    g->addWidget(txtHighestAlarm, 4, 2);
    g->addWidget(chkAlarmEdge, 5, 0, 1, 3);
    auto *edges = new QGridLayout;
    edges->setContentsMargins(0, 0, 0, 0);
    edges->addWidget(rdoPositive, 0, 0);
    edges->addWidget(imgPositive, 0, 1);
    edges->addWidget(rdoNegative, 1, 0);
    edges->addWidget(imgNegative, 1, 1);
    edges->setColumnStretch(2, 1);
    g->addLayout(edges, 6, 1, 1, 2);
    g->setRowStretch(7, 1);
}

TIntBounds TPlcTagEditor::TypeBounds(int type) const { return Hostlink::TypeBounds(type); }

// ---- predicates ----------------------------------------------------------------------------

bool TPlcTagEditor::IsDigital() const
{
    switch (Source()) {
    case srcSerial: return TypeIndex() == tWordBit;
    case srcAnalog: return false;
    default: return true;
    }
}

bool TPlcTagEditor::IsInteger() const
{
    switch (Source()) {
    case srcSerial: return TypeIndex() != tFloat && TypeIndex() != tWordBit && ScaleIsNone();
    case srcAnalog: return ScaleIsNone();
    default: return false;
    }
}

// ---- control rules -------------------------------------------------------------------------

void TPlcTagEditor::cboSourceChange()
{
    const int source = Source();
    const bool serial = source == srcSerial;
    btnInternal->setEnabled(source == srcInternal);
    EnableAddressing(serial);
    cboType->setEnabled(serial);
    lblType->setEnabled(serial);
    if (serial) {
        txtBitPosition->setEnabled(TypeIndex() == tWordBit);
        return;
    }
    cboType->setCurrentIndex(source == srcAnalog ? tSigned : tSingleBit);
    txtBitPosition->setEnabled(source != srcInternal);
}

void TPlcTagEditor::cboTypeChange() { txtBitPosition->setEnabled(TypeIndex() == tWordBit); }

void TPlcTagEditor::chkAlarmEnableClick()
{
    const bool on = chkAlarmEnable->isChecked();
    if (!on) {
        chkSendEMail->setChecked(false);
        chkAlarmValue->setChecked(false);
        chkAlarmEdge->setChecked(false);
    }
    for (QWidget *w : {static_cast<QWidget *>(chkSendEMail), static_cast<QWidget *>(chkAlarmValue),
                       static_cast<QWidget *>(txtLowestAlarm), static_cast<QWidget *>(txtHighestAlarm),
                       static_cast<QWidget *>(chkAlarmEdge), static_cast<QWidget *>(rdoPositive),
                       static_cast<QWidget *>(rdoNegative)})
        w->setEnabled(on);
}

void TPlcTagEditor::chkAlarmValueClick()
{
    if (chkAlarmValue->isChecked()) chkAlarmEdge->setChecked(false);
}

void TPlcTagEditor::chkAlarmEdgeClick()
{
    if (chkAlarmEdge->isChecked()) chkAlarmValue->setChecked(false);
}

// ---- loading -------------------------------------------------------------------------------

void TPlcTagEditor::ClearValueAlarmScale()
{
    ClearValueEdits();
    chkAlarmEnable->setChecked(false);
    chkSendEMail->setChecked(false);
    chkAlarmValue->setChecked(false);
    chkAlarmEdge->setChecked(false);
    txtLowestAlarm->clear();
    txtHighestAlarm->clear();
    rdoPositive->setChecked(true);
    chkAlarmEnableClick();
    chkAlarmValueClick();
    chkAlarmEdgeClick();
    ClearScaleControls();
}

void TPlcTagEditor::SetValueAlarmScale(const TTagEditFields &f)
{
    chkReadOnly->setChecked(f.ReadOnly);
    chkWriteLimits->setChecked(f.Limits);
    SetLimitTexts(f);
    chkReadOnlyClick();
    chkWriteLimitsClick();

    chkAlarmEnable->setChecked(f.Alarm);
    chkSendEMail->setChecked(f.EMail);
    if (f.Alarm && f.Kind == KindDigital) {
        chkAlarmValue->setChecked(false);
        txtLowestAlarm->clear();
        txtHighestAlarm->clear();
        chkAlarmEdge->setChecked(true);
        const bool negative = !f.AlMin.AsBoolean && f.AlMax.AsBoolean;
        (negative ? rdoNegative : rdoPositive)->setChecked(true);
    } else if (f.Alarm) {
        chkAlarmValue->setChecked(true);
        SetBoundTexts(f);
        chkAlarmEdge->setChecked(false);
        rdoPositive->setChecked(true);   // no edge of an earlier tag carries over
    } else {
        chkAlarmValue->setChecked(false);
        chkAlarmEdge->setChecked(false);
        txtLowestAlarm->clear();
        txtHighestAlarm->clear();
        rdoPositive->setChecked(true);
    }
    chkAlarmEnableClick();
    chkAlarmValueClick();
    chkAlarmEdgeClick();
    SetScaleControls(f);
}

// ---- validation ----------------------------------------------------------------------------

bool TPlcTagEditor::ValidateTagValues()
{
    const int type = TypeIndex();
    const bool digitalType = type == tWordBit || type == tSingleBit;
    const bool limits = chkWriteLimits->isChecked();
    const bool byValue = chkAlarmValue->isChecked(), byEdge = chkAlarmEdge->isChecked();
    if (type == tWordBit && !ValidateBitPosition(15)) return false;
    if (digitalType && limits) return Refuse(TagMsg::DigitalLimits);
    if (digitalType && byValue) return Refuse(TagMsg::DigitalRange);
    if (!digitalType && byEdge) return Refuse(TagMsg::EdgeOnlyDigital);
    if (limits && !PairInOrder(txtMinWrite, txtMaxWrite)) return Refuse(TagMsg::WritingLimits);
    if (chkAlarmEnable->isChecked() && !byValue && !byEdge) return Refuse(TagMsg::ChooseAlarm);
    if (byValue && !PairInOrder(txtLowestAlarm, txtHighestAlarm)) return Refuse(TagMsg::AlarmRange);
    if (digitalType && !ScaleIsNone()) return Refuse(TagMsg::DigitalScale);
    if (!ScaleIsNone() && !FactorsValid())
        return Refuse(TagMsg::ScaleFactors);
    return ValidateIntegerValues(limits, byValue);
}

bool TPlcTagEditor::ValueAlarmTicked() const { return chkAlarmValue->isChecked(); }

// ---- the tag -------------------------------------------------------------------------------

uint8_t TPlcTagEditor::NonSerialType() const { return Source() == srcAnalog ? tSigned : tSingleBit; }

int32_t TPlcTagEditor::StoredBitPos() const
{
    switch (Source()) {
    case srcSerial: return TypeIndex() == tWordBit ? StrToInt(Text(txtBitPosition)) : 0;
    case srcInternal: return 0;
    default: return StrToInt(Text(txtBitPosition));
    }
}

}  // namespace vxt
