// The about box: picture, title, maker, version, the edition note `lblSNMP` (hidden until the
// caller shows it) and the operating system's version and build, filled on show.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QPushButton;

namespace vxt {

struct OsVersionInfo;

// The version code of a platform identifier and version numbers: 1 "95", 2 "98" (the 9x family,
// identifier 1), 3 "NT", 4 "2000", 0 "Unknown" (any other platform).
int WinVersionCode(uint32_t platformId, uint32_t major, uint32_t minor);
std::string WinVersionText(int code);
// "Windows " followed by the text of the code, as `lblWinVersion` shows it.
std::string WinVersionLine(uint32_t platformId, uint32_t major, uint32_t minor);
// "Build ", the build number, a blank and the service-pack text, as `lblWinBuild` shows it.
std::string WinBuildLine(const OsVersionInfo &info);

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);

    QLabel *imgAbout;
    QLabel *lblVelto;
    QLabel *lblConfiguration;
    QLabel *lblManager;
    QLabel *lblCompany;
    QLabel *lblVersion;
    QLabel *lblTrademarks;
    QLabel *lblSNMP;
    QLabel *lblWinVersion;
    QLabel *lblWinBuild;
    QPushButton *btnOk;

    void FormShow();
    void btnOkClick();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

extern TfrmAbout *frmAbout;

}  // namespace vxt
