#include "FileUtils.h"

#include "StrUtils.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <utility>
#include <vector>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace vxt {

namespace {

std::string Reason() { return std::strerror(errno); }

[[noreturn]] void Fail(const char *what, const std::string &path, const std::string &why)
{
    throw EFileError(std::string(what) + " \"" + path + "\". " + why);
}

[[noreturn]] void TooLarge(const std::string &path, const std::string &size)
{
    throw EFileError("The File \"" + path + "\" is too large (" + size +
                     " bytes) to be a Velto Configuration File or Web Site.\r\nFiles larger than 4 MB (" +
                     std::to_string(kMaxDocumentFileSize) + " bytes) are not opened.");
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::string NotRegular(const struct stat &st, const std::string &requested, const std::string &path)
{
    const std::string kind = S_ISDIR(st.st_mode) ? "a folder" : "not a regular file";
    if (requested == path) return "It is " + kind + ".";
    return "It is a link to \"" + path + "\", which is " + kind + ".";
}

// Only files and named pipes are read: a terminal or a serial port may stay silent for ever.
bool Readable(const struct stat &st) { return S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode); }

int OpenForReading(const std::string &path)
{
    if (!MayReadFile(path)) Fail("Cannot open file", path, std::strerror(EACCES));
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !Readable(st)) Fail("Cannot open file", path, NotRegular(st, path, LinkTarget(path)));
    // A named pipe with no writer would hold the open, and the window with it, for ever; a device
    // swapped in since the look above is not made the program's terminal.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) Fail("Cannot open file", path, Reason());
    if (::fstat(fd.get(), &st) != 0) Fail("Cannot open file", path, Reason());
    if (!Readable(st)) Fail("Cannot open file", path, NotRegular(st, path, LinkTarget(path)));
    if (!S_ISFIFO(st.st_mode)) ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd.release();
}

std::string Duration(int ms)
{
    if (ms % 1000 != 0) return std::to_string(ms) + " milliseconds";
    return std::to_string(ms / 1000) + (ms == 1000 ? " second" : " seconds");
}

// Reads until `count` bytes or the end, however little the system said the file holds. A regular
// file ends by itself, however slow its disk. A pipe that trickles is never silent for long, so a
// pipe's whole read has a deadline of its own.
std::string ReadAtMost(int fd, const std::string &path, size_t count, const ReadWaits &waits)
{
    std::string data;
    const bool pipe = (::fcntl(fd, F_GETFL) & O_NONBLOCK) != 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waits.totalMs);
    while (data.size() < count) {
        // A pipe shows its end only once a writer has come and gone; until then it may stay silent.
        if (pipe) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0) Fail("Cannot read file", path, "It did not end within " + Duration(waits.totalMs) + ".");
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, int(std::min<long long>(left, waits.silenceMs)));
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 0 && left <= waits.silenceMs) continue;   // the deadline's failure, above
            if (ready == 0) Fail("Cannot read file", path, "Nothing came through it for " + Duration(waits.silenceMs) + ".");
            if (ready < 0) Fail("Cannot read file", path, Reason());
        }
        const size_t at = data.size();
        data.resize(at + std::min<size_t>(count - at, 65536));
        const ssize_t n = ::read(fd, data.data() + at, data.size() - at);
        if (n < 0 && errno == EAGAIN) {
            data.resize(at);
            continue;
        }
        if (n < 0 && errno != EINTR) Fail("Cannot read file", path, Reason());
        data.resize(at + size_t(n > 0 ? n : 0));
        if (n == 0) break;
    }
    return data;
}

// Writes all of `bytes`; false with errno set on failure.
bool WriteAll(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += size_t(n);
    }
    return true;
}

// The kernel follows a link in a sticky folder that all may write (/tmp) only for the link's owner
// or when the folder's owner owns it too; otherwise another user's link could aim our write anywhere.
bool MayFollow(const std::string &link, const struct stat &linkStat)
{
    if (linkStat.st_uid == ::geteuid()) return true;
    const std::string dir = ExtractFilePath(link);
    struct stat folder;
    if (::stat(dir.empty() ? "." : dir.c_str(), &folder) != 0) return false;
    const mode_t shared = S_ISVTX | S_IWOTH;
    return (folder.st_mode & shared) != shared || folder.st_uid == linkStat.st_uid;
}

// Puts the names along `path` on `rest` so that the first comes off the back first.
void PushComponents(const std::string &path, std::vector<std::string> &rest)
{
    size_t to = path.size();
    while (to > 0) {
        const size_t slash = path.rfind('/', to - 1);
        const size_t at = slash == std::string::npos ? 0 : slash + 1;
        if (to > at) rest.push_back(path.substr(at, to - at));
        if (slash == std::string::npos) break;
        to = slash;
    }
}

