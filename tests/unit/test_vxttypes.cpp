#include "FileUtils.h"
#include "TestDir.h"
#include "VXTTypes.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vxt;

TEST(TagKind, ModbusRules)
{
    TModbusTagConfig t;
    t.Source = 0;
    t.RegTable = 1;   // input register
    t.Type = 4;       // float
    EXPECT_EQ(ModbusTagKind(t), KindFloat);
    t.Type = 1;       // signed int
    EXPECT_EQ(ModbusTagKind(t), KindInteger);
    t.Scale = 1;
    EXPECT_EQ(ModbusTagKind(t), KindFloat);
    t.Scale = 0;
    t.Type = 8;       // single bit on a register: integer when unscaled
    EXPECT_EQ(ModbusTagKind(t), KindInteger);
    t.Type = 7;       // word bit
    EXPECT_EQ(ModbusTagKind(t), KindDigital);
    t.Type = 5;
    EXPECT_EQ(ModbusTagKind(t), KindFloat);
    t.Type = 0;
    t.RegTable = 3;   // coil
    EXPECT_EQ(ModbusTagKind(t), KindDigital);
    t.RegTable = 2;
    EXPECT_EQ(ModbusTagKind(t), KindDigital);
    for (uint8_t src : {1, 2, 3}) {
        TModbusTagConfig d;
        d.Source = src;
        d.Type = 4;
        d.Scale = 1;
        EXPECT_EQ(ModbusTagKind(d), KindDigital);
    }
    TModbusTagConfig s4;
    s4.Source = 4;
    s4.Type = 4;
    EXPECT_EQ(ModbusTagKind(s4), KindInteger);
    s4.Scale = 1;
    EXPECT_EQ(ModbusTagKind(s4), KindFloat);
}

TEST(TagKind, HostlinkAndDF1Rules)
{
    THostlinkTagConfig h;
    h.Source = 4;
    EXPECT_EQ(HostlinkTagKind(h), KindInteger);
    h.Scale = 1;
    EXPECT_EQ(HostlinkTagKind(h), KindFloat);
    h = {};
    h.Type = 6;
    EXPECT_EQ(HostlinkTagKind(h), KindInteger);
    h.Type = 5;
    EXPECT_EQ(HostlinkTagKind(h), KindDigital);
    h.Type = 3;
    EXPECT_EQ(HostlinkTagKind(h), KindFloat);
    h.Type = 0;
    h.Source = 2;
    EXPECT_EQ(HostlinkTagKind(h), KindDigital);

    TDF1TagConfig d;
    d.Source = 4;
    EXPECT_EQ(DF1TagKind(d), KindInteger);
    d.Scale = 1;
    EXPECT_EQ(DF1TagKind(d), KindFloat);
    d = {};
    d.Type = 5;
    EXPECT_EQ(DF1TagKind(d), KindDigital);
    d.Type = 2;
    EXPECT_EQ(DF1TagKind(d), KindInteger);
}

TEST(FileProbes, ConfigurationFamilies)
{
    TestDir dir;
    auto file = [&](const std::string &name, const std::string &type, const std::string &version) {
        return dir.write(name, "[GENERAL]\r\nFILETYPE=" + type + "\r\nFILEVERSION=" + version + "\r\n\r\n");
    };
    std::string mb = file("mb.vlt", "MB", "1.0");
    std::string hl = file("hl.vlt", "HL", "1.0");
    std::string df = file("df.vlt", "DF1", "2.0");
    EXPECT_TRUE(IsModbusConfigFile(mb));
    EXPECT_FALSE(IsHostlinkConfigFile(mb));
    EXPECT_TRUE(IsHostlinkConfigFile(hl));
    EXPECT_TRUE(IsDF1ConfigFile(df));
    EXPECT_FALSE(IsDF1ConfigFile(file("df1.vlt", "DF1", "1.0")));
    EXPECT_FALSE(IsModbusConfigFile(file("v2.vlt", "MB", "2.0")));
    EXPECT_FALSE(IsModbusConfigFile(file("lower.vlt", "mb", "1.0")));
    EXPECT_TRUE(IsModbusConfigFile(dir.write("case.vlt", "[general]\nfiletype=MB\nFileVersion=1.0\n")));
    EXPECT_FALSE(IsModbusConfigFile(dir.file("missing.vlt")));
    EXPECT_FALSE(IsModbusConfigFile(dir.write("bin.vlt", std::string("\x01\x00\x00\x00\x22\x00\x00\x00", 8))));
    EXPECT_FALSE(IsSiteFile(mb));
}

