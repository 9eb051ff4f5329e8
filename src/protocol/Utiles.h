// Helpers several windows share: version comparison, the hex codec with its scrambling, input
// validators, the program folder, the decimal separator fix-up and the device model table.
#pragma once

#include <cstdint>
#include <string>

namespace vxt {

// True when version A is lower than B, compared by their first three dotted numbers. A part that
// is no integer counts by its leading digits ("4-SN" as 4, "" or "x" as 0).
bool VersionLess(const std::string &a, const std::string &b);

std::string ByteToHex(uint8_t b);
// Two hexadecimal digits ("0"-"9", "A"-"F", also "a"-"f"); raises EConvertError otherwise.
uint8_t HexToByte(const std::string &s);
std::string ScrambleToHex(const std::string &s);
// The reverse of ScrambleToHex; a text that is not hexadecimal yields an empty result.
std::string UnscrambleFromHex(const std::string &s);

bool IsInteger(const std::string &s);
bool IsFloat(const std::string &s);
bool IsValidEMail(const std::string &s);
bool IsValidName(const std::string &s);

std::string GetAppDir();   // the program's folder, ending with '/'

std::string ModelName(const std::string &code);

inline int32_t IfThenInt(bool condition, int32_t a, int32_t b) { return condition ? a : b; }
inline std::string IfThenStr(bool condition, const std::string &a, const std::string &b) { return condition ? a : b; }

bool DecimalIsComma();
std::string FixDecimalSeparator(const std::string &s);

}  // namespace vxt
