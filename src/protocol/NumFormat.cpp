#include "NumFormat.h"

#include "StrUtils.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cctype>
#include <cmath>
#include <limits>

namespace vxt {

namespace {
std::atomic<char> g_decimalSeparator{'.'};
constexpr long double kLargestShown = 1.79769313486232E308L;   // FloatToStr of the largest double

// Decimal exponent of the first non-zero digit of a normalised text ("-12.5e3" gives 4), for
// numbers beyond even the long double range; the exponent saturates.
long long LeadingExponent(const std::string &norm)
{
    const size_t e = norm.find('e');
    const size_t end = e == std::string::npos ? norm.size() : e;
    const size_t point = std::min(norm.find('.'), end);
    size_t i = norm[0] == '-' ? 1 : 0;
    while (i < end && (norm[i] == '0' || norm[i] == '.')) ++i;
    if (i == end) return std::numeric_limits<int>::min();   // zero
    const long long lead = i < point ? (long long)(point - i) - 1 : -(long long)(i - point);
    long long exp = 0;
    bool expNeg = false;
    if (e != std::string::npos) {
        size_t j = e + 1;
        if (j < norm.size() && norm[j] == '-') {
            expNeg = true;
            ++j;
        }
        for (; j < norm.size(); ++j) exp = std::min(exp * 10 + (norm[j] - '0'), 1000000000LL);
    }
    return lead + (expNeg ? -exp : exp);
}

}

char DecimalSeparator() { return g_decimalSeparator.load(); }

void SetDecimalSeparator(char sep)
{
    // A zero byte, a blank, a digit, a sign or an exponent letter would make numbers unreadable.
    const bool usable = sep > ' ' && sep < 0x7F && !std::isalnum(static_cast<unsigned char>(sep)) && sep != '+' &&
                        sep != '-';
    g_decimalSeparator.store(usable ? sep : '.');
}

bool TryStrToInt(const std::string &s, int32_t &value)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        neg = s[i] == '-';
        ++i;
    }
    if (i >= s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) return false;
    }
    if (neg) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = int32_t(v);
    return true;
}

int32_t StrToInt(const std::string &s)
{
    int32_t v;
    if (!TryStrToInt(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

bool TryStrToFloat(const std::string &s, double &value)
{
    const char sep = DecimalSeparator();
    std::string t = Trim(s);
    std::string norm;
    size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
        if (t[i] == '-') norm += '-';
        ++i;
    }
    int digits = 0;
    bool seenSep = false;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c >= '0' && c <= '9') {
            norm += c;
            ++digits;
        } else if (c == sep && !seenSep) {
            norm += '.';
            seenSep = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i < t.size()) {
        if (t[i] != 'E' && t[i] != 'e') return false;
        norm += 'e';
        ++i;
        if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
            if (t[i] == '-') norm += '-';
            ++i;
        }
        int expDigits = 0;
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++expDigits) norm += t[i];
        if (expDigits == 0 || i != t.size()) return false;
    }
    double v = 0;
    auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large overflows, too small underflows to zero, as the platform does. FloatToStr shows
        // the largest double rounded up to 15 digits; that text reads back as it.
        long double wide = 0;
        const auto w = std::from_chars(norm.data(), norm.data() + norm.size(), wide);
        const bool beyondWide = w.ec == std::errc::result_out_of_range;
        if (!beyondWide && w.ec != std::errc()) return false;
        if (beyondWide ? LeadingExponent(norm) >= 0 : std::fabs(wide) > kLargestShown) return false;
        const bool neg = norm[0] == '-';
        const double largest = std::numeric_limits<double>::max();
        if (beyondWide) v = neg ? -0.0 : 0.0;
        else if (std::fabs(wide) > largest) v = neg ? -largest : largest;
        else v = double(wide);
    } else if (res.ec != std::errc() || res.ptr != norm.data() + norm.size()) {
        return false;
    }
    value = v;
    return true;
}

double StrToFloat(const std::string &s)
{
    double v;
    if (!TryStrToFloat(s, v)) throw EConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

bool TryStrToSingle(const std::string &s, float &value)
{
    double v;
    if (!TryStrToFloat(s, v) || std::fabs(v) > double(std::numeric_limits<float>::max())) return false;
    value = float(v);
    return true;
}

float StrToSingle(const std::string &s)
{
    float v;
    if (!TryStrToSingle(s, v)) throw EConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

namespace {

// Digits and decimal exponent of v rounded to `sig` significant digits: v = 0.d1d2... * 10^(exp+1).
void SignificantDigits(double v, int sig, std::string &digits, int &exp10)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, sig - 1);
    std::string t(buf, res.ptr);
    size_t e = t.find('e');
    digits.clear();
    for (size_t i = 0; i < e; ++i)
        if (t[i] != '.') digits += t[i];
    exp10 = 0;
    const char *exp = t.c_str() + e + 1;
    std::from_chars(exp + (*exp == '+'), t.c_str() + t.size(), exp10);
}

}  // namespace

std::string FloatToStr(double v)
{
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    if (v == 0) return "0";
    std::string digits;
    int exp10;
    SignificantDigits(v, 15, digits, exp10);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string r = v < 0 ? "-" : "";
    const char sep = DecimalSeparator();
    if (std::fabs(v) < 0.00001 || exp10 >= 15) {
        r += digits[0];
        if (digits.size() > 1) {
            r += sep;
            r += digits.substr(1);
        }
        r += 'E';
        r += std::to_string(exp10);
        return r;
    }
    if (exp10 < 0) {
        r += '0';
        r += sep;
        r += std::string(size_t(-exp10 - 1), '0');
        r += digits;
        return r;
    }
    size_t intLen = size_t(exp10) + 1;
    if (digits.size() <= intLen) {
        r += digits + std::string(intLen - digits.size(), '0');
    } else {
        r += digits.substr(0, intLen);
        r += sep;
        r += digits.substr(intLen);
    }
    return r;
}

std::string FloatToFixed(double v, int decimals)
{
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string r(buf, res.ec == std::errc() ? res.ptr : buf);
    for (char &c : r)
        if (c == '.') c = DecimalSeparator();
    return r;
}

std::string FloatToKProt(double v)
{
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    std::string digits;
    int exp10 = 0;
    if (v == 0) {
        digits = "000000000";
    } else {
        SignificantDigits(v, 9, digits, exp10);
    }
    std::string r = (v < 0 || std::signbit(v)) && v != 0 ? "-" : "";
    r += digits[0];
    r += '.';
    r += digits.substr(1);
    r += 'E';
    r += std::to_string(exp10);
    return r;
}

}  // namespace vxt
