// The records that cross windows, the tag-kind rules and the file-type probes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vxt {

struct TDeviceData {
    std::string Device;      // model name
    std::string Hostname;    // "-" when the device reported none
    std::string MAC;         // key of the device list
    std::string Version;
    std::string IP;
    std::string Netmask;
    std::string Gateway;
    bool DHCP = false;
    std::string RemoteIP;    // empty for a device of the local network
    bool HasHostname = false;
    std::string Username;
    std::string Password;
    bool IsVelto = false;
    bool RFirmware = false;
    bool SNFirmware = false;
    uint8_t Family = 0;      // 0 Modbus, 1 Hostlink, 2 DF1
};

enum : uint8_t { FamilyModbus = 0, FamilyHostlink = 1, FamilyDF1 = 2 };

struct TEmailConfig {
    bool Enable = false;
    std::string Server;
    int32_t Timeout = 0;
    int32_t Retries = 0;
    int32_t RetryInt = 0;
    std::string From;
    std::array<std::string, 5> Recipients;
    int32_t RecipientCount = 0;
    bool Auth = false;
    std::string User;
    std::string Pass;
};

struct TTagValue {
    float AsFloat = 0;
    int32_t AsInteger = 0;
    bool AsBoolean = false;
};

using TTagKind = uint8_t;
enum : TTagKind { KindDigital = 0, KindInteger = 1, KindFloat = 2 };

// The fields every family's tag shares, in the families' order around their own fields.
struct TModbusTagConfig {
    std::string Name;
    uint8_t Source = 0;
    int32_t UnitID = 0;
    uint8_t Type = 0;
    uint8_t RegTable = 0;
    int32_t Address = 0;
    int32_t BitPos = 0;
    bool Reg32 = false;
    bool ReadOnly = false;
    bool Limits = false;
    TTagValue WrMin, WrMax;
    bool Alarm = false;
    bool EMail = false;
    TTagValue AlMin, AlMax;
    uint8_t Scale = 0;
    float FactorA = 0, FactorB = 0;
    TTagKind Kind = 0;
    bool Trap = false;
};

struct THostlinkTagConfig {
    std::string Name;
    uint8_t Source = 0;
    int32_t UnitID = 0;
    uint8_t Type = 0;
    uint8_t RegTable = 0;
    int32_t Address = 0;
    int32_t BitPos = 0;
    bool ReadOnly = false;
    bool Limits = false;
    TTagValue WrMin, WrMax;
    bool Alarm = false;
    bool EMail = false;
    TTagValue AlMin, AlMax;
    uint8_t Scale = 0;
    float FactorA = 0, FactorB = 0;
    TTagKind Kind = 0;
};

struct TDF1TagConfig {
    std::string Name;
    uint8_t Source = 0;
    uint8_t Type = 0;
    uint8_t FileType = 0;
    int32_t FileNumber = 0;
    int32_t WordNumber = 0;
    int32_t BitPos = 0;
    bool ReadOnly = false;
    bool Limits = false;
    TTagValue WrMin, WrMax;
    bool Alarm = false;
    bool EMail = false;
    TTagValue AlMin, AlMax;
    uint8_t Scale = 0;
    float FactorA = 0, FactorB = 0;
    TTagKind Kind = 0;
};

constexpr int kMaxTags = 128;

struct TModbusVeltoConfig {
    uint8_t ComType = 0, Baud = 0, Parity = 0, Format = 0;
    int32_t ScanTime = 0, MsgTimeout = 0, PktTimeout = 0;
    TEmailConfig Email;
    int32_t TagCount = 0;
    std::array<TModbusTagConfig, kMaxTags> Tags;
};

struct THostlinkVeltoConfig {
    uint8_t ComType = 0, Baud = 0, Parity = 0;
    int32_t ScanTime = 0, MsgTimeout = 0;
    TEmailConfig Email;
    int32_t TagCount = 0;
    std::array<THostlinkTagConfig, kMaxTags> Tags;
};

struct TDF1VeltoConfig {
    uint8_t ComType = 0, Baud = 0;
    int32_t DataBits = 8;
    uint8_t Parity = 0;        // 0 none, 2 even
    uint8_t ErrorMethod = 0;   // 0 CRC, 1 BCC
    int32_t ScanTime = 0, MsgTimeout = 0;
    TEmailConfig Email;
    int32_t TagCount = 0;
    std::array<TDF1TagConfig, kMaxTags> Tags;
};

TTagKind ModbusTagKind(const TModbusTagConfig &tag);
TTagKind HostlinkTagKind(const THostlinkTagConfig &tag);
TTagKind DF1TagKind(const TDF1TagConfig &tag);

// The probes on a file's content, read whole (ReadDocumentFile): the open command reads a file
// once and both probes and loads it from those bytes.
bool IsModbusConfigContent(const std::string &content);
bool IsHostlinkConfigContent(const std::string &content);
bool IsDF1ConfigContent(const std::string &content);
bool IsSiteContent(const std::string &content);

// The same probes on a file: false for a missing file or one that is no INI text of the family;
// EFileError when a file that exists cannot be read.
bool IsModbusConfigFile(const std::string &fileName);
bool IsHostlinkConfigFile(const std::string &fileName);
bool IsDF1ConfigFile(const std::string &fileName);
bool IsSiteFile(const std::string &fileName);

}  // namespace vxt
