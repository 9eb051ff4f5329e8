// The configuration requests and replies of the three gateway families, byte for byte.
#include "ConfigWire.h"
#include "StrUtils.h"

#include <gtest/gtest.h>

#include <array>

using namespace vxt;

namespace {

TPacket Reply(const std::string &text)
{
    TPacket p;
    p.SetText(text);
    return p;
}

}  // namespace

TEST(ConfigWire, ModbusSetCom)
{
    TModbusVeltoConfig c;
    c.ComType = 1;
    c.Baud = 2;
    c.Parity = 2;
    c.Format = 1;
    c.ScanTime = 250;
    c.MsgTimeout = 1000;
    c.PktTimeout = 4;
    TPacket p;
    BuildSetCom(p, c);
    EXPECT_EQ(p.GetText(), "SETCOM(COM=0,COMTYPE=2,FORMAT=1,BAUD=9600,PARITY=2,PKTTOUT=4,MSGTOUT=1000,RETRIES=1,"
                           "SCANTIME=250,);");
    c.ComType = 3;
    c.Baud = 9;
    BuildSetCom(p, c);
    EXPECT_EQ(p.GetText(), "SETCOM(COM=0,FORMAT=1,PARITY=2,PKTTOUT=4,MSGTOUT=1000,RETRIES=1,SCANTIME=250,);");
}

TEST(ConfigWire, HostlinkAndDF1SetCom)
{
    THostlinkVeltoConfig h;
    h.ComType = 2;
    h.Baud = 8;
    h.Parity = 1;
    h.ScanTime = 0;
    h.MsgTimeout = 2000;
    TPacket p;
    BuildSetCom(p, h);
    EXPECT_EQ(p.GetText(), "SETCOM(COM=0,COMTYPE=3,BAUD=115200,PARITY=1,MSGTOUT=2000,RETRIES=1,SCANTIME=0,);");

    TDF1VeltoConfig d;
    d.Baud = 0;
    d.DataBits = 7;
    d.Parity = 2;
    d.ErrorMethod = 1;
    d.ScanTime = 100;
    d.MsgTimeout = 1000;
    BuildSetCom(p, d);
    EXPECT_EQ(p.GetText(),
              "SETCOM(COM=0,COMTYPE=0,BAUD=2400,DATABITS=1,PARITY=1,MSGTOUT=1000,SCANTIME=100,ERRORMTHD=1,);");
    d.DataBits = 8;
    d.Parity = 1;   // sent as even too
    d.ErrorMethod = 2;
    BuildSetCom(p, d);
    EXPECT_EQ(p.GetText(), "SETCOM(COM=0,COMTYPE=0,BAUD=2400,DATABITS=0,PARITY=1,MSGTOUT=1000,SCANTIME=100,);");
    d.DataBits = 6;
    d.Parity = 3;
    BuildSetCom(p, d);
    EXPECT_EQ(p.GetText(), "SETCOM(COM=0,COMTYPE=0,BAUD=2400,MSGTOUT=1000,SCANTIME=100,);");
}

TEST(ConfigWire, SmtpAndRecipients)
{
    TEmailConfig e;
    e.Enable = true;
    e.Server = "mail,x";
    e.Timeout = 20;
    e.Retries = 5;
    e.RetryInt = 10;
    e.From = "a@b";
    e.Auth = true;
    e.User = "u";
    e.Pass = "p=1";
    e.Recipients = {"r0@x", "r1@x", "stale@x", "", ""};
    e.RecipientCount = 2;
    TPacket p;
    BuildSetSmtp(p, e);
    EXPECT_EQ(p.GetText(), "SETSMTP(ENABLE=1,SERVER=mail/cox,TIMEOUT=20,RETRIES=5,RETRYINT=10,FROM=a@b,AUTH=1,USER=u,"
                           "PASS=p/eq1,);");
    BuildSetToo(p, e, 1);
    EXPECT_EQ(p.GetText(), "SETTOO(TOO=1,EMAIL=r1@x,);");
    BuildSetToo(p, e, 2);
    EXPECT_EQ(p.GetText(), "SETTOO(TOO=2,EMAIL=,);");

    TEmailConfig got = e;
    ReadSmtp(Reply("SMTP(SERVER=s,);"), got);
    EXPECT_FALSE(got.Enable);
    EXPECT_EQ(got.Server, "s");
    EXPECT_EQ(got.Timeout, 20);
    EXPECT_EQ(got.Retries, 5);
    EXPECT_EQ(got.RetryInt, 10);
    EXPECT_EQ(got.RecipientCount, 0);
}

