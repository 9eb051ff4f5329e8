// The "Search Remote Device" dialog: asks a device outside the local network for its identity.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QLineEdit;
class QPushButton;

namespace vxt {

class TfrmSearchRemote : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSearchRemote(QWidget *parent = nullptr);

    QLineEdit *txtRemoteIP;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    // The result, read by the caller after OK.
    std::string Device, MAC, Version, Hostname, IP, Netmask, Gateway, RemoteIP;
    bool DHCP = false;
    uint8_t Family = 0;

    void FormShow();
    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfrmSearchRemote *frmSearchRemote;

}  // namespace vxt
