// The unsupported feature notice: the caller writes the feature's name into `txtUnsupported` and
// shows it modally; it goes on whatever the result.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vxt {

class TfrmNoFeature : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNoFeature(QWidget *parent = nullptr);

    QLabel *lblNote;
    QLabel *txtUnsupported;
    QPushButton *btnOk;

    void btnOkClick();
};

extern TfrmNoFeature *frmNoFeature;

}  // namespace vxt
