// The KProt message reader on any bytes: every typed read of the keys the message holds and of
// the keys the program asks for, the command test, and what the read values write back as.
#include "FuzzSupport.h"
#include "KProt.h"
#include "NumFormat.h"
#include "StrUtils.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

using namespace vxt;

namespace {

const char *const kKeys[] = {"NAME", "COUNT", "A", "ID", "UNITID", "TIME", "VALUE", "V", "E", "", "=", "X(", "name"};

// The keys as the message spells them: the text between "(" or "," and the next "=".
std::set<std::string> KeysOf(const std::string &text)
{
    std::set<std::string> keys;
    for (size_t i = 0; i < text.size() && keys.size() < 16; ++i) {
        if (text[i] != '(' && text[i] != ',') continue;
        size_t eq = text.find('=', i + 1);
        if (eq == std::string::npos) break;
        keys.insert(text.substr(i + 1, eq - i - 1));
    }
    return keys;
}

void ReadKey(const TPacket &p, const std::string &key)
{
    const std::string raw = p.GetRawValue(key);
    const std::string s = p.GetString(key, "\x01");
    FUZZ_CHECK(s == "\x01" || !s.empty());
    (void)p.GetBoolean(key, false);
    try {
        (void)p.GetInteger(key, -7);
    } catch (const EConvertError &) {
    }
    try {
        double f = p.GetFloat(key, 0.25);
        if (std::isfinite(f) && f != 0.25) {
            // What the program writes back reads as the same value to nine digits.
            TPacket echo;
            echo.SetCommand("F");
            echo.AddFloat("F", f);
            double back = echo.GetFloat("F", 0.25);
            FUZZ_CHECK(std::fabs(back - f) <= std::fabs(f) * 1e-8 || std::fabs(f) < 1e-300);
        }
    } catch (const EConvertError &) {
    }
    const TDateTime def{-1.5};
    TDateTime t = p.GetDateTime(key, def);
    // Years before 1000 are written with fewer digits and do not read back (as the devices do).
    if (!(t == def) && DecodeDateTime(t).Year >= 1000) {
        TPacket echo;
        echo.SetCommand("T");
        echo.AddDateTime("T", t);
        FUZZ_CHECK(echo.GetRawValue("T") == KProtUnescape(raw));
        FUZZ_CHECK(echo.GetDateTime("T", def) == t);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    TPacket p;
    p.SetText(text);
    FUZZ_CHECK(p.GetText() == text);

    const std::string cmd = p.GetCommand();
    FUZZ_CHECK(cmd.size() <= text.size());
    FUZZ_CHECK(p.IsCommand(cmd) == (UpperCase(cmd) == cmd));
    (void)p.IsCommand("GETX");
    (void)p.IsCommand("");

    std::set<std::string> keys = KeysOf(text);
    for (const char *k : kKeys) keys.insert(k);
    for (char sep : {'.', ','}) {
        SetDecimalSeparator(sep);
        for (const std::string &k : keys) ReadKey(p, k);
    }
    SetDecimalSeparator('.');

    // Any text the program sends as a value reads back unchanged unless it holds a "/".
    if (text.find('/') == std::string::npos && !text.empty()) {
        TPacket out;
        out.SetCommand("SET");
        out.AddString("V", text);
        FUZZ_CHECK(out.GetString("V", "") == text);
        FUZZ_CHECK(KProtUnescape(KProtEscape(text)) == text);
    }
    (void)KProtUnescape(text);
    return 0;
}
