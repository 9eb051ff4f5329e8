#include "ConfigFile.h"

#include "FileUtils.h"
#include "GatewayTables.h"
#include "NumFormat.h"
#include "StrUtils.h"
#include "Utiles.h"

namespace vxt {

namespace {

const char *const kCom = "COM";
const char *const kSmtp = "SMTP";
const int kComTypeWire[] = {0, 2, 3};

// A warning quotes at most a line's worth of a value, so that every box fits the screen.
constexpr size_t kMaxQuoted = 80;

std::string Quoted(const std::string &value)
{
    return value.size() <= kMaxQuoted ? value : Utf8Prefix(value, kMaxQuoted) + "...";
}

std::string InvalidValueText(const std::string &label, const std::string &read, const std::string &defaultText)
{
    return Format("The paramenter \"%s\" has not a valid value (%s).\r\n Value \"%s\" is taken as Default.",
                  label.c_str(), Quoted(read).c_str(), defaultText.c_str());
}

std::string TagSection(int i) { return "TAG" + std::to_string(i); }

// No control character is written (the file's own check); the refusal names the value as the tag
// list shows it: its column and the tag's name, or the tag's row where the name is no help.
// (The list shows the name's bytes as Latin-1 letters; a message is UTF-8.)
void RefuseControlChars(const TFamilyDesc &family, const TMemIniFile &ini, const std::vector<TTagRow> &rows)
{
    for (size_t i = 0; i < rows.size() && i < size_t(kMaxTags); ++i) {
        const std::string &name = rows[i].empty() ? std::string() : rows[i][0];
        for (size_t c = 0; c < rows[i].size() && c < family.TagColumns.size(); ++c) {
            const size_t at = FindControlChar(rows[i][c]);
            if (at == std::string::npos) continue;
            const char *caption = family.TagColumns[c].Caption;
            const std::string tag = name.empty() || FindControlChar(name) != std::string::npos
                                        ? "the tag in row " + std::to_string(i + 1)
                                        : "the tag \"" + Quoted(Latin1ToUtf8(name)) + "\"";
            throw EFileError("Cannot write file \"" + ini.FileName() + "\". The " + (caption ? caption : "kind") +
                             " of " + tag + " holds the control character " + CharCode(uint8_t(rows[i][c][at])) + ".");
        }
    }
}

int &SerialField(TSerialSettings &s, ComField f)
{
    switch (f) {
    case ComField::ComType: return s.ComType;
    case ComField::Baud: return s.Baud;
    case ComField::Parity: return s.Parity;
    case ComField::Format: return s.Format;
    case ComField::ScanTime: return s.ScanTime;
    case ComField::MsgTimeout: return s.MsgTimeout;
    case ComField::PktTimeout: return s.PktTimeout;
    case ComField::DataBits: return s.DataBits;
    case ComField::ErrorMethod: return s.ErrorMethod;
    }
    return s.ComType;
}

}  // namespace

int ReadInteger(const TMemIniFile &ini, const std::string &section, const std::string &key, int def,
                const std::string &label, const std::string &defaultText, int min, int max, bool &replaced,
                const TWarning &warn)
{
    const std::string text = ini.ReadString(section, key, "");
    int32_t v;
    if (IsInteger(text) && TryStrToInt(text, v) && v >= min && v <= max) {
        replaced = false;
        return v;
    }
    if (warn) warn(InvalidValueText(label, text, defaultText));
    replaced = true;
    return def;
}

std::string ReadString(const TMemIniFile &ini, const std::string &section,
                       const std::string &key, const std::string &def, int maxLength, bool &replaced,
                       const TWarning &warn)
{
    std::string text = ini.ReadString(section, key, def);
    replaced = false;
    if (int(text.size()) > maxLength) {
        const std::string cut = text.substr(0, size_t(maxLength));
        if (warn)
            warn(Format("The paramenter \"%s\" is too large.\r\n Value \"%s\" is taken as Default.",
                        Quoted(text).c_str(), Quoted(cut).c_str()));
        text = cut;
        replaced = true;
    }
    return text;
}

TSerialSettings ReadSerialSettings(const TFamilyDesc &family, const TMemIniFile &ini, bool &replaced,
                                   const TWarning &warn)
{
    TSerialSettings s;
    for (const TComKey &k : family.ComKeys) {
        bool r = false;
        const int v = ReadInteger(ini, kCom, k.Key, k.Default, k.Label, k.DefaultText, k.Min, k.Max, r, warn);
        replaced = replaced || r;
        switch (k.Field) {
        case ComField::ComType:
            s.ComType = v <= 1 ? 0 : v - 1;
            break;
        case ComField::Baud:
            s.Baud = BaudIndex(v);
            if (s.Baud < 0) {
                // Within the bounds but no rate of the list: the default, and the file is not marked.
                if (warn) warn(InvalidValueText(k.Label, IntToStr(v), k.DefaultText));
                s.Baud = BaudIndex(k.Default);
            }
            break;
        default:
            SerialField(s, k.Field) = v;
        }
    }
    return s;
}

TEmailSettings ReadEmailSettings(const TFamilyDesc &family, const TMemIniFile &ini, bool &replaced,
                                 const TWarning &warn)
{
    TEmailSettings e;
    auto str = [&](const char *key, int maxLength) {
        bool r = false;
        std::string v = ReadString(ini, kSmtp, key, "", maxLength, r, warn);
        replaced = replaced || r;
        return v;
    };
    auto num = [&](const char *key, int def, const char *label, const char *defText, int min, int max) {
        bool r = false;
        const int v = ReadInteger(ini, kSmtp, key, def, label, defText, min, max, r, warn);
        replaced = replaced || r;
        return v;
    };
    e.Enable = ini.ReadBool(kSmtp, "ENABLE", false);
    e.Server = str("SERVER", 49);
    e.Timeout = num("TIMEOUT", 20, family.TimeoutLabel, "20 sec", 1, 100);
    e.Retries = num("RETRIES", 5, family.RetriesLabel, "5 times", 0, 99);
    e.RetryInt = num("RETRYINT", 10, family.RetryIntLabel, "10 sec", 1, 100);
    e.From = str("FROM", 50);
    e.Auth = ini.ReadBool(kSmtp, "AUTH", false);
    e.User = str("USER", 49);
    e.Pass = str("PASS", family.PassMaxLength);
    e.PassConfirm = str("PASS", family.PassMaxLength);
    for (int i = 0; i <= kMaxRecipients; ++i) {
        const std::string to = str(("TOO_" + std::to_string(i)).c_str(), 50);
        if (!to.empty()) e.Recipients.push_back(to);
    }
    if (int(e.Recipients.size()) > kMaxRecipients) {
        // The device and the configuration hold five; the next save drops the rest.
        if (warn)
            warn(Format("The file holds more than %d E-Mail Addresses.\r\n Only the first %d are taken.",
                        kMaxRecipients, kMaxRecipients));
        e.Recipients.resize(kMaxRecipients);
        replaced = true;
    }
    return e;
}

std::vector<TTagRow> ReadTagRows(const TFamilyDesc &family, const TMemIniFile &ini)
{
    std::vector<TTagRow> rows;
    for (int i = 0; i < kMaxTags; ++i) {
        const std::string section = TagSection(i);
        if (!ini.SectionExists(section)) break;
        TTagRow row;
        for (const TTagColumn &c : family.TagColumns) {
            std::string v = ini.ReadString(section, c.Key, c.Default);
            // A file written where the decimal point is the other one is read all the same.
            if (c.NumberValue) v = FixDecimalSeparator(v);
            row.push_back(v);
        }
        rows.push_back(row);
    }
    return rows;
}

void WriteHeader(const TFamilyDesc &family, TMemIniFile &ini)
{
    ini.WriteString("GENERAL", "FILETYPE", family.FileType);
    ini.WriteString("GENERAL", "FILEVERSION", family.FileVersion);
}

void WriteSerialSettings(const TFamilyDesc &family, TMemIniFile &ini, const TSerialSettings &s)
{
    TSerialSettings copy = s;
    for (const TComKey &k : family.ComKeys) {
        int v = SerialField(copy, k.Field);
        if (k.Field == ComField::ComType) v = v >= 0 && v < 3 ? kComTypeWire[v] : 0;
        if (k.Field == ComField::Baud) v = v >= 0 && v < int(BaudRates().size()) ? BaudRates()[size_t(v)] : 9600;
        ini.WriteInteger(kCom, k.Key, v);
    }
}

void WriteEmailSettings(TMemIniFile &ini, const TEmailSettings &e)
{
    ini.WriteBool(kSmtp, "ENABLE", e.Enable);
    ini.WriteString(kSmtp, "SERVER", Trim(e.Server));
    ini.WriteInteger(kSmtp, "TIMEOUT", e.Timeout);
    ini.WriteInteger(kSmtp, "RETRIES", e.Retries);
    ini.WriteInteger(kSmtp, "RETRYINT", e.RetryInt);
    ini.WriteString(kSmtp, "FROM", Trim(e.From));
    ini.WriteBool(kSmtp, "AUTH", e.Auth);
    ini.WriteString(kSmtp, "USER", Trim(e.User));
    ini.WriteString(kSmtp, "PASS", Trim(e.Pass));
    for (int i = 0; i <= kMaxRecipients; ++i) {
        const bool used = i < int(e.Recipients.size()) && i < kMaxRecipients;
        ini.WriteString(kSmtp, "TOO_" + std::to_string(i), used ? Trim(e.Recipients[size_t(i)]) : std::string());
    }
}

void WriteTagRows(const TFamilyDesc &family, TMemIniFile &ini, const std::vector<TTagRow> &rows)
{
    RefuseControlChars(family, ini, rows);
    for (int i = 0; i < kMaxTags && ini.SectionExists(TagSection(i)); ++i) ini.EraseSection(TagSection(i));
    for (size_t i = 0; i < rows.size() && i < size_t(kMaxTags); ++i) {
        const std::string section = TagSection(int(i));
        for (size_t c = 0; c < family.TagColumns.size(); ++c) {
            const TTagColumn &col = family.TagColumns[c];
            std::string v = c < rows[i].size() ? rows[i][c] : std::string();
            if (family.ConvertDecimal && col.NumberValue) v = FixDecimalSeparator(v);
            ini.WriteString(section, col.Key, v);
        }
    }
}

void WriteConfigFile(const TFamilyDesc &family, TMemIniFile &ini, const TSerialSettings &s, const TEmailSettings &e,
                     const std::vector<TTagRow> &rows)
{
    WriteHeader(family, ini);
    WriteSerialSettings(family, ini, s);
    WriteEmailSettings(ini, e);
    WriteTagRows(family, ini, rows);
}

}  // namespace vxt
