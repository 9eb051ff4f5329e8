// The e-mail address prompt: `EditMode` 0 starts empty (add), any other value starts with `Address`
// (edit); after OK `Address` holds the validated address.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vxt {

class TfrmEmail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEmail(QWidget *parent = nullptr);

    uint8_t EditMode = 0;
    std::string Address;

    QLabel *lblEMail;
    QLineEdit *txtEMail;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    void FormShow();
    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfrmEmail *frmEmail;

}  // namespace vxt
