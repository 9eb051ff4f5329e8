// The one reader and the one writer: what they write through links, where they write in place,
// where they stop reading, and the reasons their failures give.
#include "FileUtils.h"
#include "SkippedRows.h"
#include "TestDir.h"
#include "VXTTypes.h"
#include "VeltoSite.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vxt;

namespace {

constexpr uid_t kOtherUser = 65534;
// What InChild returns where the child's set-up failed.
const std::string kNoSetUp = "no set-up";

// What a failure says, or "" when `f` succeeds.
std::string FailureOf(const std::function<void()> &f)
{
    try {
        f();
        return "";
    } catch (const std::exception &e) {
        return e.what();
    }
}

// Runs `f` in a child process that first calls `prepare` (root's work: a mount namespace, another
// user); returns what `f` returned, kNoSetUp where `prepare` failed, or "child failed".
std::string InChild(const std::function<bool()> &prepare, const std::function<std::string()> &f)
{
    int fds[2];
    if (::pipe(fds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string out = prepare() ? f() : kNoSetUp;
        const ssize_t n = ::write(fds[1], out.data(), out.size());
        ::_exit(n == ssize_t(out.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, size_t(n));
    ::close(fds[0]);
    int st = 0;
    ::waitpid(pid, &st, 0);
    return WIFEXITED(st) && WEXITSTATUS(st) == 0 ? out : "child failed";
}

// Runs `f` as a user without root's rights (root drops to another user in a child).
std::string AsPlainUser(const std::function<std::string()> &f)
{
    if (::geteuid() != 0) return f();
    return InChild([] { return ::setgid(kOtherUser) == 0 && ::setuid(kOtherUser) == 0; }, f);
}

// The plain user of AsPlainUser owns `path`.
void GiveToPlainUser(const std::string &path)
{
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), kOtherUser, kOtherUser), 0);
    }
}

std::string Kind(const std::string &path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return "none";
    if (S_ISLNK(st.st_mode)) return "link";
    if (S_ISREG(st.st_mode)) return "file";
    if (S_ISDIR(st.st_mode)) return "folder";
    if (S_ISFIFO(st.st_mode)) return "fifo";
    if (S_ISCHR(st.st_mode)) return "device";
    return "other";
}

mode_t ModeOf(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A FIFO that reports size 0 and gives `bytes`, fed by a thread until the reader closes it.
class FedFifo {
public:
    FedFifo(const std::string &path, std::string bytes) : path_(path)
    {
        ::signal(SIGPIPE, SIG_IGN);
        if (::mkfifo(path.c_str(), 0600) != 0) return;
        feeder_ = std::thread([path, bytes = std::move(bytes)] {
            const int fd = ::open(path.c_str(), O_WRONLY);
            if (fd < 0) return;
            size_t done = 0;
            while (done < bytes.size()) {
                const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
                if (n <= 0) break;   // the reader stopped reading
                done += size_t(n);
            }
            ::close(fd);
        });
    }
    ~FedFifo()
    {
        // A reader that never came leaves the feeder waiting in its open: come and go as one, so
        // that its next write fails.
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        if (feeder_.joinable()) feeder_.join();
    }
    const std::string &path() const { return path_; }

private:
    std::string path_;
    std::thread feeder_;
};

}  // namespace

