// "Write new Value": the value the monitor then writes to its tag, entered by the tag's kind
// (ON/OFF for a digital tag, a number otherwise). The caller fills the fields, shows it modally and
// reads the value for the tag's kind after OK.
#pragma once

#include "VXTTypes.h"

#include <QDialog>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vxt {

class TfrmWriteValue : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWriteValue(QWidget *parent = nullptr);

    std::string TagName;
    TTagKind Kind = KindInteger;
    int32_t IntValue = 0;
    double FloatValue = 0;
    bool BoolValue = false;

    QGroupBox *grpWriteValue;
    QLabel *lblValue;
    QLineEdit *txtValue;
    QRadioButton *rdoOn;
    QRadioButton *rdoOff;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    void FormShow();
    void btnOkClick();
    // True when the typed character may go into txtValue for the current kind (8 is backspace).
    bool txtValueKeyPress(QChar key) const;

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfrmWriteValue *frmWriteValue;

}  // namespace vxt
