// Small string helpers with the byte-wise (8-bit, ASCII case) rules the device protocol uses.
#pragma once

#include <stdexcept>
#include <string>

namespace vxt {

// The conversion failure of a text that is not a number; its text is shown to the user as it stands.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string UpperCase(const std::string &s);   // ASCII letters only
std::string LowerCase(const std::string &s);
std::string Trim(const std::string &s);        // drops characters <= ' ' at both ends
bool Contains(const std::string &s, const std::string &part);
bool StartsWith(const std::string &s, const std::string &prefix);
bool EndsWith(const std::string &s, const std::string &suffix);
std::string IntToStr(long long v);
// The UTF-8 text of Latin-1 bytes (device texts and settings shown in messages or sent as UTF-8).
std::string Latin1ToUtf8(const std::string &s);
// At most `maxBytes` of `s`, never ending inside a UTF-8 character (file names and quoted values).
std::string Utf8Prefix(const std::string &s, size_t maxBytes);

// The first control character of `s` (below a blank, or DEL), npos when none. Bytes 0x80 to 0x9F
// are not counted: files and devices of Windows systems use them as letters.
size_t FindControlChar(const std::string &s);
// How a message names a character it cannot show: U+000D.
std::string CharCode(unsigned char c);

// printf-style formatting of the fixed message texts ("%s", "%d").
std::string Format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vxt
