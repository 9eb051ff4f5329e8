#include "VXTOptions.h"

#include "FileUtils.h"
#include "IniFile.h"
#include "KProt.h"
#include "StrUtils.h"
#include "Utiles.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace vxt {

namespace {

std::string g_override;

const char *kHttp = "PROXYHTTP";
const char *kFtp = "PROXYFTP";

// The credential message cannot carry "/" as it stands (the reader takes it for a code), so the
// settings write it as "/sl" and read that back; any other text reads as the device's messages do.
std::string EscapeSlash(const std::string &v)
{
    std::string r;
    for (char c : v) r += c == '/' ? std::string("/sl") : std::string(1, c);
    return r;
}

std::string ReadCredential(const TPacket &p, const std::string &key)
{
    std::string raw = p.GetRawValue(key);
    std::string out, chunk;
    size_t i = 0;
    while (i < raw.size()) {
        size_t slash = raw.find("/sl", i);
        if (slash == std::string::npos) slash = raw.size();
        // Decode up to the next "/sl"; a code that straddles it cannot occur in what we write.
        out += KProtUnescape(raw.substr(i, slash - i));
        if (slash < raw.size()) out += '/';
        i = slash + 3;
    }
    return out;
}

struct Credentials {
    std::string User, Pass;
};

Credentials ReadAuthData(const TMemIniFile &ini, const char *section)
{
    TPacket p;
    p.SetText(UnscrambleFromHex(ini.ReadString(section, "AUTHDATA", "")));
    return {ReadCredential(p, "USERNAME"), ReadCredential(p, "PASSWORD")};
}

std::string AuthDataValue(const Credentials &c)
{
    TPacket p;
    p.SetCommand("AUTHDATA");
    p.AddString("USERNAME", EscapeSlash(c.User));
    p.AddString("PASSWORD", EscapeSlash(c.Pass));
    // The escaped "/" codes must not be escaped again: the packet leaves "/" as it is.
    return ScrambleToHex(p.GetText());
}

// A settings file holds two short sections: anything far larger is no settings file.
constexpr int64_t kMaxSettingsFileSize = 65536;

// The problem the user has been shown: from then on a setter may replace the unusable file.
std::string g_shownProblem;

bool HoldsSomething(const std::string &text)
{
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of("\r\n", i);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(i, end - i));
        if (!line.empty() && line[0] != ';' && line[0] != '#') return true;
        i = end + 1;
    }
    return false;
}

// The image that an open TSettingsUpdate gathers the changes in.
std::optional<std::string> g_image;

// Loads the settings into `ini` (named after the settings file) and their text into `raw`: those of
// an open update, else the file's. When the file cannot be used, both stay empty, so that every
// setting reads as its default, and the result says why.
std::string LoadSettings(TMemIniFile &ini, std::string *raw = nullptr)
{
    const std::string path = GetIniFileName();
    ini.SetFileName(path);
    if (g_image) {
        ini.LoadFromText(*g_image);
        if (raw) *raw = *g_image;
        return std::string();
    }
    if (!FileExists(path)) return std::string();
    // Through a link, the file actually read is the one to look at.
    const std::string target = LinkTarget(path);
    const std::string file =
        "The settings file \"" + path + "\" " + (target != path ? "(a link to \"" + target + "\") " : "");
    std::string why;
    const int64_t size = FileSize(path);
    std::string text;
    if (size > kMaxSettingsFileSize) {
        why = file + "cannot be read: it is too large (" + IntToStr(size) +
              " bytes, where a settings file holds less than " + IntToStr(kMaxSettingsFileSize) + ").";
    } else if (!MayReadFile(path)) {
        why = file + "cannot be read: " + std::strerror(EACCES) + ".";
    } else {
        try {
            text = ReadFileBytes(path);
        } catch (const EFileError &e) {
            why = file + "cannot be read.\r\n" + e.what();
        }
    }
    if (why.empty()) {
        const size_t zero = text.find('\0');
        if (zero != std::string::npos) {
            why = file + "cannot be read: it holds a zero byte at offset " + IntToStr(int64_t(zero)) +
                  ", which no settings file holds.";
        } else {
            ini.LoadFromText(text);
            if (ini.ReadSections().empty() && HoldsSomething(text)) {
                ini.Clear();
                why = file + "holds no settings this program can read.";
            }
        }
    }
    if (why.empty()) {
        if (raw) *raw = text;
        return why;
    }
    return why + (MayWriteFile(path) ? "\r\nThe default settings are used; OK in the Options dialog replaces the file."
                                     : "\r\nThe default settings are used.");
}

bool ReadBool(const char *section, const char *key)
{
    TMemIniFile ini;
    LoadSettings(ini);
    return ini.ReadBool(section, key, false);
}

int32_t ReadInt(const char *section, const char *key, int32_t def)
{
    TMemIniFile ini;
    LoadSettings(ini);
    return ini.ReadInteger(section, key, def);
}

std::string ReadStr(const char *section, const char *key)
{
    TMemIniFile ini;
    LoadSettings(ini);
    return ini.ReadString(section, key, "");
}

Credentials ReadCredentials(const char *section)
{
    TMemIniFile ini;
    LoadSettings(ini);
    return ReadAuthData(ini, section);
}

