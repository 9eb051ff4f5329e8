// The bounded integer prompt: the caller sets `Title`, `MinValue`, `MaxValue` and `Value`, shows it
// modally and reads `Value` after OK. Only digits and backspace can be typed.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vxt {

class TfrmInputInteger : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInputInteger(QWidget *parent = nullptr);

    std::string Title;
    int32_t MinValue = 0;
    int32_t MaxValue = 0;
    int32_t Value = 0;

    QGroupBox *grpValue;
    QLabel *lblValue;
    QLineEdit *txtValue;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    void FormShow();
    void btnOkClick();
    // True when the typed character may go into txtValue: a digit or backspace (character 8).
    static bool txtValueKeyPress(QChar key);

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfrmInputInteger *frmInputInteger;

}  // namespace vxt
