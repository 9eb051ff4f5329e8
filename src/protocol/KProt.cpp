#include "KProt.h"

#include "NumFormat.h"
#include "StrUtils.h"

#include <algorithm>
#include <cmath>

namespace vxt {

namespace {

struct Code {
    char ch;
    const char *code;
};
const Code kCodes[] = {{',', "/co"}, {'=', "/eq"}, {'(', "/sp"}, {')', "/ep"}, {';', "/sc"}};

// The code point of the UTF-8 character that begins `s`; a byte that begins none is taken as Latin-1.
unsigned CodePoint(const std::string &s)
{
    const auto byte = [&](size_t i) { return i < s.size() ? unsigned(uint8_t(s[i])) : 0u; };
    const unsigned lead = byte(0);
    size_t len = 1;
    if (lead >= 0xC2 && lead <= 0xDF) len = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) len = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) len = 4;
    if (len == 1) return lead;
    unsigned cp = lead & (0x7Fu >> len);
    for (size_t i = 1; i < len; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return lead;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    return cp;
}

}  // namespace

std::string KProtEscape(const std::string &value)
{
    std::string r;
    r.reserve(value.size());
    for (char c : value) {
        const char *code = nullptr;
        for (const Code &k : kCodes)
            if (k.ch == c) code = k.code;
        if (code)
            r += code;
        else
            r += c;
    }
    return r;
}

std::string KProtUnescape(const std::string &raw)
{
    std::string r;
    size_t i = 0;
    while (i < raw.size()) {
        if (raw[i] != '/') {
            r += raw[i++];
            continue;
        }
        std::string three = raw.substr(i, 3);
        for (const Code &k : kCodes)
            if (three == k.code) r += k.ch;
        i += 3;
    }
    return r;
}

std::string KProtUncarried(const std::string &value)
{
    const size_t at = std::min(value.find('/'), FindControlChar(value));
    return at == std::string::npos ? std::string() : value.substr(at, 1);
}

bool KProtCarries(const std::string &value) { return KProtUncarried(value).empty(); }

std::string KProtRefusal(const std::string &field, const std::string &character)
{
    if (character.size() == 1 && FindControlChar(character) == 0)
        return "The " + field + " cannot contain the control character " + CharCode(uint8_t(character[0])) + ".";
    return "The " + field + " cannot contain \"" + character + "\" (" + Format("U+%04X", CodePoint(character)) + ").";
}

void TPacket::SetCommand(const std::string &name) { Text = UpperCase(name) + "();"; }

void TPacket::AddValue(const std::string &key, const std::string &value)
{
    size_t p = Text.find(");");
    if (p == std::string::npos) return;
    Text.insert(p, UpperCase(key) + "=" + KProtEscape(value) + ",");
}

void TPacket::AddInteger(const std::string &key, int32_t value) { AddValue(key, std::to_string(value)); }

void TPacket::AddBoolean(const std::string &key, bool value) { AddValue(key, value ? "1" : "0"); }

void TPacket::AddFloat(const std::string &key, double value) { AddValue(key, FloatToKProt(value)); }

void TPacket::AddDateTime(const std::string &key, TDateTime value)
{
    TDateTimeParts p = DecodeDateTime(value);
    AddValue(key, Format("%02d%02d%d%02d%02d%02d", p.Day, p.Month, p.Year, p.Hour, p.Minute, p.Second));
}

std::string TPacket::GetRawValue(const std::string &key) const
{
    const std::string s = UpperCase(key) + "=";
    size_t from = 0;
    for (;;) {
        size_t p = Text.find(s, from);
        if (p == std::string::npos) return std::string();
        if (p > 0 && (Text[p - 1] == '(' || Text[p - 1] == ',')) {
            size_t start = p + s.size();
            size_t end = Text.find(',', start);
            return Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        }
        from = p + 1;
    }
}

std::string TPacket::GetValue(const std::string &key) const { return KProtUnescape(GetRawValue(key)); }

std::string TPacket::GetString(const std::string &key, const std::string &def) const
{
    std::string v = GetValue(key);
    return v.empty() ? def : v;
}

int32_t TPacket::GetInteger(const std::string &key, int32_t def) const
{
    std::string v = GetValue(key);
    return v.empty() ? def : StrToInt(v);
}

bool TPacket::GetBoolean(const std::string &key, bool def) const
{
    std::string v = GetValue(key);
    if (v.empty()) return def;
    return v != "0";
}

double TPacket::GetFloat(const std::string &key, double def) const
{
    std::string v = GetValue(key);
    size_t e = v.find('E');
    if (v.empty() || e == std::string::npos) return def;
    int32_t exponent = StrToInt(v.substr(e + 1));
    std::string mantissa = v.substr(0, e);
    for (char &c : mantissa)
        if (c == '.') c = DecimalSeparator();
    long double m = StrToFloat(mantissa);
    return double(m * std::pow(10.0L, (long double)exponent));
}

TDateTime TPacket::GetDateTime(const std::string &key, TDateTime def) const
{
    std::string v = GetValue(key);
    if (v.size() != 14) return def;
    for (char c : v)
        if (c < '0' || c > '9') return def;
    auto num = [&](size_t at, size_t len) { return std::stoi(v.substr(at, len)); };
    TDateTimeParts p{num(4, 4), num(2, 2), num(0, 2), num(8, 2), num(10, 2), num(12, 2), 0};
    TDateTime r;
    return TryEncodeDateTime(p, r) ? r : def;
}

std::string TPacket::GetCommand() const
{
    size_t p = Text.find('(');
    return p == std::string::npos ? std::string() : Text.substr(0, p);
}

bool TPacket::IsCommand(const std::string &name) const { return GetCommand() == UpperCase(name); }

}  // namespace vxt
