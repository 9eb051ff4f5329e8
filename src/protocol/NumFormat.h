// Number texts: the one process-wide decimal separator and the conversions that honour it.
#pragma once

#include <cstdint>
#include <string>

namespace vxt {

// The user's decimal separator ("." or ","). The program reads it from the user's locale at start;
// tests set it explicitly. Every float text of the system goes through it.
char DecimalSeparator();
// A character that cannot separate (a zero byte, a blank, a digit, a sign, a letter) sets ".".
void SetDecimalSeparator(char sep);

// Decimal integer text: optional blanks before, optional sign, digits, nothing after; 32-bit range.
bool TryStrToInt(const std::string &s, int32_t &value);
int32_t StrToInt(const std::string &s);          // raises EConvertError

// Real text with the current decimal separator: blanks around, optional sign, digits with one
// separator, optional exponent (E or e, optional sign, digits).
bool TryStrToFloat(const std::string &s, double &value);
double StrToFloat(const std::string &s);          // raises EConvertError
// The same for the single-precision values tags hold: a number beyond that range does not convert.
bool TryStrToSingle(const std::string &s, float &value);
float StrToSingle(const std::string &s);          // raises EConvertError

// General form, up to 15 significant digits, the current decimal separator; exponent form
// (1E20, 1.5E-7) below 0.00001 and from 1E15 up.
std::string FloatToStr(double v);

// Fixed form with `decimals` digits after the current decimal separator, rounded: 56.18.
std::string FloatToFixed(double v, int decimals);

// Scientific form with 9 significant digits, independent of the locale: 1.23450000E3, -1.00000000E-3.
std::string FloatToKProt(double v);

}  // namespace vxt
