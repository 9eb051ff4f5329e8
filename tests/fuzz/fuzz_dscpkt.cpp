// The discovery packet routines on any bytes and any parameter index.
#include "DscPkt.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace vxt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string packet(reinterpret_cast<const char *>(data), size);

    std::vector<int> indexes = {INT_MIN, -1, 0, INT_MAX, INT_MAX - 1};
    const int commas = int(std::min<size_t>(std::count(packet.begin(), packet.end(), ','), 64));
    for (int i = 1; i <= commas + 2; ++i) indexes.push_back(i);
    if (size >= 4) {
        int32_t raw;
        std::memcpy(&raw, data, 4);
        indexes.push_back(raw);
    }

    // In a packet of one bracket pair that ends it, a parameter that reads as text is one it has;
    // text after the ")" is read by position but not counted, as the devices' routines do.
    const bool wellFormed = std::count(packet.begin(), packet.end(), '(') == 1 &&
                            std::count(packet.begin(), packet.end(), ')') == 1 && packet.back() == ')' &&
                            packet.find('(') < packet.size() - 1;
    for (int index : indexes) {
        const std::string param = DscGetParam(packet, index);
        const bool has = DscHasParam(packet, index);
        FUZZ_CHECK(param.size() <= packet.size());
        FUZZ_CHECK(param.find(',') == std::string::npos);
        FUZZ_CHECK(!wellFormed || param.empty() || has);
        FUZZ_CHECK(index >= 1 || param.empty());
    }

    const std::string first = DscGetParam(packet, 1);
    (void)DscIsCommand(first, packet);
    (void)DscIsCommand("NTM", packet);
    FUZZ_CHECK(DscIsCommand("", packet));

    const std::string grown = DscAddParam(first, packet);
    FUZZ_CHECK(!grown.empty() && grown.back() == ')');
    (void)DscAddParam(packet, packet);
    (void)DscAddParam(packet, "");

    // A parameter the program adds to its own packet is read back in its place.
    const std::string value = packet.substr(0, std::min<size_t>(packet.size(), 32));
    if (!value.empty() && value.find_first_of(",()") == std::string::npos) {
        const std::string p = DscAddParam(value, DscAddParam("x", DscMakeCommand("hello")));
        FUZZ_CHECK(DscGetParam(p, 2) == value);
        FUZZ_CHECK(DscHasParam(p, 2) && !DscHasParam(p, 3));
    }
    return 0;
}