// Only regular files are written: through a link its target, created when missing; anything else
// is refused with the path named, and nothing changes.
TEST(FileWrites, OnlyRegularFilesAreWrittenLinksAreKept)
{
    TestDir dir;
    const std::string d = dir.path();
    dir.write("target.vlt", "old");
    ASSERT_EQ(::mkdir((d + "folder").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo((d + "fifo").c_str(), 0600), 0);
    const bool device = ::mknod((d + "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const char *links[][2] = {{"to-target", "target.vlt"}, {"to-new", "new.vlt"},  {"to-nowhere", "no/such.vlt"},
                              {"loop-a", "loop-b"},         {"loop-b", "loop-a"},     {"to-folder", "folder"},
                              {"to-fifo", "fifo"},          {"to-device", "null"},
                              {"chain", "to-target"}};
    for (auto &l : links) ASSERT_EQ(::symlink(l[1], (d + l[0]).c_str()), 0);

    struct Case {
        const char *path, *failure, *written, *content;
    };
    const Case cases[] = {
        {"to-target", "", "target.vlt", "one"},
        {"chain", "", "target.vlt", "two"},
        {"to-new", "", "new.vlt", "three"},
        {"to-nowhere", "Cannot create file \"@to-nowhere\". No such file or directory", "", ""},
        {"loop-a", "Cannot write file \"@loop-a\". Too many levels of symbolic links", "", ""},
        {"to-folder", "Cannot write file \"@to-folder\". It is a link to \"@folder\", which is a folder.", "", ""},
        {"to-fifo", "Cannot write file \"@to-fifo\". It is a link to \"@fifo\", which is not a regular file.", "", ""},
        {"to-device", "Cannot write file \"@to-device\". It is a link to \"@null\", which is not a regular file.", "",
         ""},
        {"folder", "Cannot write file \"@folder\". It is a folder.", "", ""},
        {"fifo", "Cannot write file \"@fifo\". It is not a regular file.", "", ""},
        {"null", "Cannot write file \"@null\". It is not a regular file.", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        if (!device && (std::string(c.path) == "null" || std::string(c.path) == "to-device")) continue;
        const size_t before = dir.count();
        std::string expected = c.failure;
        for (size_t at; (at = expected.find('@')) != std::string::npos;) expected.replace(at, 1, d);
        EXPECT_EQ(FailureOf([&] { WriteFileAtomic(d + c.path, c.content); }), expected);
        if (*c.written) {
            EXPECT_EQ(dir.read(c.written), c.content);
            EXPECT_EQ(Kind(d + c.path), "link");
            EXPECT_EQ(dir.count(), before + (std::string(c.path) == "to-new" ? 1 : 0));
        } else {
            EXPECT_EQ(dir.count(), before);
        }
    }
    EXPECT_EQ(Kind(d + "folder"), "folder");
    EXPECT_EQ(Kind(d + "fifo"), "fifo");
    if (device) {
        EXPECT_EQ(Kind(d + "null"), "device");
    }
    for (const char *l : {"loop-a", "to-folder", "to-fifo", "to-nowhere"}) EXPECT_EQ(Kind(d + l), "link");
}

// A save refuses the names a read refuses, with the read's reason, and leaves the folder as it was:
// a name that ends in "/", or whose last link's target does, names a folder, and a path longer than
// the system takes whole is not written a name at a time. The ordinary saves beside them still write.
TEST(FileWrites, SaveRefusesWhatTheReadRefuses)
{
    TestDir dir;
    const std::string d = dir.path();
    dir.write("c.vlt", "old");
    ASSERT_EQ(::mkdir((d + "folder").c_str(), 0755), 0);
    for (const auto &[link, target] : {std::pair{"to-c", "c.vlt"}, {"to-c-slash", "c.vlt/"}, {"to-new-slash", "new.vlt/"}})
        ASSERT_EQ(::symlink(target, (d + link).c_str()), 0);
    // Folders of valid names, deep enough that a file in the last is named by PATH_MAX bytes.
    std::string deep;
    while (PATH_MAX - (d + deep).size() > NAME_MAX) {
        deep += std::string(200, char('a' + deep.size() / 201)) + "/";
        ASSERT_EQ(::mkdir((d + deep).c_str(), 0755), 0);
    }
    const std::string atLimit = deep + std::string(PATH_MAX - (d + deep).size() - 1, 'x');
    const std::string pastLimit = atLimit + "x";
    const std::string tooLong = "File name too long";
    struct Case {
        std::string name, why, written;   // why it is refused, or the file written
    };
    const Case cases[] = {
        {"c.vlt/", "Not a directory", ""},
        {"new.vlt/", "No such file or directory", ""},
        {"to-c-slash", "Not a directory", ""},
        {"to-new-slash", "No such file or directory", ""},
        {"folder/", "It is a folder.", ""},
        {pastLimit, tooLong, ""},
        {std::string(NAME_MAX + 1, 'n'), tooLong, ""},
        {"c.vlt", "", "c.vlt"},
        {"to-c", "", "c.vlt"},
        {atLimit, "", atLimit},
    };
    // Every name and what it holds, so that any file added, removed or changed is seen.
    const auto contents = [&] {
        std::map<std::string, std::string> all;
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(d, ec); !ec && it != std::filesystem::end(it);
             it.increment(ec)) {
            const std::string name = it->path().string().substr(d.size());
            all[name] = Kind(d + name) + ":" + (Kind(d + name) == "file" ? dir.read(name) : "");
        }
        return all;
    };
    for (const auto &[name, why, written] : cases) {
        SCOPED_TRACE(name.substr(0, 100));
        const std::string path = d + name;
        std::map<std::string, std::string> after = contents();
        const std::string content = "saved as " + name.substr(0, 100);
        const std::string failure = FailureOf([&] { WriteFileAtomic(path, content); });
        const std::string read = FailureOf([&] { EXPECT_EQ(ReadFileBytes(path), content); });
        if (!written.empty()) after[written] = "file:" + content;
        const char *verb = why.rfind("No such", 0) == 0 ? "Cannot create file \"" : "Cannot write file \"";
        EXPECT_EQ(failure, why.empty() ? "" : verb + path + "\". " + why);
        EXPECT_EQ(read, why.empty() ? "" : "Cannot open file \"" + path + "\". " + why);
        EXPECT_EQ(contents(), after);
    }
}

// A file written with a mode that withholds group and other rights (the settings) loses those
// rights also where it replaces a file that had them, on either way of writing.
TEST(FileWrites, PrivateModeAlsoForReplacedFiles)
{
    TestDir dir;
    struct Case {
        mode_t before;
        unsigned asked;
        mode_t after;
    };
    const Case cases[] = {{0644, 0600, 0600}, {0666, 0600, 0600}, {0755, 0600, 0711}, {0644, 0666, 0644},
                          {0640, 0640, 0640}};
    for (const Case &c : cases) {
        const std::string path = dir.write("vxt.ini", "old");
        ASSERT_EQ(::chmod(path.c_str(), c.before), 0);
        WriteFileAtomic(path, "new", c.asked);
        EXPECT_EQ(ModeOf(path), c.after) << std::oct << c.before << " " << c.asked;
    }
}

// Where the folder takes no temporary file, or lets no one but its owner replace a file, a file
// the user may write gets its new content in place; a new file is still refused.
TEST(FileWrites, UnwritableFolderWritesTheFileInPlace)
{
    TestDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    const std::string locked = dir.path() + "locked/";
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    const std::string mine = locked + "mine.vlt";
    std::ofstream(mine) << "the old, longer content";
    ASSERT_EQ(::chmod(mine.c_str(), 0644), 0);
    GiveToPlainUser(mine);
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    }
    const std::string fresh = locked + "new.vlt";
    EXPECT_EQ(AsPlainUser([&] {
                  std::string out = FailureOf([&] { WriteFileAtomic(mine, "short"); }) + "|";
                  out += FailureOf([&] { WriteFileAtomic(mine, "new content"); }) + "|";
                  return out + FailureOf([&] { WriteFileAtomic(fresh, "x"); });
              }),
              "||Cannot create file \"" + fresh + "\". Permission denied");
    std::ifstream in(mine);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new content");
    EXPECT_EQ(ModeOf(mine), mode_t(0644));
    ::chmod(locked.c_str(), 0755);

    // Sticky folder: another user's 0666 file cannot be replaced by a rename, only written.
    if (::geteuid() != 0) GTEST_SKIP() << "the sticky folder needs a second user";
    const std::string sticky = dir.path() + "sticky/";
    ASSERT_EQ(::mkdir(sticky.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(sticky.c_str(), 01777), 0);
    const std::string shared = sticky + "shared.vlt";
    std::ofstream(shared) << "old";
    ASSERT_EQ(::chmod(shared.c_str(), 0666), 0);
    EXPECT_EQ(AsPlainUser([&] { return FailureOf([&] { WriteFileAtomic(shared, "new"); }); }), "");
    std::ifstream s(shared);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(s), {}), "new");
    struct stat st;
    ASSERT_EQ(::stat(shared.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sticky), {}), 1);
}

