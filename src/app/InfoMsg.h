// The wait banner: the caller stores the text in `Msg` and shows the window, modally (exec(), a
// timer of the caller closes it) or not (show(), closed when the caller's request returns). The
// user cannot close it.
#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace vxt {

class TInfoMessage : public QDialog {
    Q_OBJECT
public:
    explicit TInfoMessage(QWidget *parent = nullptr);

    std::string Msg;

    QLabel *lblInfo;

    // Copies `Msg` into `lblInfo` and repaints at once, so the text is on screen before the caller
    // blocks.
    void FormActivate();

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};

}  // namespace vxt
