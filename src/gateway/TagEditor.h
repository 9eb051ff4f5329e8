// What the Modbus, Hostlink and DF1 tag editors share: the four pages with the Tag Value and Scale
// pages whole, the tag name with its "..." button, OK/Cancel, the key filters, the value, alarm and
// scale fields of the tag built from the controls, the checks of limits, alarm bounds and scale
// factors, and the checks of the sources other than the serial one. A family supplies its tables,
// its first page, its alarm layout, its predicates, its control rules and the checks of a serial tag.
#pragma once

#include "VXTTypes.h"

#include <QDialog>
#include <cstdint>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPixmap;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vxt {

class TTextTable;
struct TIntBounds;

// The part of a tag that the Tag Value, Alarm and Scale pages edit; every family's record has
// these fields under the same names.
struct TTagEditFields {
    bool ReadOnly = false;
    bool Limits = false;
    TTagValue WrMin, WrMax;
    bool Alarm = false;
    bool EMail = false;
    TTagValue AlMin, AlMax;
    uint8_t Scale = 0;
    float FactorA = 0, FactorB = 0;
    TTagKind Kind = 0;
};

template <typename TagT>
TTagEditFields EditFieldsOf(const TagT &t)
{
    TTagEditFields f;
    f.ReadOnly = t.ReadOnly;
    f.Limits = t.Limits;
    f.WrMin = t.WrMin;
    f.WrMax = t.WrMax;
    f.Alarm = t.Alarm;
    f.EMail = t.EMail;
    f.AlMin = t.AlMin;
    f.AlMax = t.AlMax;
    f.Scale = t.Scale;
    f.FactorA = t.FactorA;
    f.FactorB = t.FactorB;
    f.Kind = t.Kind;
    return f;
}

template <typename TagT>
void PutEditFields(const TTagEditFields &f, TagT &t)
{
    t.ReadOnly = f.ReadOnly;
    t.Limits = f.Limits;
    t.WrMin = f.WrMin;
    t.WrMax = f.WrMax;
    t.Alarm = f.Alarm;
    t.EMail = f.EMail;
    t.AlMin = f.AlMin;
    t.AlMax = f.AlMax;
    t.Scale = f.Scale;
    t.FactorA = f.FactorA;
    t.FactorB = f.FactorB;
    t.Kind = f.Kind;
}

// Messages every family shows with the same text.
namespace TagMsg {
inline constexpr const char *NoName = "Tag must have a name.";
inline constexpr const char *BitProvided = "Bit Position must be provided for this type.";
inline constexpr const char *BitRange = "Bit Position must be between %s and %s.";
inline constexpr const char *ReadOnly = "Tag must be Read Only.";
inline constexpr const char *Internal = "Unrecognized Internal Tag Name.";
inline constexpr const char *DigitalLimits = "Digital Tags cannot have writting limits.";
inline constexpr const char *DigitalRange = "Digital Tags cannot have alarm by a range of values.";
inline constexpr const char *EdgeOnlyDigital = "Only Digital Tags can have edge-triggered alarm.";
inline constexpr const char *WritingLimits = "Writing Limits are not valid";
inline constexpr const char *ChooseAlarm = "Select either Out of Range Value Alarm or Edge triggered Alarm.";
inline constexpr const char *AlarmRange = "Alarm Range is not valid";
inline constexpr const char *DigitalScale = "Digital Tags cannot be scalable";
inline constexpr const char *ScaleFactors = "Scale Factors are not valid";
inline constexpr const char *LimitsInteger = "Write Limits must be Integer for this type of Tag.";
inline constexpr const char *AlarmInteger = "Alarm range values must be Integer for this type of Tag.";
inline constexpr const char *LimitsBounds = "Write Limits must be between %d and %d for the selected type.";
inline constexpr const char *AlarmBounds = "Alarm Range Values must be between %d and %d for the selected type.";
}  // namespace TagMsg

class TTagEditorBase : public QDialog {
    Q_OBJECT
public:
    uint8_t EditMode = 0;   // 0 add, 1 edit

    QTabWidget *pgeTags;
    QWidget *tabTagConfig, *tabTagValue, *tabTagAlarm, *tabTagScale;
    QGroupBox *grpTagConfig, *grpTagValue, *grpTagAlarm, *grpTagScale;

    QLabel *lblSource;
    QComboBox *cboSource;
    QLabel *lblTagName;
    QLineEdit *txtTagName;
    QPushButton *btnInternal;
    QLabel *lblType;
    QComboBox *cboType;
    QLabel *lblBitPosition;
    QLineEdit *txtBitPosition;

    QCheckBox *chkReadOnly;
    QCheckBox *chkWriteLimits;
    QLabel *lblMinWrite, *lblMaxWrite;
    QLineEdit *txtMinWrite, *txtMaxWrite;

    QCheckBox *chkAlarmEnable;
    QCheckBox *chkSendEMail;
    QButtonGroup *grpEdge;
    QRadioButton *rdoPositive, *rdoNegative;
    QLabel *imgPositive, *imgNegative;
    QLabel *lblLowestAlarm, *lblHighestAlarm;
    QLineEdit *txtLowestAlarm, *txtHighestAlarm;