// Where the new content must go into the file itself, a write that cannot finish leaves no trace:
// the file stays byte-equal with its mode, no file is added, the room a reservation took is given
// back, and an overlay's file is not copied up. Its room is reserved and a private file made
// private before any byte changes; a size limit is seen before the first write (whose signal would
// end the program).
TEST(FileWrites, WriteThatCannotFinishLeavesTheFileAsItWas)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: a mount and a second user";
    TestDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    const std::string mnt = dir.path() + "full/";
    ASSERT_EQ(::mkdir(mnt.c_str(), 0755), 0);
    const std::string file = mnt + "vxt.ini";
    const std::string layers = dir.path() + "layers/";
    std::string old, fresh;
    for (int i = 0; old.size() < 40000; ++i) old += "OLD=" + std::to_string(i) + "\r\n";
    for (int i = 0; fresh.size() < 120000; ++i) fresh += "NEW=" + std::to_string(i) + "\r\n";
    const std::string noTemp = "No temporary file can be made beside it (Permission denied), and ";
    const std::string notOverwritten = "its file system is not known to keep the old content while it is written in place.";
    enum class Disk {
        Tmpfs,     // 64 KB: the old file takes 10 of its 16 pages
        Overlay,   // room to spare, the old file in the lower layer
        Ext4,      // 40 KB free, where a reservation refused part-way keeps what it took
    };
    struct Case {
        const char *name;
        mode_t folderMode;
        uid_t owner;
        mode_t fileMode;
        unsigned asked;
        rlim_t sizeLimit;   // 0: none
        std::string reason;
        Disk disk = Disk::Tmpfs;
        gid_t group = gid_t(-1);   // -1: the owner's
    };
    const Case cases[] = {
        {"no room in place", 0755, kOtherUser, 0644, 0600, 0,
         noTemp + "there is no room to write it in place: No space left on device."},
        {"size limit in place", 0755, kOtherUser, 0644, 0666, 65536, "File too large"},
        {"size limit beside", 0777, kOtherUser, 0644, 0666, 65536, "File too large"},
        {"cannot be made private", 0755, 0, 0666, 0600, 0,
         noTemp + "the file, readable by other users, cannot be made private: Operation not permitted."},
        {"setgid of another group", 0755, kOtherUser, 02644, 0600, 0,
         noTemp + "there is no room to write it in place: No space left on device.", Disk::Tmpfs, 0},
        {"overlay", 0755, kOtherUser, 0644, 0666, 0, noTemp + notOverwritten, Disk::Overlay},
        {"another's file in a sticky overlay", 01777, 0, 0666, 0666, 0,
         "Only its owner, another user, may replace it in this sticky folder (Operation not permitted), and " +
             notOverwritten,
         Disk::Overlay},
        {"ext4 part-way", 0755, kOtherUser, 0644, 0666, 0,
         noTemp + "there is no room to write it in place: No space left on device.", Disk::Ext4},
    };
    const char *diskNames[] = {"tmpfs", "overlay", "ext4 on a loop device"};
    SkippedRows skipped(std::size(cases));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const gid_t group = c.group == gid_t(-1) ? c.owner : c.group;
        const std::string out = InChild(
            [&] {
                if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                    (::mkdir(layers.c_str(), 0755) != 0 && errno != EEXIST) ||
                    ::mount("tmpfs", layers.c_str(), "tmpfs", 0, "size=16m") != 0)
                    return false;
                if (c.disk == Disk::Tmpfs) return ::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k,mode=755") == 0;
                if (c.disk == Disk::Ext4) {
                    const std::string image = layers + "ext4.img";
                    return ::close(::open(image.c_str(), O_CREAT | O_WRONLY, 0600)) == 0 &&
                           ::truncate(image.c_str(), 4 << 20) == 0 &&
                           std::system(("PATH=/usr/sbin:/sbin:$PATH mkfs.ext4 -q -m 0 -O ^has_journal " + image +
                                        " >/dev/null 2>&1 && mount -o loop " + image + " " + mnt)
                                           .c_str()) == 0;
                }
                const std::string options =
                    "lowerdir=" + layers + "lower,upperdir=" + layers + "upper,workdir=" + layers + "work";
                const std::string lower = layers + "lower/vxt.ini";
                if (::mkdir((layers + "lower").c_str(), 0755) != 0 || ::mkdir((layers + "upper").c_str(), 0755) != 0 ||
                    ::mkdir((layers + "work").c_str(), 0755) != 0)
                    return false;
                std::ofstream(lower, std::ios::binary) << old;
                return ::chown(lower.c_str(), c.owner, group) == 0 && ::chmod(lower.c_str(), c.fileMode) == 0 &&
                       ::mount("overlay", mnt.c_str(), "overlay", 0, options.c_str()) == 0;
            },
            [&] {
                if (c.disk != Disk::Overlay) {
                    std::ofstream(file, std::ios::binary) << old;
                    if (::chown(file.c_str(), c.owner, group) != 0 || ::chmod(file.c_str(), c.fileMode) != 0)
                        return std::string("no file");
                }
                struct statvfs room;
                if (c.disk == Disk::Ext4) {
                    const int filler = ::open((mnt + "filler").c_str(), O_CREAT | O_WRONLY, 0600);
                    if (::statvfs(mnt.c_str(), &room) != 0 ||
                        ::fallocate(filler, 0, 0, off_t(room.f_bavail * room.f_frsize) - 40960) != 0 || ::fsync(filler) != 0)
                        return std::string("no filler");
                    ::close(filler);
                }
                const rlimit limit{c.sizeLimit, c.sizeLimit};
                if (::chmod(mnt.c_str(), c.folderMode) != 0 || ::setgroups(0, nullptr) != 0 || ::setgid(kOtherUser) != 0 ||
                    ::setuid(kOtherUser) != 0 || (c.sizeLimit && ::setrlimit(RLIMIT_FSIZE, &limit) != 0))
                    return std::string("no set-up");
                const auto files = [&] { return std::distance(std::filesystem::directory_iterator(mnt), {}); };
                const auto before = files();
                ::statvfs(mnt.c_str(), &room);
                const auto free = room.f_bfree;
                const std::string failure = FailureOf([&] { WriteFileAtomic(file, fresh, c.asked); });
                std::ifstream in(file, std::ios::binary);
                const std::string now(std::istreambuf_iterator<char>(in), {});
                ::statvfs(mnt.c_str(), &room);
                return failure + "|" + (now == old ? "kept" : "changed") + "|" + std::to_string(ModeOf(file)) + "|" +
                       (files() == before ? "no file added" : "a file added") + "|" +
                       (room.f_bfree == free ? "room kept" : "room taken") +
                       (Kind(layers + "upper/vxt.ini") == "none" ? "" : "|copied up");
            });
        if (out == kNoSetUp) {
            skipped.Skip(c.name, std::string("no mount namespace or no ") + diskNames[int(c.disk)] + " here");
            continue;
        }
        EXPECT_EQ(out, "Cannot write file \"" + file + "\". " + c.reason + "|kept|" + std::to_string(c.fileMode) +
                           "|no file added|room kept");
    }
    if (skipped.NoneRan()) GTEST_SKIP() << skipped.Text();
}

