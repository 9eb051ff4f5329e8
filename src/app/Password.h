// The administrator password prompt: the caller shows it modally and reads `Password` after OK.
#pragma once

#include <QDialog>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vxt {

class TfrmPassword : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPassword(QWidget *parent = nullptr);

    std::string Password;   // the text typed, stored by OK (no check here; the callers compare it)

    QGroupBox *grpPassword;
    QLabel *imgPassword;
    QLabel *lblNote;
    QLabel *lblPassword;
    QLineEdit *txtPassword;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    void FormShow();
    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfrmPassword *frmPassword;

}  // namespace vxt
