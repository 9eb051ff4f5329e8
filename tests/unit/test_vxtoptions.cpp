#include "FileUtils.h"
#include "KProt.h"
#include "TestDir.h"
#include "Utiles.h"
#include "VXTOptions.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace vxt;

namespace {

class Options : public ::testing::Test {
protected:
    void SetUp() override { SetIniFileNameOverride(dir.file("vxt.ini")); }
    void TearDown() override { SetIniFileNameOverride(""); }
    TestDir dir;
};

mode_t ModeOf(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::string AuthData(const std::string &user, const std::string &pass)
{
    return "AUTHDATA=" + ScrambleToHex("AUTHDATA(USERNAME=" + user + ",PASSWORD=" + pass + ",);");
}

// `text` without the first `part` (nothing when `part` is empty or absent).
std::string Without(std::string text, const std::string &part)
{
    const size_t at = part.empty() ? std::string::npos : text.find(part);
    if (at != std::string::npos) text.erase(at, part.size());
    return text;
}

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

// The file holds the proxy credentials: for its owner only, new or replaced, also through a link.
TEST_F(Options, NewAndReplacedFilesArePrivate)
{
    const mode_t mask = ::umask(022);
    SetHttpProxyPassword("secret");
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir.file("vxt.ini")), mode_t(0600));
    ASSERT_EQ(::chmod(dir.file("vxt.ini").c_str(), 0644), 0);
    SetHttpProxyPort(8080);
    EXPECT_EQ(ModeOf(dir.file("vxt.ini")), mode_t(0600));
    EXPECT_EQ(GetHttpProxyPassword(), "secret");

