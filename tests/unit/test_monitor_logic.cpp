// The tag monitor's rules without a window: kinds of downloaded tags, the poll cycle and its wire
// bytes, the status word and the text tables, the reply readers, the chart ring, the write filter.
#include "MonitorLogic.h"
#include "NumFormat.h"

#include <gtest/gtest.h>

using namespace vxt;

namespace {

struct SeparatorGuard {
    char saved = DecimalSeparator();
    explicit SeparatorGuard(char sep) { SetDecimalSeparator(sep); }
    ~SeparatorGuard() { SetDecimalSeparator(saved); }
};

TPacket Reply(const std::string &text)
{
    TPacket p;
    p.SetText(text);
    return p;
}

TTagKind Kind(uint8_t family, int32_t type, int32_t scale, bool *known = nullptr)
{
    bool k = false;
    const TTagKind r = DownloadedTagKind(family, type, scale, k);
    if (known) *known = k;
    return r;
}

}  // namespace

TEST(MonitorTagKind, ModbusTable)
{
    for (int type : {0, 1, 2, 3, 6}) {
        EXPECT_EQ(Kind(FamilyModbus, type, 1), KindInteger) << type;
        EXPECT_EQ(Kind(FamilyModbus, type, 2), KindFloat) << type;
    }
    for (int type : {4, 5}) EXPECT_EQ(Kind(FamilyModbus, type, 1), KindFloat) << type;
    for (int type : {7, 8}) {
        EXPECT_EQ(Kind(FamilyModbus, type, 1), KindDigital) << type;
        EXPECT_EQ(Kind(FamilyModbus, type, 2), KindDigital) << type;
    }
}

TEST(MonitorTagKind, HostlinkAndDF1Table)
{
    for (uint8_t family : {FamilyHostlink, FamilyDF1}) {
        for (int type : {0, 1, 2, 4}) {
            EXPECT_EQ(Kind(family, type, 1), KindInteger) << type;
            EXPECT_EQ(Kind(family, type, 2), KindFloat) << type;
        }
        EXPECT_EQ(Kind(family, 3, 1), KindFloat);
        EXPECT_EQ(Kind(family, 5, 2), KindDigital);
        EXPECT_EQ(Kind(family, 6, 1), KindDigital);
        // Modbus float codes mean something else here.
        EXPECT_EQ(Kind(family, 5, 1), KindDigital);
    }
}

TEST(MonitorTagKind, TypeOutsideTheTableIsMarkedAndTakenByScale)
{
    bool known = true;
    EXPECT_EQ(Kind(FamilyModbus, 9, 1, &known), KindInteger);
    EXPECT_FALSE(known);
    EXPECT_EQ(Kind(FamilyHostlink, 7, 2, &known), KindFloat);
    EXPECT_FALSE(known);
    EXPECT_EQ(Kind(FamilyDF1, -1, 1, &known), KindInteger);
    EXPECT_FALSE(known);
    Kind(FamilyModbus, 8, 1, &known);
    EXPECT_TRUE(known);
    Kind(FamilyDF1, 6, 1, &known);
    EXPECT_TRUE(known);
}

TEST(MonitorTagKind, Texts)
{
    EXPECT_EQ(TagKindText(KindDigital), "Digital");
    EXPECT_EQ(TagKindText(KindInteger), "Integer");
    EXPECT_EQ(TagKindText(KindFloat), "Float");
    EXPECT_EQ(TagKindOfText("Integer"), KindInteger);
    EXPECT_EQ(TagKindOfText("Float"), KindFloat);
    EXPECT_EQ(TagKindOfText("Digital"), KindDigital);
    EXPECT_EQ(TagKindOfText("integer"), KindDigital);
}

TEST(MonitorPollCycle, ThreeStepsInOrderWithTheirPages)
{
    TMonitorTag tag;
    tag.Index = 7;
    int step = StepRead;
    std::vector<std::string> sent;
    for (int tick = 0; tick < 6; ++tick) {
        const TPollRequest r = TakePollRequest(step, tag);
        sent.push_back(PollRequestPage(r) + " " + BuildPollRequest(r, tag).GetText());
        step = NextScanStep(step);
    }
    const std::vector<std::string> expected = {"apppost.cgi READ(TAG1=7,);", "admpost.cgi MAILBOX();", " ",
                                               "apppost.cgi READ(TAG1=7,);", "admpost.cgi MAILBOX();", " "};
    EXPECT_EQ(sent, expected);
}

