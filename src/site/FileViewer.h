// The read-only text view of one file of a web site.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace vxt {

class TfrmFileViewer : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFileViewer(QWidget *parent = nullptr);
    ~TfrmFileViewer() override;

    // Set by the caller before showing.
    std::string FileName;   // the file to show
    std::string Title;      // the site file's name

    QPlainTextEdit *mmoViewer;
    QPushButton *btnClose;

    void FormShow();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TfrmFileViewer *frmFileViewer;

}  // namespace vxt
