// The picker of the gateway's internal tags, opened from the tag editors' "..." button. It keeps
// its selection between showings.
#pragma once

#include <QDialog>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace vxt {

class TfrmInternalTags : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInternalTags(QWidget *parent = nullptr);

    // The name picked when the dialog last closed with OK.
    std::string SelectedTag;

    QGroupBox *grpInternalTags;
    QTableWidget *lstInternalTags;
    QGroupBox *grpDescription;
    QLabel *lblDescription;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    void lstInternalTagsSelectItem();
    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfrmInternalTags *frmInternalTags;

}  // namespace vxt