TEST(MonitorPollCycle, WriteGoesFirstAndTheAcknowledgeOneCycleLater)
{
    TMonitorTag tag;
    tag.Index = 3;
    tag.Kind = KindInteger;
    tag.IntValue = -12;
    tag.WritePending = true;
    tag.AckPending = true;
    TPollRequest r = TakePollRequest(StepWriteOrAck, tag);
    EXPECT_EQ(r, TPollRequest::Write);
    EXPECT_EQ(BuildPollRequest(r, tag).GetText(), "WRITE(TAG=3,VALUE=-12,);");
    EXPECT_FALSE(tag.WritePending);
    EXPECT_TRUE(tag.AckPending);
    EXPECT_EQ(TakePollRequest(StepRead, tag), TPollRequest::Read);
    EXPECT_EQ(TakePollRequest(StepMailbox, tag), TPollRequest::Mailbox);
    EXPECT_TRUE(tag.AckPending);
    r = TakePollRequest(StepWriteOrAck, tag);
    EXPECT_EQ(r, TPollRequest::AlarmAck);
    EXPECT_EQ(PollRequestPage(r), "apppost.cgi");
    EXPECT_EQ(BuildPollRequest(r, tag).GetText(), "ALARMACK(TAG=3,);");
    EXPECT_FALSE(tag.AckPending);
    EXPECT_EQ(TakePollRequest(StepWriteOrAck, tag), TPollRequest::None);
}

TEST(MonitorPollCycle, WriteValueByKind)
{
    TMonitorTag tag;
    tag.Index = 0;
    tag.Kind = KindDigital;
    tag.BoolValue = true;
    EXPECT_EQ(BuildPollRequest(TPollRequest::Write, tag).GetText(), "WRITE(TAG=0,VALUE=1,);");
    tag.BoolValue = false;
    EXPECT_EQ(BuildPollRequest(TPollRequest::Write, tag).GetText(), "WRITE(TAG=0,VALUE=0,);");
    tag.Kind = KindFloat;
    tag.FloatValue = 25.5;
    SeparatorGuard comma(',');
    EXPECT_EQ(BuildPollRequest(TPollRequest::Write, tag).GetText(), "WRITE(TAG=0,VALUE=2.55000000E1,);");
}

TEST(MonitorStatusWord, DecodesItsThreeNibbles)
{
    const TStatusWord w = DecodeStatusWord(532);   // 0x214
    EXPECT_EQ(w.State, 4);
    EXPECT_EQ(w.Result, 1);
    EXPECT_EQ(w.Alarm, 2);
    EXPECT_EQ(GetStatusString(w.State, w.Result), "Read Error - No Work");
    const TStatusWord high = DecodeStatusWord(0x7C39);   // bits 12-15 are not used
    EXPECT_EQ(high.State, 9);
    EXPECT_EQ(high.Result, 3);
    EXPECT_EQ(high.Alarm, 12);
    const TStatusWord negative = DecodeStatusWord(-1);
    EXPECT_EQ(negative.State, 15);
    EXPECT_EQ(negative.Result, 15);
    EXPECT_EQ(negative.Alarm, 15);
}

TEST(MonitorTexts, StatusTable)
{
    EXPECT_EQ(GetStatusString(0, 0), "Unknown - OK");
    EXPECT_EQ(GetStatusString(7, 10), "Write Init Fail - No such Tag name");
    EXPECT_EQ(GetStatusString(2, 9), "Reading - No implemented");
    EXPECT_EQ(GetStatusString(9, 12), "");
    EXPECT_EQ(GetStatusString(8, 4), " - Comm Error");
    EXPECT_EQ(GetStatusString(3, 11), "Writing");
}

TEST(MonitorTexts, AlarmTextsAndColours)
{
    EXPECT_EQ(GetAlarmString(0), "No");
    EXPECT_EQ(GetAlarmString(1), "IN ALARM");
    EXPECT_EQ(GetAlarmString(2), "Acknowledged");
    EXPECT_EQ(GetAlarmString(3), "Unknown");
    uint32_t rgb = 0;
    EXPECT_FALSE(GetAlarmTextRgb(0, rgb));
    EXPECT_TRUE(GetAlarmTextRgb(1, rgb));
    EXPECT_EQ(rgb, 0xFF0000u);
    EXPECT_TRUE(GetAlarmTextRgb(2, rgb));
    EXPECT_EQ(rgb, 0x0000FFu);
    EXPECT_FALSE(GetAlarmTextRgb(15, rgb));
    EXPECT_EQ(GetPointRgb(0), 0x00FF00u);
    EXPECT_EQ(GetPointRgb(1), 0xFF0000u);
    EXPECT_EQ(GetPointRgb(2), 0x0000FFu);
    EXPECT_EQ(GetPointRgb(3), 0x008000u);
    EXPECT_EQ(GetPointRgb(15), 0x008000u);
}

