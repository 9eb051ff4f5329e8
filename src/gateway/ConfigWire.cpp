#include "ConfigWire.h"

#include "GatewayTables.h"
#include "NumFormat.h"
#include "StrUtils.h"

#include <cmath>
#include <limits>

namespace vxt {

namespace {

const int kComTypeWire[] = {0, 2, 3};
const int kMbFuncWire[] = {4, 3, 1, 0};
const int kHlFuncWire[] = {0, 1, 2, 3, 4, 6};

// The Modbus wire address counts from 0, the record from 1. Any 32-bit value may come from a reply
// or a hand-edited file; the step wraps so the extremes map onto each other and round-trip.
int32_t AddressStep(int32_t v, int32_t step) { return int32_t(uint32_t(v) + uint32_t(step)); }

// COMTYPE and BAUD of every family: left out when the record holds no list entry.
template <typename Config>
void AddComTypeAndBaud(TPacket &p, const Config &c)
{
    p.AddInteger("COM", 0);
    if (c.ComType <= 2) p.AddInteger("COMTYPE", kComTypeWire[c.ComType]);
    if (c.Baud < BaudRates().size()) p.AddInteger("BAUD", BaudRates()[c.Baud]);
}

template <typename Config>
void ReadComTypeAndBaud(const TPacket &p, Config &c)
{
    const int comType = p.GetInteger("COMTYPE", 0);
    if (comType == 0 || comType == 1) c.ComType = 0;
    else if (comType == 2) c.ComType = 1;
    else if (comType == 3) c.ComType = 2;
    const int baud = BaudIndex(p.GetInteger("BAUD", 9600));
    if (baud >= 0) c.Baud = uint8_t(baud);
}

// SCALE through FACT_B and the flags that every family's ADDTAG carries after its address keys.
template <typename Tag>
void AddScaleAndFlags(TPacket &p, const Tag &t)
{
    p.AddInteger("SCALE", t.Scale + 1);
    p.AddFloat("FACT_A", double(t.FactorA));
    p.AddFloat("FACT_B", double(t.FactorB));
    p.AddBoolean("READONLY", t.ReadOnly);
    p.AddBoolean("LIMITS", t.Limits);
    p.AddBoolean("ALARM", t.Alarm);
    p.AddBoolean("EMAIL", t.EMail);
}

template <typename Tag>
void AddLimits(TPacket &p, const Tag &t)
{
    if (t.Kind == KindDigital) {
        p.AddBoolean("WRLO", false);
        p.AddBoolean("WRHI", false);
        p.AddBoolean("ALLO", t.AlMin.AsBoolean);
        p.AddBoolean("ALHI", t.AlMax.AsBoolean);
    } else if (t.Kind == KindInteger) {
        p.AddInteger("WRLO", t.WrMin.AsInteger);
        p.AddInteger("WRHI", t.WrMax.AsInteger);
        p.AddInteger("ALLO", t.AlMin.AsInteger);
        p.AddInteger("ALHI", t.AlMax.AsInteger);
    } else if (t.Kind == KindFloat) {
        p.AddFloat("WRLO", double(t.WrMin.AsFloat));
        p.AddFloat("WRHI", double(t.WrMax.AsFloat));
        p.AddFloat("ALLO", double(t.AlMin.AsFloat));
        p.AddFloat("ALHI", double(t.AlMax.AsFloat));
    }
}

// A reply value beyond what a tag holds is refused: kept, it would go back to the device as "INF".
float ReplySingle(const TPacket &p, const char *key)
{
    const double v = p.GetFloat(key, 0.0);
    if (!(std::fabs(v) <= double(std::numeric_limits<float>::max())))
        throw EConvertError("'" + p.GetRawValue(key) + "' is not a valid floating point value");
    return float(v);
}

template <typename Tag>
void ReadScaleAndFlags(const TPacket &p, Tag &t)
{
    const int scale = p.GetInteger("SCALE", 0);
    if (scale == 1 || scale == 2) t.Scale = uint8_t(scale - 1);
    t.FactorA = ReplySingle(p, "FACT_A");
    t.FactorB = ReplySingle(p, "FACT_B");
    t.ReadOnly = p.GetBoolean("READONLY", false);
    t.Limits = p.GetBoolean("LIMITS", false);
    t.Alarm = p.GetBoolean("ALARM", false);
    t.EMail = p.GetBoolean("EMAIL", false);
}

// The limits by the kind the tag has as read so far; the reply carries no kind.
template <typename Tag>
void ReadLimits(const TPacket &p, Tag &t, TTagKind kind)
{
    t.Kind = kind;
    if (kind == KindDigital) {
        t.WrMin.AsBoolean = false;
        t.WrMax.AsBoolean = false;
        t.AlMin.AsBoolean = p.GetBoolean("ALLO", false);
        t.AlMax.AsBoolean = p.GetBoolean("ALHI", false);
    } else if (kind == KindInteger) {
        t.WrMin.AsInteger = p.GetInteger("WRLO", 0);
        t.WrMax.AsInteger = p.GetInteger("WRHI", 0);
        t.AlMin.AsInteger = p.GetInteger("ALLO", 0);
        t.AlMax.AsInteger = p.GetInteger("ALHI", 0);
    } else {
        t.WrMin.AsFloat = ReplySingle(p, "WRLO");
        t.WrMax.AsFloat = ReplySingle(p, "WRHI");
        t.AlMin.AsFloat = ReplySingle(p, "ALLO");
        t.AlMax.AsFloat = ReplySingle(p, "ALHI");
    }
}

}  // namespace

void BuildSetSmtp(TPacket &p, const TEmailConfig &e)
{
    p.SetCommand("SETSMTP");
    p.AddBoolean("ENABLE", e.Enable);
    p.AddString("SERVER", e.Server);
    p.AddInteger("TIMEOUT", e.Timeout);
    p.AddInteger("RETRIES", e.Retries);
    p.AddInteger("RETRYINT", e.RetryInt);
    p.AddString("FROM", e.From);
    p.AddBoolean("AUTH", e.Auth);
    p.AddString("USER", e.User);
    p.AddString("PASS", e.Pass);
}

void BuildSetToo(TPacket &p, const TEmailConfig &e, int slot)
{
    p.SetCommand("SETTOO");
    p.AddInteger("TOO", slot);
    const bool used = slot < e.RecipientCount && slot >= 0 && slot < int(e.Recipients.size());
    p.AddString("EMAIL", used ? e.Recipients[size_t(slot)] : std::string());
}

void BuildGetCom(TPacket &p)
{
    p.SetCommand("GETCOM");
    p.AddInteger("COM", 0);
}

void BuildGetToo(TPacket &p, int slot)
{
    p.SetCommand("GETTOO");
    p.AddInteger("TOO", slot);
}

void BuildGetTag(TPacket &p, int index)
{
    p.SetCommand("GETTAG");
    p.AddInteger("TAG", index);
}

void ReadSmtp(const TPacket &p, TEmailConfig &e)
{
    e.Enable = p.GetBoolean("ENABLE", false);
    e.Server = p.GetString("SERVER", "");
    e.Timeout = p.GetInteger("TIMEOUT", 20);
    e.Retries = p.GetInteger("RETRIES", 5);
    e.RetryInt = p.GetInteger("RETRYINT", 10);
    e.From = p.GetString("FROM", "");
    e.Auth = p.GetBoolean("AUTH", false);
    e.User = p.GetString("USER", "");
    e.Pass = p.GetString("PASS", "");
    e.RecipientCount = 0;
}

void ReadToo(const TPacket &p, TEmailConfig &e, int slot)
{
    if (slot < 0 || slot >= int(e.Recipients.size())) return;
    // A device set up elsewhere may hold an empty slot between two addresses; the record is a list
    // counted from slot 0, so the addresses close up, as the file reader closes up empty keys.
    std::string address = p.GetString("EMAIL", "");
    if (slot >= e.RecipientCount) e.Recipients[size_t(slot)].clear();
    if (!address.empty() && e.RecipientCount >= 0 && e.RecipientCount < int(e.Recipients.size()))
        e.Recipients[size_t(e.RecipientCount++)] = std::move(address);
}

// Modbus

void BuildSetCom(TPacket &p, const TModbusVeltoConfig &c)
{
    p.SetCommand("SETCOM");
    p.AddInteger("COM", 0);
    if (c.ComType <= 2) p.AddInteger("COMTYPE", kComTypeWire[c.ComType]);
    p.AddInteger("FORMAT", c.Format);
    if (c.Baud < BaudRates().size()) p.AddInteger("BAUD", BaudRates()[c.Baud]);
    p.AddInteger("PARITY", c.Parity);
    p.AddInteger("PKTTOUT", c.PktTimeout);
    p.AddInteger("MSGTOUT", c.MsgTimeout);
    p.AddInteger("RETRIES", 1);
    p.AddInteger("SCANTIME", c.ScanTime);
}

void ReadCom(const TPacket &p, TModbusVeltoConfig &c)
{
    ReadComTypeAndBaud(p, c);
    c.Format = uint8_t(p.GetInteger("FORMAT", 0));
    c.Parity = uint8_t(p.GetInteger("PARITY", 0));
    c.PktTimeout = p.GetInteger("PKTTOUT", 4);
    c.MsgTimeout = p.GetInteger("MSGTOUT", 1000);
    c.ScanTime = p.GetInteger("SCANTIME", 100);
}

void BuildAddTag(TPacket &p, const TModbusTagConfig &t)
{
    p.SetCommand("ADDTAG");
    p.AddString("NAME", t.Name);
    p.AddInteger("SOURCE", t.Source);
    p.AddInteger("UNIT", t.UnitID);
    p.AddInteger("TYPE", t.Type);
    if (t.RegTable <= 3) p.AddInteger("MBFUNC", kMbFuncWire[t.RegTable]);
    p.AddInteger("ADDRESS", AddressStep(t.Address, -1));
    p.AddBoolean("REG32", t.Reg32);
    p.AddInteger("BIT", t.BitPos);
    AddScaleAndFlags(p, t);
    p.AddBoolean("TRAP", t.Trap);
    AddLimits(p, t);
}

void ReadTagConfig(const TPacket &p, TModbusTagConfig &t)
{
    t.Name = p.GetString("NAME", "*");
    t.Source = uint8_t(p.GetInteger("SOURCE", 0));
    t.UnitID = p.GetInteger("UNIT", 1);
    t.Type = uint8_t(p.GetInteger("TYPE", 0));
    const int func = p.GetInteger("MBFUNC", 4);
    for (int i = 0; i < 4; ++i)
        if (kMbFuncWire[i] == func) t.RegTable = uint8_t(i);
    t.Address = AddressStep(p.GetInteger("ADDRESS", 1), 1);
    t.Reg32 = p.GetBoolean("REG32", false);
    t.BitPos = p.GetInteger("BIT", 0);
    ReadScaleAndFlags(p, t);
    t.Trap = p.GetBoolean("TRAP", false);
    ReadLimits(p, t, ModbusTagKind(t));
}

// Hostlink

void BuildSetCom(TPacket &p, const THostlinkVeltoConfig &c)
{
    p.SetCommand("SETCOM");
    AddComTypeAndBaud(p, c);
    p.AddInteger("PARITY", c.Parity);
    p.AddInteger("MSGTOUT", c.MsgTimeout);
    p.AddInteger("RETRIES", 1);
    p.AddInteger("SCANTIME", c.ScanTime);
}

void ReadCom(const TPacket &p, THostlinkVeltoConfig &c)
{
    ReadComTypeAndBaud(p, c);
    c.Parity = uint8_t(p.GetInteger("PARITY", 0));
    c.MsgTimeout = p.GetInteger("MSGTOUT", 1000);
    c.ScanTime = p.GetInteger("SCANTIME", 100);
}

void BuildAddTag(TPacket &p, const THostlinkTagConfig &t)
{
    p.SetCommand("ADDTAG");
    p.AddString("NAME", t.Name);
    p.AddInteger("SOURCE", t.Source);
    p.AddInteger("UNIT", t.UnitID);
    p.AddInteger("TYPE", t.Type);
    if (t.RegTable <= 5) p.AddInteger("HLFUNC", kHlFuncWire[t.RegTable]);
    p.AddInteger("ADDRESS", t.Address);
    p.AddInteger("BIT", t.BitPos);
    AddScaleAndFlags(p, t);
    AddLimits(p, t);
}

void ReadTagConfig(const TPacket &p, THostlinkTagConfig &t)
{
    t.Name = p.GetString("NAME", "*");
    t.Source = uint8_t(p.GetInteger("SOURCE", 0));
    t.UnitID = p.GetInteger("UNIT", 1);
    t.Type = uint8_t(p.GetInteger("TYPE", 0));
    const int func = p.GetInteger("HLFUNC", 0);
    for (int i = 0; i < 6; ++i)
        if (kHlFuncWire[i] == func) t.RegTable = uint8_t(i);
    t.Address = p.GetInteger("ADDRESS", 0);
    t.BitPos = p.GetInteger("BIT", 0);
    ReadScaleAndFlags(p, t);
    ReadLimits(p, t, HostlinkTagKind(t));
}

// DF1

void BuildSetCom(TPacket &p, const TDF1VeltoConfig &c)
{
    p.SetCommand("SETCOM");
    AddComTypeAndBaud(p, c);
    if (c.DataBits == 7 || c.DataBits == 8) p.AddInteger("DATABITS", c.DataBits == 7 ? 1 : 0);
    if (c.Parity <= 2) p.AddInteger("PARITY", c.Parity == 0 ? 0 : 1);
    p.AddInteger("MSGTOUT", c.MsgTimeout);
    p.AddInteger("SCANTIME", c.ScanTime);
    if (c.ErrorMethod <= 1) p.AddInteger("ERRORMTHD", c.ErrorMethod);
}

void ReadCom(const TPacket &p, TDF1VeltoConfig &c)
{
    ReadComTypeAndBaud(p, c);
    const int dataBits = p.GetInteger("DATABITS", 0);
    if (dataBits == 0) c.DataBits = 8;
    else if (dataBits == 1) c.DataBits = 7;
    c.Parity = p.GetInteger("PARITY", 0) == 0 ? 0 : 2;
    c.MsgTimeout = p.GetInteger("MSGTOUT", 1000);
    c.ScanTime = p.GetInteger("SCANTIME", 100);
    const int method = p.GetInteger("ERRORMTHD", 0);
    if (method == 0 || method == 1) c.ErrorMethod = uint8_t(method);
}

void BuildAddTag(TPacket &p, const TDF1TagConfig &t)
{
    p.SetCommand("ADDTAG");
    p.AddString("NAME", t.Name);
    p.AddInteger("SOURCE", t.Source);
    if (t.FileType <= 5) p.AddInteger("FILETYPE", DF1::FileTypeCode(t.FileType));
    p.AddInteger("FILENUMBER", t.FileNumber);
    p.AddInteger("ELEMENT", t.WordNumber);
    p.AddInteger("SUBELEMENT", 0);
    p.AddInteger("TYPE", t.Type);
    p.AddInteger("BIT", t.BitPos);
    AddScaleAndFlags(p, t);
    AddLimits(p, t);
}

void ReadTagConfig(const TPacket &p, TDF1TagConfig &t)
{
    t.Name = p.GetString("NAME", "*");
    t.Source = uint8_t(p.GetInteger("SOURCE", 0));
    t.FileNumber = p.GetInteger("FILENUMBER", 0);
    const int fileType = DF1::FileTypeOfCode(p.GetInteger("FILETYPE", 137));
    if (fileType >= 0) {
        t.FileType = uint8_t(fileType);
        t.WordNumber = p.GetInteger("ELEMENT", 0);
    }
    t.Type = uint8_t(p.GetInteger("TYPE", 0));
    t.BitPos = p.GetInteger("BIT", 0);
    ReadScaleAndFlags(p, t);
    ReadLimits(p, t, DF1TagKind(t));
}

}  // namespace vxt