// The five TOO replies, read in slot order after an SMTP reply, make a list from slot 0 on: empty
// slots are skipped, and every slot past the list is empty, whatever the record held before.
TEST(ConfigWire, RecipientsCloseUp)
{
    using Slots = std::array<std::string, 5>;
    struct Row {
        Slots device, list;
        int count;
    };
    const std::vector<Row> rows = {{{"a@x", "", "c@x", "", ""}, {"a@x", "c@x", "", "", ""}, 2},
                                   {{"", "", "", "", "e@x"}, {"e@x", "", "", "", ""}, 1},
                                   {{"", "b@x", "", "d@x", "e@x"}, {"b@x", "d@x", "e@x", "", ""}, 3},
                                   {{"a@x", "b@x", "c@x", "d@x", "e@x"}, {"a@x", "b@x", "c@x", "d@x", "e@x"}, 5},
                                   {{"", "", "", "", ""}, {"", "", "", "", ""}, 0}};
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << (&row - rows.data()));
        TEmailConfig got;
        got.Recipients = {"s0@x", "s1@x", "s2@x", "s3@x", "s4@x"};
        got.RecipientCount = 5;
        ReadSmtp(Reply("SMTP();"), got);
        for (int slot = 0; slot < 5; ++slot)
            ReadToo(Reply("TOO(EMAIL=" + row.device[size_t(slot)] + ",);"), got, slot);
        EXPECT_EQ(got.Recipients, row.list);
        EXPECT_EQ(got.RecipientCount, row.count);
    }
}

TEST(ConfigWire, ModbusAddTagAndTagConfig)
{
    TModbusTagConfig t;
    t.Name = "TANK1";
    t.UnitID = 17;
    t.Type = 4;
    t.Address = 123;
    t.Reg32 = true;
    t.Limits = true;
    t.WrMin.AsFloat = -1.5f;
    t.WrMax.AsFloat = 0.1f;
    t.Alarm = true;
    t.EMail = true;
    t.AlMin.AsFloat = 2.25f;
    t.AlMax.AsFloat = 1e20f;
    t.Scale = 1;
    t.FactorA = 0.5f;
    t.FactorB = -3;
    t.Kind = KindFloat;
    t.Trap = true;
    TPacket p;
    BuildAddTag(p, t);
    EXPECT_EQ(p.GetText(), "ADDTAG(NAME=TANK1,SOURCE=0,UNIT=17,TYPE=4,MBFUNC=4,ADDRESS=122,REG32=1,BIT=0,SCALE=2,"
                           "FACT_A=5.00000000E-1,FACT_B=-3.00000000E0,READONLY=0,LIMITS=1,ALARM=1,EMAIL=1,TRAP=1,"
                           "WRLO=-1.50000000E0,WRHI=1.00000001E-1,ALLO=2.25000000E0,ALHI=1.00000002E20,);");

    TModbusTagConfig d;
    d.Name = "C";
    d.RegTable = 3;
    d.Type = 8;
    d.Address = 1;
    d.AlMin.AsBoolean = true;
    d.WrMin.AsInteger = 9;
    d.Kind = KindDigital;
    BuildAddTag(p, d);
    EXPECT_EQ(p.GetText(), "ADDTAG(NAME=C,SOURCE=0,UNIT=0,TYPE=8,MBFUNC=0,ADDRESS=0,REG32=0,BIT=0,SCALE=1,"
                           "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=0,EMAIL=0,TRAP=0,"
                           "WRLO=0,WRHI=0,ALLO=1,ALHI=0,);");
    d.RegTable = 4;
    d.Kind = 7;
    BuildAddTag(p, d);
    EXPECT_EQ(p.GetText().find("MBFUNC"), std::string::npos);
    EXPECT_EQ(p.GetText().find("WRLO"), std::string::npos);

}