    QLabel *lblScale;
    QComboBox *cboScale;
    QLabel *lblFactorA, *lblFactorB;
    QLineEdit *txtFactorA, *txtFactorB;

    QPushButton *btnOk;
    QPushButton *btnCancel;

    // Key filters: true when the typed character may go into the edit.
    static bool OnIntegerKeyPressGeneral(QChar key);
    static bool OnFloatKeyPressGeneral(QChar key);

    void FormShow();
    void InitControls();
    virtual void ClearControls() = 0;
    virtual void SetControls() = 0;
    // The first failing check shows its message and gives false; a serial tag's checks are the family's.
    bool Validate();
    // The checks of a Velto input, output or analog input, and of an internal tag.
    bool ValidateIO();
    bool ValidateInternal();
    void btnOkClick();
    void btnInternalClick();

    virtual void cboSourceChange() = 0;
    virtual void cboTypeChange() = 0;
    virtual void chkReadOnlyClick();
    void chkWriteLimitsClick();
    virtual void chkAlarmEnableClick() = 0;
    void cboScaleChange();

    virtual bool IsDigital() const = 0;
    virtual bool IsInteger() const = 0;
    int32_t GetLowestValueInt() const;
    int32_t GetHighestValueInt() const;

protected:
    // The sources every family lists, in this order.
    enum { srcSerial = 0, srcInput = 1, srcOutput = 2, srcInternal = 3, srcAnalog = 4 };

    // `family` names the dialog in its caption ("Add Modbus Tag"); the tables fill the source and
    // type lists.
    TTagEditorBase(const char *family, const TTextTable &sources, const TTextTable &types, QWidget *parent);

    virtual TIntBounds TypeBounds(int type) const = 0;
    // Builds the family's tag from the controls into Tag; conversion errors pass to the caller.
    virtual void GetTagConfiguration() = 0;
    virtual void tabTagAlarmShow() {}
    virtual void tabTagScaleShow() {}

    // Rows of the first page's grid, in order; a null label lets the control span both columns.
    void AddConfigRow(QLabel *label, QWidget *control);
    // The alarm page's box; the family lays out the alarm controls in it.
    QGridLayout *AlarmGrid() const { return alarmGrid_; }
    // Makes an edit take integers or reals as typed; `maxLength` limits typing, not values loaded.
    void FilterInteger(QLineEdit *edit, int maxLength = 0);
    void FilterFloat(QLineEdit *edit);

    // A stored code as a list index; the first row for a code outside the list.
    static int InList(int index, const QComboBox *list);
    int Source() const;
    int TypeIndex() const;
    bool ScaleIsNone() const;
    std::string Text(const QLineEdit *edit) const;

    // The tag name as stored: the edit's text, upper case, without blanks at its ends.
    QString UpperName() const;
    std::string TagName() const;
    // The value, alarm and scale fields and the kind built from the controls.
    TTagEditFields GetEditFields() const;

    // The steps of ClearControls and SetControls the families share.
    void ClearValueEdits();
    void SetLimitTexts(const TTagEditFields &f);
    void SetBoundTexts(const TTagEditFields &f);
    void ClearScaleControls();
    void SetScaleControls(const TTagEditFields &f);

    // Checks: each shows `message` in an error box and returns false when the pair fails.
    bool Refuse(const std::string &message);
    bool PairInOrder(const QLineEdit *low, const QLineEdit *high) const;
    // Both scale factors are numbers a tag can hold.
    bool FactorsValid() const;
    bool PairIsInteger(const QLineEdit *low, const QLineEdit *high) const;
    bool PairWithin(const QLineEdit *low, const QLineEdit *high) const;
    // The integer checks of write limits and value-alarm bounds, in the order every family runs them.
    bool ValidateIntegerValues(bool limits, bool alarmRange);
    bool ValidateBitPosition(int high);
    // The family's checks of a serial tag.
    virtual bool ValidateSerial() = 0;
    // The alarm-by-value box, where the family has one (else the tag's kind chooses the alarm).
    virtual bool ValueAlarmTicked() const { return false; }
    // The checks of a Velto input or output beyond its bit position and read-only box.
    virtual bool ValidateDigitalIO() { return DigitalAlarmAndScale(); }
    // A digital tag has neither an alarm by value nor a scale.
    bool DigitalAlarmAndScale();

    void showEvent(QShowEvent *event) override;

private:
    void BuildValuePage();
    void BuildScalePage();
    void PageChanged(int index);
    // Starts the fields of every page at the same place.
    void AlignFieldColumns();
    bool AlarmChecksOfAnalogInput();

    std::string family_;
    QGridLayout *configGrid_;
    QGridLayout *alarmGrid_;
    int configRows_ = 0;
};

// Float text of a stored single-precision value: 15 significant digits, the locale's separator.
std::string TagFloatText(float v);
// A small step picture of a rising or a falling edge.
QPixmap EdgePicture(bool rising);

}  // namespace vxt
