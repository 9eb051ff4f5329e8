// The ".vlt" configuration file of the three families: the header, the COM and SMTP sections and the
// tag sections, read from and written into an in-memory image. Warnings go through a callback so the
// document shows them in boxes and tests collect them.
#pragma once

#include "ConfigFamily.h"
#include "ConfigRows.h"
#include "IniFile.h"

#include <functional>
#include <string>
#include <vector>

namespace vxt {

using TWarning = std::function<void(const std::string &text)>;

// One bounded integer key; a missing, non-integer or out-of-range value warns and gives Default.
int ReadInteger(const TMemIniFile &ini, const std::string &section, const std::string &key, int def,
                const std::string &label, const std::string &defaultText, int min, int max, bool &replaced,
                const TWarning &warn);

// One string key cut to MaxLength, and the cut announced: a password changed without a word would
// reach the device on the next send.
std::string ReadString(const TMemIniFile &ini, const std::string &section,
                       const std::string &key, const std::string &def, int maxLength, bool &replaced,
                       const TWarning &warn);

// `replaced` is set when a value that the next save changes was replaced (the document is modified
// then); the BAUD value that is no rate of the list warns without setting it.
TSerialSettings ReadSerialSettings(const TFamilyDesc &family, const TMemIniFile &ini, bool &replaced,
                                   const TWarning &warn);
TEmailSettings ReadEmailSettings(const TFamilyDesc &family, const TMemIniFile &ini, bool &replaced,
                                 const TWarning &warn);
// TAG0, TAG1, ... up to the first missing section, at most 128; values unchecked.
std::vector<TTagRow> ReadTagRows(const TFamilyDesc &family, const TMemIniFile &ini);

void WriteHeader(const TFamilyDesc &family, TMemIniFile &ini);
void WriteSerialSettings(const TFamilyDesc &family, TMemIniFile &ini, const TSerialSettings &s);
void WriteEmailSettings(TMemIniFile &ini, const TEmailSettings &e);
// Erases TAG0, TAG1, ... while they exist, then writes one section per row. A value holding a control
// character raises EFileError naming it as the tag list shows it, with the image left as it was.
void WriteTagRows(const TFamilyDesc &family, TMemIniFile &ini, const std::vector<TTagRow> &rows);

// The whole file of a document, header first.
void WriteConfigFile(const TFamilyDesc &family, TMemIniFile &ini, const TSerialSettings &s, const TEmailSettings &e,
                     const std::vector<TTagRow> &rows);

}  // namespace vxt
