// One KProt message: COMMAND(KEY=value,KEY=value,); with escaped values.
#pragma once

#include "DateTime.h"

#include <cstdint>
#include <string>

namespace vxt {

class TPacket {
public:
    TPacket() = default;

    void SetCommand(const std::string &name);
    void AddString(const std::string &key, const std::string &value) { AddValue(key, value); }
    void AddInteger(const std::string &key, int32_t value);
    void AddBoolean(const std::string &key, bool value);
    void AddFloat(const std::string &key, double value);
    void AddDateTime(const std::string &key, TDateTime value);

    std::string GetString(const std::string &key, const std::string &def) const;
    int32_t GetInteger(const std::string &key, int32_t def) const;   // raises EConvertError
    bool GetBoolean(const std::string &key, bool def) const;
    double GetFloat(const std::string &key, double def) const;       // raises EConvertError
    TDateTime GetDateTime(const std::string &key, TDateTime def) const;

    void SetText(const std::string &s) { Text = s; }
    const std::string &GetText() const { return Text; }
    std::string GetCommand() const;
    bool IsCommand(const std::string &name) const;

    // The field's value as it stands in the text, still escaped (empty when absent).
    std::string GetRawValue(const std::string &key) const;

    std::string Text;

private:
    void AddValue(const std::string &key, const std::string &value);
    std::string GetValue(const std::string &key) const;
};

// The value escapes: "," "/co", "=" "/eq", "(" "/sp", ")" "/ep", ";" "/sc".
std::string KProtEscape(const std::string &value);
// Reads the codes back; any other "/" and the two characters after it yield nothing.
std::string KProtUnescape(const std::string &raw);

// "/" has no code, so a value holding it reaches the device changed; a control character would
// reach it as a line break or worse. A text for a device goes out only when this holds; the texts
// the device sends are read as they come.
bool KProtCarries(const std::string &value);
// The first character of `value` that cannot go ("/" or a control character), empty when none.
std::string KProtUncarried(const std::string &value);
// The refusal of such a text, naming its field and the character, with its code as well since a
// combining mark or a format character shows as nothing: The Tag Name cannot contain "/" (U+002F).
// The one wording of every text refused for what it holds; `character` is UTF-8, and a control
// character is named by its code alone: The Tag Name cannot contain the control character U+0009.
std::string KProtRefusal(const std::string &field, const std::string &character = "/");

}  // namespace vxt
