#include "FileUtils.h"

#include "PathWalk.h"
#include "StrUtils.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

std::string NotRegular(const struct stat &st, const std::string &requested, const std::string &path)
{
    const std::string kind = S_ISDIR(st.st_mode) ? "a folder" : "not a regular file";
    if (requested == path) return "It is " + kind + ".";
    return "It is a link to \"" + path + "\", which is " + kind + ".";
}

// Only files and named pipes are read: a terminal or a serial port may stay silent for ever.
bool Readable(const struct stat &st) { return S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode); }

// Another user's link in a sticky folder is refused as the kernel refuses it where its guard is on,
// and named with the file it leads to.
void CheckLinkForReading(const std::string &path)
{
    if (const HeldPath at = HoldPath(path, LinkRule::LastLink); !at.refusal.empty())
        Fail("Cannot open file", path, at.refusal);
}

int OpenForReading(const std::string &path)
{
    CheckLinkForReading(path);
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

// Whether the user may change the file's mode: its owner, or a process with CAP_FOWNER. Asked of
// the process, not tried on the file: setting even the mode a file has is a change (it drops the
// setgid bit of a file whose group the user is not in, and touches the file).
bool MayChangeMode(const struct stat &st)
{
    if (st.st_uid == ::geteuid()) return true;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, caps) != 0) return ::geteuid() == 0;
    return (caps[CAP_TO_INDEX(CAP_FOWNER)].effective & CAP_TO_MASK(CAP_FOWNER)) != 0;
}

// The system's reason why the user may not write `name` in the held folder, 0 where they may.
int WriteRefusalAt(int folder, const std::string &name, const struct stat &st)
{
    if (::geteuid() == 0 && (st.st_mode & 0222) == 0) return EACCES;
    // Root passes the permission check, but not a read-only file system.
    return ::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// A new file only the user may read, under a name no file in the folder has (mkstemp's, made in
// the held folder); -1 with errno set where it cannot be made.
int MakeTemporary(int folder, const std::string &prefix, std::string &name)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (::getrandom(random, sizeof random, GRND_NONBLOCK) != ssize_t(sizeof random)) {
            const auto ticks = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) + unsigned(attempt);
            for (size_t i = 0; i < sizeof random; ++i) random[i] = (unsigned char)(ticks >> (8 * i));
        }
        name = prefix;
        for (unsigned char r : random) name += letters[r % (sizeof letters - 1)];
        const int fd = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The new content into the file itself, for a folder that takes no temporary file or no rename over
