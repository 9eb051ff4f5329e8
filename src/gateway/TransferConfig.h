// The transfer dialog the three gateway families share: it sends a whole configuration to the
// connected device, or gets it, request by request over the main window's channel, with the device
// shown, the step under way, a progress bar, a blinking "TRANSFER COMPLETED!" or Retry. A family
// supplies its record and its SETCOM/COM and ADDTAG/TAGCONFIG forms.
#pragma once

#include "DeviceInfo.h"
#include "KProt.h"
#include "VXTTypes.h"

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <string>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vxt {

class TfrmTransferConfig : public QDialog, public TDeviceLabels {
    Q_OBJECT
public:
    // `family` is the word the texts name: "Modbus", "Hostlink", "DF1".
    TfrmTransferConfig(const char *objectName, const std::string &family, QWidget *parent = nullptr);

    bool SendMode = false;
    TDeviceData Device;
    bool Completed = false;

    QGroupBox *grpDevice, *grpStatus;
    QLabel *lblDescription, *lblStatus;
    QProgressBar *Progress;
    QPushButton *btnRetry, *btnCancel;
    QTimer *TimerBlink;

    void DoTransfer();
    bool SendConfig();
    bool GetConfig();
    bool SendCommand(const std::string &statusText, const std::string &command);
    bool SendCOMConfig();
    bool SendEMAILConfig();
    bool SendRECIPIENTSList();
    bool SendTAGS();
    bool GetTagCount();
    bool GetCOMConfig();
    bool GetEMAILConfig();
    bool GetRECIPIENTSList();
    bool GetTAGS();
    void FormShow();
    void FormClose();
    void TimerBlinkTimer();

    // True while a sequence runs.
    bool Running() const { return running_; }

protected:
    virtual void ComRequest(TPacket &request) const = 0;
    virtual void ComReply(const TPacket &reply) = 0;
    virtual TEmailConfig &EmailConfig() = 0;
    virtual int32_t &TagCountField() = 0;
    virtual void TagRequest(int index, TPacket &request) const = 0;
    virtual void TagReply(int index, const TPacket &reply) = 0;

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void reject() override;

private:
    // One request and its reply; `read` takes the reply's keys; `step` moves the bar.
    bool Exchange(const std::string &statusText, const TPacket &request, const std::string &expected,
                  const std::function<void(const TPacket &)> &read = nullptr, bool step = true);
    void Begin();
    bool Finish(bool ok);
    int TagsToTransfer();

    std::string family_;
    bool running_ = false;
    // The step text and the bar as the sequence has them; the window follows at a steady pace.
    QString status_;
    int progress_ = 0;
    QElapsedTimer stepsShown_;
    QTimer *stepsTimer_;
    void SetStatus(const QString &text);
    void StepProgress();
    void StepsChanged();
    void ShowSteps();
    bool startPending_ = false;
};

}  // namespace vxt