// In a sticky folder that all may write (/tmp), a link is followed only as the kernel would follow
// it: for its owner, or when the folder's owner owns it too. Another's link is refused by name,
// wherever it stands in the chain, and nothing is written or created.
TEST(FileWrites, OthersLinksInSharedFoldersAreNotFollowed)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give links to another user";
    TestDir dir;
    const std::string d = dir.path();
    const std::string secret = dir.write("secret", "root only");
    for (const char *f : {"mine.vlt", "open.vlt", "theirs.vlt"}) dir.write(f, "old");
    // A folder only root may enter, holding root's document.
    ASSERT_EQ(::mkdir((d + "private").c_str(), 0700), 0);
    dir.write("private/doc.vlt", "root's document");
    struct Folder {
        const char *name;
        mode_t mode;
        uid_t owner;
    };
    for (const Folder &f : {Folder{"shared", 01777, 0}, Folder{"open", 0777, 0}, Folder{"notall", 01775, 0},
                            Folder{"theirs", 01777, kOtherUser}}) {
        ASSERT_EQ(::mkdir((d + f.name).c_str(), 0700), 0);
        ASSERT_EQ(::chmod((d + f.name).c_str(), f.mode), 0);
        ASSERT_EQ(::chown((d + f.name).c_str(), f.owner, f.owner), 0);
    }
    struct Link {
        const char *path;
        std::string target;
        uid_t owner;
    };
    for (const Link &l : {Link{"shared/others", secret, kOtherUser}, Link{"shared/planted", d + "planted.vlt", kOtherUser},
                          Link{"shared/mine", d + "mine.vlt", 0}, Link{"open/others", d + "open.vlt", kOtherUser},
                          Link{"notall/others", d + "open.vlt", kOtherUser},
                          Link{"theirs/own", d + "theirs.vlt", kOtherUser}, Link{"chain", d + "shared/others", 0},
                          Link{"shared/folder", d + "private", kOtherUser}, Link{"shared/myfolder", d + "private", 0},
                          Link{"via", d + "shared/folder", 0}}) {
        ASSERT_EQ(::symlink(l.target.c_str(), (d + l.path).c_str()), 0);
        ASSERT_EQ(::lchown((d + l.path).c_str(), l.owner, l.owner), 0);
    }
    const auto refused = [&](const std::string &target) {
        return " another user's link to \"" + target + "\" in a folder that all may write, which is not followed.";
    };
    const std::string throughFolder = "It leads through \"" + d + "shared/folder\"," + refused(d + "private");
    struct Case {
        const char *path;
        std::string failure;
        const char *written;   // the file that gets the content, "" for none
        const char *kind = "link";   // what stands at the path afterwards ("" not looked at)
    };
    const Case cases[] = {
        {"shared/others", "It is" + refused(secret), ""},
        {"shared/planted", "It is" + refused(d + "planted.vlt"), ""},
        {"chain", "It leads through \"" + d + "shared/others\"," + refused(secret), ""},
        {"shared/mine", "", "mine.vlt"},
        {"open/others", "", "open.vlt"},
        {"notall/others", "", "open.vlt"},
        {"theirs/own", "", "theirs.vlt"},
        // Links along the path are links too: a folder's link is followed by the same rule.
        {"shared/folder/doc.vlt", throughFolder, "", ""},
        {"shared/folder/new.vlt", throughFolder, "", "none"},
        {"via/new.vlt", throughFolder, "", "none"},
        {"shared/myfolder/mine.vlt", "", "private/mine.vlt", "file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        const std::string content = std::string("saved through ") + c.path;
        const std::string failure = FailureOf([&] { WriteFileAtomic(d + c.path, content); });
        EXPECT_EQ(failure, c.failure.empty() ? "" : "Cannot write file \"" + d + c.path + "\". " + c.failure);
        if (*c.kind) {
            EXPECT_EQ(Kind(d + c.path), c.kind);
        }
        if (*c.written) {
            EXPECT_EQ(dir.read(c.written), content);
        }
        // Only a link names the file it leads to.
        const bool named = *c.written && std::string(c.kind) == "link";
        EXPECT_EQ(LinkTarget(d + c.path), d + (named ? c.written : c.path));
    }
    // A read is refused at the last link as the kernel refuses it, whether or not its guard is on,
    // naming the file the link leads to; a folder's link on the way is followed, as the kernel does.
    EXPECT_EQ(FailureOf([&] { ReadFileBytes(d + "chain"); }),
              "Cannot open file \"" + d + "chain\". It leads through \"" + d + "shared/others\"," + refused(secret));
    EXPECT_EQ(ReadFileBytes(d + "shared/folder/doc.vlt"), "root's document");
    EXPECT_EQ(dir.read("secret"), "root only");
    EXPECT_EQ(dir.read("private/doc.vlt"), "root's document");
    EXPECT_EQ(Kind(d + "planted.vlt"), "none");
    EXPECT_EQ(Kind(d + "private/new.vlt"), "none");
}