    const std::string real = dir.write("real.ini", "[PROXYHTTP]\r\nPORT=3128\r\n\r\n");
    ASSERT_EQ(::chmod(real.c_str(), 0644), 0);
    ASSERT_EQ(::unlink(dir.file("vxt.ini").c_str()), 0);
    ASSERT_EQ(::symlink("real.ini", dir.file("vxt.ini").c_str()), 0);
    SetHttpProxyServer("p");
    EXPECT_EQ(dir.read("real.ini"), "[PROXYHTTP]\r\nPORT=3128\r\nSERVER=p\r\n\r\n");
    EXPECT_EQ(ModeOf(real), mode_t(0600));
    struct stat st;
    ASSERT_EQ(::lstat(dir.file("vxt.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// Linked elsewhere: a warning names the file actually read; a link to what is no regular file
// (a pipe here, /dev/null for a user) reads as the defaults and is never replaced.
TEST_F(Options, LinkedFileIsNamedAndOnlyARegularFileIsWritten)
{
    const std::string link = dir.file("vxt.ini");
    dir.write("real.ini", "garbage \x01");
    ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);
    EXPECT_EQ(SettingsFileProblem(), "The settings file \"" + link + "\" (a link to \"" + dir.file("real.ini") +
                                         "\") holds no settings this program can read.\r\nThe default settings "
                                         "are used; OK in the Options dialog replaces the file.");
    ASSERT_EQ(::unlink(link.c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("fifo", link.c_str()), 0);
    EXPECT_EQ(SettingsFileProblem(), "");
    EXPECT_EQ(GetHttpProxyPort(), 0);
    try {
        SetHttpProxyPort(8080);
        FAIL() << "the pipe was replaced";
    } catch (const EFileError &e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write file \"" + link + "\". It is a link to \"" +
                                             dir.file("fifo") + "\", which is not a regular file.");
    }
    struct stat st;
    ASSERT_EQ(::lstat(dir.file("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(dir.count(), 3u);
}

TEST_F(Options, ReadOnlyFileIsRefusedAndKept)
{
    const std::string old = "[PROXYHTTP]\r\nPORT=3128\r\n\r\n";
    const std::string path = dir.write("vxt.ini", old);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    try {
        SetHttpProxyPort(1);
        FAIL() << "a read-only settings file was replaced";
    } catch (const EFileError &e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". Permission denied");
    }
    EXPECT_EQ(dir.read("vxt.ini"), old);
    EXPECT_EQ(ModeOf(path), mode_t(0444));
    EXPECT_EQ(GetHttpProxyPort(), 3128);
    EXPECT_EQ(SettingsFileProblem(), "");
}

// A file that cannot be used reads as the defaults, says once which file and why, and is replaced
// by a setter only once the user has been told.
TEST_F(Options, UnusableFileReadsAsDefaultsAndIsReplacedOnlyOnceShown)
{
    const std::string path = dir.file("vxt.ini");
    const std::string file = "The settings file \"" + path + "\" ";
    const std::string replaces = "\r\nThe default settings are used; OK in the Options dialog replaces the file.";
    struct Case {
        std::string bytes, problem;
    };
    const std::string nul = std::string("[PROXYHTTP]\r\nENABLED=1\r\nSERVER=pro") + '\0' +
                            "xy\r\nPORT=3128\r\n\r\n[PROXYFTP]\r\nMETHOD=3\r\n\r\n";
    const std::string binary = "\x89PNG\x1a\xff\xfe garbage = \x01\x02\r\n\xc3\x28\x7f";
    const Case cases[] = {
        {nul, file + "cannot be read: it holds a zero byte at offset 34, which no settings file holds." + replaces},
        {binary, file + "holds no settings this program can read." + replaces},
        {std::string(70000, '['),
         file + "cannot be read: it is too large (70000 bytes, where a settings file holds less than 65536)." +
             replaces},
    };
    for (const Case &c : cases) {
        SetIniFileNameOverride(path);
        dir.write("vxt.ini", c.bytes);
        EXPECT_EQ(SettingsFileProblem(), c.problem);
        EXPECT_FALSE(GetHttpProxyEnabled());
        EXPECT_EQ(GetHttpProxyPort(), 0);
        EXPECT_EQ(GetFtpProxyMethod(), 1);
        EXPECT_EQ(GetHttpProxyServer(), "");
        // Not shown yet: a setter raises the problem instead of replacing the file unseen.
        try {
            SetHttpProxyPort(8080);
            ADD_FAILURE() << "replaced unseen: " << c.problem;
        } catch (const EFileError &e) {
            EXPECT_EQ(std::string(e.what()), c.problem);
        }
        EXPECT_EQ(dir.read("vxt.ini"), c.bytes);
        // Taken once, then never again; now the settings replace it.
        EXPECT_EQ(TakeSettingsFileProblem(), c.problem);
        EXPECT_EQ(TakeSettingsFileProblem(), "");
        SetHttpProxyPort(8080);
        SetFtpProxyMethod(2);
        EXPECT_EQ(dir.read("vxt.ini"), "[PROXYHTTP]\r\nPORT=8080\r\n\r\n[PROXYFTP]\r\nMETHOD=2\r\n\r\n");
        EXPECT_EQ(SettingsFileProblem(), "");
    }

    // Blank lines and comments are no garbage, and neither is a file of other sections only.
    SetIniFileNameOverride(path);
    dir.write("vxt.ini", "; proxy settings\r\n\r\n");
    EXPECT_EQ(SettingsFileProblem(), "");
    dir.write("vxt.ini", "[OTHER]\r\nX=1\r\n");
    EXPECT_EQ(SettingsFileProblem(), "");
}

// Unreadable (mode 000): the same for root, whose reading the mode bits forbid all the same; it
// cannot be written either, so it is kept.
TEST_F(Options, UnreadableFileReadsAsDefaultsAndIsKept)
{
    const std::string old = "[PROXYHTTP]\r\nPORT=3128\r\n\r\n";
    const std::string path = dir.write("vxt.ini", old);
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const std::string problem =
        "The settings file \"" + path + "\" cannot be read: Permission denied.\r\nThe default settings are used.";
    EXPECT_EQ(SettingsFileProblem(), problem);
    EXPECT_EQ(GetHttpProxyPort(), 0);
    EXPECT_EQ(TakeSettingsFileProblem(), problem);
    try {
        SetHttpProxyPort(8080);
        FAIL() << "an unreadable settings file was replaced";
    } catch (const EFileError &e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". Permission denied");
    }
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(dir.read("vxt.ini"), old);
}

// Every setter changes its own key's line (or adds one) and nothing else: comments, keys before the
// first section, other sections and keys keep their bytes, spacing and line ends.
TEST_F(Options, EverySetterKeepsTheLinesItDoesNotOwn)
{
    const std::string httpAuth = AuthData("hu", "hp") + "\r\n";
    const std::string file = "; written by hand\r\nGLOBAL = 1\r\n# another comment\r\n\r\n[PROXYHTTP]\r\n"
                             "; the proxy\r\n  server = old.proxy  \r\nEnabled=0\r\nCOLOR=blue\r\n" + httpAuth +
                             "; end of the proxy\r\n\r\n[OTHER]\r\nX = 1\r\n\n[proxyftp]\nmethod=3\nPORT = 21\nNOTE=keep me\n";
    struct Case {
        std::function<void()> set;
        std::string oldLine, newLine;
        std::function<bool()> reads;
    };
    const Case cases[] = {
        {[] { SetHttpProxyAuth(true); }, "", "AUTH=1\r\n", [] { return GetHttpProxyAuth(); }},
        {[] { SetHttpProxyEnabled(true); }, "Enabled=0\r\n", "ENABLED=1\r\n", [] { return GetHttpProxyEnabled(); }},
        {[] { SetHttpProxyServer("new.proxy"); }, "  server = old.proxy  \r\n", "SERVER=new.proxy\r\n",
         [] { return GetHttpProxyServer() == "new.proxy"; }},
        {[] { SetHttpProxyPort(8080); }, "", "PORT=8080\r\n", [] { return GetHttpProxyPort() == 8080; }},
        {[] { SetHttpProxyUserName("nu"); }, httpAuth, AuthData("nu", "hp") + "\r\n",
         [] { return GetHttpProxyUserName() == "nu" && GetHttpProxyPassword() == "hp"; }},
        {[] { SetHttpProxyPassword("np"); }, httpAuth, AuthData("hu", "np") + "\r\n",
         [] { return GetHttpProxyUserName() == "hu" && GetHttpProxyPassword() == "np"; }},
        {[] { SetFtpProxyAuth(true); }, "", "AUTH=1\r\n", [] { return GetFtpProxyAuth() && !GetHttpProxyAuth(); }},
        {[] { SetFtpProxyEnabled(true); }, "", "ENABLED=1\r\n", [] { return GetFtpProxyEnabled(); }},
        {[] { SetFtpProxyServer("ftp.proxy"); }, "", "SERVER=ftp.proxy\r\n",
         [] { return GetFtpProxyServer() == "ftp.proxy" && GetHttpProxyServer() == "old.proxy"; }},
        {[] { SetFtpProxyPort(2121); }, "PORT = 21\n", "PORT=2121\n", [] { return GetFtpProxyPort() == 2121; }},
        {[] { SetFtpProxyUserName("fu"); }, "", AuthData("fu", "") + "\r\n",
         [] { return GetFtpProxyUserName() == "fu" && GetHttpProxyUserName() == "hu"; }},
        {[] { SetFtpProxyPassword("fp"); }, "", AuthData("", "fp") + "\r\n", [] { return GetFtpProxyPassword() == "fp"; }},
        {[] { SetFtpProxyMethod(4); }, "method=3\n", "METHOD=4\n", [] { return GetFtpProxyMethod() == 4; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.newLine);
        dir.write("vxt.ini", file);
        c.set();
        const std::string now = dir.read("vxt.ini");
        EXPECT_NE(now.find(c.newLine), std::string::npos);
        EXPECT_EQ(Without(now, c.newLine), Without(file, c.oldLine));
        EXPECT_TRUE(c.reads());
    }
}

// A value holding a control character would put a key or section of its own into the file: every
// text setter refuses it naming the file and the key, within an update or not, and nothing changes.
TEST_F(Options, ControlCharactersAreNeverWritten)
{
    const std::string old = "[PROXYHTTP]\r\nSERVER=p\r\n\r\n[PROXYFTP]\r\nENABLED=0\r\n\r\n";
    struct Case {
        void (*set)(const std::string &);
        std::string value, expected;
    };
    const Case cases[] = {
        {SetHttpProxyServer, "proxy\r\n[PROXYFTP]\r\nENABLED=1", "The value of SERVER in [PROXYHTTP] holds the control character U+000D."},
        {SetFtpProxyServer, "a\nb", "The value of SERVER in [PROXYFTP] holds the control character U+000A."},
        {SetHttpProxyServer, "tab\there", "The value of SERVER in [PROXYHTTP] holds the control character U+0009."},
        {SetFtpProxyServer, "del\x7f", "The value of SERVER in [PROXYFTP] holds the control character U+007F."},
    };
    for (const Case &c : cases) {
        for (bool update : {false, true}) {
            SCOPED_TRACE(c.value + (update ? " (update)" : ""));
            dir.write("vxt.ini", old);
            std::optional<TSettingsUpdate> u;
            if (update) u.emplace();
            try {
                c.set(c.value);
                ADD_FAILURE() << "written";
            } catch (const EFileError &e) {
                EXPECT_EQ(std::string(e.what()), "Cannot write file \"" + dir.file("vxt.ini") + "\". " + c.expected);
            }
            if (u) u->Commit();
            EXPECT_EQ(dir.read("vxt.ini"), old);
            EXPECT_FALSE(GetFtpProxyEnabled());
        }
    }
}

// Within an update the setters change an image that the getters read; only Commit writes it.
TEST_F(Options, UpdateWritesOnlyOnCommit)
{
    const std::string old = "; mine\r\n[PROXYHTTP]\r\nPORT=3128\r\n";
    dir.write("vxt.ini", old);
    for (bool commit : {false, true}) {
        TSettingsUpdate update;
        SetHttpProxyPort(8080);
        SetFtpProxyMethod(2);
        EXPECT_EQ(GetHttpProxyPort(), 8080);
        EXPECT_EQ(dir.read("vxt.ini"), old);
        if (commit) update.Commit();
    }
    EXPECT_EQ(dir.read("vxt.ini"), "; mine\r\n[PROXYHTTP]\r\nPORT=8080\r\n\r\n[PROXYFTP]\r\nMETHOD=2\r\n\r\n");
}
