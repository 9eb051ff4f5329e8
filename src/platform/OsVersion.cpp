#include "OsVersion.h"

#include <sys/utsname.h>

namespace vxt {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the decimal number at `pos` (saturating at the 32-bit limit); false when there is none.
bool ReadNumber(const std::string &s, size_t &pos, uint32_t &value)
{
    if (pos >= s.size() || !IsDigit(s[pos])) return false;
    uint64_t v = 0;
    while (pos < s.size() && IsDigit(s[pos])) {
        v = v * 10 + uint64_t(s[pos++] - '0');
        if (v > UINT32_MAX) v = UINT32_MAX;
    }
    value = uint32_t(v);
    return true;
}

}  // namespace

bool ParseKernelRelease(const std::string &release, OsVersionInfo &info)
{
    OsVersionInfo r;
    r.PlatformId = kPlatformOther;
    size_t pos = 0;
    if (!ReadNumber(release, pos, r.Major)) return false;
    uint32_t *const rest[] = {&r.Minor, &r.BuildNumber};
    for (uint32_t *field : rest) {
        // Only a "." followed by a number carries the next part; anything else is the suffix.
        if (pos + 1 < release.size() && release[pos] == '.' && IsDigit(release[pos + 1])) {
            ++pos;
            ReadNumber(release, pos, *field);
        } else {
            break;
        }
    }
    r.ServicePack = release.substr(pos);
    info = r;
    return true;
}

bool GetOsVersion(OsVersionInfo &info)
{
    struct utsname u;
    if (::uname(&u) != 0) return false;
    return ParseKernelRelease(u.release, info);
}

}  // namespace vxt
