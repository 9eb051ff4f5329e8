#include "FileUtils.h"
#include "TestDir.h"
#include "VXTTypes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
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
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    TestDir dir;
    std::string f = dir.write("locked.vlt", "[GENERAL]\r\n");
    chmod(f.c_str(), 0);
    EXPECT_THROW(IsModbusConfigFile(f), EFileError);
}
