#include "FileUtils.h"
#include "IniFile.h"
#include "TestDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vxt;

TEST(IniFile, WritesExactBytesInOrder)
{
    TMemIniFile ini;
    ini.WriteString("GENERAL", "FILETYPE", "MB");
    ini.WriteString("GENERAL", "FILEVERSION", "1.0");
    ini.WriteInteger("COM", "COMTYPE", 0);
    ini.WriteInteger("COM", "BAUD", 9600);
    ini.WriteBool("SMTP", "ENABLE", false);
    ini.WriteString("SMTP", "SERVER", "");
    ini.WriteBool("SMTP", "AUTH", true);
    EXPECT_EQ(ini.GetText(),
              "[GENERAL]\r\nFILETYPE=MB\r\nFILEVERSION=1.0\r\n\r\n"
              "[COM]\r\nCOMTYPE=0\r\nBAUD=9600\r\n\r\n"
              "[SMTP]\r\nENABLE=0\r\nSERVER=\r\nAUTH=1\r\n\r\n");
}

// A value that would end its line (a device's name with a line break) never reaches the file, so no
// section or key can be slipped into a document; the image stays as it was.
TEST(IniFile, ValueWithControlCharacterIsRefused)
{
    TMemIniFile ini;
    ini.SetFileName("/tmp/doc.vlt");
    ini.WriteString("TAG1", "NAME", "TANK");
    const std::pair<std::string, std::string> refused[] = {
        {"TANK\r\n[TAG9]\r\nNAME=EVIL", "U+000D"}, {"A\nB", "U+000A"}, {"A\tB", "U+0009"}, {"\x1b", "U+001B"}};
    for (const auto &[value, code] : refused) {
        try {
            ini.WriteString("TAG1", "NAME", value);
            ADD_FAILURE() << code;
        } catch (const EFileError &e) {
            EXPECT_EQ(std::string(e.what()), "Cannot write file \"/tmp/doc.vlt\". The value of NAME in [TAG1] holds "
                                             "the control character " + code + ".");
        }
    }
    EXPECT_EQ(ini.GetText(), "[TAG1]\r\nNAME=TANK\r\n\r\n");
}

TEST(IniFile, LoadedOrderIsKeptNewKeysAppendedErasedSectionsGoLast)
{
    TMemIniFile ini;
    ini.LoadFromText("[B]\nx=1\ny=2\n[TAG0]\nNAME=a\n[A]\nz=3\nextra=keep\n");
    ini.WriteString("b", "Y", "20");       // case-insensitive: the stored key keeps its spelling
    ini.WriteString("B", "w", "new");
    ini.EraseSection("TAG0");
    EXPECT_FALSE(ini.SectionExists("tag0"));
    ini.WriteString("TAG0", "NAME", "b");
    EXPECT_EQ(ini.GetText(),
              "[B]\r\nx=1\r\ny=20\r\nw=new\r\n\r\n"
              "[A]\r\nz=3\r\nextra=keep\r\n\r\n"
              "[TAG0]\r\nNAME=b\r\n\r\n");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"B", "A", "TAG0"}));
    EXPECT_EQ(ini.ReadSection("a"), (std::vector<std::string>{"z", "extra"}));
}

TEST(IniFile, ReadsWithDefaults)
{
    TMemIniFile ini;
    ini.LoadFromText("[S]\r\nI=42\r\nBAD=4x\r\nE=\r\nB=7\r\nZ=0\r\n  SP  =  padded  \r\n");
    EXPECT_EQ(ini.ReadInteger("s", "i", 0), 42);
    EXPECT_EQ(ini.ReadInteger("S", "BAD", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "MISSING", 5), 5);
    EXPECT_EQ(ini.ReadString("S", "E", "def"), "");   // present but empty is not the default
    EXPECT_EQ(ini.ReadString("S", "MISSING", "def"), "def");
    EXPECT_EQ(ini.ReadString("S", "SP", ""), "padded");
    EXPECT_TRUE(ini.ReadBool("S", "B", false));
    EXPECT_FALSE(ini.ReadBool("S", "Z", true));
    EXPECT_FALSE(ini.ReadBool("S", "BAD", false));
    EXPECT_TRUE(ini.ValueExists("S", "e"));
    EXPECT_FALSE(ini.ValueExists("S", "q"));
    ini.DeleteKey("S", "I");
    EXPECT_FALSE(ini.ValueExists("S", "I"));
}

