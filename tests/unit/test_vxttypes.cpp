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

// Each row is a file's content and the probes that take it; the probes of a file's content and
// those of the file itself agree on every row.
TEST(FileProbes, ContentAndFile)
{
    const auto config = [](const std::string &type, const std::string &version) {
        return "[GENERAL]\r\nFILETYPE=" + type + "\r\nFILEVERSION=" + version + "\r\n\r\n";
    };
    const std::string header = std::string("\x01\x00\x01\x00\x27\x00\x00\x00", 8);
    const std::string entry = std::string("a\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 20) + std::string("\x01\0\0\0\0\0", 6);
    constexpr unsigned MB = 1, HL = 2, DF1 = 4, Site = 8;
    const auto takenBy = [](bool mb, bool hl, bool df1, bool site) {
        return (mb ? MB : 0) | (hl ? HL : 0) | (df1 ? DF1 : 0) | (site ? Site : 0);
    };
    const struct {
        const char *name;
        std::string content;
        unsigned takenBy;
    } rows[] = {
        {"Modbus", config("MB", "1.0"), MB},
        {"Hostlink", config("HL", "1.0"), HL},
        {"DF1", config("DF1", "2.0"), DF1},
        {"DF1 of version 1.0", config("DF1", "1.0"), 0},
        {"Modbus of version 2.0", config("MB", "2.0"), 0},
        {"type in lower case", config("mb", "1.0"), 0},
        {"names in any case", "[general]\nfiletype=MB\nFileVersion=1.0\n", MB},
        {"header after another section", "[COM]\r\nBAUD=9600\r\n" + config("HL", "1.0"), HL},
        // The text ends at a zero byte for the probe; the document refuses the file itself.
        {"zero byte after the header", config("MB", "1.0") + "[SMTP]\r\nSERVER=a" + std::string(1, '\0') + "b\r\n", MB},
        {"zero byte before the header", std::string(1, '\0') + config("MB", "1.0"), 0},
        {"web site of one file", header + entry + std::string("\x01\0\0\0Z", 5), Site},
        // A web site saved without files says 34 while it is 8 bytes long, and opens again.
        {"web site saved empty", std::string("\x01\x00\x00\x00\x22\x00\x00\x00", 8), Site},
        {"total of 34 with one file", std::string("\x01\x00\x01\x00\x22\x00\x00\x00", 8), 0},
        {"total of 34 for 9 bytes", std::string("\x01\x00\x00\x00\x22\x00\x00\x00\x00", 9), 0},
        {"total one byte off", std::string("\x01\x00\x00\x00\x09\x00\x00\x00", 8), 0},
        {"total equal to the length", std::string("\x01\x00\x00\x00\x08\x00\x00\x00", 8), Site},
        {"container of version 2", std::string("\x02\x00\x00\x00\x08\x00\x00\x00", 8), 0},
        {"shorter than a header", "\x01", 0},
        {"empty", "", 0},
    };
    TestDir dir;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const unsigned byContent = takenBy(IsModbusConfigContent(row.content), IsHostlinkConfigContent(row.content),
                                           IsDF1ConfigContent(row.content), IsSiteContent(row.content));
        EXPECT_EQ(byContent, row.takenBy);
        const std::string file = dir.write("probed", row.content);
        const unsigned byFile =
            takenBy(IsModbusConfigFile(file), IsHostlinkConfigFile(file), IsDF1ConfigFile(file), IsSiteFile(file));
        EXPECT_EQ(byFile, row.takenBy);
    }
    for (const char *missing : {"missing.vlt", "missing.kws"}) {
        EXPECT_FALSE(IsModbusConfigFile(dir.file(missing)));
        EXPECT_FALSE(IsSiteFile(dir.file(missing)));
    }
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
