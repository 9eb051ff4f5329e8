#include "CLibraryLocale.h"
#include "DateTime.h"
#include "NumFormat.h"
#include "StrUtils.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace vxt;

TEST(NumFormat, SingleValuesStayWithinTheirRange)
{
    SetDecimalSeparator('.');
    float v = 0;
    EXPECT_TRUE(TryStrToSingle("3.4028234E38", v));
    EXPECT_EQ(v, std::numeric_limits<float>::max());
    EXPECT_TRUE(TryStrToSingle("-1.5", v));
    EXPECT_EQ(v, -1.5f);
    EXPECT_TRUE(TryStrToSingle("1e-50", v));   // too small to hold: zero, as for any float
    EXPECT_EQ(v, 0.0f);
    v = 7;
    for (const char *bad : {"3.5E38", "-1e39", "1e300", "abc", ""}) {
        EXPECT_FALSE(TryStrToSingle(bad, v)) << bad;
        EXPECT_EQ(v, 7.0f) << bad;
    }
    try {
        StrToSingle("1e39");
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'1e39' is not a valid floating point value");
    }
}

TEST(NumFormat, FloatToStrGeneralForm)
{
    SetDecimalSeparator('.');
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(1.5), "1.5");
    EXPECT_EQ(FloatToStr(-25), "-25");
    EXPECT_EQ(FloatToStr(double(0.1f)), "0.100000001490116");
    EXPECT_EQ(FloatToStr(0.00001), "0.00001");
    EXPECT_EQ(FloatToStr(0.0000015), "1.5E-6");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(-2.5e20), "-2.5E20");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    SetDecimalSeparator(',');
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(0.0000015), "1,5E-6");
    SetDecimalSeparator('.');
}

// A separator with no usable byte (the zero byte a non-Latin-1 decimal point once gave) leaves ".",
// so fractions still read and print.
TEST(NumFormat, UnusableSeparatorLeavesPoint)
{
    for (char sep : {'\0', ' ', '\t', '5', '-', '+', 'E', 'e', '\x7F', '\xAB'}) {
        SetDecimalSeparator(',');
        SetDecimalSeparator(sep);
        EXPECT_EQ(DecimalSeparator(), '.') << int(sep);
        EXPECT_EQ(FloatToStr(99.75), "99.75");
        EXPECT_DOUBLE_EQ(StrToFloat("0.5"), 0.5);
    }
    SetDecimalSeparator(',');
    EXPECT_EQ(DecimalSeparator(), ',');
    SetDecimalSeparator('.');
}

