#include "KProt.h"
#include "NumFormat.h"
#include "StrUtils.h"

#include <gtest/gtest.h>

using namespace vxt;

namespace {

class KProtTest : public ::testing::Test {
protected:
    void TearDown() override { SetDecimalSeparator('.'); }
};

TDateTime Make(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    TDateTime t;
    EXPECT_TRUE(TryEncodeDateTime({y, mo, d, h, mi, s, ms}, t));
    return t;
}

}  // namespace

TEST_F(KProtTest, CommandAndFieldsFormExactText)
{
    TPacket p;
    EXPECT_EQ(p.GetText(), "");
    p.SetCommand("getnet");
    EXPECT_EQ(p.GetText(), "GETNET();");
    EXPECT_TRUE(p.IsCommand("getnet"));
    EXPECT_TRUE(p.IsCommand("GETNET"));

    p.SetCommand("getx");
    p.AddString("name", "Tank 1");
    p.AddInteger("Count", 3);
    EXPECT_EQ(p.GetText(), "GETX(NAME=Tank 1,COUNT=3,);");

    p.SetCommand("X");
    p.AddInteger("A", -42);
    p.AddInteger("B", 0);
    p.AddBoolean("T", true);
    p.AddBoolean("F", false);
    p.AddString("E", "");
    EXPECT_EQ(p.GetText(), "X(A=-42,B=0,T=1,F=0,E=,);");
}

TEST_F(KProtTest, ReceivedCommandIsNotUpperCased)
{
    TPacket p;
    p.SetText("ack();");
    EXPECT_EQ(p.GetCommand(), "ack");
    EXPECT_FALSE(p.IsCommand("ACK"));
    p.SetText("no bracket");
    EXPECT_EQ(p.GetCommand(), "");
}

TEST_F(KProtTest, AddOnTextWithoutTerminatorDoesNothing)
{
    TPacket p;
    p.AddString("A", "1");
    EXPECT_EQ(p.GetText(), "");
    p.SetText("ACK(A=1,)");
    p.AddInteger("B", 2);
    EXPECT_EQ(p.GetText(), "ACK(A=1,)");
}

TEST_F(KProtTest, EscapesTheFiveCharactersAndReadsThemBack)
{
    TPacket p;
    p.SetCommand("X");
    p.AddString("V", "a,b=(c);d");
    EXPECT_EQ(p.GetText(), "X(V=a/cob/eq/spc/ep/scd,);");
    EXPECT_EQ(p.GetString("V", "def"), "a,b=(c);d");
}

TEST_F(KProtTest, SlashIsWrittenAsItIsAndLostOnReading)
{
    TPacket p;
    p.SetCommand("X");
    p.AddString("V", "a/b");
    EXPECT_EQ(p.GetText(), "X(V=a/b,);");
    EXPECT_EQ(p.GetString("V", ""), "a");   // "/b" has fewer than three characters
    p.SetText("X(V=a/xyzb,W=/co/Co,);");
    EXPECT_EQ(p.GetString("V", ""), "azb");  // "/xy" is consumed whole, "zb" stays
    EXPECT_EQ(p.GetString("W", ""), ",");   // codes are case-sensitive
}

// The check the editors and the sends use agrees with what a message really carries back.
TEST_F(KProtTest, CarriesExactlyTheValuesThatComeBackUnchanged)
{
    for (const std::string v : {"", "Tank 1", "a,b=(c);d", "se,cret", "A/B1", "/", "a/co", "x/", "//"}) {
        TPacket p;
        p.SetCommand("X");
        p.AddString("V", v);
        EXPECT_EQ(KProtCarries(v), p.GetString("V", "") == v) << v;
    }
    EXPECT_FALSE(KProtCarries("a/co"));   // would come back as "a,"
    EXPECT_EQ(KProtRefusal("Tag Name"), "The Tag Name cannot contain \"/\" (U+002F).");
}

// A refused character is named by its code as well: a combining mark merges with the quote, a
// private-use or format character shows as nothing.
TEST_F(KProtTest, RefusalNamesTheCharacterByItsCode)
{
    const std::pair<std::string, std::string> named[] = {
        {"/", "U+002F"},         {"\u20AC", "U+20AC"},     {"\u0308", "U+0308"},     {"\uE000", "U+E000"},
        {"\u200B", "U+200B"},   {"\u00A0", "U+00A0"},     {"\u914D", "U+914D"},     {"\U0001F600", "U+1F600"},
        {"\xFC", "U+00FC"}};   // a lone byte of 8-bit text
    for (const auto &[character, code] : named)
        EXPECT_EQ(KProtRefusal("Password", character), "The Password cannot contain \"" + character + "\" (" + code + ").");
}

// No control character goes to a device, whether typed, read from a file or sent by a device.
TEST_F(KProtTest, ControlCharactersAreNeverCarried)
{
    const std::pair<std::string, std::string> refused[] = {{"TANK1\r\n", "U+000D"}, {"A\nB", "U+000A"},
                                                           {"\tX", "U+0009"},       {"a\x01", "U+0001"},
                                                           {"x\x7f", "U+007F"},     {std::string("a\0b", 3), "U+0000"}};
    for (const auto &[v, code] : refused) {
        EXPECT_FALSE(KProtCarries(v)) << code;
        EXPECT_EQ(KProtRefusal("Tag Name", KProtUncarried(v)), "The Tag Name cannot contain the control character " + code + ".");
    }
    EXPECT_EQ(KProtUncarried("a\tb/c"), "\t");   // the first that cannot go
    EXPECT_TRUE(KProtCarries("S\xFC" "d \x80\x9F\xA0"));   // letters of 8-bit texts, and blanks
}

