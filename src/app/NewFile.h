// The "New File" dialog: picks the kind of a new document.
#pragma once

#include <QDialog>
#include <cstdint>

class QListWidget;
class QPushButton;

namespace vxt {

class TfrmNewFile : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNewFile(QWidget *parent = nullptr);

    QListWidget *lstNewFiles;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    uint8_t Selection = 0;   // the chosen kind: 0 Modbus, 1 Hostlink, 2 DF1, 3 web site

    void FormShow();
    void DoSelect();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfrmNewFile *frmNewFile;

}  // namespace vxt
