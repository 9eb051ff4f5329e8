// Version comparison of the texts devices report and the hex decoding of stored settings.
#include "FuzzSupport.h"
#include "StrUtils.h"
#include "Utiles.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace vxt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);

    // Two versions, split at the first line break.
    const size_t nl = text.find('\n');
    const std::string a = text.substr(0, nl);
    const std::string b = nl == std::string::npos ? std::string() : text.substr(nl + 1);
    FUZZ_CHECK(!VersionLess(a, a));
    FUZZ_CHECK(!(VersionLess(a, b) && VersionLess(b, a)));
    (void)VersionLess(text, "2.0.6");

    const std::string plain = UnscrambleFromHex(text);
    FUZZ_CHECK(plain.size() <= text.size() / 2);
    if (!plain.empty()) FUZZ_CHECK(ScrambleToHex(plain) == UpperCase(text.substr(0, plain.size() * 2)));
    FUZZ_CHECK(UnscrambleFromHex(ScrambleToHex(text)) == text);
    try {
        uint8_t byte = HexToByte(text);
        FUZZ_CHECK(ByteToHex(byte) == UpperCase(text.substr(0, 2)));
    } catch (const EConvertError &) {
    }

    (void)IsValidEMail(text);
    (void)IsValidName(text);
    (void)FixDecimalSeparator(text);
    (void)ModelName(text);
    return 0;
}
