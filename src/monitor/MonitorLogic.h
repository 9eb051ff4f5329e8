// The tag monitor's rules without a window: the downloaded tag's kind, the poll cycle and its
// requests, the reading of the replies with the status word, the text tables, the chart's ring of
// points and the write dialog's key filter. Plain C++ on the protocol core.
#pragma once

#include "KProt.h"
#include "VXTTypes.h"

#include <cstdint>
#include <deque>
#include <string>

namespace vxt {

// The device keeps at most this many tags; the download never asks for more.
constexpr int kMaxMonitorTags = kMaxTags;

// The tag's kind from a TAGCONFIG reply: the family's type table, "by scale" meaning integer when
// SCALE is 1 (no scaling) and float otherwise. A type outside the table sets knownType false and is
// taken by scale, since the device then still reports a number.
TTagKind DownloadedTagKind(uint8_t family, int32_t type, int32_t scale, bool &knownType);
// "Digital", "Integer", "Float"; empty for any other code.
std::string TagKindText(TTagKind kind);
// The reverse, as the monitor reads its tag list: "Integer" 1, "Float" 2, anything else 0.
TTagKind TagKindOfText(const std::string &text);

struct TMonitorTag {
    int32_t Index = 0;
    std::string Name;
    TTagKind Kind = KindInteger;
    bool WritePending = false;
    double FloatValue = 0;
    int32_t IntValue = 0;
    bool BoolValue = false;
    bool AckPending = false;
};

enum : int { MonitorStopped = 0, MonitorRunning = 1, MonitorPaused = 2 };
enum : int { StepRead = 0, StepMailbox = 1, StepWriteOrAck = 2 };

// What one tick of the poll cycle sends.
enum class TPollRequest { None, Read, Mailbox, Write, AlarmAck };

// The request of step `scanStep`; a write goes before an acknowledge, and the flag of the request
// chosen is cleared (a request is never retried). Step 2 with nothing pending sends nothing.
TPollRequest TakePollRequest(int scanStep, TMonitorTag &tag);
int NextScanStep(int scanStep);
// "apppost.cgi" for the tag's own requests, "admpost.cgi" for the mailbox; empty for None.
std::string PollRequestPage(TPollRequest request);
TPacket BuildPollRequest(TPollRequest request, const TMonitorTag &tag);

// The status word ST1: state in bits 0-3, result in bits 4-7, alarm in bits 8-11.
struct TStatusWord {
    int State = 0;
    int Result = 0;
    int Alarm = 0;
};
TStatusWord DecodeStatusWord(int32_t st1);

std::string GetStatusString(int state, int result);
std::string GetAlarmString(int alarm);
// Colours as 0xRRGGBB. The alarm text colour is the window's text colour where this returns false.
bool GetAlarmTextRgb(int alarm, uint32_t &rgb);
uint32_t GetPointRgb(int alarm);
std::string GetMailboxStatus(int status);
std::string GetMailboxError(int error);
std::string GetMonitorStatusString(int monitorState, const std::string &tagName);

constexpr uint32_t kRgbLime = 0x00FF00, kRgbRed = 0xFF0000, kRgbBlue = 0x0000FF, kRgbGreen = 0x008000;

// A VALUES reply read by the tag's kind. False for another command or a field that does not
// convert, and for a status word outside the signed 16-bit range the device uses; the boxes then
// keep what they show.
struct TReadResult {
    std::string ValueText;
    TStatusWord Status;
};
bool ParseReadReply(const TPacket &reply, TTagKind kind, TReadResult &out);

// A MAILBOX reply as the five boxes show it; false for another command or a malformed number.
struct TMailboxView {
    std::string Queued, Status, SendingTo, Retry, LastError;
};
bool ParseMailboxReply(const TPacket &reply, TMailboxView &out);

// The error box after a WRITE or ALARMACK; empty when nothing is to be shown.
std::string WriteReplyError(bool replied, const TPacket &reply);
std::string AckReplyError(bool replied, const TPacket &reply);

// The last 25 ticks of the chart, oldest first; the horizontal value counts ticks.
struct TChartPoint {
    int X = 0;
    double Y = 0;
    uint32_t Rgb = kRgbLime;
};

class TChartRing {
public:
    static constexpr int Size = 25;
    TChartRing() { Restart(); }
    // 25 lime points at 0 with X 0 to 24; the next point gets X 25.
    void Restart();
    // Drops the oldest point and appends (NextX, value) in the colour given.
    void Add(uint32_t rgb, double value);
    const std::deque<TChartPoint> &Points() const { return points_; }
    int NextX() const { return nextX_; }

private:
    std::deque<TChartPoint> points_;
    int nextX_ = 0;
};

// The value box's text as a number to plot (the user's decimal separator); false when it is none.
bool ValueBoxNumber(const std::string &text, double &value);

// The write dialog's key filter (character 8 is backspace). Digital tags filter nothing.
bool WriteValueKeyAllowed(TTagKind kind, char key);
// The typed text as the value of the tag's kind; for a float "." and the user's separator both
// count as the decimal separator. False when the text is no number of that kind.
bool ParseWriteInteger(const std::string &text, int32_t &value);
bool ParseWriteFloat(const std::string &text, double &value);

}  // namespace vxt
