// The dialog that moves the web-site container to or from the device's FTP server as "userpage.kws",
// directly or through the FTP firewall of the settings, with progress, rate and cancel.
#pragma once

#include "DeviceInfo.h"
#include "FtpClient.h"
#include "VXTTypes.h"

#include <QDialog>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vxt {

class TfrmTransferSite : public QDialog, public TDeviceLabels {
    Q_OBJECT
public:
    explicit TfrmTransferSite(QWidget *parent = nullptr);
    ~TfrmTransferSite() override;

    // Set by the caller before showing.
    uint8_t Direction = 0;          // 0 get (download), 1 send (upload)
    TDeviceData Device;
    std::string *Stream = nullptr;  // the container to send, or what receives the download

    bool Transferring = false;
    std::chrono::steady_clock::time_point StartTime;
    int32_t FileSize = 0;
    bool Canceled = false;
    bool Completed = false;         // read by the caller after the dialog closed

    // Devices serve FTP on 21; tests point the dialog at another port.
    int FtpPort = 21;

    QLabel *lblDescription, *lblProgress, *lblStatus, *lblRate;
    QProgressBar *Progress;
    QPushButton *btnCancel;
    QTimer *TimerBlink;

    void FormShow();
    void FormActivate();
    void btnCancelClick();
    void TimerBlinkTimer();
    // `began`: when the work began on the thread that does it.
    void IdFTPWorkBegin(TFtpWorkMode mode, int64_t expected, std::chrono::steady_clock::time_point began);
    void IdFTPWork(TFtpWorkMode mode, int64_t count);
    void IdFTPWorkEnd(TFtpWorkMode mode);

    // The file the device keeps its web site in.
    static constexpr const char *kRemoteFile = "userpage.kws";

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

public slots:
    void reject() override;
    void done(int result) override;

private:
    void SetCancelState();
    void SetCloseState();
    void Transfer();
    void ConfigureClient(TFtpClient &client);
    void Finish(const char *status);

    std::shared_ptr<TFtpClient> client_;
    TFtpProxySettings proxy_;   // kept between showings, as a method outside 0..4 leaves it
    bool started_ = false;      // the transfer of this showing has begun
    bool running_ = false;
    bool closeWhenDone_ = false;
    bool escapeCloses_ = false;
    std::shared_ptr<std::atomic<int64_t>> workCount_;
    std::shared_ptr<std::atomic<bool>> workPending_;
    // The transfer's data connection opened: from then on the device's file may be cut short.
    std::shared_ptr<std::atomic<bool>> dataOpened_;
};

extern TfrmTransferSite *frmTransferSite;

}  // namespace vxt
