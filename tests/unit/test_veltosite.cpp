#include "FileUtils.h"
#include "TestDir.h"
#include "VXTTypes.h"
#include "VeltoSite.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace vxt;

namespace {

std::string Bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int v : b) s += char(v);
    return s;
}

std::string Entry(const std::string &name, uint32_t size)
{
    std::string e = name;
    e.resize(20, '\0');
    e += Bytes({int(size & 255), int(size >> 8 & 255), int(size >> 16 & 255), int(size >> 24)});
    e += Bytes({0, 0});
    return e;
}

std::string Size32(uint32_t size)
{
    return Bytes({int(size & 255), int(size >> 8 & 255), int(size >> 16 & 255), int(size >> 24)});
}

}  // namespace

TEST(VeltoSite, NewContainerIsEightBytes)
{
    TestDir dir;
    TVeltoSite site(dir.file("new.kws"));
    EXPECT_EQ(site.Bytes(), Bytes({1, 0, 0, 0, 0x22, 0, 0, 0}));
    EXPECT_EQ(site.Size(), 8);
    EXPECT_EQ(site.FileCount(), 0);
    EXPECT_EQ(site.FreeSpace(), 1572856);
    EXPECT_EQ(dir.count(), 0u);   // nothing created on disk
}

TEST(VeltoSite, AddAndRemoveGiveExactBytes)
{
    TestDir dir;
    const std::string a(100, 'A'), b(10, 'b');
    dir.write("a.htm", a);
    dir.write("b.gif", b);
    TVeltoSite site(dir.file("site.kws"));

    site.AddFile(dir.file("a.htm"));
    const std::string one = Bytes({1, 0, 1, 0, 0x8A, 0, 0, 0}) + Entry("a.htm", 100) + Size32(100) + a;
    EXPECT_EQ(site.Bytes(), one);
    EXPECT_EQ(site.Size(), 138);

    site.AddFile(dir.file("b.gif"));
    const std::string two = Bytes({1, 0, 2, 0, 178, 0, 0, 0}) + Entry("a.htm", 100) + Entry("b.gif", 10) +
                            Size32(100) + a + Size32(10) + b;
    EXPECT_EQ(site.Bytes(), two);
    EXPECT_EQ(site.Size(), 178);
    EXPECT_EQ(site.GetEntry(1).Name, "b.gif");
    EXPECT_EQ(site.GetEntry(1).Size, 10u);
    EXPECT_TRUE(site.FileExists("a.htm"));
    EXPECT_FALSE(site.FileExists("A.HTM"));

    site.RemoveFile("a.htm");
    const std::string left = Bytes({1, 0, 1, 0, 48, 0, 0, 0}) + Entry("b.gif", 10) + Size32(10) + b;
    EXPECT_EQ(site.Bytes(), left);
    EXPECT_EQ(site.ReadHeader().TotalSize, uint32_t(site.Size()));

    site.RemoveFile("nothing");   // no entry of that name: no change
    EXPECT_EQ(site.Bytes(), left);

    site.RemoveFile("b.gif");
    EXPECT_EQ(site.Bytes(), Bytes({1, 0, 0, 0, 0x22, 0, 0, 0}));
}

TEST(VeltoSite, ExtractSaveAndReload)
{
    TestDir dir;
    dir.write("a.htm", "hello");
    dir.write("b.txt", std::string("\0\1\2", 3));
    TVeltoSite site(dir.file("site.kws"));
    site.AddFile(dir.file("a.htm"));
    site.AddFile(dir.file("b.txt"));
    site.ExtractFile("b.txt", dir.file("out.bin"));
    EXPECT_EQ(dir.read("out.bin"), std::string("\0\1\2", 3));
    site.ExtractFile("zzz", dir.file("none.bin"));
    EXPECT_FALSE(FileExists(dir.file("none.bin")));

    site.SaveToFile();
    EXPECT_TRUE(IsSiteFile(dir.file("site.kws")));
    TVeltoSite again(dir.file("site.kws"));
    EXPECT_EQ(again.Bytes(), site.Bytes());

    std::istringstream in(site.Bytes());
    in.get();   // the container is read from the stream's start, wherever it stands
    TVeltoSite copy(dir.file("other.kws"));
    copy.LoadFromStream(in);
    EXPECT_EQ(copy.Bytes(), site.Bytes());
}

