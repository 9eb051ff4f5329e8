// What the Hostlink and DF1 tag editors share beyond the common pages: the alarm page with its
// two kinds of alarm, the control rules, the predicates and the checks of every source but the
// serial addressing, which each family supplies.
#pragma once

#include "TagEditor.h"

namespace vxt {

class TPlcTagEditor : public TTagEditorBase {
    Q_OBJECT
public:
    QCheckBox *chkAlarmValue;
    QCheckBox *chkAlarmEdge;

    void cboSourceChange() override;
    void cboTypeChange() override;
    void chkAlarmEnableClick() override;
    void chkAlarmValueClick();
    void chkAlarmEdgeClick();

    bool IsDigital() const override;
    bool IsInteger() const override;

protected:
    TPlcTagEditor(const char *family, const TTextTable &sources, QWidget *parent);

    TIntBounds TypeBounds(int type) const override;

    // The serial source's addressing controls, enabled for the serial source only.
    virtual void EnableAddressing(bool serial) = 0;
    // The checks of a serial tag after its addressing (bit position, limits, alarm and scale), which
    // the family's ValidateSerial runs last.
    bool ValidateTagValues();

    // The value, alarm and scale steps of ClearControls and SetControls.
    void ClearValueAlarmScale();
    void SetValueAlarmScale(const TTagEditFields &f);
    // The stored type of a tag of a source other than the serial one, and the stored bit position.
    uint8_t NonSerialType() const;
    int32_t StoredBitPos() const;

    bool ValueAlarmTicked() const override;

    enum { tUnsigned = 0, tSigned = 1, tLong = 2, tFloat = 3, tBCD = 4, tWordBit = 5, tSingleBit = 6 };

private:
    void BuildAlarmPage();
};

}  // namespace vxt
