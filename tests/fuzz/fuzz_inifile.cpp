// The INI image loaded from any text: every section, key and typed read, and the file bytes it
// writes, which must load back into the same image. A value with a control character is refused
// with EFileError and leaves the image as it was.
#include "FileUtils.h"
#include "FuzzSupport.h"
#include "IniFile.h"
#include "StrUtils.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace vxt;

namespace {

// Writes `value` and reports whether the writer took it; a refusal must be an EFileError for a
// value with a control character, and must change nothing.
bool WriteOrRefuse(TMemIniFile &ini, const std::string &section, const std::string &key, const std::string &value)
{
    const std::string before = ini.GetText();
    try {
        ini.WriteString(section, key, value);
    } catch (const EFileError &) {
        FUZZ_CHECK(FindControlChar(value) != std::string::npos);
        FUZZ_CHECK(ini.GetText() == before);
        return false;
    }
    FUZZ_CHECK(FindControlChar(value) == std::string::npos);
    FUZZ_CHECK(ini.ReadString(section, key, "\x01") == value);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    TMemIniFile ini;
    ini.LoadFromText(text);

    const std::vector<std::string> sections = ini.ReadSections();
    for (const std::string &section : sections) {
        FUZZ_CHECK(ini.SectionExists(section));
        for (const std::string &key : ini.ReadSection(section)) {
            FUZZ_CHECK(ini.ValueExists(section, key));
            (void)ini.ReadString(section, key, "");
            (void)ini.ReadInteger(section, key, -1);
            (void)ini.ReadBool(section, key, true);
        }
    }
    (void)ini.ReadSection("");
    (void)ini.ReadSection("GENERAL");
    (void)ini.ReadString("GENERAL", "FILETYPE", "");
    (void)ini.ReadInteger("GENERAL", "TAGCOUNT", 0);

    const std::string written = ini.GetText();
    TMemIniFile again;
    again.LoadFromText(written);
    FUZZ_CHECK(again.ReadSections() == sections);
    for (const std::string &section : sections) {
        FUZZ_CHECK(again.ReadSection(section) == ini.ReadSection(section));
        for (const std::string &key : ini.ReadSection(section))
            FUZZ_CHECK(again.ReadString(section, key, "\x01") == ini.ReadString(section, key, "\x02"));
    }
    FUZZ_CHECK(again.GetText() == written);

    // Writing a value the file already holds changes nothing, unless the writer refuses it.
    if (!sections.empty()) {
        const std::vector<std::string> keys = ini.ReadSection(sections.front());
        if (!keys.empty()) {
            (void)WriteOrRefuse(ini, sections.front(), keys.front(), ini.ReadString(sections.front(), keys.front(), ""));
            FUZZ_CHECK(ini.GetText() == written);
        }
        ini.EraseSection(sections.front());
        FUZZ_CHECK(!ini.SectionExists(sections.front()));
    }
    // The whole input as one value.
    (void)WriteOrRefuse(ini, "FUZZ", "VALUE", text);
    return 0;
}
