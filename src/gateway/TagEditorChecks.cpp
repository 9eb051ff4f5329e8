// The checks of the tag editors that every family runs alike: the value pairs, the bit position,
// and whole the sources other than the serial one.
#include "MsgBox.h"
#include "NumFormat.h"
#include "StrUtils.h"
#include "TagEditor.h"
#include "Utiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace vxt {

bool TTagEditorBase::Validate()
{
    if (TagName().empty()) return Refuse(TagMsg::NoName);
    switch (Source()) {
    case srcSerial: return ValidateSerial();
    case srcInternal: return ValidateInternal();
    default: return ValidateIO();
    }
}

bool TTagEditorBase::ValidateIO()
{
    if (!ValidateBitPosition(7)) return false;
    const int source = Source();
    if ((source == srcInput || source == srcAnalog) && !chkReadOnly->isChecked()) return Refuse(TagMsg::ReadOnly);
    if (source == srcAnalog) return AlarmChecksOfAnalogInput();
    return ValidateDigitalIO();
}

// An analog input's alarm is always a range, whichever kind box is ticked: its bounds and factors
// are stored as numbers, and what would not convert is refused with the messages a serial tag gets.
bool TTagEditorBase::AlarmChecksOfAnalogInput()
{
    const bool alarm = chkAlarmEnable->isChecked();
    if (alarm && !PairInOrder(txtLowestAlarm, txtHighestAlarm)) return Refuse(TagMsg::AlarmRange);
    if (!ScaleIsNone() && !FactorsValid()) return Refuse(TagMsg::ScaleFactors);
    if (alarm && IsInteger() && !PairIsInteger(txtLowestAlarm, txtHighestAlarm)) return Refuse(TagMsg::AlarmInteger);
    return true;
}

bool TTagEditorBase::ValidateInternal()
{
    const std::string name = TagName();
    if (name != "_ALARM" && name != "_ALARMNAK" && name != "_COMMERROR") return Refuse(TagMsg::Internal);
    if (!chkReadOnly->isChecked()) return Refuse(TagMsg::ReadOnly);
    return DigitalAlarmAndScale();
}

bool TTagEditorBase::DigitalAlarmAndScale()
{
    if (chkAlarmEnable->isChecked() && ValueAlarmTicked()) return Refuse(TagMsg::DigitalRange);
    if (!ScaleIsNone()) return Refuse(TagMsg::DigitalScale);
    return true;
}

bool TTagEditorBase::Refuse(const std::string &message)
{
    ShowError(message);
    return false;
}

bool TTagEditorBase::PairInOrder(const QLineEdit *low, const QLineEdit *high) const
{
    float lo = 0, hi = 0;
    return TryStrToSingle(Text(low), lo) && TryStrToSingle(Text(high), hi) && lo < hi;
}

bool TTagEditorBase::FactorsValid() const
{
    float a = 0, b = 0;
    return TryStrToSingle(Text(txtFactorA), a) && TryStrToSingle(Text(txtFactorB), b);
}

bool TTagEditorBase::PairIsInteger(const QLineEdit *low, const QLineEdit *high) const
{
    return vxt::IsInteger(Text(low)) && vxt::IsInteger(Text(high));
}

bool TTagEditorBase::PairWithin(const QLineEdit *low, const QLineEdit *high) const
{
    const int64_t lo = GetLowestValueInt(), hi = GetHighestValueInt();
    const int64_t a = StrToInt(Text(low)), b = StrToInt(Text(high));
    return lo <= a && a <= hi && lo <= b && b <= hi;
}

bool TTagEditorBase::ValidateIntegerValues(bool limits, bool alarmRange)
{
    const bool integer = IsInteger() && !IsDigital();
    if (!integer) return true;
    if (limits && !PairIsInteger(txtMinWrite, txtMaxWrite)) return Refuse(TagMsg::LimitsInteger);
    if (alarmRange && !PairIsInteger(txtLowestAlarm, txtHighestAlarm)) return Refuse(TagMsg::AlarmInteger);
    if (limits && !PairWithin(txtMinWrite, txtMaxWrite))
        return Refuse(Format(TagMsg::LimitsBounds, GetLowestValueInt(), GetHighestValueInt()));
    if (alarmRange && !PairWithin(txtLowestAlarm, txtHighestAlarm))
        return Refuse(Format(TagMsg::AlarmBounds, GetLowestValueInt(), GetHighestValueInt()));
    return true;
}

bool TTagEditorBase::ValidateBitPosition(int high)
{
    int32_t bit = 0;
    if (!TryStrToInt(Text(txtBitPosition), bit)) return Refuse(TagMsg::BitProvided);
    if (bit < 0 || bit > high) return Refuse(Format(TagMsg::BitRange, "0", IntToStr(high).c_str()));
    return true;
}

}  // namespace vxt
