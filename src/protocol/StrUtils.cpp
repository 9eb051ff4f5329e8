#include "StrUtils.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace vxt {

std::string UpperCase(const std::string &s)
{
    std::string r = s;
    for (char &c : r)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return r;
}

std::string LowerCase(const std::string &s)
{
    std::string r = s;
    for (char &c : r)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return r;
}

std::string Trim(const std::string &s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

bool Contains(const std::string &s, const std::string &part) { return s.find(part) != std::string::npos; }

bool StartsWith(const std::string &s, const std::string &prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string &s, const std::string &suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string IntToStr(long long v) { return std::to_string(v); }

std::string Format(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string r;
    if (n > 0) {
        std::vector<char> buf(size_t(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, ap2);
        r.assign(buf.data(), size_t(n));
    }
    va_end(ap2);
    return r;
}

std::string Latin1ToUtf8(const std::string &s)
{
    std::string out;
    out.reserve(s.size());
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Utf8Prefix(const std::string &s, size_t maxBytes)
{
    if (s.size() <= maxBytes) return s;
    size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;   // s[n] starts the cut-off part
    return s.substr(0, n);
}

size_t FindControlChar(const std::string &s)
{
    for (size_t i = 0; i < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) < 0x20 || s[i] == 0x7F) return i;
    return std::string::npos;
}

std::string CharCode(unsigned char c) { return Format("U+%04X", unsigned(c)); }

}  // namespace vxt