TEST(FileProbes, SiteFile)
{
    TestDir dir;
    EXPECT_TRUE(IsSiteFile(dir.write("one.kws", std::string("\x01\x00\x01\x00\x27\x00\x00\x00", 8) +
                                                    std::string("a\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 20) +
                                                    std::string("\x01\0\0\0\0\0\x01\0\0\0Z", 11))));
    // A web site saved without files says 34 while it is 8 bytes long, and opens again.
    EXPECT_TRUE(IsSiteFile(dir.write("empty.kws", std::string("\x01\x00\x00\x00\x22\x00\x00\x00", 8))));
    EXPECT_FALSE(IsSiteFile(dir.write("empty1.kws", std::string("\x01\x00\x01\x00\x22\x00\x00\x00", 8))));
    EXPECT_FALSE(IsSiteFile(dir.write("long.kws", std::string("\x01\x00\x00\x00\x22\x00\x00\x00\x00", 9))));
    EXPECT_FALSE(IsSiteFile(dir.write("off.kws", std::string("\x01\x00\x00\x00\x09\x00\x00\x00", 8))));
    EXPECT_TRUE(IsSiteFile(dir.write("eight.kws", std::string("\x01\x00\x00\x00\x08\x00\x00\x00", 8))));
    EXPECT_FALSE(IsSiteFile(dir.write("v2.kws", std::string("\x02\x00\x00\x00\x08\x00\x00\x00", 8))));
    EXPECT_FALSE(IsSiteFile(dir.write("short.kws", "\x01")));
    EXPECT_FALSE(IsSiteFile(dir.file("missing.kws")));
}

TEST(FileProbes, UnreadableFileRaises)
{
    TestDir dir;
    std::string f = dir.write("locked.vlt", "[GENERAL]\r\n");
    chmod(f.c_str(), 0);
    EXPECT_THROW(IsModbusConfigFile(f), EFileError);
}

namespace {

// Runs `f` in a child process; its peak resident memory in MB (it starts near the parent's
// size, a few MB), or -1 when `f` failed.
long PeakMegabytesOf(const std::function<bool()> &f)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool ok = f();
        long kb = -1;
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) kb = std::stol(line.substr(6));
        ::_exit(ok && kb >= 0 ? int(std::min(kb / 1024, 250L)) : 255);
    }
    int st = 0;
    ::waitpid(pid, &st, 0);
    return WIFEXITED(st) && WEXITSTATUS(st) != 255 ? WEXITSTATUS(st) : -1;
}

// All four probes in the open command's order; true when the first one refused the file as too
// large, naming it, within a second.
bool ProbesRefuseAsTooLarge(const std::string &path)
{
    const auto start = std::chrono::steady_clock::now();
    try {
        IsModbusConfigFile(path);
        IsHostlinkConfigFile(path);
        IsDF1ConfigFile(path);
        IsSiteFile(path);
        return false;
    } catch (const EFileError &e) {
        const std::string text = e.what();
        const bool named = text.rfind("The File \"" + path + "\" is too large (", 0) == 0 &&
                           text.find("Files larger than 4 MB (4194304 bytes) are not opened.") != std::string::npos;
        return named && std::chrono::steady_clock::now() - start < std::chrono::seconds(1);
    }
}

}  // namespace

// A file far larger than any document is refused at once, without reading it.
TEST(FileProbes, FarTooLargeFileIsRefusedAtOnceWithoutBeingRead)
{
    TestDir dir;
    const std::string sparse = dir.file("huge.vlt");
    {
        std::ofstream out(sparse, std::ios::binary);
        out << "[GENERAL]\r\nFILETYPE=MB\r\nFILEVERSION=1.0\r\n";
    }
    ASSERT_EQ(::truncate(sparse.c_str(), 256LL * 1048576), 0);
    std::string random(50 * 1048576, '\0');
    std::mt19937 gen(13);
    for (char &c : random) c = char(gen());
    const std::string noise = dir.write("noise.kws", random);
    random = std::string();

    for (const std::string &path : {sparse, noise}) {
        const long mb = PeakMegabytesOf([&] { return ProbesRefuseAsTooLarge(path); });
        EXPECT_GE(mb, 0) << path << " was not refused at once as too large";
        EXPECT_LT(mb, 120) << path;
    }
    // The limit itself still opens: a web site of exactly 4 MB is looked at by its header.
    const std::string edge = dir.file("edge.kws");
    {
        std::ofstream out(edge, std::ios::binary);
        out << std::string("\x01\x00\x00\x00\x00\x00\x40\x00", 8);
    }
    ASSERT_EQ(::truncate(edge.c_str(), kMaxDocumentFileSize), 0);
    EXPECT_TRUE(IsSiteFile(edge));
    EXPECT_FALSE(IsModbusConfigFile(edge));
}

// The web-site probe needs the header and the length only: the 3 MB behind the header of a
// container are not read.
TEST(FileProbes, SiteProbeReadsOnlyTheHeader)
{
    TestDir dir;
    const std::string path = dir.file("big.kws");
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string("\x01\x00\x00\x00\x00\x00\x30\x00", 8);   // total 3 MB
    }
    ASSERT_EQ(::truncate(path.c_str(), 3 * 1048576), 0);
    long base = PeakMegabytesOf([] { return true; });
    long mb = PeakMegabytesOf([&] { return IsSiteFile(path); });
    ASSERT_GE(mb, 0);
    EXPECT_LT(mb, base + 2);
}
