#include "FileUtils.h"
#include "IniFile.h"
#include "TestDir.h"

#include <gtest/gtest.h>

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
