#include "GatewayTables.h"

namespace vxt {

std::string TTextTable::Text(int index) const
{
    return index >= 0 && index < Count() ? rows_[size_t(index)] : std::string();
}

uint8_t TTextTable::Value(const std::string &text) const
{
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i] == text) return uint8_t(i);
    return 0;
}

const TTextTable &ScaleTable()
{
    static const TTextTable t({"None", "Linear (Ax+B)"});
    return t;
}

namespace {

const TIntBounds kUnsigned{true, 0, 65535};
const TIntBounds kSigned{true, -32768, 32767};
const TIntBounds kLong{true, -2147483648LL, 2147483647LL};
const TIntBounds kNone{};

const TTextTable &HostlinkTypes()
{
    static const TTextTable t({"Unsigned int", "Signed int", "Long", "Float", "BCD", "Word bit", "Single bit"});
    return t;
}

TIntBounds HostlinkBounds(int type)
{
    switch (type) {
    case 0: return kUnsigned;
    case 1: return kSigned;
    case 2: return kLong;
    case 4: return kUnsigned;
    default: return kNone;
    }
}

}  // namespace

namespace Modbus {

const TTextTable &SourceTable()
{
    static const TTextTable t({"Modbus Serial", "Velto Input", "Velto Output", "Internal", ""});
    return t;
}

const TTextTable &TypeTable()
{
    static const TTextTable t({"Unsigned int", "Signed int", "Long", "Long Inverted", "Float", "Float Inverted", "BCD",
                               "Word bit", "Single bit"});
    return t;
}

const TTextTable &RegTableTable()
{
    static const TTextTable t({"Holding Register", "Input Register", "Input Status", "Coil Status"});
    return t;
}

TIntBounds TypeBounds(int type)
{
    switch (type) {
    case 0: return kUnsigned;
    case 1: return kSigned;
    case 2:
    case 3: return kLong;
    case 6: return kUnsigned;
    default: return kNone;
    }
}

char RegTablePrefix(int regTable)
{
    static const char kPrefix[] = {'4', '3', '1', '0'};
    return regTable >= 0 && regTable < 4 ? kPrefix[regTable] : '\0';
}

int RegTableOfPrefix(char prefix)
{
    switch (prefix) {
    case '4': return 0;
    case '3': return 1;
    case '1': return 2;
    case '0': return 3;
    default: return -1;
    }
}

}  // namespace Modbus

namespace Hostlink {

const TTextTable &SourceTable()
{
    static const TTextTable t({"Hostlink Serial", "Velto Input", "Velto Output", "Internal", "Velto Ainput"});
    return t;
}

const TTextTable &TypeTable() { return HostlinkTypes(); }

const TTextTable &RegTableTable()
{
    static const TTextTable t({"IR", "SR", "LR", "HR", "TCPV", "DM"});
    return t;
}

TIntBounds TypeBounds(int type) { return HostlinkBounds(type); }

}  // namespace Hostlink

namespace DF1 {

const TTextTable &SourceTable()
{
    static const TTextTable t({"DF1 Serial", "Velto Input", "Velto Output", "Internal", "Velto Ainput"});
    return t;
}

const TTextTable &TypeTable() { return HostlinkTypes(); }

const TTextTable &FileTypeTable()
{
    static const TTextTable t({"Input (I)", "Output (O)", "Status (S)", "Binary (B)", "Integer (N)", "Float (F)"});
    return t;
}

TIntBounds TypeBounds(int type) { return HostlinkBounds(type); }

int FileTypeCode(int fileType)
{
    static const int kCodes[] = {131, 130, 132, 133, 137, 138};
    return fileType >= 0 && fileType < 6 ? kCodes[fileType] : -1;
}

int FileTypeOfCode(int code)
{
    for (int i = 0; i < 6; ++i)
        if (FileTypeCode(i) == code) return i;
    return -1;
}

}  // namespace DF1

const std::vector<int> &BaudRates()
{
    static const std::vector<int> rates = {2400, 4800, 9600, 14400, 19200, 28800, 38400, 57600, 115200};
    return rates;
}

int BaudIndex(int rate)
{
    for (size_t i = 0; i < BaudRates().size(); ++i)
        if (BaudRates()[i] == rate) return int(i);
    return -1;
}

}  // namespace vxt
