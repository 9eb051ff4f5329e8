#include "IniFile.h"

#include "FileUtils.h"
#include "NumFormat.h"
#include "StrUtils.h"

#include <SimpleIni.h>
#include <string_view>

namespace vxt {

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// SimpleIni means to skip a "[" line that has no "]", but files the keys after it under a section
// named by the rest of the text, which GetText then writes as a different file. Without such lines
// those keys stay in the section before, as the reader intends.
std::string WithoutBrokenSectionLines(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        size_t end = i;
        while (end < text.size() && !IsLineEnd(text[end])) ++end;
        size_t first = i == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : i;   // the reader drops a BOM
        while (first < end && (text[first] == ' ' || text[first] == '\t')) ++first;
        const bool broken = first < end && text[first] == '[' && text.find(']', first) >= end;
        if (!broken) out.append(text, i, end - i);
        while (end < text.size() && IsLineEnd(text[end])) out += text[end++];
        i = end;
    }
    return out;
}

}  // namespace

struct TMemIniFile::Impl {
    CSimpleIniA ini{false, false, false};

    std::string Value(const std::string &section, const std::string &key, const std::string &def, bool *found) const
    {
        const char *v = ini.GetValue(section.c_str(), key.c_str(), nullptr);
        if (found) *found = v != nullptr;
        return v ? std::string(v) : def;
    }
};

TMemIniFile::TMemIniFile() : d(std::make_unique<Impl>()) {}

TMemIniFile::TMemIniFile(const std::string &fileName) : d(std::make_unique<Impl>()), fileName_(fileName)
{
    if (!FileExists(fileName)) return;
    CheckDocumentFileSize(fileName);
    LoadFileContent(ReadFileBytes(fileName));
}

TMemIniFile::TMemIniFile(const std::string &fileName, const std::string &content)
    : d(std::make_unique<Impl>()), fileName_(fileName)
{
    LoadFileContent(content);
}

