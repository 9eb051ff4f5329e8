// The settings' credential decoding: the scrambled message in the settings file, read through the
// settings calls, and any user name or password written there reads back unchanged.
#include "FuzzSupport.h"
#include "Utiles.h"
#include "VXTOptions.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

using namespace vxt;
using vxt::fuzz::ScratchDir;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::string file = ScratchDir() + "vxt.ini";
    SetIniFileNameOverride(file);

    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "[PROXYHTTP]\r\nAUTHDATA=" << ScrambleToHex(text) << "\r\n\r\n"
            << "[PROXYFTP]\r\nAUTHDATA=" << text << "\r\n\r\n";
    }
    // An input that makes the file unusable (a zero byte) reads as the defaults; the setters below
    // replace such a file once the user has been told, as the program tells at start.
    (void)TakeSettingsFileProblem();
    const std::string user = GetHttpProxyUserName();
    const std::string pass = GetHttpProxyPassword();
    FUZZ_CHECK(user.size() <= text.size() && pass.size() <= text.size());
    (void)GetFtpProxyUserName();
    (void)GetFtpProxyPassword();

    SetHttpProxyUserName(text);
    FUZZ_CHECK(GetHttpProxyUserName() == text);
    FUZZ_CHECK(GetHttpProxyPassword() == pass);
    SetHttpProxyPassword(text);
    FUZZ_CHECK(GetHttpProxyPassword() == text);
    FUZZ_CHECK(GetHttpProxyUserName() == text);
    return 0;
}
