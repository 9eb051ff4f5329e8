#include "TransferConfig.h"

#include "Blocking.h"

#include "Command.h"
#include "ConfigWire.h"
#include "Main.h"
#include "MsgBox.h"
#include "QtStr.h"
#include "StrUtils.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace vxt {

namespace {

std::string Numbered(const char *text, int n) { return Format("%s (%d)", text, n); }

}  // namespace

TfrmTransferConfig::TfrmTransferConfig(const char *objectName, const std::string &family, QWidget *parent)
    : QDialog(parent), family_(family)
{
    setObjectName(QString::fromLatin1(objectName));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    grpDevice = NewDeviceGroup("grpDevice", 2);

    grpStatus = new QGroupBox(QStringLiteral("Transfer Status"), this);
    lblDescription = new QLabel;
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblStatus = new QLabel;
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    // Blinking must not move the bar, and a new step text must not lay the dialog out again.
    QSizePolicy keep(QSizePolicy::Ignored, QSizePolicy::Fixed);
    keep.setRetainSizeWhenHidden(true);
    lblStatus->setSizePolicy(keep);
    QFont bold = lblStatus->font();
    bold.setBold(true);
    lblStatus->setFont(bold);
    Progress = new QProgressBar;
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setMinimum(0);
    Progress->setValue(0);
    Progress->setTextVisible(false);
    auto *status = new QGridLayout(grpStatus);
    status->setContentsMargins(8, 2, 8, 6);
    status->setVerticalSpacing(3);
    status->addWidget(lblDescription, 0, 0, 1, 2);
    status->addWidget(lblStatus, 1, 0, 1, 2);
    status->addWidget(new QLabel(QStringLiteral("Progress")), 2, 0);
    status->addWidget(Progress, 2, 1);
    status->setColumnStretch(1, 1);

    btnRetry = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("&Retry"));
    btnRetry->setObjectName(QStringLiteral("btnRetry"));
    btnCancel = new QPushButton(QStringLiteral("Close"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnRetry->setEnabled(false);
    btnCancel->setEnabled(false);
    btnRetry->setAutoDefault(false);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(btnRetry);
    buttons->addWidget(btnCancel);
    buttons->addStretch();

    // The device takes the whole width, so its boxes hold a full MAC address and host name; the
    // buttons stand beside the status.
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(grpStatus, 1);
    bottom->addLayout(buttons);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(6, 3, 6, 5);
    main->setSpacing(4);
    main->addWidget(grpDevice);
    main->addLayout(bottom);
    setFixedSize(QSize(std::max(471, sizeHint().width()), std::max(184, sizeHint().height())));

    TimerBlink = new QTimer(this);
    TimerBlink->setObjectName(QStringLiteral("TimerBlink"));
    TimerBlink->setInterval(500);
    ConnectCommand(TimerBlink, &QTimer::timeout, this, &TfrmTransferConfig::TimerBlinkTimer);
    stepsTimer_ = new QTimer(this);
    stepsTimer_->setSingleShot(true);
    ConnectCommand(stepsTimer_, &QTimer::timeout, this, &TfrmTransferConfig::ShowSteps);
    ConnectCommand(btnRetry, &QPushButton::clicked, this, &TfrmTransferConfig::DoTransfer);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &TfrmTransferConfig::reject);
}

void TfrmTransferConfig::FormShow()
{
    TimerBlink->stop();
    lblStatus->setVisible(true);
    lblStatus->setText(QStringLiteral("Initializing..."));
    const std::string word = "Velto " + family_;
    setWindowTitle(QStr(SendMode ? "Send Configuration To " + word : "Get Configuration From " + word));
    lblDescription->setText(
        QStr(SendMode ? "Sending Configuration To " + word + "..." : "Getting Configuration From " + word + "..."));
    ShowDevice(Device);
    Progress->setValue(0);
    btnRetry->setEnabled(false);
    btnCancel->setEnabled(false);
}

void TfrmTransferConfig::showEvent(QShowEvent *event)
{
    FormShow();
    startPending_ = true;
    QDialog::showEvent(event);
}