TEST(VeltoSite, FirstOfTwoEqualNamesIsTheOneActedOn)
{
    TestDir dir;
    const std::string bytes = Bytes({1, 0, 2, 0, 8 + 52 + 4 + 2 + 4 + 3, 0, 0, 0}) + Entry("x", 2) + Entry("x", 3) +
                              Size32(2) + "AA" + Size32(3) + "BBB";
    TVeltoSite site(dir.file("s.kws"));
    site.LoadFromBytes(bytes);
    site.ExtractFile("x", dir.file("x"));
    EXPECT_EQ(dir.read("x"), "AA");
    site.RemoveFile("x");
    EXPECT_EQ(site.Bytes(), Bytes({1, 0, 1, 0, 8 + 26 + 4 + 3, 0, 0, 0}) + Entry("x", 3) + Size32(3) + "BBB");
}

TEST(VeltoSite, NameOfTwentyCharactersHasNoTerminatorAndLongerIsRefused)
{
    TestDir dir;
    const std::string twenty(20, 'n');
    dir.write(twenty, "z");
    dir.write(twenty + "x", "z");
    TVeltoSite site(dir.file("s.kws"));
    site.AddFile(dir.file(twenty));
    EXPECT_EQ(site.GetEntry(0).Name, twenty);
    EXPECT_EQ(site.Bytes().substr(8, 20), twenty);
    const std::string before = site.Bytes();
    EXPECT_THROW(site.AddFile(dir.file(twenty + "x")), ESiteError);
    EXPECT_EQ(site.Bytes(), before);
}

TEST(VeltoSite, DamagedContainersFailCleanly)
{
    TestDir dir;
    dir.write("f", "data");
    const std::vector<std::string> damaged = {
        Bytes({1, 0}),                                                // header cut short
        Bytes({1, 0, 5, 0, 0, 0, 0, 0}),                              // five entries, no directory
        Bytes({1, 0, 1, 0, 0, 0, 0, 0}) + Entry("a", 1000) + "xy",    // data beyond the end
        Bytes({1, 0, 1, 0, 0, 0, 0, 0}) + Entry("a", 0xFFFFFFFF),     // size near 4 GB
    };
    for (const std::string &bytes : damaged) {
        TVeltoSite site(dir.file("s.kws"));
        site.LoadFromBytes(bytes);
        EXPECT_THROW(site.CheckLayout(), ESiteError);
        EXPECT_THROW(site.AddFile(dir.file("f")), ESiteError);
        EXPECT_EQ(site.Bytes(), bytes);
        if (site.FileExists("a")) {
            EXPECT_THROW(site.RemoveFile("a"), ESiteError);
            EXPECT_THROW(site.ExtractFile("a", dir.file("out")), ESiteError);
            EXPECT_FALSE(FileExists(dir.file("out")));
        }
        EXPECT_EQ(site.Bytes(), bytes);
        for (int i = 0; i < site.FileCount(); ++i) (void)site.FileExists("zz");
        EXPECT_THROW(site.GetEntry(site.FileCount()), ESiteError);
    }
    TVeltoSite site(dir.file("s.kws"));
    site.LoadFromBytes(Bytes({1, 0, 5, 0}));
    EXPECT_THROW(site.GetEntry(0), ESiteError);
}

TEST(VeltoSite, SaveKeepsOldFileWhenItCannotWrite)
{
    TestDir dir;
    TVeltoSite site(dir.path() + "missing-folder/s.kws");
    EXPECT_THROW(site.SaveToFile(), EFileError);
}

TEST(VeltoSite, FileAddedToAContainerWithBytesPastItsDataReadsBack)
{
    TestDir dir;
    dir.write("new.txt", "small");
    // One stored file, then four bytes no entry accounts for.
    const std::string bytes = Bytes({1, 0, 1, 0, 8 + 26 + 4 + 2 + 4, 0, 0, 0}) + Entry("a", 2) + Size32(2) + "AA" + "junk";
    TVeltoSite site(dir.file("s.kws"));
    site.LoadFromBytes(bytes);
    site.AddFile(dir.file("new.txt"));
    site.CheckLayout();
    EXPECT_EQ(site.Bytes(), Bytes({1, 0, 2, 0, 8 + 52 + 4 + 2 + 4 + 5 + 4, 0, 0, 0}) + Entry("a", 2) + Entry("new.txt", 5) +
                                Size32(2) + "AA" + Size32(5) + "small" + "junk");
    site.ExtractFile("new.txt", dir.file("out"));
    EXPECT_EQ(dir.read("out"), "small");
    site.ExtractFile("a", dir.file("out"));
    EXPECT_EQ(dir.read("out"), "AA");
}
