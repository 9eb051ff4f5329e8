#include "MonitorLogic.h"

#include "NumFormat.h"
#include "StrUtils.h"

#include <iterator>

namespace vxt {

TTagKind DownloadedTagKind(uint8_t family, int32_t type, int32_t scale, bool &knownType)
{
    const TTagKind byScale = scale == 1 ? KindInteger : KindFloat;
    knownType = true;
    if (family == FamilyHostlink || family == FamilyDF1) {
        switch (type) {
        case 0: case 1: case 2: case 4: return byScale;
        case 3: return KindFloat;
        case 5: case 6: return KindDigital;
        default: break;
        }
    } else {
        switch (type) {
        case 0: case 1: case 2: case 3: case 6: return byScale;
        case 4: case 5: return KindFloat;
        case 7: case 8: return KindDigital;
        default: break;
        }
    }
    knownType = false;
    return byScale;
}

std::string TagKindText(TTagKind kind)
{
    switch (kind) {
    case KindDigital: return "Digital";
    case KindInteger: return "Integer";
    case KindFloat: return "Float";
    default: return "";
    }
}

TTagKind TagKindOfText(const std::string &text)
{
    if (text == "Integer") return KindInteger;
    if (text == "Float") return KindFloat;
    return KindDigital;
}

TPollRequest TakePollRequest(int scanStep, TMonitorTag &tag)
{
    switch (scanStep) {
    case StepRead: return TPollRequest::Read;
    case StepMailbox: return TPollRequest::Mailbox;
    case StepWriteOrAck:
        if (tag.WritePending) {
            tag.WritePending = false;
            return TPollRequest::Write;
        }
        if (tag.AckPending) {
            tag.AckPending = false;
            return TPollRequest::AlarmAck;
        }
        return TPollRequest::None;
    default: return TPollRequest::None;
    }
}

int NextScanStep(int scanStep)
{
    return scanStep == StepRead ? StepMailbox : scanStep == StepMailbox ? StepWriteOrAck : StepRead;
}

std::string PollRequestPage(TPollRequest request)
{
    switch (request) {
    case TPollRequest::Mailbox: return "admpost.cgi";
    case TPollRequest::Read:
    case TPollRequest::Write:
    case TPollRequest::AlarmAck: return "apppost.cgi";
    default: return "";
    }
}

TPacket BuildPollRequest(TPollRequest request, const TMonitorTag &tag)
{
    TPacket p;
    switch (request) {
    case TPollRequest::Read:
        p.SetCommand("READ");
        p.AddInteger("TAG1", tag.Index);
        break;
    case TPollRequest::Mailbox: p.SetCommand("MAILBOX"); break;
    case TPollRequest::Write:
        p.SetCommand("WRITE");
        p.AddInteger("TAG", tag.Index);
        if (tag.Kind == KindDigital) p.AddBoolean("VALUE", tag.BoolValue);
        else if (tag.Kind == KindInteger) p.AddInteger("VALUE", tag.IntValue);
        else p.AddFloat("VALUE", tag.FloatValue);
        break;
    case TPollRequest::AlarmAck:
        p.SetCommand("ALARMACK");
        p.AddInteger("TAG", tag.Index);
        break;
    default: break;
    }
    return p;
}

TStatusWord DecodeStatusWord(int32_t st1)
{
    const uint32_t w = uint16_t(st1);
    return {int(w & 0xF), int((w >> 4) & 0xF), int((w >> 8) & 0xF)};
}

std::string GetStatusString(int state, int result)
{
    static const char *const states[] = {"Unknown", "Idle", "Reading", "Writing", "Read Error", "Write Error",
                                         "Read Init Fail", "Write Init Fail"};
    static const char *const resultTexts[] = {" - OK", " - No Work", " - Timeout", " - Syntax Error",
                                              " - Comm Error", " - Exception", " - Invalid Com", " - Busy",
                                              " - Wrong Request", " - No implemented", " - No such Tag name"};
    std::string s;
    if (state >= 0 && state < int(std::size(states))) s += states[state];
    if (result >= 0 && result < int(std::size(resultTexts))) s += resultTexts[result];
    return s;
}

std::string GetAlarmString(int alarm)
{
    switch (alarm) {
    case 0: return "No";
    case 1: return "IN ALARM";
    case 2: return "Acknowledged";
    default: return "Unknown";
    }
}

bool GetAlarmTextRgb(int alarm, uint32_t &rgb)
{
    if (alarm == 1) rgb = kRgbRed;
    else if (alarm == 2) rgb = kRgbBlue;
    else return false;
    return true;
}

uint32_t GetPointRgb(int alarm)
{
    switch (alarm) {
    case 0: return kRgbLime;
    case 1: return kRgbRed;
    case 2: return kRgbBlue;
    default: return kRgbGreen;
    }
}

std::string GetMailboxStatus(int status)
{
    switch (status) {
    case 0: return "Mailbox Disabled";
    case 1: return "Sending mail...";
    case 2: return "Mail sent";
    case 3: return "No Alarms to send";
    default: return "";
    }
}

std::string GetMailboxError(int error)
{
    switch (error) {
    case 0: return "Ok";
    case 1: return "Could not Resolve SMTP Server (Check DNS)";
    case 2: return "Timeout while Sending";
    case 3: return "Unknown response from SMTP Server";
    case 4: return "Connection Error";
    default: return "";
    }
}

std::string GetMonitorStatusString(int monitorState, const std::string &tagName)
{
    switch (monitorState) {
    case MonitorRunning: return "Running - Tag: " + tagName;
    case MonitorPaused: return "PAUSED - Tag: " + tagName;
    default: return "Stopped";
    }
}

bool ParseReadReply(const TPacket &reply, TTagKind kind, TReadResult &out)
{
    if (!reply.IsCommand("VALUES")) return false;
    try {
        TReadResult r;
        if (kind == KindDigital) r.ValueText = reply.GetBoolean("VAL1", false) ? "1" : "0";
        else if (kind == KindInteger) r.ValueText = IntToStr(reply.GetInteger("VAL1", 0));
        else r.ValueText = FloatToStr(reply.GetFloat("VAL1", 0.0));
        const int32_t st1 = reply.GetInteger("ST1", 0);
        if (st1 < -32768 || st1 > 32767) return false;
        r.Status = DecodeStatusWord(st1);
        out = r;
        return true;
    } catch (const EConvertError &) {
        return false;
    }
}

bool ParseMailboxReply(const TPacket &reply, TMailboxView &out)
{
    if (!reply.IsCommand("MAILBOX")) return false;
    try {
        const int32_t count = reply.GetInteger("COUNT", 0);
        const int32_t status = reply.GetInteger("STATUS", 0);
        const int32_t too = reply.GetInteger("TOO", 1);
        const int32_t retry = reply.GetInteger("RETRY", 1);
        const int32_t error = reply.GetInteger("ERROR", 0);
        TMailboxView v;
        v.Queued = IntToStr(count) + "/128";
        v.Status = GetMailboxStatus(status);
        v.SendingTo = status == 1 ? IntToStr(too) : "-";
        v.Retry = status == 1 ? IntToStr(retry) : "-";
        v.LastError = GetMailboxError(error);
        out = v;
        return true;
    } catch (const EConvertError &) {
        return false;
    }
}

std::string WriteReplyError(bool replied, const TPacket &reply)
{
    if (replied && reply.IsCommand("NAK")) return "Tag Write Error.\r\nReason: " + reply.GetString("REASON", "Unknown");
    return "";
}

std::string AckReplyError(bool replied, const TPacket &reply)
{
    if (!replied) return "Alarm acknowledge error.";
    if (reply.IsCommand("NAK")) return "Alarm ackwnoledge error.\r\nReason: " + reply.GetString("REASON", "Unknown");
    return "";
}

void TChartRing::Restart()
{
    points_.clear();
    for (int x = 0; x < Size; ++x) points_.push_back({x, 0.0, kRgbLime});
    nextX_ = Size;
}

void TChartRing::Add(uint32_t rgb, double value)
{
    points_.pop_front();
    points_.push_back({nextX_, value, rgb});
    ++nextX_;
}

bool ValueBoxNumber(const std::string &text, double &value) { return TryStrToFloat(text, value); }

bool WriteValueKeyAllowed(TTagKind kind, char key)
{
    if (kind == KindDigital) return true;
    if (key == 8 || key == '-' || (key >= '0' && key <= '9')) return true;
    return kind == KindFloat && (key == '.' || key == DecimalSeparator());
}

bool ParseWriteInteger(const std::string &text, int32_t &value) { return TryStrToInt(text, value); }

bool ParseWriteFloat(const std::string &text, double &value)
{
    std::string t = text;
    for (char &c : t)
        if (c == '.') c = DecimalSeparator();
    return TryStrToFloat(t, value);
}

}  // namespace vxt
