// The program's own settings in "vxt.ini" beside the program: the HTTP proxy and the FTP firewall
// for remote devices. Every call reads or writes the file; nothing is cached.
#pragma once

#include <cstdint>
#include <string>

namespace vxt {

std::string GetIniFileName();
// Points the settings at another file (tests); an empty name restores the program folder's one.
void SetIniFileNameOverride(const std::string &fileName);

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