// The file's text, to be changed. An unusable file is replaced (by the changes alone) only once the
// user has been told what is wrong with it.
std::string TextToChange()
{
    TMemIniFile ini;
    std::string text;
    const std::string problem = LoadSettings(ini, &text);
    if (!problem.empty() && problem != g_shownProblem) throw EFileError(problem);
    return text;
}

// The file holds the proxy credentials: for its owner's eyes only, also where it replaces one.
void WriteSettings(const std::string &text) { WriteFileAtomic(GetIniFileName(), text, 0600); }

// Applies `edit` (old text -> new text) to the open update's image, or to the file at once.
template <typename F>
void Change(F &&edit)
{
    const std::string text = g_image ? *g_image : TextToChange();
    std::string changed;
    try {
        changed = edit(text);
    } catch (const EFileError &e) {
        throw EFileError("Cannot write file \"" + GetIniFileName() + "\". " + e.what());
    }
    if (g_image) *g_image = std::move(changed);
    else WriteSettings(changed);
}

void SetValue(const char *section, const char *key, const std::string &value)
{
    Change([&](const std::string &text) { return IniTextWithValue(text, section, key, value); });
}

void SetBool(const char *section, const char *key, bool value) { SetValue(section, key, value ? "1" : "0"); }
void SetInt(const char *section, const char *key, int32_t value) { SetValue(section, key, IntToStr(value)); }

void SetCredential(const char *section, std::string Credentials::*field, const std::string &value)
{
    Change([&](const std::string &text) {
        TMemIniFile ini;
        ini.LoadFromText(text);
        Credentials c = ReadAuthData(ini, section);
        c.*field = value;
        return IniTextWithValue(text, section, "AUTHDATA", AuthDataValue(c));
    });
}

}  // namespace

std::string GetIniFileName() { return g_override.empty() ? GetAppDir() + "vxt.ini" : g_override; }

void SetIniFileNameOverride(const std::string &fileName)
{
    g_override = fileName;
    g_shownProblem.clear();
}

std::string SettingsFileProblem()
{
    TMemIniFile ini;
    return LoadSettings(ini);
}

std::string TakeSettingsFileProblem()
{
    const std::string problem = SettingsFileProblem();
    if (problem.empty() || problem == g_shownProblem) return std::string();
    g_shownProblem = problem;
    return problem;
}

bool GetHttpProxyAuth() { return ReadBool(kHttp, "AUTH"); }
bool GetHttpProxyEnabled() { return ReadBool(kHttp, "ENABLED"); }
std::string GetHttpProxyServer() { return ReadStr(kHttp, "SERVER"); }
int32_t GetHttpProxyPort() { return ReadInt(kHttp, "PORT", 0); }
std::string GetHttpProxyUserName() { return ReadCredentials(kHttp).User; }
std::string GetHttpProxyPassword() { return ReadCredentials(kHttp).Pass; }

void SetHttpProxyAuth(bool v) { SetBool(kHttp, "AUTH", v); }
void SetHttpProxyEnabled(bool v) { SetBool(kHttp, "ENABLED", v); }
void SetHttpProxyServer(const std::string &v) { SetValue(kHttp, "SERVER", v); }
void SetHttpProxyPort(int32_t v) { SetInt(kHttp, "PORT", v); }
void SetHttpProxyUserName(const std::string &v) { SetCredential(kHttp, &Credentials::User, v); }
void SetHttpProxyPassword(const std::string &v) { SetCredential(kHttp, &Credentials::Pass, v); }

bool GetFtpProxyAuth() { return ReadBool(kFtp, "AUTH"); }
bool GetFtpProxyEnabled() { return ReadBool(kFtp, "ENABLED"); }
std::string GetFtpProxyServer() { return ReadStr(kFtp, "SERVER"); }
int32_t GetFtpProxyPort() { return ReadInt(kFtp, "PORT", 0); }
std::string GetFtpProxyUserName() { return ReadCredentials(kFtp).User; }
std::string GetFtpProxyPassword() { return ReadCredentials(kFtp).Pass; }
uint8_t GetFtpProxyMethod() { return uint8_t(ReadInt(kFtp, "METHOD", 1)); }

void SetFtpProxyAuth(bool v) { SetBool(kFtp, "AUTH", v); }
void SetFtpProxyEnabled(bool v) { SetBool(kFtp, "ENABLED", v); }
void SetFtpProxyServer(const std::string &v) { SetValue(kFtp, "SERVER", v); }
void SetFtpProxyPort(int32_t v) { SetInt(kFtp, "PORT", v); }
void SetFtpProxyUserName(const std::string &v) { SetCredential(kFtp, &Credentials::User, v); }
void SetFtpProxyPassword(const std::string &v) { SetCredential(kFtp, &Credentials::Pass, v); }
void SetFtpProxyMethod(uint8_t v) { SetInt(kFtp, "METHOD", v); }

TSettingsUpdate::TSettingsUpdate()
{
    if (g_image) throw std::logic_error("one settings update at a time");
    g_image = TextToChange();
}

TSettingsUpdate::~TSettingsUpdate() { g_image.reset(); }

void TSettingsUpdate::Commit() { WriteSettings(*g_image); }

}  // namespace vxt