TEST(IniFile, FileRoundTripAndAtomicReplace)
{
    TestDir dir;
    std::string path = dir.write("a.vlt", "[X]\r\nK=v\r\n\r\n");
    TMemIniFile ini(path);
    EXPECT_EQ(ini.ReadString("X", "K", ""), "v");
    ini.WriteString("X", "L", "w");
    ini.UpdateFile();
    EXPECT_EQ(dir.read("a.vlt"), "[X]\r\nK=v\r\nL=w\r\n\r\n");
    EXPECT_EQ(dir.count(), 1u);   // no temporary file left behind

    TMemIniFile missing(dir.file("none.ini"));
    EXPECT_TRUE(missing.ReadSections().empty());

    TMemIniFile bad(dir.path() + "no-such-folder/x.ini");
    bad.WriteString("A", "B", "C");
    EXPECT_THROW(bad.UpdateFile(), EFileError);
}

TEST(IniFile, SectionLineWithoutClosingBracketIsSkipped)
{
    TMemIniFile ini;
    ini.LoadFromText("[A]\r\nX=1\r\n[BROKEN=2\r\nY=3\r\n  [\r\nZ]\r\n[B]\r\nW=4\r\n");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ini.ReadSection("A"), (std::vector<std::string>{"X", "Y"}));
    const std::string text = "[A]\r\nX=1\r\nY=3\r\n\r\n[B]\r\nW=4\r\n\r\n";
    EXPECT_EQ(ini.GetText(), text);
    TMemIniFile again;
    again.LoadFromText(ini.GetText());
    EXPECT_EQ(again.GetText(), text);
    // The same after a byte-order mark, which the reader drops.
    ini.LoadFromText("\xEF\xBB\xBF[BROKEN\nK=v\n[C]\nL=w\n");
    EXPECT_EQ(ini.GetText(), "[C]\r\nL=w\r\n\r\n");
}

namespace {

mode_t ModeOf(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

// The INI reader ends the text at a zero byte; a save would write back only the part before it.
TEST(IniFile, FileWithZeroByteIsRefusedNotReadInPart)
{
    TestDir dir;
    const std::string text = std::string("[GENERAL]\r\nFILETYPE=MB\r\n\r\n[TAG0]\r\nNAME=A") + '\0' +
                             "B\r\n\r\n[TAG1]\r\nNAME=C\r\n\r\n";
    const std::string path = dir.write("nul.vlt", text);
    try {
        TMemIniFile ini(path);
        FAIL() << "a file with a zero byte was read: " << ini.GetText().size() << " of " << text.size() << " bytes";
    } catch (const EFileError &e) {
        EXPECT_EQ(std::string(e.what()),
                  "The File \"" + path + "\" is not a text file: it holds a zero byte at offset 40.");
    }
    EXPECT_EQ(dir.read("nul.vlt"), text);
    // The image of a text keeps reading up to the zero byte (the open probes look at the header so).
    TMemIniFile image;
    image.LoadFromText(text);
    EXPECT_EQ(image.ReadString("GENERAL", "FILETYPE", ""), "MB");
}

// A file the user may not write is refused with the write failure, whoever runs the program (root
// could write it, but its write bits say no); nothing changes on disk.
TEST(FileWrites, ReadOnlyFileIsRefusedAndStaysAsItIs)
{
    TestDir dir;
    const std::string old = "[X]\r\nK=old\r\n\r\n";
    const std::string path = dir.write("ro.vlt", old);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    TMemIniFile ini(path);
    ini.WriteString("X", "K", "new");
    try {
        ini.UpdateFile();
        FAIL() << "a read-only file was replaced";
    } catch (const EFileError &e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". Permission denied");
    }
    EXPECT_EQ(dir.read("ro.vlt"), old);
    EXPECT_EQ(ModeOf(path), mode_t(0444));
    EXPECT_EQ(dir.count(), 1u);
    // Every writer goes the same way: the extracted file and the web site's own file too.
    EXPECT_THROW(WriteFileAtomic(path, "x"), EFileError);
    EXPECT_EQ(dir.read("ro.vlt"), old);
    // One write bit is enough for root; anyone else needs their own.
    const mode_t writable = geteuid() == 0 ? 0464 : 0644;
    ASSERT_EQ(::chmod(path.c_str(), writable), 0);
    ini.UpdateFile();
    EXPECT_EQ(dir.read("ro.vlt"), "[X]\r\nK=new\r\n\r\n");
    EXPECT_EQ(ModeOf(path), writable);
}

TEST(FileWrites, ReplacedFileKeepsItsModeAndLinksStayLinks)
{
    TestDir dir;
    const std::string path = dir.write("a.vlt", "[X]\r\nK=v\r\n\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    WriteFileAtomic(path, "new");
    EXPECT_EQ(dir.read("a.vlt"), "new");
    EXPECT_EQ(ModeOf(path), mode_t(0640));

    // Saving through a link writes the file it points to and keeps the link.
    const std::string link = dir.file("link.vlt");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    WriteFileAtomic(link, "through the link");
    struct stat st;
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(dir.read("a.vlt"), "through the link");
    EXPECT_EQ(ModeOf(path), mode_t(0640));
    EXPECT_EQ(dir.count(), 2u);

    // A new file gets the mode asked for, less the umask.
    const mode_t mask = ::umask(022);
    WriteFileAtomic(dir.file("private.ini"), "x", 0600);
    WriteFileAtomic(dir.file("plain.vlt"), "x");
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir.file("private.ini")), mode_t(0600));
    EXPECT_EQ(ModeOf(dir.file("plain.vlt")), mode_t(0644));
}

