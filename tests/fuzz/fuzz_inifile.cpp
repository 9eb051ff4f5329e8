// The INI image loaded from any text: every section, key and typed read, and the file bytes it
// writes, which must load back into the same image.
#include "FuzzSupport.h"
#include "IniFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace vxt;

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

    // Writing a value the file already holds changes nothing.
    if (!sections.empty()) {
        const std::vector<std::string> keys = ini.ReadSection(sections.front());
        if (!keys.empty()) {
            ini.WriteString(sections.front(), keys.front(), ini.ReadString(sections.front(), keys.front(), ""));
            FUZZ_CHECK(ini.GetText() == written);
        }
        ini.EraseSection(sections.front());
        FUZZ_CHECK(!ini.SectionExists(sections.front()));
    }
    return 0;
}
