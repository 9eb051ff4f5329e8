// The monitor's poll cycle and what it shows: one request per tick, its reply into the boxes, and
// one chart point per tick.
#include "Monitor.h"

#include "MsgBox.h"
#include "QtStr.h"

#include <QLabel>
#include <QTimer>

namespace vxt {

namespace {

QColor Rgb(uint32_t rgb) { return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)); }

}  // namespace

bool TfrmMonitor::SendHTTPServer(const std::string &IP, const std::string &RemoteIP, const std::string &Page,
                                 const TPacket &Request, TPacket &Reply)
{
    channelError_.clear();
    return Channel.SendHTTPServer(IP, RemoteIP, Page, Request, Reply, &channelError_);
}

void TfrmMonitor::TimerScanTimer()
{
    // Play pressed while a request of this tick is blocking must not start a second tick inside it.
    if (inTick_) return;
    inTick_ = true;
    TimerScan->stop();

    const TPollRequest request = TakePollRequest(ScanStep, Tag);
    const TMonitorTag tag = Tag;
    TPacket reply;
    const bool replied = request != TPollRequest::None &&
                         SendHTTPServer(Device.IP, Device.RemoteIP, PollRequestPage(request),
                                        BuildPollRequest(request, tag), reply);
    switch (request) {
    case TPollRequest::Read: {
        TReadResult r;
        if (replied && ParseReadReply(reply, tag.Kind, r)) ShowReadResult(r);
        break;
    }
    case TPollRequest::Mailbox: {
        TMailboxView v;
        if (replied && ParseMailboxReply(reply, v)) ShowMailbox(v);
        break;
    }
    case TPollRequest::Write: {
        const std::string error = WriteReplyError(replied, reply);
        if (!error.empty()) ShowError(error);
        break;
    }
    case TPollRequest::AlarmAck: {
        // One that could not even be started says why, not that the device gave no answer.
        const std::string error = channelError_.empty() ? AckReplyError(replied, reply) : channelError_;
        if (!error.empty()) ShowError(error);
        break;
    }
    case TPollRequest::None: break;
    }
    ScanStep = NextScanStep(ScanStep);

    double value = 0;
    if (ValueBoxNumber(StdStr(stValue->text()), value)) AddPoint2Graph(GetPointColor(LastAlarm), value);

    inTick_ = false;
    if (MonitorState == MonitorRunning) TimerScan->start();
}

void TfrmMonitor::ShowReadResult(const TReadResult &r)
{
    stValue->setText(QStr(r.ValueText));
    stStatus->setText(QStr(GetStatusString(r.Status.State, r.Status.Result)));
    stAlarm->setText(QStr(GetAlarmString(r.Status.Alarm)));
    QPalette pal = stAlarm->palette();
    pal.setColor(QPalette::WindowText, GetAlarmColor(r.Status.Alarm));
    stAlarm->setPalette(pal);
    LastAlarm = r.Status.Alarm;
}

void TfrmMonitor::ShowMailbox(const TMailboxView &v)
{
    stQueuedAlarms->setText(QStr(v.Queued));
    stMailboxStatus->setText(QStr(v.Status));
    stSendingTo->setText(QStr(v.SendingTo));
    stCurrentRetry->setText(QStr(v.Retry));
    stLastError->setText(QStr(v.LastError));
}

QColor TfrmMonitor::GetAlarmColor(int Alarm) const
{
    uint32_t rgb = 0;
    return GetAlarmTextRgb(Alarm, rgb) ? Rgb(rgb) : palette().color(QPalette::WindowText);
}

QColor TfrmMonitor::GetPointColor(int Alarm) const { return Rgb(vxt::GetPointRgb(Alarm)); }

void TfrmMonitor::RestartGraphic()
{
    ring_.Restart();
    NextX = ring_.NextX();
    chart_->Show(ring_, Tag.Kind == KindDigital);
}

void TfrmMonitor::AddPoint2Graph(const QColor &Color, double Value)
{
    ring_.Add(uint32_t(Color.rgb()) & 0xFFFFFFu, Value);
    NextX = ring_.NextX();
    chart_->Show(ring_, Tag.Kind == KindDigital);
}

}  // namespace vxt