void TMemIniFile::LoadFileContent(const std::string &content)
{
    // The INI reader ends the text at a zero byte: what follows would be lost on the next save.
    const size_t zero = content.find('\0');
    if (zero != std::string::npos)
        throw EFileError("The File \"" + fileName_ + "\" is not a text file: it holds a zero byte at offset " +
                         std::to_string(zero) + ".");
    LoadFromText(content);
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::Clear() { d->ini.Reset(); }

void TMemIniFile::LoadFromText(const std::string &text)
{
    d->ini.Reset();
    const std::string clean = WithoutBrokenSectionLines(text);
    d->ini.LoadData(clean.data(), clean.size());
}

std::string TMemIniFile::ReadString(const std::string &section, const std::string &key, const std::string &def) const
{
    return d->Value(section, key, def, nullptr);
}

int32_t TMemIniFile::ReadInteger(const std::string &section, const std::string &key, int32_t def) const
{
    bool found;
    std::string v = d->Value(section, key, std::string(), &found);
    int32_t r;
    return found && TryStrToInt(v, r) ? r : def;
}

bool TMemIniFile::ReadBool(const std::string &section, const std::string &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TMemIniFile::WriteString(const std::string &section, const std::string &key, const std::string &value)
{
    // A line break would end the value and start a key or section of its own; no control character
    // the program let in from a device or a file is written on.
    const size_t at = FindControlChar(value);
    if (at != std::string::npos)
        throw EFileError("Cannot write file \"" + fileName_ + "\". The value of " + key + " in [" + section +
                         "] holds the control character " + CharCode(uint8_t(value[at])) + ".");
    d->ini.SetValue(section.c_str(), key.c_str(), value.c_str(), nullptr, true);
}

void TMemIniFile::WriteInteger(const std::string &section, const std::string &key, int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TMemIniFile::WriteBool(const std::string &section, const std::string &key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

bool TMemIniFile::SectionExists(const std::string &section) const
{
    return d->ini.GetSection(section.c_str()) != nullptr;
}

bool TMemIniFile::ValueExists(const std::string &section, const std::string &key) const
{
    return d->ini.GetValue(section.c_str(), key.c_str(), nullptr) != nullptr;
}

std::vector<std::string> TMemIniFile::ReadSections() const
{
    CSimpleIniA::TNamesDepend names;
    d->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> r;
    for (const auto &n : names)
        if (n.pItem && *n.pItem) r.emplace_back(n.pItem);   // keys before any section belong to none
    return r;
}

std::vector<std::string> TMemIniFile::ReadSection(const std::string &section) const
{
    CSimpleIniA::TNamesDepend keys;
    d->ini.GetAllKeys(section.c_str(), keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> r;
    for (const auto &k : keys) r.emplace_back(k.pItem);
    return r;
}

void TMemIniFile::EraseSection(const std::string &section) { d->ini.Delete(section.c_str(), nullptr, true); }

void TMemIniFile::DeleteKey(const std::string &section, const std::string &key)
{
    d->ini.Delete(section.c_str(), key.c_str(), false);
}

std::string TMemIniFile::GetText() const
{
    std::string out;
    for (const std::string &section : ReadSections()) {
        out += "[" + section + "]\r\n";
        for (const std::string &key : ReadSection(section))
            out += key + "=" + d->Value(section, key, std::string(), nullptr) + "\r\n";
        out += "\r\n";
    }
    return out;
}

void TMemIniFile::UpdateFile() const { WriteFileAtomic(fileName_, GetText()); }

namespace {

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Names compare as the reader compares them: ASCII letters without regard to case.
bool SameName(std::string_view a, std::string_view b)
{
    return UpperCase(std::string(a)) == UpperCase(std::string(b));
}

bool EndsWithLineEnd(const std::string &s) { return !s.empty() && IsLineEnd(s.back()); }

// Whether `s` (ending with a line end) ends with an empty line.
bool EndsWithEmptyLine(const std::string &s)
{
    size_t e = s.size();
    if (e >= 2 && s[e - 2] == '\r' && s[e - 1] == '\n') e -= 2;
    else if (e >= 1) e -= 1;
    return e == 0 || IsLineEnd(s[e - 1]);
}

}  // namespace

std::string IniTextWithValue(const std::string &text, const std::string &section, const std::string &key,
                             const std::string &value)
{
    // A line break in the value would start a key or a section of its own.
    const size_t bad = FindControlChar(value);
    if (bad != std::string::npos)
        throw EFileError("The value of " + key + " in [" + section + "] holds the control character " +
                         CharCode(uint8_t(value[bad])) + ".");
    const std::string entry = key + "=" + value;
    std::string out;
    out.reserve(text.size() + entry.size() + section.size() + 8);
    bool inSection = false, found = false;
    size_t insertAt = std::string::npos;   // in `out`, after the section's header or its last key
    size_t i = 0;
    while (i < text.size()) {
        size_t end = i;
        while (end < text.size() && !IsLineEnd(text[end])) ++end;
        size_t next = end;
        if (next < text.size()) next += text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1;
        std::string_view content(text.data() + i, end - i);
        if (i == 0 && content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
        content = TrimBlanks(content);
        bool owned = false;
        if (!content.empty() && content[0] == '[') {
            const size_t close = content.find(']');
            if (close != std::string_view::npos) {
                inSection = SameName(TrimBlanks(content.substr(1, close - 1)), section);
                owned = inSection;
            }
        } else if (inSection && !content.empty() && content[0] != ';' && content[0] != '#') {
            const size_t eq = content.find('=');
            if (eq != std::string_view::npos && eq > 0) {
                owned = true;
                if (SameName(TrimBlanks(content.substr(0, eq)), key)) {
                    out += entry;
                    out.append(text, end, next - end);
                    found = true;
                    insertAt = out.size();
                    i = next;
                    continue;
                }
            }
        }
        out.append(text, i, next - i);
        if (owned) insertAt = out.size();
        i = next;
    }
    if (found) return out;
    if (insertAt != std::string::npos) {
        const bool lineEnded = insertAt > 0 && IsLineEnd(out[insertAt - 1]);
        out.insert(insertAt, (lineEnded ? "" : "\r\n") + entry + "\r\n");
        return out;
    }
    if (!out.empty() && !EndsWithLineEnd(out)) out += "\r\n";
    if (!out.empty() && !EndsWithEmptyLine(out)) out += "\r\n";
    return out + "[" + section + "]\r\n" + entry + "\r\n\r\n";
}

}  // namespace vxt