TEST_F(KProtTest, KeySearchIsPositional)
{
    TPacket p;
    p.SetText("R(UNITID=5,ID=3,);");
    EXPECT_EQ(p.GetInteger("ID", -1), 3);
    EXPECT_EQ(p.GetInteger("unitid", -1), 5);
    p.SetText("R(UNITID=5,);");
    EXPECT_EQ(p.GetInteger("ID", -1), -1);
    // A field received with a lower-case key is not found.
    p.SetText("R(id=7,);");
    EXPECT_EQ(p.GetInteger("id", -1), -1);
    // The first of two equal keys is the one read.
    p.SetText("R(A=1,A=2,);");
    EXPECT_EQ(p.GetInteger("A", 0), 1);
    // A value without a following comma runs to the end of the text.
    p.SetText("R(A=12");
    EXPECT_EQ(p.GetString("A", ""), "12");
}

TEST_F(KProtTest, TypedReadsAndDefaults)
{
    TPacket p;
    p.SetText("R(E=,B2=2,BY=yes,B0=0,S=txt,N=abc,);");
    EXPECT_EQ(p.GetString("E", "d"), "d");
    EXPECT_EQ(p.GetInteger("E", 9), 9);
    EXPECT_TRUE(p.GetBoolean("E", true));
    EXPECT_DOUBLE_EQ(p.GetFloat("E", 1.5), 1.5);
    EXPECT_EQ(p.GetDateTime("E", TDateTime{7}), TDateTime{7});
    EXPECT_TRUE(p.GetBoolean("B2", false));
    EXPECT_TRUE(p.GetBoolean("BY", false));
    EXPECT_FALSE(p.GetBoolean("B0", true));
    EXPECT_EQ(p.GetString("MISSING", "dflt"), "dflt");
    EXPECT_THROW(p.GetInteger("N", 0), EConvertError);
    EXPECT_THROW(p.GetInteger("S", 0), EConvertError);
}

TEST_F(KProtTest, FloatFormIsLocaleIndependent)
{
    for (char sep : {'.', ','}) {
        SetDecimalSeparator(sep);
        TPacket p;
        p.SetCommand("F");
        p.AddFloat("A", 1234.5);
        p.AddFloat("B", -0.001);
        p.AddFloat("C", 25.5);
        p.AddFloat("D", 0);
        p.AddFloat("E", 123456789012.0);
        EXPECT_EQ(p.GetText(), "F(A=1.23450000E3,B=-1.00000000E-3,C=2.55000000E1,D=0.00000000E0,E=1.23456789E11,);");
        EXPECT_DOUBLE_EQ(p.GetFloat("A", 0), 1234.5);
        EXPECT_DOUBLE_EQ(p.GetFloat("B", 0), -0.001);
        EXPECT_DOUBLE_EQ(p.GetFloat("D", 1), 0);
    }
}

TEST_F(KProtTest, FloatReadRules)
{
    TPacket p;
    p.SetText("F(A=12.5,B=1.5Ex,C=1x5E2,D=5E-1,);");
    EXPECT_DOUBLE_EQ(p.GetFloat("A", -1), -1);   // no "E": default
    EXPECT_THROW(p.GetFloat("B", 0), EConvertError);
    EXPECT_THROW(p.GetFloat("C", 0), EConvertError);
    EXPECT_DOUBLE_EQ(p.GetFloat("D", 0), 0.5);
    // The mantissa is converted with the user's separator once its "." became that separator.
    p.SetText("F(A=1/co5E1,);");
    EXPECT_THROW(p.GetFloat("A", 0), EConvertError);
    SetDecimalSeparator(',');
    EXPECT_DOUBLE_EQ(p.GetFloat("A", 0), 15);
}

TEST_F(KProtTest, DateTimeForm)
{
    TPacket p;
    p.SetCommand("SETTIME");
    p.AddDateTime("TIME", Make(2007, 3, 5, 14, 7, 9, 999));   // milliseconds dropped, not rounded
    EXPECT_EQ(p.GetText(), "SETTIME(TIME=05032007140709,);");
    EXPECT_EQ(p.GetDateTime("TIME", TDateTime{}), Make(2007, 3, 5, 14, 7, 9));

    TDateTime def{42};
    p.SetText("R(A=31042007120000,B=0503200714070,C=05032007X40709,D=05132007140709,E=05032007240000,F=05032007140760,);");
    for (const char *k : {"A", "B", "C", "D", "E", "F"}) EXPECT_EQ(p.GetDateTime(k, def), def) << k;

    p.SetCommand("T");
    p.AddDateTime("Y", Make(999, 1, 2, 3, 4, 5));
    EXPECT_EQ(p.GetText(), "T(Y=0201999030405,);");
    EXPECT_EQ(p.GetDateTime("Y", def), def);
}