TEST(ConfigWire, ModbusTagConfigDefaultsAndMappings)
{
    TModbusTagConfig r;
    r.RegTable = 2;
    r.Scale = 1;
    ReadTagConfig(Reply("TAGCONFIG(SOURCE=0,TYPE=1,MBFUNC=9,SCALE=3,WRLO=-4,WRHI=4,ALLO=1,ALHI=2,);"), r);
    EXPECT_EQ(r.Name, "*");
    EXPECT_EQ(r.UnitID, 1);
    EXPECT_EQ(r.RegTable, 2);   // 9 is no table: as it was
    EXPECT_EQ(r.Scale, 1);      // 3 likewise
    EXPECT_EQ(r.Address, 2);    // no ADDRESS: the default 1, plus one
    EXPECT_EQ(r.Kind, KindDigital);   // input status from before
    EXPECT_FALSE(r.WrMin.AsBoolean);
    EXPECT_TRUE(r.AlMin.AsBoolean);

    TModbusTagConfig i;
    ReadTagConfig(Reply("TAGCONFIG(NAME=L,SOURCE=0,UNIT=3,TYPE=1,MBFUNC=3,ADDRESS=0,SCALE=1,WRLO=-4,WRHI=4,ALLO=-1,"
                        "ALHI=1,);"),
                  i);
    EXPECT_EQ(i.RegTable, 1);
    EXPECT_EQ(i.Address, 1);
    EXPECT_EQ(i.Scale, 0);
    EXPECT_EQ(i.Kind, KindInteger);
    EXPECT_EQ(i.WrMin.AsInteger, -4);
    EXPECT_EQ(i.AlMax.AsInteger, 1);

    TModbusTagConfig f;
    ReadTagConfig(Reply("TAGCONFIG(NAME=F,MBFUNC=4,TYPE=4,FACT_A=2.5E0,WRHI=1.25E1,);"), f);
    EXPECT_EQ(f.Kind, KindFloat);
    EXPECT_EQ(f.WrMax.AsFloat, 12.5f);
    EXPECT_EQ(f.FactorA, 2.5f);
}

TEST(ConfigWire, ReplyFloatBeyondWhatATagHoldsIsRefused)
{
    for (const char *key : {"FACT_A", "FACT_B", "WRLO", "WRHI", "ALLO", "ALHI"}) {
        SCOPED_TRACE(key);
        TModbusTagConfig f;
        const std::string reply = std::string("TAGCONFIG(NAME=F,MBFUNC=4,TYPE=4,") + key + "=1.0E39,);";
        try {
            ReadTagConfig(Reply(reply), f);
            ADD_FAILURE() << "taken";
        } catch (const EConvertError &e) {
            EXPECT_STREQ(e.what(), "'1.0E39' is not a valid floating point value");
        }
    }
    THostlinkTagConfig h;
    EXPECT_THROW(ReadTagConfig(Reply("TAGCONFIG(NAME=H,TYPE=4,SCALE=2,FACT_A=-5.0E38,);"), h), EConvertError);
    // The largest single value still comes through.
    TModbusTagConfig edge;
    ReadTagConfig(Reply("TAGCONFIG(NAME=F,MBFUNC=4,TYPE=4,ALHI=3.4028234E38,ALLO=-3.4028234E38,);"), edge);
    EXPECT_EQ(edge.AlMax.AsFloat, 3.4028234e38f);
    EXPECT_EQ(edge.AlMin.AsFloat, -3.4028234e38f);
}

TEST(ConfigWire, ReadComMappings)
{
    TModbusVeltoConfig m;
    m.Baud = 5;
    ReadCom(Reply("COM(COMTYPE=1,BAUD=1200,FORMAT=257,);"), m);
    EXPECT_EQ(m.ComType, 0);
    EXPECT_EQ(m.Baud, 5);
    EXPECT_EQ(m.Format, 1);   // low 8 bits
    EXPECT_EQ(m.PktTimeout, 4);
    EXPECT_EQ(m.MsgTimeout, 1000);
    EXPECT_EQ(m.ScanTime, 100);

    THostlinkVeltoConfig h;
    h.ComType = 2;
    ReadCom(Reply("COM(COMTYPE=7,BAUD=57600,PARITY=2,);"), h);
    EXPECT_EQ(h.ComType, 2);
    EXPECT_EQ(h.Baud, 7);
    EXPECT_EQ(h.Parity, 2);

    TDF1VeltoConfig d;
    d.DataBits = 7;
    d.ErrorMethod = 1;
    ReadCom(Reply("COM(COMTYPE=3,DATABITS=4,PARITY=5,ERRORMTHD=9,);"), d);
    EXPECT_EQ(d.ComType, 2);
    EXPECT_EQ(d.DataBits, 7);
    EXPECT_EQ(d.Parity, 2);
    EXPECT_EQ(d.ErrorMethod, 1);
    ReadCom(Reply("COM(PARITY=0,ERRORMTHD=0,);"), d);
    EXPECT_EQ(d.DataBits, 8);
    EXPECT_EQ(d.Parity, 0);
    EXPECT_EQ(d.ErrorMethod, 0);
}