// The folder that was checked is the folder that is written. Swapped after the check for a link to
// another folder, the other folder gets nothing, on either way of writing: the write lands in the
// folder that was checked, wherever it now is.
TEST(FileWrites, FolderSwappedAfterTheCheckGetsNothing)
{
    TestDir dir;
    const std::string d = dir.path();
    ASSERT_EQ(::chmod(d.c_str(), 0777), 0);
    const std::pair<const char *, mode_t> ways[] = {{"beside", 0777}, {"in place", 0555}};
    for (const auto &[way, folderMode] : ways) {
        SCOPED_TRACE(way);
        ASSERT_EQ(::mkdir((d + "work").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((d + "other").c_str(), 0755), 0);
        GiveToPlainUser(dir.write("work/doc.vlt", "old"));
        GiveToPlainUser(dir.write("other/doc.vlt", "the other folder's document"));
        ASSERT_EQ(::chmod((d + "work").c_str(), folderMode), 0);
        EXPECT_EQ(AsPlainUser([&] {
                      g_heldFolderHook = [&] {
                          if (::rename((d + "work").c_str(), (d + "moved").c_str()) != 0 ||
                              ::symlink((d + "other").c_str(), (d + "work").c_str()) != 0)
                              std::abort();
                      };
                      const std::string failure = FailureOf([&] { WriteFileAtomic(d + "work/doc.vlt", "new"); });
                      g_heldFolderHook = nullptr;
                      return failure;
                  }),
                  "");
        EXPECT_EQ(dir.read("other/doc.vlt"), "the other folder's document");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d + "other"), {}), 1);
        EXPECT_EQ(dir.read("moved/doc.vlt"), "new");
        ::chmod((d + "moved").c_str(), 0755);
        for (const char *name : {"work", "moved", "other"}) std::filesystem::remove_all(d + name);
    }
}