// the file. `notReplaced` says why it was not replaced. The file must stay byte-equal when the write
// cannot finish, so the room for the new content is reserved before its first byte goes in, and a
// file that must be private is made so before it holds anything new; where either is impossible,
// nothing is written, and a reservation that was refused part-way is given back.
void WriteInPlace(const std::string &requested, const HeldPath &at, const std::string &bytes, unsigned newFileMode,
                  const std::string &notReplaced)
{
    const auto refuse = [&](const std::string &why) {
        Fail("Cannot write file", requested, notReplaced + ", and " + why);
    };
    // Every look comes before the open for writing: on an overlay that open alone copies the file up.
    Fd look(::openat(at.folder.get(), at.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (look.get() < 0 || ::fstat(look.get(), &st) != 0) Fail("Cannot write file", requested, Reason());
    if (!S_ISREG(st.st_mode))
        Fail("Cannot write file", requested, NotRegular(st, requested, at.linked ? at.resolved : requested));
    const mode_t mode = KeptMode(st.st_mode, newFileMode);
    const bool makePrivate = mode != (st.st_mode & 07777);
    if (makePrivate && !MayChangeMode(st))
        refuse("the file, readable by other users, cannot be made private: " + std::string(std::strerror(EPERM)) + ".");
    if (!WithinFileSizeLimit(bytes.size())) refuse("it cannot be written in place: " + std::string(std::strerror(EFBIG)) + ".");
    if (!OverwritesInPlace(look.get()))
        refuse("its file system is not known to keep the old content while it is written in place.");
    Fd fd(::openat(at.folder.get(), at.name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat now;
    if (fd.get() < 0 || ::fstat(fd.get(), &now) != 0) Fail("Cannot write file", requested, Reason());
    if (now.st_dev != st.st_dev || now.st_ino != st.st_ino)
        Fail("Cannot write file", requested, "Another file took its place while it was being saved.");
    // ext4 keeps the blocks of a reservation that failed part-way; cutting the file to its own length
    // gives them back.
    const auto refuseReserved = [&](const std::string &why) {
        struct stat reserved;
        if (::fstat(fd.get(), &reserved) == 0 && reserved.st_blocks > now.st_blocks) {
            const int cut = ::ftruncate(fd.get(), now.st_size);
            (void)cut;   // where it cannot be given back, the refusal stands all the same
        }
        refuse(why);
    };
    // Blocks beyond the end are taken without changing the file's length, so a failure leaves it whole.
    if (!bytes.empty() && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0) {
        const int e = errno;
        if (e == EOPNOTSUPP || e == ENOSYS) refuseReserved("its file system cannot reserve the room to write it in place.");
        refuseReserved("there is no room to write it in place: " + std::string(std::strerror(e)) + ".");
    }
    if (makePrivate && ::fchmod(fd.get(), mode) != 0)
        refuseReserved("the file, readable by other users, cannot be made private: " + Reason() + ".");
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
    const int e = errno;
    if (e == ENOENT || e == ENOTDIR || e == ELOOP) return false;
    CheckLinkForReading(path);
    Fail("Cannot open file", path, std::strerror(e));
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

std::optional<std::string> ReadDocumentFile(const std::string &path, const ReadWaits &waits)
{
    if (!FileFound(path)) return std::nullopt;
    CheckDocumentFileSize(path);
    return ReadFileBytes(path, waits);
}

std::string LinkTarget(const std::string &path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    const HeldPath at = HoldPath(path, LinkRule::EveryLink);
    return at.refusal.empty() && at.error != ELOOP ? at.resolved : path;
}

std::function<void()> g_heldFolderHook;

void WriteFileAtomic(const std::string &requested, const std::string &bytes, unsigned newFileMode)
{
    // Saving through a link writes the file it points to and keeps the link. Every folder on the way
    // is held by its descriptor, and all that follows is done in the last one: renaming a folder
    // along the path meanwhile cannot move the write elsewhere.
    const HeldPath at = HoldPath(requested, LinkRule::EveryLink);
    if (!at.refusal.empty()) Fail("Cannot write file", requested, at.refusal);
    if (at.error) Fail(at.error == ENOENT ? "Cannot create file" : "Cannot write file", requested, std::strerror(at.error));
    if (g_heldFolderHook) g_heldFolderHook();
    const int folder = at.folder.get();
    const std::string shown = at.linked ? at.resolved : requested;
    struct stat st;
    const bool exists = ::fstatat(folder, at.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) Fail("Cannot write file", requested, Reason());
    if (exists && !S_ISREG(st.st_mode)) Fail("Cannot write file", requested, NotRegular(st, requested, shown));
    if (exists) {
        if (const int e = WriteRefusalAt(folder, at.name, st)) Fail("Cannot create file", requested, std::strerror(e));
    }
    // Past the limit a write stops part-way (and the signal it raises would end the program).
    if (!WithinFileSizeLimit(bytes.size())) Fail("Cannot write file", requested, std::strerror(EFBIG));
    // The temporary name must fit where the file's own name fits (255 bytes on most file systems).
    std::string tmp;
    Fd fd(MakeTemporary(folder, "." + Utf8Prefix(at.name, 200) + ".", tmp));
    if (fd.get() < 0) {
        // A folder the user may not write; any other failure keeps the file as it is.
        if (exists && (errno == EACCES || errno == EPERM))
            return WriteInPlace(requested, at, bytes, newFileMode,
                                "No temporary file can be made beside it (" + Reason() + ")");
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
    if (why.empty() && ::renameat(folder, tmp.c_str(), folder, at.name.c_str()) != 0) {
        const int e = errno;
        // A sticky folder lets no one but the owner replace the file; its content may still be written.
        if (exists && (e == EPERM || e == EACCES)) {
            ::unlinkat(folder, tmp.c_str(), 0);
            struct stat dir;
            const bool sticky = ::fstat(folder, &dir) == 0 && (dir.st_mode & S_ISVTX) && st.st_uid != ::geteuid();
            return WriteInPlace(requested, at, bytes, newFileMode,
                                (sticky ? "Only its owner, another user, may replace it in this sticky folder ("
                                        : "It cannot be replaced by a new file (") +
                                    std::string(std::strerror(e)) + ")");
        }
        why = std::strerror(e);
    }
    if (!why.empty()) {
        ::unlinkat(folder, tmp.c_str(), 0);
        Fail("Cannot write file", requested, why);
    }
    // The rename lives in the folder: until the folder is on disk a power cut can undo it.
    Fd flush(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (flush.get() >= 0 && ::fsync(flush.get()) != 0 && errno != EINVAL && errno != EROFS)
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
