#include "NumFormat.h"
#include "StrUtils.h"
#include "Utiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace vxt;

TEST(Utiles, VersionLessComparesNumbers)
{
    EXPECT_TRUE(VersionLess("2.0.5", "2.0.6"));
    EXPECT_FALSE(VersionLess("2.0.6", "2.0.6"));
    EXPECT_FALSE(VersionLess("2.1", "2.0.6"));
    EXPECT_TRUE(VersionLess("2.0", "2.0.1"));
    EXPECT_TRUE(VersionLess("2.9.0", "2.10.0"));
    EXPECT_TRUE(VersionLess("2.0.4", "3.99.99"));
    EXPECT_FALSE(VersionLess("3.99.99", "3.99.99"));
    EXPECT_FALSE(VersionLess("2.0.6.9", "2.0.6"));   // only three numbers count
    // Parts that are no integer count by their leading digits and never raise.
    EXPECT_FALSE(VersionLess("2.0.4-SN", "2.0.4"));
    EXPECT_TRUE(VersionLess("2..4", "2.0.5"));
    EXPECT_TRUE(VersionLess("abc", "0.0.1"));
    EXPECT_FALSE(VersionLess("", ""));
    EXPECT_TRUE(VersionLess("", "0.0.1"));
}

TEST(Utiles, HexCodecAndScrambling)
{
    EXPECT_EQ(ByteToHex(10), "0A");
    EXPECT_EQ(ByteToHex(255), "FF");
    EXPECT_EQ(ByteToHex(0), "00");
    EXPECT_EQ(HexToByte("0A"), 10);
    EXPECT_EQ(HexToByte("FF"), 255);
    EXPECT_EQ(HexToByte("ff"), 255);
    EXPECT_THROW(HexToByte("G1"), EConvertError);
    EXPECT_THROW(HexToByte("1"), EConvertError);

    EXPECT_EQ(ScrambleToHex("abc"), "9F9E9D");
    EXPECT_EQ(ScrambleToHex(""), "");
    EXPECT_EQ(UnscrambleFromHex("9F9E9D"), "abc");
    EXPECT_EQ(UnscrambleFromHex("9F9E9D1"), "abc");   // a last odd digit is ignored
    EXPECT_EQ(UnscrambleFromHex("9FZZ"), "");          // not hexadecimal: nothing
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    std::string big = all + std::string(3000, 'x');    // longer than 1000 bytes, zero byte included
    EXPECT_EQ(UnscrambleFromHex(ScrambleToHex(big)), big);
}

TEST(Utiles, IntegerAndFloatTests)
{
    EXPECT_TRUE(IsInteger("123"));
    EXPECT_TRUE(IsInteger("-5"));
    EXPECT_TRUE(IsInteger("2147483647"));
    EXPECT_FALSE(IsInteger("2147483648"));
    EXPECT_TRUE(IsInteger("-2147483648"));
    EXPECT_FALSE(IsInteger(""));
    EXPECT_FALSE(IsInteger("12a"));
    EXPECT_FALSE(IsInteger("1.0"));
    EXPECT_FALSE(IsInteger("-"));

    SetDecimalSeparator(',');
    EXPECT_TRUE(IsFloat("1,5"));
    EXPECT_FALSE(IsFloat("1.5"));
    SetDecimalSeparator('.');
    EXPECT_TRUE(IsFloat("1.5"));
    EXPECT_FALSE(IsFloat("1,5"));
    EXPECT_TRUE(IsFloat("-2E3"));
    EXPECT_FALSE(IsFloat("abc"));
    EXPECT_FALSE(IsFloat(""));
}

TEST(Utiles, EMailAndNameValidators)
{
    EXPECT_TRUE(IsValidEMail("a@b"));
    EXPECT_FALSE(IsValidEMail("ab"));
    EXPECT_FALSE(IsValidEMail(""));
    EXPECT_FALSE(IsValidEMail("   "));
    EXPECT_FALSE(IsValidEMail("a b@c"));
    EXPECT_TRUE(IsValidEMail("  ops@plant.example \t"));
    EXPECT_FALSE(IsValidEMail("a+b@c"));
    EXPECT_FALSE(IsValidEMail("jos\xe9@c"));
    EXPECT_TRUE(IsValidEMail("@@"));
    EXPECT_TRUE(IsValidName("smtp.plant-1.example_x"));
    EXPECT_FALSE(IsValidName("a@b"));
    EXPECT_FALSE(IsValidName(""));
    EXPECT_TRUE(IsValidName(" 10.0.0.5 "));
}