TEST(NumFormat, StrToFloatHonoursSeparator)
{
    SetDecimalSeparator(',');
    EXPECT_DOUBLE_EQ(StrToFloat(" 1,5 "), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-2,5e2"), -250);
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);
    SetDecimalSeparator('.');
    EXPECT_DOUBLE_EQ(StrToFloat("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("3."), 3);
    EXPECT_DOUBLE_EQ(StrToFloat("1e-400"), 0);
    for (const char *bad : {"", ".", "e5", "1e", "1e+", "1..2", "1 2", "0x10", "1e5x", "1e999"})
        EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
    try {
        StrToFloat("abc");
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
    try {
        StrToInt("x1");
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
    }
    EXPECT_EQ(StrToInt("  -12"), -12);
    EXPECT_THROW(StrToInt("12 "), EConvertError);
}

TEST(DateTime, EncodeDecodeRoundTrip)
{
    TDateTime t;
    ASSERT_TRUE(TryEncodeDateTime({1899, 12, 30, 0, 0, 0, 0}, t));
    EXPECT_EQ(t.Value, 0);
    ASSERT_TRUE(TryEncodeDateTime({2000, 1, 1, 12, 0, 0, 0}, t));
    EXPECT_DOUBLE_EQ(t.Value, 36526.5);
    ASSERT_TRUE(TryEncodeDateTime({2024, 2, 29, 23, 59, 59, 999}, t));
    EXPECT_EQ(DecodeDateTime(t), (TDateTimeParts{2024, 2, 29, 23, 59, 59, 999}));
    ASSERT_TRUE(TryEncodeDateTime({1800, 6, 1, 6, 0, 0, 0}, t));
    EXPECT_EQ(DecodeDateTime(t), (TDateTimeParts{1800, 6, 1, 6, 0, 0, 0}));
    EXPECT_FALSE(TryEncodeDateTime({2023, 2, 29, 0, 0, 0, 0}, t));
    EXPECT_FALSE(TryEncodeDateTime({2023, 13, 1, 0, 0, 0, 0}, t));
    EXPECT_FALSE(TryEncodeDateTime({2023, 4, 31, 0, 0, 0, 0}, t));
    EXPECT_FALSE(TryEncodeDateTime({2023, 4, 1, 24, 0, 0, 0}, t));
    EXPECT_FALSE(TryEncodeDateTime({2023, 4, 1, 0, 0, 60, 0}, t));
    EXPECT_TRUE(TryEncodeDateTime({1900, 2, 28, 0, 0, 0, 0}, t));
    EXPECT_FALSE(TryEncodeDateTime({1900, 2, 29, 0, 0, 0, 0}, t));
}

TEST(NumFormat, LargestDoubleShownReadsBack)
{
    for (char sep : {'.', ','}) {
        SetDecimalSeparator(sep);
        const double big = std::numeric_limits<double>::max();
        EXPECT_EQ(FloatToStr(big), sep == '.' ? "1.79769313486232E308" : "1,79769313486232E308");
        EXPECT_EQ(StrToFloat(FloatToStr(big)), big);
        EXPECT_EQ(StrToFloat(FloatToStr(-big)), -big);
        // Beyond the 15-digit rounding of the largest double is still out of range.
        double v;
        EXPECT_FALSE(TryStrToFloat(sep == '.' ? "1.79769313486233E308" : "1,79769313486233E308", v));
        EXPECT_FALSE(TryStrToFloat("2E308", v));
    }
    SetDecimalSeparator('.');
}

TEST(DateTime, ValuesOutsideTheYearsDecodeAsTheZeroDate)
{
    const TDateTimeParts zero;
    for (double v : {1e300, -1e300, 1e19, -1e19, 2958466.0, -693594.5, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()})
        EXPECT_EQ(DecodeDateTime(TDateTime{v}), zero) << v;
    TDateTime t;
    ASSERT_TRUE(TryEncodeDateTime({9999, 12, 31, 23, 59, 59, 0}, t));
    EXPECT_EQ(DecodeDateTime(t), (TDateTimeParts{9999, 12, 31, 23, 59, 59, 0}));
    ASSERT_TRUE(TryEncodeDateTime({1, 1, 1, 12, 0, 0, 0}, t));
    EXPECT_EQ(DecodeDateTime(t), (TDateTimeParts{1, 1, 1, 12, 0, 0, 0}));
}

TEST(NumFormat, NumbersIgnoreTheCLibraryLocale)
{
    CLibraryLocale german(kDecimalCommaLocale);
    if (!german.Active()) GTEST_SKIP() << kDecimalCommaLocale << " is not installed (scripts/setup generates it)";
    ASSERT_EQ(Format("%.1f", 1.5), "1,5");   // the C library now writes a comma
    for (char sep : {'.', ','}) {
        SetDecimalSeparator(sep);
        const std::string s(1, sep);
        double v = 7;
        // Beyond the double range: too small reads as zero, too large is refused.
        EXPECT_TRUE(TryStrToFloat("1" + s + "5E-400", v)) << sep;
        EXPECT_EQ(v, 0.0) << sep;
        v = 7;
        EXPECT_FALSE(TryStrToFloat("-1" + s + "8E308", v)) << sep;
        EXPECT_FALSE(TryStrToFloat("1" + s + "8E308", v)) << sep;
        EXPECT_EQ(v, 7.0) << sep;
        EXPECT_EQ(StrToFloat("-1" + s + "79769313486232E308"), -std::numeric_limits<double>::max()) << sep;
        EXPECT_THROW(StrToFloat("1" + s + "79769313486233E308"), EConvertError) << sep;
        // Beyond even the widest type the C library has.
        EXPECT_EQ(StrToFloat("-0" + s + "5E-99999"), 0.0) << sep;
        EXPECT_EQ(StrToFloat("123" + s + "4E-99999999999999999999"), 0.0) << sep;
        EXPECT_THROW(StrToFloat("0" + s + "0001E99999"), EConvertError) << sep;
        EXPECT_DOUBLE_EQ(StrToFloat("-2" + s + "5e2"), -250) << sep;
        float f = 0;
        EXPECT_TRUE(TryStrToSingle("0" + s + "1", f)) << sep;
        EXPECT_EQ(f, 0.1f) << sep;

        EXPECT_EQ(FloatToStr(-2.5e20), "-2" + s + "5E20");
        EXPECT_EQ(FloatToStr(double(0.1f)), "0" + s + "100000001490116");
        EXPECT_EQ(FloatToKProt(1234.5), "1.23450000E3");   // the wire always has a point
        EXPECT_EQ(FloatToKProt(-0.001), "-1.00000000E-3");
        EXPECT_EQ(FloatToFixed(2.0 / 3, 2), "0" + s + "67");
        EXPECT_EQ(FloatToFixed(138 * 100.0 / 1572864, 2), "0" + s + "01");
        EXPECT_EQ(FloatToFixed(56.184, 2), "56" + s + "18");
        EXPECT_EQ(FloatToFixed(0, 2), "0" + s + "00");
    }
    SetDecimalSeparator('.');
}
