#include "FileUtils.h"
#include "KProt.h"
#include "TestDir.h"
#include "Utiles.h"
#include "VXTOptions.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace vxt;

namespace {

class Options : public ::testing::Test {
protected:
    void SetUp() override { SetIniFileNameOverride(dir.file("vxt.ini")); }
    void TearDown() override { SetIniFileNameOverride(""); }
    TestDir dir;
};

}  // namespace

TEST_F(Options, DefaultsWithoutFile)
{
    EXPECT_EQ(GetFtpProxyMethod(), 1);
    EXPECT_EQ(GetHttpProxyPort(), 0);
    EXPECT_FALSE(GetHttpProxyEnabled());
    EXPECT_FALSE(GetFtpProxyEnabled());
    EXPECT_FALSE(GetHttpProxyAuth());
    EXPECT_EQ(GetHttpProxyServer(), "");
    EXPECT_EQ(GetHttpProxyUserName(), "");
    EXPECT_EQ(GetFtpProxyPassword(), "");
    EXPECT_FALSE(FileExists(dir.file("vxt.ini")));
}

TEST_F(Options, PlainSettingsAreOnDiskAtOnce)
{
    SetHttpProxyEnabled(true);
    SetHttpProxyServer("proxy.local");
    SetHttpProxyPort(8080);
    SetFtpProxyMethod(4);
    EXPECT_EQ(dir.read("vxt.ini"),
              "[PROXYHTTP]\r\nENABLED=1\r\nSERVER=proxy.local\r\nPORT=8080\r\n\r\n[PROXYFTP]\r\nMETHOD=4\r\n\r\n");
    EXPECT_TRUE(GetHttpProxyEnabled());
    EXPECT_EQ(GetHttpProxyServer(), "proxy.local");
    EXPECT_EQ(GetHttpProxyPort(), 8080);
    EXPECT_EQ(GetFtpProxyMethod(), 4);
    dir.write("vxt.ini", "[PROXYHTTP]\r\nPORT=80a\r\nENABLED=2\r\n");
    EXPECT_EQ(GetHttpProxyPort(), 0);
    EXPECT_TRUE(GetHttpProxyEnabled());
}

TEST_F(Options, CredentialsAreAScrambledMessage)
{
    SetHttpProxyPassword("p");
    EXPECT_EQ(dir.read("vxt.ini"), "[PROXYHTTP]\r\nAUTHDATA=" + ScrambleToHex("AUTHDATA(USERNAME=,PASSWORD=p,);") + "\r\n\r\n");
    EXPECT_EQ(GetHttpProxyUserName(), "");
    EXPECT_EQ(GetHttpProxyPassword(), "p");

    SetFtpProxyPassword("fp");
    SetFtpProxyUserName("fu");
    EXPECT_EQ(GetFtpProxyUserName(), "fu");
    EXPECT_EQ(GetFtpProxyPassword(), "fp");
    EXPECT_EQ(GetHttpProxyPassword(), "p");   // the HTTP value stays as it was
    EXPECT_NE(dir.read("vxt.ini").find("AUTHDATA=" + ScrambleToHex("AUTHDATA(USERNAME=fu,PASSWORD=fp,);")),
              std::string::npos);
}

TEST_F(Options, CredentialsSurviveEveryCharacter)
{
    const std::string tricky = "a,b;c=d(e)f/g//h/co";
    SetHttpProxyUserName(tricky);
    SetHttpProxyPassword("pw;1,");
    EXPECT_EQ(GetHttpProxyUserName(), tricky);
    EXPECT_EQ(GetHttpProxyPassword(), "pw;1,");
    // A value stored with a bare "/" (as older settings hold it) reads as the message reader gives it.
    dir.write("vxt.ini", "[PROXYFTP]\r\nAUTHDATA=" + ScrambleToHex("AUTHDATA(USERNAME=a/b,PASSWORD=x,);") + "\r\n");
    EXPECT_EQ(GetFtpProxyUserName(), "a");
    EXPECT_EQ(GetFtpProxyPassword(), "x");
    dir.write("vxt.ini", "[PROXYFTP]\r\nAUTHDATA=not hex\r\n");
    EXPECT_EQ(GetFtpProxyUserName(), "");
}

TEST_F(Options, UnwritableFileRaisesAndKeepsOldContent)
{
    SetIniFileNameOverride(dir.path() + "missing/vxt.ini");
    EXPECT_THROW(SetHttpProxyPort(1), EFileError);
    EXPECT_EQ(GetHttpProxyPort(), 0);
}

// The settings file lies beside the program, whatever the program's folder is called: a copy of this
// test program in such a folder reads the vxt.ini put there and writes its change into it.
TEST(OptionsBesideTheProgram, FolderNameBeyondAscii)
{
    if (std::getenv("VXT_SETTINGS_BESIDE_PROGRAM")) {
        // The copy, run by the test below.
        EXPECT_EQ(GetIniFileName(), GetAppDir() + "vxt.ini");
        EXPECT_EQ(GetHttpProxyServer(), "proxy.local");
        EXPECT_EQ(GetHttpProxyPort(), 8080);
        SetFtpProxyPort(2121);
        return;
    }
    TestDir dir;
    const std::string folder = dir.file("d\xc3\xa9j\xc3\xa0 \xe9\x85\x8d\xe7\xbd\xae/");   // "déjà 配置"
    std::filesystem::create_directory(folder);
    const std::string copy = folder + "vxt-check";
    std::filesystem::copy_file("/proc/self/exe", copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
    std::ofstream(folder + "vxt.ini", std::ios::binary) << "[PROXYHTTP]\r\nSERVER=proxy.local\r\nPORT=8080\r\n";
    const std::string command = "VXT_SETTINGS_BESIDE_PROGRAM=1 '" + copy +
                                "' --gtest_filter=OptionsBesideTheProgram.FolderNameBeyondAscii >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string ini = ReadFileBytes(folder + "vxt.ini");
    EXPECT_NE(ini.find("SERVER=proxy.local"), std::string::npos);
    EXPECT_NE(ini.find("[PROXYFTP]"), std::string::npos);
    EXPECT_NE(ini.find("PORT=2121"), std::string::npos);
}
