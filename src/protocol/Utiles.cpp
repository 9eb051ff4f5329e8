#include "Utiles.h"

#include "FileUtils.h"
#include "NumFormat.h"
#include "StrUtils.h"

#include <algorithm>
#include <array>
#include <climits>
#include <tuple>
#include <unistd.h>

namespace vxt {

namespace {

int32_t LeadingNumber(const std::string &s)
{
    int32_t v;
    if (TryStrToInt(s, v)) return v;
    long long n = 0;
    size_t i = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && n < INT32_MAX) n = n * 10 + (s[i++] - '0');
    return int32_t(std::min<long long>(n, INT32_MAX));
}

std::array<int32_t, 3> VersionNumbers(const std::string &text)
{
    std::string rest = text + ".0.0.";
    std::array<int32_t, 3> r{};
    for (int i = 0; i < 3; ++i) {
        size_t dot = rest.find('.');
        r[size_t(i)] = LeadingNumber(rest.substr(0, dot));
        rest = dot == std::string::npos ? std::string() : rest.substr(dot + 1, i < 2 ? 10 : std::string::npos);
    }
    return r;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ValidChars(const std::string &t, bool allowAt)
{
    for (char c : t) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                  c == '.' || c == '_' || (allowAt && c == '@');
        if (!ok) return false;
    }
    return true;
}

}  // namespace

bool VersionLess(const std::string &a, const std::string &b)
{
    return VersionNumbers(a) < VersionNumbers(b);
}

std::string ByteToHex(uint8_t b)
{
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string{kDigits[b >> 4], kDigits[b & 15]};
}

uint8_t HexToByte(const std::string &s)
{
    int hi = s.size() >= 1 ? HexDigit(s[0]) : -1;
    int lo = s.size() >= 2 ? HexDigit(s[1]) : -1;
    if (hi < 0 || lo < 0) throw EConvertError("'" + s + "' is not a valid hexadecimal byte");
    return uint8_t(hi * 16 + lo);
}

std::string ScrambleToHex(const std::string &s)
{
    std::string r;
    r.reserve(s.size() * 2);
    for (unsigned char b : s) r += ByteToHex(uint8_t(256 - b));
    return r;
}

std::string UnscrambleFromHex(const std::string &s)
{
    std::string r;
    r.reserve(s.size() / 2);
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
        if (hi < 0 || lo < 0) return std::string();
        r += char(uint8_t(256 - (hi * 16 + lo)));
    }
    return r;
}

bool IsInteger(const std::string &s)
{
    int32_t v;
    return TryStrToInt(s, v);
}

bool IsFloat(const std::string &s)
{
    double v;
    return TryStrToFloat(s, v);
}

bool IsValidEMail(const std::string &s)
{
    std::string t = Trim(s);
    return !t.empty() && ValidChars(t, true) && Contains(t, "@");
}

bool IsValidName(const std::string &s)
{
    std::string t = Trim(s);
    return !t.empty() && ValidChars(t, false);
}

std::string GetAppDir()
{
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    return ExtractFilePath(std::string(buf, size_t(n)));
}

std::string ModelName(const std::string &code)
{
    static const std::pair<const char *, const char *> kModels[] = {
        {"1113", "Tarnex-10"},       {"1121", "Tarnex-1C"},         {"1120", "Tarnex-20/11"},
        {"1114", "Tarnex-40/22/31"}, {"1115", "Molgo-1C-MB"},       {"1132", "Molgo-10-MB"},
        {"1130", "Molgo-11-MB"},     {"1131", "Molgo-22-MB"},       {"1122", "Molgo-10-MB-DF1"},
        {"1300", "Nepro-20-MB-DF1"}, {"1112", "Rudix-10"},          {"1111", "Rudix-1C"},
        {"1119", "Velto-1C-MB"},     {"1118", "Velto-10-MB"},       {"1117", "Velto-1C-DF1"},
        {"1116", "Velto-10-DF1"},    {"1110", "Velto-1C-HL"},       {"1109", "Velto-10-HL"},
        {"2113", "Fonbrid-1000-LE"}, {"2121", "Fonbrid-1C00-LE"},   {"2120", "Fonbrid-2000-LE"},
        {"2114", "Fonbrid-4000-LE"}, {"4100", "Zanit-AI"},          {"1310", "499KWS10000"},
        {"4000", "Molgo-PBX"},       {"4001", "Molgo-MBF"},         {"1201", "Pikran-1000"},
        {"1204", "Pikran-4000"},
    };
    for (const auto &m : kModels)
        if (code == m.first) return m.second;
    return "Porlin Device";
}

bool DecimalIsComma() { return DecimalSeparator() == ','; }

std::string FixDecimalSeparator(const std::string &s)
{
    std::string t = Trim(s);
    if (t.empty()) return t;
    if (t[0] != '-' && (t[0] < '0' || t[0] > '9')) return s;
    const bool comma = DecimalIsComma();
    for (char &c : t) {
        if (comma && c == '.') c = ',';
        else if (!comma && c == ',') c = '.';
    }
    return t;
}

}  // namespace vxt
