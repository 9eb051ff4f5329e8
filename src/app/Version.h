// The non-compatible firmware notice: the caller writes the reason into `txtVersion` and
// "Device version: " with the device's version into `txtVeltoVersion`, then shows it modally.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vxt {

class TfrmVersion : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVersion(QWidget *parent = nullptr);

    QLabel *txtVersion;
    QLabel *txtVeltoVersion;
    QPushButton *btnOk;

    void btnOkClick();
};

extern TfrmVersion *frmVersion;

}  // namespace vxt