// A name close to the file system's limit (255 bytes) is still saved, over a new or an existing file.
TEST(FileWrites, LongNamesAreSaved)
{
    TestDir dir;
    std::string name;
    for (int i = 0; i < 83; ++i) name += "\xe9\x85\x8d";   // 配, 3 bytes each
    name += ".vlt";                                        // 253 bytes in all
    WriteFileAtomic(dir.file(name), "first");
    EXPECT_EQ(dir.read(name), "first");
    WriteFileAtomic(dir.file(name), "second");
    EXPECT_EQ(dir.read(name), "second");
    EXPECT_EQ(dir.count(), 1u);
}

// Setting a key in a text changes only that key's lines, as the reader finds them, and the reader
// then reads the new value.
TEST(IniText, SetsOnlyTheKeysOwnLines)
{
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"", "[S]\r\nK=v\r\n\r\n"},
        {"; note", "; note\r\n\r\n[S]\r\nK=v\r\n\r\n"},
        {"[S]\r\nA=1", "[S]\r\nA=1\r\nK=v\r\n"},
        {"\xEF\xBB\xBF[s]\r\n k = old \r\n", "\xEF\xBB\xBF[s]\r\nK=v\r\n"},
        {"[S]\r\n[broken\r\nK=old\r\n", "[S]\r\n[broken\r\nK=v\r\n"},
        {"[S]\r\nK=1\r\nX=2\r\nK=3\r\n", "[S]\r\nK=v\r\nX=2\r\nK=v\r\n"},
        {"[S]\r\n;K=1\r\n# K=2\r\nK\r\n=3\r\n", "[S]\r\nK=v\r\n;K=1\r\n# K=2\r\nK\r\n=3\r\n"},
        {"K=1\r\n[T]\r\nK=2\r\n\r\n", "K=1\r\n[T]\r\nK=2\r\n\r\n[S]\r\nK=v\r\n\r\n"},
        {"[ S ] trailing\rK=1\rX=2\r", "[ S ] trailing\rK=v\rX=2\r"},
        {"[S]\nA=1\n\n; after\n[T]\nB=2\n[S]\nC=3\n", "[S]\nA=1\n\n; after\n[T]\nB=2\n[S]\nC=3\nK=v\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const std::string out = IniTextWithValue(c.text, "S", "K", "v");
        EXPECT_EQ(out, c.expected);
        TMemIniFile ini;
        ini.LoadFromText(out);
        EXPECT_EQ(ini.ReadString("S", "K", "absent"), "v");
    }
}