// The refusal quotes the system's reason: a read-only file system is no missing permission.
TEST(FileWrites, ReadOnlyFileSystemGivesItsReason)
{
    if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
    TestDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    const std::string mnt = dir.path() + "ro/";
    ASSERT_EQ(::mkdir(mnt.c_str(), 0755), 0);
    const std::string out = InChild(
        [&] {
            return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k") == 0;
        },
        [&] {
            std::ofstream(mnt + "a.vlt") << "old";
            if (::chmod((mnt + "a.vlt").c_str(), 0666) != 0 ||
                ::mount(nullptr, mnt.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
                return std::string("no read-only mount");
            // Root, then a plain user, who may write the file by its mode.
            std::string out;
            for (int pass = 0; pass < 2; ++pass) {
                out += FailureOf([&] { WriteFileAtomic(mnt + "a.vlt", "new"); }) + "|";
                out += FailureOf([&] { WriteFileAtomic(mnt + "b.vlt", "new"); }) + "|";
                if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0) return std::string("no plain user");
            }
            return out;
        });
    if (out == kNoSetUp) GTEST_SKIP() << "no mount namespace here";
    const std::string reasons = "Cannot create file \"" + mnt + "a.vlt\". Read-only file system|Cannot create file \"" +
                                mnt + "b.vlt\". Read-only file system|";
    EXPECT_EQ(out, reasons + reasons);
}

// Every read stops at its limit, whatever size the system reports (a pipe reports 0).
TEST(FileReads, StopAtTheLimitWhateverSizeIsReported)
{
    TestDir dir;
    const std::string big(size_t(kMaxDocumentFileSize) + 4096, 'x');
    {
        FedFifo fifo(dir.file("big"), big);
        EXPECT_EQ(FailureOf([&] { ReadFileBytes(fifo.path()); }),
                  "The File \"" + fifo.path() +
                      "\" is too large (more than 4194304 bytes) to be a Velto Configuration File or Web "
                      "Site.\r\nFiles larger than 4 MB (4194304 bytes) are not opened.");
    }
    ::unlink(dir.file("big").c_str());
    {
        FedFifo fifo(dir.file("big"), big);
        EXPECT_EQ(ReadFileHead(fifo.path(), 10), std::string(10, 'x'));
    }
    ::unlink(dir.file("big").c_str());
    {
        FedFifo fifo(dir.file("big"), std::string(size_t(TVeltoSite::kCapacity) + 1, 'y'));
        TVeltoSite site{std::string()};
        EXPECT_EQ(FailureOf([&] { site.AddFile(fifo.path()); }), "The file \"big\" is too large.");
        EXPECT_EQ(site.FileCount(), 0);
    }
    ::unlink(dir.file("small").c_str());
    {
        FedFifo fifo(dir.file("small"), "[GENERAL]\r\nFILETYPE=MB\r\n");
        EXPECT_EQ(ReadFileBytes(fifo.path()), "[GENERAL]\r\nFILETYPE=MB\r\n");
    }
    // A pipe nobody writes to fails after its wait instead of holding the window for ever.
    ASSERT_EQ(::mkfifo(dir.file("silent").c_str(), 0600), 0);
    EXPECT_EQ(FailureOf([&] { ReadFileBytes(dir.file("silent"), ReadWaits{100}); }),
              "Cannot read file \"" + dir.file("silent") + "\". Nothing came through it for 100 milliseconds.");
    // A pipe that is never silent for long still ends: the whole read has a deadline.
    ASSERT_EQ(::mkfifo(dir.file("trickle").c_str(), 0600), 0);
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        const int fd = ::open(dir.file("trickle").c_str(), O_WRONLY);
        while (fd >= 0 && !done && ::write(fd, "x", 1) == 1) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (fd >= 0) ::close(fd);
    });
    EXPECT_EQ(FailureOf([&] { ReadFileBytes(dir.file("trickle"), ReadWaits{500, 1500}); }),
              "Cannot read file \"" + dir.file("trickle") + "\". It did not end within 1500 milliseconds.");
    done = true;
    trickle.join();
    // A regular file ends by itself: however slow its disk, no deadline cuts it.
    const std::string site = dir.write("site.kws", std::string(300000, 's'));
    EXPECT_EQ(ReadFileBytes(site, ReadWaits{100, 0}).size(), 300000u);
    EXPECT_EQ(ReadFileHead(site, 70000, ReadWaits{100, 0}).size(), 70000u);
    // The probes read a file of /proc (size 0, several MB here) no further than a document's limit.
    const std::string kallsyms = "/proc/kallsyms";
    std::ifstream probe(kallsyms, std::ios::binary);
    probe.ignore(kMaxDocumentFileSize + 1);
    if (probe.gcount() <= kMaxDocumentFileSize) GTEST_SKIP() << kallsyms << " is small here";
    EXPECT_EQ(FileSize(kallsyms), 0);
    const std::string failure = FailureOf([&] { IsModbusConfigFile(kallsyms); });
    EXPECT_EQ(failure.rfind("The File \"" + kallsyms + "\" is too large (more than 4194304 bytes)", 0), 0u);
}