bool TfrmTransferConfig::event(QEvent *event)
{
    // The sequence starts once the shown dialog is active, and once per showing.
    if (event->type() == QEvent::WindowActivate && startPending_) {
        startPending_ = false;
        QTimer::singleShot(0, this, CommandSlot(this, &TfrmTransferConfig::DoTransfer));
    }
    return QDialog::event(event);
}

void TfrmTransferConfig::FormClose() { TimerBlink->stop(); }

void TfrmTransferConfig::hideEvent(QHideEvent *event)
{
    FormClose();
    startPending_ = false;
    QDialog::hideEvent(event);
}

void TfrmTransferConfig::closeEvent(QCloseEvent *event)
{
    // Nothing interrupts a running sequence; the title bar's close waits for Close.
    if (!btnCancel->isEnabled()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmTransferConfig::reject()
{
    if (btnCancel->isEnabled()) QDialog::reject();
}

void TfrmTransferConfig::TimerBlinkTimer() { lblStatus->setVisible(!lblStatus->isVisible()); }

void TfrmTransferConfig::DoTransfer()
{
    if (running_) return;
    if (SendMode) SendConfig();
    else GetConfig();
}

void TfrmTransferConfig::Begin()
{
    running_ = true;
    Completed = false;
    TimerBlink->stop();
    lblStatus->setVisible(true);
    btnRetry->setEnabled(false);
    btnCancel->setEnabled(false);
    status_ = lblStatus->text();
    progress_ = 0;
    stepsShown_.invalidate();
    Progress->setValue(0);
}

bool TfrmTransferConfig::Finish(bool ok)
{
    running_ = false;
    ShowSteps();
    if (ok) {
        Completed = true;
        lblStatus->setText(QStringLiteral("TRANSFER COMPLETED!"));
        TimerBlink->start();
        btnCancel->setEnabled(true);
        btnCancel->setFocus();
        return true;
    }
    ShowError("Configuration Transfer was unable to complete.");
    btnRetry->setEnabled(true);
    btnCancel->setEnabled(true);
    return false;
}

bool TfrmTransferConfig::Exchange(const std::string &statusText, const TPacket &request, const std::string &expected,
                                  const std::function<void(const TPacket &)> &read, bool step)
{
    SetStatus(QStr(statusText));
    TPacket reply;
    if (!MainForm || !MainForm->SendHTTPAdminNoInfo(Device.IP, Device.RemoteIP, request, reply)) return false;
    if (!reply.IsCommand(expected)) return false;
    if (read) {
        try {
            read(reply);
        } catch (const std::exception &e) {
            // A value that is no number: the reply cannot be taken.
            ShowError(e.what());
            return false;
        }
    }
    if (step) StepProgress();
    return true;
}

void TfrmTransferConfig::SetStatus(const QString &text)
{
    status_ = text;
    StepsChanged();
}

void TfrmTransferConfig::StepProgress()
{
    ++progress_;
    StepsChanged();
}

void TfrmTransferConfig::StepsChanged()
{
    // Every new text or bar value repaints the dialog, which would cost more than the exchange
    // itself on a fast link: the window follows the steps at most every 40 ms, always shows the
    // latest one within that time, and shows the last one exactly (Finish).
    if (!stepsShown_.isValid() || stepsShown_.elapsed() >= 40) ShowSteps();
    else if (!stepsTimer_->isActive()) stepsTimer_->start(int(40 - stepsShown_.elapsed()));
}

void TfrmTransferConfig::ShowSteps()
{
    stepsTimer_->stop();
    if (lblStatus->text() != status_) lblStatus->setText(status_);
    Progress->setValue(progress_);
    stepsShown_.restart();
}

bool TfrmTransferConfig::SendCommand(const std::string &statusText, const std::string &command)
{
    TPacket request;
    request.SetCommand(command);
    return Exchange(statusText, request, "ACK");
}

int TfrmTransferConfig::TagsToTransfer() { return std::clamp(TagCountField(), 0, kMaxTags); }

// Send

bool TfrmTransferConfig::SendConfig()
{
    Begin();
    Progress->setMaximum(TagsToTransfer() + 12);
    bool ok = false;
    {
        const TBusyScope busy;   // one request for the main window, however many steps
        ok = SendCommand("Stopping Velto " + family_ + " machine...", "STOP") && SendCOMConfig() &&
                        SendEMAILConfig() && SendRECIPIENTSList() &&
                        SendCommand("Enabling Tag Administration...", "ENABLETAGADMIN") &&
                        SendCommand("Deleting existing Tags...", "DELALLTAG") && SendTAGS() &&
                        SendCommand("Disabling Tag Administration...", "DISABLETAGADMIN") &&
                        SendCommand("Resetting Device...", "RESET");
    }
    return Finish(ok);
}

bool TfrmTransferConfig::SendCOMConfig()
{
    TPacket request;
    ComRequest(request);
    return Exchange("Sending COM Configuration...", request, "ACK");
}

bool TfrmTransferConfig::SendEMAILConfig()
{
    TPacket request;
    BuildSetSmtp(request, EmailConfig());
    return Exchange("Sending E-Mail Configuration...", request, "ACK");
}

bool TfrmTransferConfig::SendRECIPIENTSList()
{
    for (int n = 1; n <= 5; ++n) {
        TPacket request;
        BuildSetToo(request, EmailConfig(), n - 1);
        if (!Exchange(Numbered("Sending E-Mail Recipients List...", n), request, "ACK")) return false;
    }
    return true;
}

bool TfrmTransferConfig::SendTAGS()
{
    for (int n = 1; n <= TagsToTransfer(); ++n) {
        TPacket request;
        TagRequest(n - 1, request);
        if (!Exchange(Numbered("Sending Tag Configuration...", n), request, "ACK")) return false;
    }
    return true;
}

// Get

bool TfrmTransferConfig::GetConfig()
{
    Begin();
    bool ok = false;
    {
        const TBusyScope busy;   // one request for the main window, however many steps
        ok = GetTagCount() && SendCommand("Stopping Velto " + family_ + " machine...", "STOP") &&
                        GetCOMConfig() && GetEMAILConfig() && GetRECIPIENTSList() && GetTAGS() &&
                        SendCommand("Resetting Device...", "RUN");
    }
    return Finish(ok);
}

bool TfrmTransferConfig::GetTagCount()
{
    TPacket request;
    request.SetCommand("GETTAGCOUNT");
    int count = 0;
    if (!Exchange("Getting Tag Count...", request, "TAGCOUNT",
                  [&](const TPacket &reply) { count = reply.GetInteger("COUNT", 0); }, false))
        return false;
    if (count > kMaxTags) {
        // A configuration holds 128 tags: the rest stays on the device and is not fetched.
        ShowWarning(Format("The Velto holds %d Tags, more than the %d a configuration can hold.\r\n"
                           "Only the first %d Tags are taken.",
                           count, kMaxTags, kMaxTags));
    }
    TagCountField() = std::clamp(count, 0, kMaxTags);
    Progress->setMaximum(TagCountField() + 9);
    return true;
}

bool TfrmTransferConfig::GetCOMConfig()
{
    TPacket request;
    BuildGetCom(request);
    return Exchange("Getting COM Configuration...", request, "COM", [this](const TPacket &r) { ComReply(r); });
}

bool TfrmTransferConfig::GetEMAILConfig()
{
    TPacket request;
    request.SetCommand("GETSMTP");
    return Exchange("Getting E-Mail Configuration...", request, "SMTP",
                    [this](const TPacket &r) { ReadSmtp(r, EmailConfig()); });
}

bool TfrmTransferConfig::GetRECIPIENTSList()
{
    for (int n = 1; n <= 5; ++n) {
        TPacket request;
        BuildGetToo(request, n - 1);
        if (!Exchange(Numbered("Getting E-Mail Recipients List...", n), request, "TOO",
                      [&](const TPacket &r) { ReadToo(r, EmailConfig(), n - 1); }))
            return false;
    }
    return true;
}

bool TfrmTransferConfig::GetTAGS()
{
    for (int n = 1; n <= TagsToTransfer(); ++n) {
        TPacket request;
        BuildGetTag(request, n - 1);
        if (!Exchange(Numbered("Getting Tag Configuration...", n), request, "TAGCONFIG",
                      [&](const TPacket &r) { TagReply(n - 1, r); }))
            return false;
    }
    return true;
}

}  // namespace vxt