TEST(Utiles, DecimalSeparatorFixUp)
{
    SetDecimalSeparator(',');
    EXPECT_TRUE(DecimalIsComma());
    EXPECT_EQ(FixDecimalSeparator("1.5"), "1,5");
    EXPECT_EQ(FixDecimalSeparator(" -0.25 "), "-0,25");
    EXPECT_EQ(FixDecimalSeparator("abc.d"), "abc.d");
    EXPECT_EQ(FixDecimalSeparator(" x.1 "), " x.1 ");   // untouched, untrimmed
    EXPECT_EQ(FixDecimalSeparator("   "), "");
    SetDecimalSeparator('.');
    EXPECT_FALSE(DecimalIsComma());
    EXPECT_EQ(FixDecimalSeparator("0,5"), "0.5");
    EXPECT_EQ(FixDecimalSeparator("10.0.0.5"), "10.0.0.5");
}

TEST(Utiles, ModelTable)
{
    const std::pair<const char *, const char *> table[] = {
        {"1113", "Tarnex-10"},       {"1121", "Tarnex-1C"},       {"1120", "Tarnex-20/11"},
        {"1114", "Tarnex-40/22/31"}, {"1115", "Molgo-1C-MB"},     {"1132", "Molgo-10-MB"},
        {"1130", "Molgo-11-MB"},     {"1131", "Molgo-22-MB"},     {"1122", "Molgo-10-MB-DF1"},
        {"1300", "Nepro-20-MB-DF1"}, {"1112", "Rudix-10"},        {"1111", "Rudix-1C"},
        {"1119", "Velto-1C-MB"},     {"1118", "Velto-10-MB"},     {"1117", "Velto-1C-DF1"},
        {"1116", "Velto-10-DF1"},    {"1110", "Velto-1C-HL"},     {"1109", "Velto-10-HL"},
        {"2113", "Fonbrid-1000-LE"}, {"2121", "Fonbrid-1C00-LE"}, {"2120", "Fonbrid-2000-LE"},
        {"2114", "Fonbrid-4000-LE"}, {"4100", "Zanit-AI"},        {"1310", "499KWS10000"},
        {"4000", "Molgo-PBX"},       {"4001", "Molgo-MBF"},       {"1201", "Pikran-1000"},
        {"1204", "Pikran-4000"},
    };
    for (const auto &[code, name] : table) EXPECT_EQ(ModelName(code), name) << code;
    EXPECT_EQ(ModelName("9999"), "Porlin Device");
    EXPECT_EQ(ModelName(""), "Porlin Device");
    EXPECT_EQ(ModelName("1118 "), "Porlin Device");
}

TEST(Utiles, SmallHelpers)
{
    EXPECT_EQ(IfThenInt(true, 1, 2), 1);
    EXPECT_EQ(IfThenInt(false, 1, 2), 2);
    EXPECT_EQ(IfThenStr(false, "a", "b"), "b");
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
    std::string exe(buf, size_t(n));
    EXPECT_EQ(GetAppDir(), exe.substr(0, exe.rfind('/') + 1));
}

// A cut never ends inside a character: the bytes of "é" (2) and "配" (3) go whole or not at all.
TEST(Utiles, Utf8PrefixCutsBetweenCharacters)
{
    const std::string s = "ab\xc3\xa9\xe9\x85\x8d";   // "abé配", 7 bytes
    EXPECT_EQ(Utf8Prefix(s, 7), s);
    EXPECT_EQ(Utf8Prefix(s, 100), s);
    EXPECT_EQ(Utf8Prefix(s, 6), "ab\xc3\xa9");
    EXPECT_EQ(Utf8Prefix(s, 4), "ab\xc3\xa9");
    EXPECT_EQ(Utf8Prefix(s, 3), "ab");
    EXPECT_EQ(Utf8Prefix(s, 0), "");
    EXPECT_EQ(Utf8Prefix("\xe9\x85\x8d", 2), "");
}