// Only files and named pipes are read: a folder, a terminal, a device or a socket is refused at
// once by every reader, naming it; a silent terminal must not hold the window.
TEST(FileReads, OnlyFilesAndPipesAreRead)
{
    TestDir dir;
    const std::string folder = dir.path() + "folder";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const std::string pts = ::ptsname(terminal);
    const std::string socketPath = dir.file("socket");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    ASSERT_EQ(::symlink(pts.c_str(), dir.file("to-terminal").c_str()), 0);
    // A relative link climbing past the root; the target is named as the system resolves it.
    std::string up = "../";
    for (char c : dir.path()) up += c == '/' ? "../" : "";
    ASSERT_EQ(::mkdir(dir.file("names").c_str(), 0755), 0);
    ASSERT_EQ(::symlink((up + pts.substr(1)).c_str(), dir.file("names/term").c_str()), 0);

    const std::pair<std::string, std::string> kinds[] = {
        {folder, "It is a folder."},
        {pts, "It is not a regular file."},
        {dir.file("to-terminal"), "It is a link to \"" + pts + "\", which is not a regular file."},
        {dir.file("names/term"), "It is a link to \"" + pts + "\", which is not a regular file."},
        {"names/term", "It is a link to \"" + pts + "\", which is not a regular file."},   // from the test's folder
        {"/dev/zero", "It is not a regular file."},
        {socketPath, "It is not a regular file."},
    };
    const std::function<void(const std::string &)> readers[] = {
        [](const std::string &p) { ReadFileBytes(p); },
        [](const std::string &p) { ReadFileHead(p, 8); },
        [](const std::string &p) { TVeltoSite{std::string()}.AddFile(p); },
    };
    for (const auto &[path, why] : kinds) {
        for (size_t r = 0; r < std::size(readers); ++r) {
            SCOPED_TRACE(path + " reader " + std::to_string(r));
            // A reader that waits is ended by the alarm, and the test fails instead of hanging.
            EXPECT_EQ(InChild([&] {
                                  ::alarm(10);
                                  return ::chdir(dir.path().c_str()) == 0;
                              },
                              [&] { return FailureOf([&] { readers[r](path); }); }),
                      "Cannot open file \"" + path + "\". " + why);
        }
    }
    ::close(sock);
    ::close(terminal);
}