TEST(ConfigWire, HostlinkTags)
{
    THostlinkTagConfig t;
    t.Name = "DM100";
    t.UnitID = 2;
    t.RegTable = 5;
    t.Address = 100;
    t.Type = 0;
    t.Limits = true;
    t.WrMin.AsInteger = 0;
    t.WrMax.AsInteger = 65535;
    t.Kind = KindInteger;
    TPacket p;
    BuildAddTag(p, t);
    EXPECT_EQ(p.GetText(), "ADDTAG(NAME=DM100,SOURCE=0,UNIT=2,TYPE=0,HLFUNC=6,ADDRESS=100,BIT=0,SCALE=1,"
                           "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=1,ALARM=0,EMAIL=0,WRLO=0,"
                           "WRHI=65535,ALLO=0,ALHI=0,);");
    t.RegTable = 6;
    BuildAddTag(p, t);
    EXPECT_EQ(p.GetText().find("HLFUNC"), std::string::npos);

    THostlinkTagConfig r;
    r.RegTable = 3;
    ReadTagConfig(Reply("TAGCONFIG(NAME=X,HLFUNC=5,ADDRESS=100,);"), r);
    EXPECT_EQ(r.RegTable, 3);
    EXPECT_EQ(r.Address, 100);
    EXPECT_EQ(r.UnitID, 1);
    ReadTagConfig(Reply("TAGCONFIG(NAME=X,HLFUNC=6,);"), r);
    EXPECT_EQ(r.RegTable, 5);
    EXPECT_EQ(r.Address, 0);
    ReadTagConfig(Reply("TAGCONFIG(NAME=X,);"), r);
    EXPECT_EQ(r.RegTable, 0);
}

TEST(ConfigWire, DF1Tags)
{
    TDF1TagConfig t;
    t.Name = "N7";
    t.FileType = 4;
    t.FileNumber = 7;
    t.WordNumber = 12;
    t.Type = 1;
    t.Kind = KindInteger;
    TPacket p;
    BuildAddTag(p, t);
    EXPECT_EQ(p.GetText(), "ADDTAG(NAME=N7,SOURCE=0,FILETYPE=137,FILENUMBER=7,ELEMENT=12,SUBELEMENT=0,TYPE=1,BIT=0,"
                           "SCALE=1,FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=0,EMAIL=0,"
                           "WRLO=0,WRHI=0,ALLO=0,ALHI=0,);");

    TDF1TagConfig r;
    r.FileType = 2;
    r.WordNumber = 33;
    ReadTagConfig(Reply("TAGCONFIG(NAME=X,FILETYPE=134,ELEMENT=5,);"), r);
    EXPECT_EQ(r.FileType, 2);
    EXPECT_EQ(r.WordNumber, 33);
    ReadTagConfig(Reply("TAGCONFIG(NAME=X,ELEMENT=5,);"), r);
    EXPECT_EQ(r.FileType, 4);
    EXPECT_EQ(r.WordNumber, 5);
    ReadTagConfig(Reply("TAGCONFIG(NAME=X,FILETYPE=130,ELEMENT=6,TYPE=3,ALLO=1.5E0,);"), r);
    EXPECT_EQ(r.FileType, 1);
    EXPECT_EQ(r.Kind, KindFloat);
    EXPECT_EQ(r.AlMin.AsFloat, 1.5f);
}

TEST(ConfigWire, ModbusAddressAtTheIntegerLimitsWraps)
{
    // The reply's 0-based address at the top of the range: one more wraps to the bottom, no overflow.
    TModbusTagConfig t;
    ReadTagConfig(Reply("TAGCONFIG(NAME=X,ADDRESS=2147483647,);"), t);
    EXPECT_EQ(t.Address, INT32_MIN);
    TPacket p;
    BuildAddTag(p, t);
    EXPECT_EQ(p.GetInteger("ADDRESS", 0), INT32_MAX);

    // A hand-edited file's lowest address going out as a request.
    t.Address = INT32_MIN;
    t.Kind = KindDigital;
    t.Scale = 0;
    BuildAddTag(p, t);
    EXPECT_NE(p.GetText().find(",ADDRESS=2147483647,"), std::string::npos);
    ReadTagConfig(Reply("TAGCONFIG(NAME=X,ADDRESS=-1,);"), t);
    EXPECT_EQ(t.Address, 0);
}
