// The operating system's version record, as the about box shows it: platform identifier, major and
// minor version, build number and the service-pack text.
#pragma once

#include <cstdint>
#include <string>

namespace vxt {

// Platform identifiers of the version record.
constexpr uint32_t kPlatformWin9x = 1;   // the Windows 9x family
constexpr uint32_t kPlatformOther = 2;   // every other platform (the NT family, Linux, ...)

struct OsVersionInfo {
    uint32_t PlatformId = 0;
    uint32_t Major = 0;
    uint32_t Minor = 0;
    uint32_t BuildNumber = 0;
    std::string ServicePack;   // may be empty
};

// Queries the running system; false when the query fails (the record is then left as it was).
// On Linux the numbers are the kernel release's: "6.1.0-13-amd64" gives platform 2, 6, 1, build 0
// and the service-pack text "-13-amd64" (what follows the third number).
bool GetOsVersion(OsVersionInfo &info);

// Reads a kernel release text as above; false when it does not begin with a number.
bool ParseKernelRelease(const std::string &release, OsVersionInfo &info);

}  // namespace vxt