TEST(MonitorTexts, MailboxAndMonitorStatus)
{
    EXPECT_EQ(GetMailboxStatus(0), "Mailbox Disabled");
    EXPECT_EQ(GetMailboxStatus(1), "Sending mail...");
    EXPECT_EQ(GetMailboxStatus(2), "Mail sent");
    EXPECT_EQ(GetMailboxStatus(3), "No Alarms to send");
    EXPECT_EQ(GetMailboxStatus(4), "");
    EXPECT_EQ(GetMailboxError(0), "Ok");
    EXPECT_EQ(GetMailboxError(1), "Could not Resolve SMTP Server (Check DNS)");
    EXPECT_EQ(GetMailboxError(2), "Timeout while Sending");
    EXPECT_EQ(GetMailboxError(3), "Unknown response from SMTP Server");
    EXPECT_EQ(GetMailboxError(4), "Connection Error");
    EXPECT_EQ(GetMailboxError(-1), "");
    EXPECT_EQ(GetMonitorStatusString(MonitorStopped, "Tank"), "Stopped");
    EXPECT_EQ(GetMonitorStatusString(MonitorRunning, "Tank"), "Running - Tag: Tank");
    EXPECT_EQ(GetMonitorStatusString(MonitorPaused, "Tank"), "PAUSED - Tag: Tank");
}

TEST(MonitorReplies, ReadByKind)
{
    TReadResult r;
    ASSERT_TRUE(ParseReadReply(Reply("VALUES(VAL1=1,ST1=532,);"), KindDigital, r));
    EXPECT_EQ(r.ValueText, "1");
    EXPECT_EQ(r.Status.Alarm, 2);
    ASSERT_TRUE(ParseReadReply(Reply("VALUES(VAL1=0,ST1=0,);"), KindDigital, r));
    EXPECT_EQ(r.ValueText, "0");
    ASSERT_TRUE(ParseReadReply(Reply("VALUES(VAL1=-42,ST1=18,);"), KindInteger, r));
    EXPECT_EQ(r.ValueText, "-42");
    EXPECT_EQ(r.Status.State, 2);
    EXPECT_EQ(r.Status.Result, 1);
    {
        SeparatorGuard comma(',');
        ASSERT_TRUE(ParseReadReply(Reply("VALUES(VAL1=2.55000000E1,ST1=2,);"), KindFloat, r));
        EXPECT_EQ(r.ValueText, "25,5");
    }
    // Missing fields take their defaults.
    ASSERT_TRUE(ParseReadReply(Reply("VALUES();"), KindFloat, r));
    EXPECT_EQ(r.ValueText, "0");
    EXPECT_EQ(r.Status.State, 0);
}

TEST(MonitorReplies, UnusableReadReplies)
{
    TReadResult r;
    r.ValueText = "kept";
    EXPECT_FALSE(ParseReadReply(Reply("NAK(REASON=x,);"), KindInteger, r));
    EXPECT_FALSE(ParseReadReply(Reply("VALUES(VAL1=abc,ST1=0,);"), KindInteger, r));
    EXPECT_FALSE(ParseReadReply(Reply("VALUES(VAL1=1.5E0,ST1=x,);"), KindFloat, r));
    EXPECT_FALSE(ParseReadReply(Reply("VALUES(VAL1=1,ST1=32768,);"), KindInteger, r));
    EXPECT_FALSE(ParseReadReply(Reply("VALUES(VAL1=1,ST1=-32769,);"), KindInteger, r));
    EXPECT_EQ(r.ValueText, "kept");
    EXPECT_TRUE(ParseReadReply(Reply("VALUES(VAL1=1,ST1=-32768,);"), KindInteger, r));
    EXPECT_TRUE(ParseReadReply(Reply("VALUES(VAL1=1,ST1=32767,);"), KindInteger, r));
}

TEST(MonitorReplies, Mailbox)
{
    TMailboxView v;
    ASSERT_TRUE(ParseMailboxReply(Reply("MAILBOX(COUNT=5,STATUS=1,TOO=2,RETRY=3,ERROR=2,);"), v));
    EXPECT_EQ(v.Queued, "5/128");
    EXPECT_EQ(v.Status, "Sending mail...");
    EXPECT_EQ(v.SendingTo, "2");
    EXPECT_EQ(v.Retry, "3");
    EXPECT_EQ(v.LastError, "Timeout while Sending");
    ASSERT_TRUE(ParseMailboxReply(Reply("MAILBOX(COUNT=0,STATUS=2,TOO=2,RETRY=3,ERROR=0,);"), v));
    EXPECT_EQ(v.Status, "Mail sent");
    EXPECT_EQ(v.SendingTo, "-");
    EXPECT_EQ(v.Retry, "-");
    EXPECT_EQ(v.LastError, "Ok");
    ASSERT_TRUE(ParseMailboxReply(Reply("MAILBOX(STATUS=1,);"), v));
    EXPECT_EQ(v.Queued, "0/128");
    EXPECT_EQ(v.SendingTo, "1");
    EXPECT_EQ(v.Retry, "1");
    EXPECT_FALSE(ParseMailboxReply(Reply("MAILBOXES(COUNT=1,);"), v));
    EXPECT_FALSE(ParseMailboxReply(Reply("MAILBOX(COUNT=x,);"), v));
}