// Resolves every link along `requested`, its folders' as well as its own, as the kernel would;
// empty, or why it stops. `end` is `requested` itself where no link is met.
std::string FollowLinks(const std::string &requested, std::string &end)
{
    end = requested;
    std::vector<std::string> rest;   // the components still to walk, the next one last
    PushComponents(requested, rest);
    std::string done = !requested.empty() && requested[0] == '/' ? "/" : "";
    bool followed = false;
    for (int hops = 0; !rest.empty();) {
        const std::string step = done + (done.empty() || done.back() == '/' ? "" : "/") + rest.back();
        rest.pop_back();
        struct stat st;
        if (::lstat(step.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            done = step;
            continue;
        }
        if (++hops > 40) return std::strerror(ELOOP);
        if (!MayFollow(step, st)) {
            const std::string why = " another user's link in a folder that all may write, which is not followed.";
            return step == requested ? "It is" + why : "It leads through \"" + step + "\"," + why;
        }
        std::string target(size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(step.c_str(), target.data(), target.size());
        if (n < 0) return Reason();
        target.resize(size_t(n));
        followed = true;
        if (!target.empty() && target[0] == '/') done = "/";
        PushComponents(target, rest);
    }
    if (followed) end = done;
    return "";
}

// The process's umask, read without changing it: other threads may be creating files meanwhile.
mode_t CurrentUmask()
{
    Fd fd(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
    std::string status(4096, '\0');
    const ssize_t n = fd.get() < 0 ? -1 : ::read(fd.get(), status.data(), status.size());
    status.resize(n > 0 ? size_t(n) : 0);
    const size_t at = status.find("\nUmask:");
    // Where the system will not tell, a new file is private rather than open to others.
    if (at == std::string::npos) return 077;
    return mode_t(std::strtoul(status.c_str() + at + 7, nullptr, 8)) & 0777;
}

// The largest file this process may write (RLIMIT_FSIZE); beyond it a write stops part-way.
bool WithinFileSizeLimit(size_t size)
{
    struct rlimit limit;
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || size <= limit.rlim_cur;
}

// Whether overwriting the file's own blocks needs no new room. Only file systems known to do so
// count: copy-on-write ones write every change to fresh blocks, and an overlay, a network or a FUSE
// file system does not say what lies beneath it.
bool OverwritesInPlace(int fd)
{
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC:   // ext2, ext3 and ext4
    case XFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case 0x3153464aUL:   // jfs
    case MSDOS_SUPER_MAGIC:   // vfat
    case EXFAT_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// Group and others lose the read and write bits the caller withholds from them.
mode_t KeptMode(mode_t mode, unsigned newFileMode) { return mode & 07777 & ~(mode_t(~newFileMode) & 0066); }

// The new content into the file itself, for a folder that takes no temporary file. `folderWhy` is
// why the temporary file could not be made. The file must stay byte-equal when the write cannot
// finish, so the room for the new content is reserved before its first byte goes in, and a file
// that must be private is made so before it holds anything new; where either is impossible,
// nothing is written.
void WriteInPlace(const std::string &requested, const std::string &path, const std::string &bytes,
                  unsigned newFileMode, const std::string &folderWhy)
{
    const auto refuse = [&](const std::string &why) {
        Fail("Cannot write file", requested,
             "No temporary file can be made beside it (" + folderWhy + "), and " + why);
    };
    Fd fd(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) Fail("Cannot write file", requested, Reason());
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) Fail("Cannot write file", requested, Reason());
    if (!S_ISREG(st.st_mode)) Fail("Cannot write file", requested, NotRegular(st, requested, path));
    // Every check comes before the first change, the mode's included: a refused write changes nothing.
    const mode_t mode = KeptMode(st.st_mode, newFileMode);
    const bool makePrivate = mode != (st.st_mode & 07777);
    // Setting the mode it has is refused exactly where setting another would be, and changes nothing.
    if (makePrivate && ::fchmod(fd.get(), st.st_mode & 07777) != 0)
        refuse("the file, readable by other users, cannot be made private: " + Reason() + ".");
    if (!WithinFileSizeLimit(bytes.size())) refuse("it cannot be written in place: " + std::string(std::strerror(EFBIG)) + ".");
    if (!OverwritesInPlace(fd.get()))
        refuse("its file system is not known to keep the old content while it is written in place.");
    // Blocks beyond the end are taken without changing the file's length, so a failure leaves it whole.
    if (!bytes.empty() && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0) {
        const int e = errno;
        if (e == EOPNOTSUPP || e == ENOSYS)
            refuse("its file system cannot reserve the room to write it in place.");
        refuse("there is no room to write it in place: " + std::string(std::strerror(e)) + ".");
    }
    if (makePrivate && ::fchmod(fd.get(), mode) != 0)
        refuse("the file, readable by other users, cannot be made private: " + Reason() + ".");
    if (!WriteAll(fd.get(), bytes) || ::ftruncate(fd.get(), off_t(bytes.size())) != 0 || ::fsync(fd.get()) != 0)
        Fail("Cannot write file", requested, Reason());
    if (::close(fd.release()) != 0) Fail("Cannot write file", requested, Reason());
}

}  // namespace

bool FileExists(const std::string &path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileFound(const std::string &path)
{
    struct stat st;
    if (path.empty()) return false;
    if (::stat(path.c_str(), &st) == 0) return S_ISREG(st.st_mode);
    if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) return false;
    Fail("Cannot open file", path, Reason());
}

int64_t FileSize(const std::string &path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

bool MayReadFile(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return true;   // the open itself tells why
    if (::geteuid() == 0) return (st.st_mode & 0444) != 0;
    return ::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) == 0;
}

int WriteRefusal(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return 0;   // a new file: the folder decides
    if (::geteuid() == 0 && (st.st_mode & 0222) == 0) return EACCES;
    // Root passes the permission check, but not a read-only file system.
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

bool MayWriteFile(const std::string &path) { return WriteRefusal(path) == 0; }

void CheckMayWriteFile(const std::string &path)
{
    if (const int e = WriteRefusal(path)) Fail("Cannot create file", path, std::strerror(e));
}

std::string ReadFileBytes(const std::string &path, const ReadWaits &waits)
{
    Fd fd(OpenForReading(path));
    struct stat st;
    if (::fstat(fd.get(), &st) == 0 && st.st_size > kMaxDocumentFileSize) TooLarge(path, std::to_string(st.st_size));
    std::string data = ReadAtMost(fd.get(), path, size_t(kMaxDocumentFileSize) + 1, waits);
    if (data.size() > size_t(kMaxDocumentFileSize)) TooLarge(path, "more than " + std::to_string(kMaxDocumentFileSize));
    return data;
}

std::string ReadFileHead(const std::string &path, size_t count, const ReadWaits &waits)
{
    Fd fd(OpenForReading(path));
    return ReadAtMost(fd.get(), path, count, waits);
}

void CheckDocumentFileSize(const std::string &path)
{
    const int64_t size = FileSize(path);
    if (size > kMaxDocumentFileSize) TooLarge(path, std::to_string(size));
}

std::string LinkTarget(const std::string &path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string end;
    return FollowLinks(path, end).empty() ? end : path;
}

void WriteFileAtomic(const std::string &requested, const std::string &bytes, unsigned newFileMode)
{
    // Saving through a link writes the file it points to and keeps the link.
    std::string path;
    if (const std::string why = FollowLinks(requested, path); !why.empty()) Fail("Cannot write file", requested, why);
    struct stat st;
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) Fail("Cannot write file", requested, Reason());
    if (exists && !S_ISREG(st.st_mode)) Fail("Cannot write file", requested, NotRegular(st, requested, path));
    if (exists) CheckMayWriteFile(requested);
    // Past the limit a write stops part-way (and the signal it raises would end the program).
    if (!WithinFileSizeLimit(bytes.size())) Fail("Cannot write file", requested, std::strerror(EFBIG));
    const std::string dir = ExtractFilePath(path);
    // The temporary name must fit where the file's own name fits (255 bytes on most file systems).
    const std::string stem = Utf8Prefix(ExtractFileName(path), 200);
    std::string tmp = (dir.empty() ? std::string("./") : dir) + "." + stem + ".XXXXXX";
    Fd fd(::mkstemp(tmp.data()));
    if (fd.get() < 0) {
        // A folder the user may not write; any other failure keeps the file as it is.
        if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(requested, path, bytes, newFileMode, Reason());
        Fail("Cannot create file", requested, Reason());
    }
    std::string why;
    if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) why = Reason();
    // Keep the owner and permissions of the file being replaced, else those asked for a new file.
    mode_t mode;
    if (exists) {
        // Only root gives a file away; anyone else keeps at least its group when a member of it.
        const bool owned =
            ::fchown(fd.get(), st.st_uid, st.st_gid) == 0 || ::fchown(fd.get(), uid_t(-1), st.st_gid) == 0;
        (void)owned;
        mode = KeptMode(st.st_mode, newFileMode);
    } else {
        mode = mode_t(newFileMode) & ~CurrentUmask() & 07777;
    }
    ::fchmod(fd.get(), mode);
    if (::close(fd.release()) != 0 && why.empty()) why = Reason();
    if (why.empty() && ::rename(tmp.c_str(), path.c_str()) != 0) {
        const int e = errno;
        // A sticky folder lets no one but the owner replace the file; its content may still be written.
        if (exists && (e == EPERM || e == EACCES)) {
            ::unlink(tmp.c_str());
            return WriteInPlace(requested, path, bytes, newFileMode, std::strerror(e));
        }
        why = std::strerror(e);
    }
    if (!why.empty()) {
        ::unlink(tmp.c_str());
        Fail("Cannot write file", requested, why);
    }
    // The rename lives in the folder: until the folder is on disk a power cut can undo it.
    Fd folder(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0 && ::fsync(folder.get()) != 0 && errno != EINVAL && errno != EROFS)
        Fail("Cannot write file", requested, "It was replaced, but its folder could not be written to disk: " + Reason());
}

std::string ExtractFileName(const std::string &path)
{
    size_t p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFilePath(const std::string &path)
{
    size_t p = path.find_last_of('/');
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

}  // namespace vxt
