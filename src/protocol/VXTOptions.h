// The program's own settings in "vxt.ini" beside the program: the HTTP proxy and the FTP firewall
// for remote devices. Every call reads or writes the file (within a TSettingsUpdate, its image);
// nothing is cached. A setter changes only its own key's lines. A new file is created readable by
// its owner only: it holds the proxy credentials.
#pragma once

#include <cstdint>
#include <string>

namespace vxt {

std::string GetIniFileName();
// Points the settings at another file (tests); an empty name restores the program folder's one.
void SetIniFileNameOverride(const std::string &fileName);

// What makes the settings file unusable (it cannot be read, is far too large, is no text or holds
// no settings), naming the file and saying what follows; empty when it is usable or absent. While
// it is unusable every setting reads as its default.
std::string SettingsFileProblem();
// The problem of the settings file when the user has not been shown it yet, else an empty text.
// Once taken it counts as shown: the setters then replace the unusable file instead of raising it.
std::string TakeSettingsFileProblem();

// While one lives, the setters change one image of the file instead of the file, and the getters
// read that image; Commit writes it once, atomically, so that the file is either wholly changed or
// byte-equal to before. Ended without Commit, it writes nothing. One at a time.
class TSettingsUpdate {
public:
    TSettingsUpdate();   // EFileError: the file is unusable and the user has not been told
    ~TSettingsUpdate();
    TSettingsUpdate(const TSettingsUpdate &) = delete;
    TSettingsUpdate &operator=(const TSettingsUpdate &) = delete;
    void Commit();       // EFileError, the file left as it was
};

bool GetHttpProxyAuth();
bool GetHttpProxyEnabled();
std::string GetHttpProxyServer();
int32_t GetHttpProxyPort();
std::string GetHttpProxyUserName();
std::string GetHttpProxyPassword();
void SetHttpProxyAuth(bool value);
void SetHttpProxyEnabled(bool value);
void SetHttpProxyServer(const std::string &value);
void SetHttpProxyPort(int32_t value);
void SetHttpProxyUserName(const std::string &value);
void SetHttpProxyPassword(const std::string &value);

bool GetFtpProxyAuth();
bool GetFtpProxyEnabled();
std::string GetFtpProxyServer();
int32_t GetFtpProxyPort();
std::string GetFtpProxyUserName();
std::string GetFtpProxyPassword();
uint8_t GetFtpProxyMethod();
void SetFtpProxyAuth(bool value);
void SetFtpProxyEnabled(bool value);
void SetFtpProxyServer(const std::string &value);
void SetFtpProxyPort(int32_t value);
void SetFtpProxyUserName(const std::string &value);
void SetFtpProxyPassword(const std::string &value);
void SetFtpProxyMethod(uint8_t value);

}  // namespace vxt
