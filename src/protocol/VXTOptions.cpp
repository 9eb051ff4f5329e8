#include "VXTOptions.h"

#include "IniFile.h"
#include "KProt.h"
#include "StrUtils.h"
#include "Utiles.h"

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

void WriteAuthData(TMemIniFile &ini, const char *section, const Credentials &c)
{
    TPacket p;
    p.SetCommand("AUTHDATA");
    p.AddString("USERNAME", EscapeSlash(c.User));
    p.AddString("PASSWORD", EscapeSlash(c.Pass));
    // The escaped "/" codes must not be escaped again: the packet leaves "/" as it is.
    ini.WriteString(section, "AUTHDATA", ScrambleToHex(p.GetText()));
}

bool ReadBool(const char *section, const char *key)
{
    TMemIniFile ini(GetIniFileName());
    return ini.ReadBool(section, key, false);
}

int32_t ReadInt(const char *section, const char *key, int32_t def)
{
    TMemIniFile ini(GetIniFileName());
    return ini.ReadInteger(section, key, def);
}

std::string ReadStr(const char *section, const char *key)
{
    TMemIniFile ini(GetIniFileName());
    return ini.ReadString(section, key, "");
}

template <typename F>
void Change(F &&f)
{
    TMemIniFile ini(GetIniFileName());
    f(ini);
    ini.UpdateFile();
}

void SetUser(const char *section, const std::string &value)
{
    Change([&](TMemIniFile &ini) {
        Credentials c = ReadAuthData(ini, section);
        c.User = value;
        WriteAuthData(ini, section, c);
    });
}

void SetPass(const char *section, const std::string &value)
{
    Change([&](TMemIniFile &ini) {
        Credentials c = ReadAuthData(ini, section);
        c.Pass = value;
        WriteAuthData(ini, section, c);
    });
}

}  // namespace

std::string GetIniFileName() { return g_override.empty() ? GetAppDir() + "vxt.ini" : g_override; }

void SetIniFileNameOverride(const std::string &fileName) { g_override = fileName; }

bool GetHttpProxyAuth() { return ReadBool(kHttp, "AUTH"); }
bool GetHttpProxyEnabled() { return ReadBool(kHttp, "ENABLED"); }
std::string GetHttpProxyServer() { return ReadStr(kHttp, "SERVER"); }
int32_t GetHttpProxyPort() { return ReadInt(kHttp, "PORT", 0); }
std::string GetHttpProxyUserName() { return ReadAuthData(TMemIniFile(GetIniFileName()), kHttp).User; }
std::string GetHttpProxyPassword() { return ReadAuthData(TMemIniFile(GetIniFileName()), kHttp).Pass; }

void SetHttpProxyAuth(bool v) { Change([&](TMemIniFile &ini) { ini.WriteBool(kHttp, "AUTH", v); }); }
void SetHttpProxyEnabled(bool v) { Change([&](TMemIniFile &ini) { ini.WriteBool(kHttp, "ENABLED", v); }); }
void SetHttpProxyServer(const std::string &v) { Change([&](TMemIniFile &ini) { ini.WriteString(kHttp, "SERVER", v); }); }
void SetHttpProxyPort(int32_t v) { Change([&](TMemIniFile &ini) { ini.WriteInteger(kHttp, "PORT", v); }); }
void SetHttpProxyUserName(const std::string &v) { SetUser(kHttp, v); }
void SetHttpProxyPassword(const std::string &v) { SetPass(kHttp, v); }

bool GetFtpProxyAuth() { return ReadBool(kFtp, "AUTH"); }
bool GetFtpProxyEnabled() { return ReadBool(kFtp, "ENABLED"); }
std::string GetFtpProxyServer() { return ReadStr(kFtp, "SERVER"); }
int32_t GetFtpProxyPort() { return ReadInt(kFtp, "PORT", 0); }
std::string GetFtpProxyUserName() { return ReadAuthData(TMemIniFile(GetIniFileName()), kFtp).User; }
std::string GetFtpProxyPassword() { return ReadAuthData(TMemIniFile(GetIniFileName()), kFtp).Pass; }
uint8_t GetFtpProxyMethod() { return uint8_t(ReadInt(kFtp, "METHOD", 1)); }

void SetFtpProxyAuth(bool v) { Change([&](TMemIniFile &ini) { ini.WriteBool(kFtp, "AUTH", v); }); }
void SetFtpProxyEnabled(bool v) { Change([&](TMemIniFile &ini) { ini.WriteBool(kFtp, "ENABLED", v); }); }
void SetFtpProxyServer(const std::string &v) { Change([&](TMemIniFile &ini) { ini.WriteString(kFtp, "SERVER", v); }); }
void SetFtpProxyPort(int32_t v) { Change([&](TMemIniFile &ini) { ini.WriteInteger(kFtp, "PORT", v); }); }
void SetFtpProxyUserName(const std::string &v) { SetUser(kFtp, v); }
void SetFtpProxyPassword(const std::string &v) { SetPass(kFtp, v); }
void SetFtpProxyMethod(uint8_t v) { Change([&](TMemIniFile &ini) { ini.WriteInteger(kFtp, "METHOD", v); }); }

}  // namespace vxt
