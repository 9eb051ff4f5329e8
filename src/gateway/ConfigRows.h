// A tag as its document's list shows it and its file stores it: the caption (the name) followed by
// the texts of the columns and the hidden kind. These turn a family's tag record into a row and back.
#pragma once

#include "StrUtils.h"
#include "VXTTypes.h"

#include <string>
#include <vector>

namespace vxt {

using TTagRow = std::vector<std::string>;   // [0] the name, then the column texts, the kind last

// A row whose texts do not convert (a hand-edited file). The text names the tag and the value.
class ETagRowError : public EConvertError {
public:
    using EConvertError::EConvertError;
};

// The float text of the lists and files: 15 significant digits of the single value, locale separator.
std::string RowFloatText(float v);

TTagRow ModbusTagToRow(const TModbusTagConfig &tag);
TTagRow HostlinkTagToRow(const THostlinkTagConfig &tag);
TTagRow DF1TagToRow(const TDF1TagConfig &tag);

// Parse a row into `tag`. Raise ETagRowError, leaving `tag` as it was, when a text does not convert.
// Fields a row does not decide (a Modbus address without a known table digit) keep their values.
void ModbusRowToTag(const TTagRow &row, TModbusTagConfig &tag);
void HostlinkRowToTag(const TTagRow &row, THostlinkTagConfig &tag);
void DF1RowToTag(const TTagRow &row, TDF1TagConfig &tag);

struct TFamilyDesc;
// Raise ETagRowError, naming the tag, when its name would not reach the device unchanged.
void CheckRowName(const TTagRow &row, const TFamilyDesc &family);

}  // namespace vxt