TEST(MonitorReplies, WriteAndAcknowledgeErrors)
{
    EXPECT_EQ(WriteReplyError(true, Reply("ACK();")), "");
    EXPECT_EQ(WriteReplyError(false, Reply("")), "");
    EXPECT_EQ(WriteReplyError(true, Reply("NAK(REASON=Tag is read only,);")), "Tag Write Error.\r\nReason: Tag is read only");
    EXPECT_EQ(WriteReplyError(true, Reply("NAK();")), "Tag Write Error.\r\nReason: Unknown");
    EXPECT_EQ(AckReplyError(true, Reply("ACK();")), "");
    EXPECT_EQ(AckReplyError(false, Reply("")), "Alarm acknowledge error.");
    EXPECT_EQ(AckReplyError(true, Reply("NAK(REASON=Alarm not enabled,);")),
              "Alarm ackwnoledge error.\r\nReason: Alarm not enabled");
}

TEST(MonitorChartRing, AlwaysTwentyFivePoints)
{
    TChartRing ring;
    ASSERT_EQ(ring.Points().size(), 25u);
    EXPECT_EQ(ring.NextX(), 25);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(ring.Points()[size_t(i)].X, i);
        EXPECT_EQ(ring.Points()[size_t(i)].Y, 0.0);
        EXPECT_EQ(ring.Points()[size_t(i)].Rgb, kRgbLime);
    }
    for (int i = 0; i < 30; ++i) {
        ring.Add(i % 2 ? kRgbBlue : kRgbRed, i * 1.5);
        ASSERT_EQ(ring.Points().size(), 25u);
    }
    EXPECT_EQ(ring.NextX(), 55);
    EXPECT_EQ(ring.Points().front().X, 30);
    EXPECT_EQ(ring.Points().back().X, 54);
    EXPECT_EQ(ring.Points().back().Y, 29 * 1.5);
    EXPECT_EQ(ring.Points().back().Rgb, kRgbBlue);
    EXPECT_EQ(ring.Points()[23].Rgb, kRgbRed);
    ring.Restart();
    EXPECT_EQ(ring.NextX(), 25);
    EXPECT_EQ(ring.Points().back().Y, 0.0);
}

TEST(MonitorChartRing, ValueBoxNumber)
{
    SeparatorGuard comma(',');
    double v = 0;
    EXPECT_TRUE(ValueBoxNumber("25,5", v));
    EXPECT_EQ(v, 25.5);
    EXPECT_TRUE(ValueBoxNumber("1", v));
    EXPECT_FALSE(ValueBoxNumber("", v));
    EXPECT_FALSE(ValueBoxNumber("abc", v));
}

TEST(MonitorWriteValue, KeyFilter)
{
    SeparatorGuard comma(',');
    for (char c : std::string("0123456789-\b")) {
        EXPECT_TRUE(WriteValueKeyAllowed(KindInteger, c)) << c;
        EXPECT_TRUE(WriteValueKeyAllowed(KindFloat, c)) << c;
    }
    for (char c : std::string(".,+eEa ")) EXPECT_FALSE(WriteValueKeyAllowed(KindInteger, c)) << c;
    EXPECT_TRUE(WriteValueKeyAllowed(KindFloat, '.'));
    EXPECT_TRUE(WriteValueKeyAllowed(KindFloat, ','));
    for (char c : std::string("+eEa ;")) EXPECT_FALSE(WriteValueKeyAllowed(KindFloat, c)) << c;
    EXPECT_TRUE(WriteValueKeyAllowed(KindDigital, 'x'));
    SetDecimalSeparator('.');
    EXPECT_FALSE(WriteValueKeyAllowed(KindFloat, ','));
}

TEST(MonitorWriteValue, Parsing)
{
    SeparatorGuard comma(',');
    int32_t i = 0;
    EXPECT_TRUE(ParseWriteInteger("-12", i));
    EXPECT_EQ(i, -12);
    EXPECT_FALSE(ParseWriteInteger("", i));
    EXPECT_FALSE(ParseWriteInteger("-", i));
    EXPECT_FALSE(ParseWriteInteger("99999999999", i));
    double f = 0;
    EXPECT_TRUE(ParseWriteFloat("1,25", f));
    EXPECT_EQ(f, 1.25);
    EXPECT_TRUE(ParseWriteFloat("-1.5", f));
    EXPECT_EQ(f, -1.5);
    EXPECT_FALSE(ParseWriteFloat("1,2,3", f));
    EXPECT_FALSE(ParseWriteFloat("1.2,3", f));
    EXPECT_FALSE(ParseWriteFloat("-", f));
    EXPECT_FALSE(ParseWriteFloat("", f));
}