// A read that fails after the open names the file, through every reader.
TEST(FileReads, ReadErrorsNameTheFile)
{
    TestDir dir;
    const std::string mem = "/proc/self/mem";
    const std::string folder = dir.path() + "folder";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string io = "Cannot read file \"" + mem + "\". Input/output error";
    const std::string isDir = "Cannot open file \"" + folder + "\". It is a folder.";
    TVeltoSite site{std::string()};
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { ReadFileBytes(mem); }, io},
        {[&] { ReadFileHead(mem, 8); }, io},
        {[&] { IsModbusConfigFile(mem); }, io},
        {[&] { TVeltoSite opened(mem); }, io},
        {[&] { site.AddFile(mem); }, io},
        {[&] { ReadFileBytes(folder); }, isDir},
    };
    for (const auto &[read, failure] : cases) EXPECT_EQ(FailureOf(read), failure);
}

// A file in a folder the user may not enter gives the permission failure, not "not a document".
TEST(FileReads, FolderNotEnteredGivesThePermissionFailure)
{
    TestDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    const std::string closed = dir.path() + "closed/";
    ASSERT_EQ(::mkdir(closed.c_str(), 0700), 0);
    const std::string file = closed + "a.vlt";
    std::ofstream(file) << "[GENERAL]\r\nFILETYPE=MB\r\nFILEVERSION=1.0\r\n";
    ::chmod(closed.c_str(), 0);   // for a plain user; root's own child is another user
    const std::string denied = "Cannot open file \"" + file + "\". Permission denied";
    EXPECT_EQ(AsPlainUser([&] {
                  return FailureOf([&] { IsModbusConfigFile(file); }) + "|" +
                         FailureOf([&] { IsSiteFile(file); }) + "|" + FailureOf([&] { FileFound(file); });
              }),
              denied + "|" + denied + "|" + denied);
    ::chmod(closed.c_str(), 0700);
    EXPECT_FALSE(FileFound(dir.path() + "missing.vlt"));
    EXPECT_TRUE(FileFound(file));
}
