// The code tables of the three gateway families: the display texts of tag sources, types,
// register tables, DF1 file types and scales, and the integer bounds of the types. Tag lists and
// configuration files store these texts; the tag editors show them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vxt {

class TTextTable {
public:
    explicit TTextTable(std::vector<std::string> rows) : rows_(std::move(rows)) {}
    // The text of row `index`; empty outside the table.
    std::string Text(int index) const;
    // The first row whose text equals `text` exactly (case-sensitive); 0 when none does.
    uint8_t Value(const std::string &text) const;
    int Count() const { return int(rows_.size()); }
    const std::vector<std::string> &Rows() const { return rows_; }

private:
    std::vector<std::string> rows_;
};

struct TIntBounds {
    bool Integer = false;   // false: the type is never an integer tag
    int64_t Low = 0, High = 0;
};

const TTextTable &ScaleTable();          // 0 "None", 1 "Linear (Ax+B)"

namespace Modbus {
const TTextTable &SourceTable();         // "Modbus Serial" ... and the empty fifth source
const TTextTable &TypeTable();           // 9 types, 7 "Word bit", 8 "Single bit"
const TTextTable &RegTableTable();       // "Holding Register", "Input Register", "Input Status", "Coil Status"
TIntBounds TypeBounds(int type);
char RegTablePrefix(int regTable);       // '4', '3', '1', '0'; 0 outside the table
int RegTableOfPrefix(char prefix);       // -1 for another character
}  // namespace Modbus

namespace Hostlink {
const TTextTable &SourceTable();         // "Hostlink Serial" ... "Velto Ainput"
const TTextTable &TypeTable();           // 7 types, 3 "Float", 5 "Word bit", 6 "Single bit"
const TTextTable &RegTableTable();       // "IR", "SR", "LR", "HR", "TCPV", "DM"
TIntBounds TypeBounds(int type);
}  // namespace Hostlink

namespace DF1 {
const TTextTable &SourceTable();         // "DF1 Serial" ... "Velto Ainput"
const TTextTable &TypeTable();           // the Hostlink types
const TTextTable &FileTypeTable();       // "Input (I)" ... "Float (F)"
TIntBounds TypeBounds(int type);
int FileTypeCode(int fileType);          // the PCCC code 131 ... 138; -1 outside the table
int FileTypeOfCode(int code);            // -1 for a code outside the table
}  // namespace DF1

// The baud rates of the serial lists, in list order.
const std::vector<int> &BaudRates();
int BaudIndex(int rate);                 // -1 for a rate that is not in the list

}  // namespace vxt
