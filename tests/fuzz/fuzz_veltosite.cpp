// The web-site container read from any bytes: every query and every change either works or raises
// ESiteError/EFileError; a change that works leaves a container whose layout holds.
#include "FileUtils.h"
#include "FuzzSupport.h"
#include "VeltoSite.h"

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

using namespace vxt;
using vxt::fuzz::ScratchDir;

namespace {

const std::string &SmallFile()
{
    static const std::string path = [] {
        std::string p = ScratchDir() + "fz_added.txt";
        std::ofstream(p, std::ios::binary) << "small";
        return p;
    }();
    return path;
}

bool LayoutHolds(const TVeltoSite &site)
{
    try {
        site.CheckLayout();
        return true;
    } catch (const ESiteError &) {
        return false;
    }
}

// A container as the program writes it: the layout holds, the data ends the file and the header's
// total is the file size (34 for the empty one).
bool Consistent(const TVeltoSite &site)
{
    if (!LayoutHolds(site)) return false;
    const TSiteHeader h = site.ReadHeader();
    size_t end = TVeltoSite::kHeaderSize + size_t(TVeltoSite::kEntrySize) * h.FileCount;
    for (int i = 0; i < h.FileCount; ++i) end += 4 + site.GetEntry(i).Size;
    if (end != size_t(site.Size())) return false;
    return h.FileCount == 0 ? h.TotalSize == 34 : h.TotalSize == uint32_t(site.Size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::string out = ScratchDir() + "out.bin";

    TVeltoSite site(ScratchDir() + "never-written.kws");
    site.LoadFromBytes(bytes);
    FUZZ_CHECK(site.Bytes() == bytes);

    const int n = site.FileCount();
    const bool layout = LayoutHolds(site);
    const bool consistent = Consistent(site);
    std::vector<std::string> names;
    std::vector<int> indexes;
    for (int i = -1; i <= n + 1 && i < 64; ++i) indexes.push_back(i);
    for (int i : {n - 1, n, n + 1}) if (i >= 64) indexes.push_back(i);
    for (int i : indexes) {
        try {
            TSiteSubHeader e = site.GetEntry(i);
            FUZZ_CHECK(i >= 0 && i < n);
            FUZZ_CHECK(e.Name.size() <= size_t(TVeltoSite::kMaxNameLength));
            FUZZ_CHECK(site.FileExists(e.Name));
            names.push_back(e.Name);
        } catch (const ESiteError &) {
            FUZZ_CHECK(!layout || i < 0 || i >= n);
        }
    }
    (void)site.FileExists("");
    (void)site.FileExists("index.htm");
    (void)site.FreeSpace();

    for (const std::string &name : names) {
        try {
            site.ExtractFile(name, out);
            FUZZ_CHECK(layout);
            FUZZ_CHECK(FileExists(out));
        } catch (const ESiteError &) {
            FUZZ_CHECK(!layout);
        } catch (const EFileError &) {
        }
        std::remove(out.c_str());
        if (names.size() > 8) break;
    }

    if (!names.empty()) {
        TVeltoSite copy(site.FileName);
        copy.LoadFromBytes(bytes);
        try {
            copy.RemoveFile(names.front());
            FUZZ_CHECK(layout);
            FUZZ_CHECK(copy.FileCount() == n - 1);
            FUZZ_CHECK(LayoutHolds(copy));
            FUZZ_CHECK(!consistent || Consistent(copy));
        } catch (const ESiteError &) {
            FUZZ_CHECK(!layout);
            FUZZ_CHECK(copy.Bytes() == bytes);
        }
    }

    const bool hadSmall = site.FileExists("fz_added.txt");
    try {
        site.AddFile(SmallFile());
        FUZZ_CHECK(layout);
        FUZZ_CHECK(site.FileCount() == n + 1);
        FUZZ_CHECK(LayoutHolds(site));
        FUZZ_CHECK(!consistent || Consistent(site));
        if (!hadSmall) {
            site.ExtractFile("fz_added.txt", out);
            FUZZ_CHECK(ReadFileBytes(out) == "small");
            std::remove(out.c_str());
        }
    } catch (const ESiteError &) {
        FUZZ_CHECK(!layout || n >= 0xFFFF);
        FUZZ_CHECK(site.Bytes() == bytes);
    }
    return 0;
}
