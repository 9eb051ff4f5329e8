// "Getting Tags": the modal progress dialog that downloads the connected device's tag list (name and
// kind of each tag). The caller writes `Device`, shows it modally and reads `TagCount` entries of
// `Tags` whatever the result.
#pragma once

#include "KProt.h"
#include "OncePerShowing.h"
#include "RequestChannel.h"
#include "VXTTypes.h"

#include <QDialog>
#include <array>
#include <string>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace vxt {

struct TTagConfigInfo {
    std::string Name;
    TTagKind Kind = KindInteger;
    // False when the device reported a type the family's table does not have.
    bool KnownType = true;
    int32_t Type = 0;
};

class TfrmGetTagConfig : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGetTagConfig(QWidget *parent = nullptr);

    TDeviceData Device;
    bool Downloading = false;
    bool StopRequested = false;
    std::array<TTagConfigInfo, kMaxTags> Tags;
    int32_t TagCount = 0;
    // The count the device reported, when it was more than the list holds; 0 otherwise.
    int32_t ReportedCount = 0;

    QGroupBox *grpGetting;
    QLabel *lblStatus;
    QLabel *lblProgress;
    QProgressBar *Progress;
    QPushButton *btnStop;

    // The window's own silent request channel; tests point it at another port.
    TRequestChannel Channel;   // clients of its own; failures are the caller's to report
    THttpClient &IdHTTPLocal = Channel.IdHTTPLocal;
    THttpClient &IdHTTPRemote = Channel.IdHTTPRemote;
    void SetHttpPort(int port) { Channel.SetHttpPort(port); }

    bool SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                        const TPacket &Request, TPacket &Reply);
    void SinchronizeOptions() { Channel.SinchronizeOptions(); }
    bool GetTagCount(int32_t &Count);
    bool GetTagConfig(int32_t Index, std::string &Name, TTagKind &Kind);
    bool PoblateTagsList(std::string &ErrorText);

    void FormShow();
    void FormActivate();
    void btnStopClick();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    // Escape and the window's close box act as Stop while a download runs.
    void reject() override;

private:
    // The text of a failed download.
    std::string FailureText() const;

    // Why the last request could not be started; empty when it could.
    std::string channelError_;
    // The reply of the last GETTAG, for the type the kind came from.
    bool lastKnownType_ = true;
    int32_t lastType_ = 0;
    TOncePerShowing activation_;
};

extern TfrmGetTagConfig *frmGetTagConfig;

}  // namespace vxt
