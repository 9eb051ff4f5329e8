#include "GetTagConfig.h"

#include "Blocking.h"
#include "Command.h"
#include "MonitorLogic.h"
#include "MsgBox.h"
#include "QtStr.h"
#include "StrUtils.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vxt {

TfrmGetTagConfig *frmGetTagConfig = nullptr;

TfrmGetTagConfig::TfrmGetTagConfig(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGetTagConfig"));
    setWindowTitle(QStringLiteral("Getting Tags"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    grpGetting = new QGroupBox(QStringLiteral("Getting Tags from Connected Velto"), this);
    grpGetting->setObjectName(QStringLiteral("grpGetting"));
    lblStatus = new QLabel(grpGetting);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setMinimumWidth(360);
    lblProgress = new QLabel(QStringLiteral("Progress"), grpGetting);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    Progress = new QProgressBar(grpGetting);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setTextVisible(false);
    Progress->setRange(0, 100);
    auto *group = new QVBoxLayout(grpGetting);
    group->addWidget(lblStatus);
    group->addSpacing(6);
    group->addWidget(lblProgress);
    group->addWidget(Progress);

    btnStop = new QPushButton(QStringLiteral("Close"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setDefault(true);
    btnStop->setAutoDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnStop);

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(grpGetting);
    main->addLayout(buttons);

    ConnectCommand(btnStop, &QPushButton::clicked, this, &TfrmGetTagConfig::btnStopClick);
    // Stop works while a tag's request waits; as Close it waits for the request to end.
    KeepLiveDuringWait(btnStop, [this]() { return Downloading; });
}

bool TfrmGetTagConfig::SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                                      const TPacket &Request, TPacket &Reply)
{
    channelError_.clear();
    return Channel.SendHTTPServer(IP, RemoteIP, Page, Request, Reply, &channelError_);
}

std::string TfrmGetTagConfig::FailureText() const
{
    // A request that could not even be started says why, not that the device failed.
    return channelError_.empty() ? "Error while obtaining Tags." : channelError_;
}

bool TfrmGetTagConfig::GetTagCount(int32_t &Count)
{
    TPacket request, reply;
    request.SetCommand("GETTAGCOUNT");
    Count = 0;
    if (!SendHTTPServer(Device.IP, Device.RemoteIP, "admpost.cgi", request, reply)) return false;
    if (!reply.IsCommand("TAGCOUNT")) return false;
    try {
        Count = reply.GetInteger("COUNT", 0);
    } catch (const EConvertError &) {
        Count = 0;
        return false;
    }
    return true;
}

bool TfrmGetTagConfig::GetTagConfig(int32_t Index, std::string &Name, TTagKind &Kind)
{
    TPacket request, reply;
    request.SetCommand("GETTAG");
    request.AddInteger("TAG", Index);
    Name.clear();
    Kind = KindInteger;
    lastKnownType_ = true;
    lastType_ = 0;
    if (!SendHTTPServer(Device.IP, Device.RemoteIP, "admpost.cgi", request, reply)) return false;
    if (!reply.IsCommand("TAGCONFIG")) return false;
    try {
        const int32_t type = reply.GetInteger("TYPE", 0);
        const int32_t scale = reply.GetInteger("SCALE", 1);
        Kind = DownloadedTagKind(Device.Family, type, scale, lastKnownType_);
        lastType_ = type;
    } catch (const EConvertError &) {
        // A type or scale that is no number is a reply the download cannot use.
        Kind = KindInteger;
        lastKnownType_ = true;
        return false;
    }
    Name = reply.GetString("NAME", "*");
    return true;
}

bool TfrmGetTagConfig::PoblateTagsList(std::string &ErrorText)
{
    TagCount = 0;
    ReportedCount = 0;
    int32_t count = 0;
    if (!GetTagCount(count)) {
        ErrorText = FailureText();
        return false;
    }
    if (count <= 0) {
        ErrorText = "No Configured Tags in connected Velto.";
        return false;
    }
    // The list holds what the device can have; a larger count is cut there and said at the end.
    if (count > kMaxTags) {
        ReportedCount = count;
        count = kMaxTags;
    }
    Progress->setRange(0, count);
    Progress->setValue(0);
    Downloading = true;
    btnStop->setText(QStringLiteral("Stop"));
    for (int32_t i = 0; i < count; ++i) {
        QApplication::processEvents();
        if (StopRequested) break;
        std::string name;
        TTagKind kind = KindInteger;
        if (!GetTagConfig(i, name, kind)) {
            ErrorText = FailureText();
            Downloading = false;
            btnStop->setText(QStringLiteral("Close"));
            return false;
        }
        lblStatus->setText(QStr(Format("Getting Tag %d of %d: %s", i + 1, count, name.c_str())));
        Tags[size_t(i)] = TTagConfigInfo{name, kind, lastKnownType_, lastType_};
        ++TagCount;
        Progress->setValue(Progress->value() + 1);
    }
    btnStop->setText(QStringLiteral("Close"));
    if (StopRequested) lblStatus->setText(QStringLiteral("Download Stopped by user."));
    else if (ReportedCount > 0)
        lblStatus->setText(QStr(Format("Done. The device reports %d Tags; only the first %d are listed.",
                                       ReportedCount, kMaxTags)));
    else lblStatus->setText(QStringLiteral("Done."));
    Downloading = false;
    return true;
}

void TfrmGetTagConfig::FormShow()
{
    SinchronizeOptions();
    btnStop->setText(QStringLiteral("Close"));
    lblStatus->setText(QStringLiteral("Initializing Tag Configuration Download..."));
    Progress->setValue(0);
    Downloading = false;
    StopRequested = false;
    TagCount = 0;
    ReportedCount = 0;
}

void TfrmGetTagConfig::FormActivate()
{
    std::string error;
    if (!PoblateTagsList(error)) {
        ShowError(error);
        done(QDialog::Rejected);
    }
}

void TfrmGetTagConfig::btnStopClick()
{
    if (Downloading) StopRequested = true;
    else done(QDialog::Accepted);
}

void TfrmGetTagConfig::reject()
{
    if (Downloading) StopRequested = true;
    else QDialog::reject();
}

void TfrmGetTagConfig::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    FormShow();
    activation_.Shown(this, [this] { FormActivate(); });
}

void TfrmGetTagConfig::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous()) activation_.Hidden();
    QDialog::hideEvent(event);
}

}  // namespace vxt
