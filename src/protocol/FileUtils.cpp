#include "FileUtils.h"

#include "StrUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <utility>
#include <sys/stat.h>
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

int OpenForReading(const std::string &path)
{
    if (!MayReadFile(path)) Fail("Cannot open file", path, std::strerror(EACCES));
    // A named pipe with no writer would hold the open, and the window with it, for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) Fail("Cannot open file", path, Reason());
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// How long a pipe may keep the reader waiting for its next bytes.
constexpr int kPipeWaitMs = 5000;   // the message below says so

// Reads until `count` bytes or the end, however little the system said the file holds.
std::string ReadAtMost(int fd, const std::string &path, size_t count)
{
    std::string data;
    const bool pipe = (::fcntl(fd, F_GETFL) & O_NONBLOCK) != 0;
    while (data.size() < count) {
        // A pipe shows its end only once a writer has come and gone; until then it may stay silent.
        if (pipe) {
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, kPipeWaitMs);
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 0) Fail("Cannot read file", path, "Nothing came through it for 5 seconds.");
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

// Follows the chain of links at `path` to its end: 0, or the errno that stops it (ELOOP).
int FollowLinks(const std::string &path, std::string &end)
{
    end = path;
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(end.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
        if (hops == 40) return ELOOP;
        std::string target(size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(end.c_str(), target.data(), target.size());
        if (n < 0) return errno;
        target.resize(size_t(n));
        end = !target.empty() && target[0] == '/' ? target : ExtractFilePath(end) + target;
    }
}

std::string NotRegular(const struct stat &st, const std::string &requested, const std::string &path)
{
    const std::string kind = S_ISDIR(st.st_mode) ? "a folder" : "not a regular file";
    if (requested == path) return "It is " + kind + ".";
    return "It is a link to \"" + path + "\", which is " + kind + ".";
}

// Group and others lose the read and write bits the caller withholds from them.
mode_t KeptMode(mode_t mode, unsigned newFileMode) { return mode & 07777 & ~(mode_t(~newFileMode) & 0066); }

// The new content into the file itself, for a folder that takes no temporary file.
void WriteInPlace(const std::string &requested, const std::string &path, const std::string &bytes,
                  unsigned newFileMode)
{
    Fd fd(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) Fail("Cannot write file", requested, Reason());
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) Fail("Cannot write file", requested, Reason());
    if (!S_ISREG(st.st_mode)) Fail("Cannot write file", requested, NotRegular(st, requested, path));
    // Written before it is cut to length, so a failure never leaves less than the old content's length.
    if (!WriteAll(fd.get(), bytes) || ::ftruncate(fd.get(), off_t(bytes.size())) != 0 || ::fsync(fd.get()) != 0)
        Fail("Cannot write file", requested, Reason());
    const mode_t mode = KeptMode(st.st_mode, newFileMode);
    if (mode != (st.st_mode & 07777) && ::fchmod(fd.get(), mode) != 0) Fail("Cannot write file", requested, Reason());
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

std::string ReadFileBytes(const std::string &path)
{
    Fd fd(OpenForReading(path));
    struct stat st;
    if (::fstat(fd.get(), &st) == 0 && st.st_size > kMaxDocumentFileSize) TooLarge(path, std::to_string(st.st_size));
    std::string data = ReadAtMost(fd.get(), path, size_t(kMaxDocumentFileSize) + 1);
    if (data.size() > size_t(kMaxDocumentFileSize)) TooLarge(path, "more than " + std::to_string(kMaxDocumentFileSize));
    return data;
}

std::string ReadFileHead(const std::string &path, size_t count)
{
    Fd fd(OpenForReading(path));
    return ReadAtMost(fd.get(), path, count);
}

void CheckDocumentFileSize(const std::string &path)
{
    const int64_t size = FileSize(path);
    if (size > kMaxDocumentFileSize) TooLarge(path, std::to_string(size));
}

std::string LinkTarget(const std::string &path)
{
    std::string end;
    return FollowLinks(path, end) == 0 ? end : path;
}

void WriteFileAtomic(const std::string &requested, const std::string &bytes, unsigned newFileMode)
{
    // Saving through a link writes the file it points to and keeps the link.
    std::string path;
    if (const int e = FollowLinks(requested, path)) Fail("Cannot write file", requested, std::strerror(e));
    struct stat st;
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) Fail("Cannot write file", requested, Reason());
    if (exists && !S_ISREG(st.st_mode)) Fail("Cannot write file", requested, NotRegular(st, requested, path));
    if (exists) CheckMayWriteFile(requested);
    const std::string dir = ExtractFilePath(path);
    // The temporary name must fit where the file's own name fits (255 bytes on most file systems).
    const std::string stem = Utf8Prefix(ExtractFileName(path), 200);
    std::string tmp = (dir.empty() ? std::string("./") : dir) + "." + stem + ".XXXXXX";
    Fd fd(::mkstemp(tmp.data()));
    if (fd.get() < 0) {
        // A folder the user may not write; any other failure keeps the file as it is.
        if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(requested, path, bytes, newFileMode);
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
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = mode_t(newFileMode) & ~mask & 07777;
    }
    ::fchmod(fd.get(), mode);
    if (::close(fd.release()) != 0 && why.empty()) why = Reason();
    if (why.empty() && ::rename(tmp.c_str(), path.c_str()) != 0) {
        const int e = errno;
        // A sticky folder lets no one but the owner replace the file; its content may still be written.
        if (exists && (e == EPERM || e == EACCES)) {
            ::unlink(tmp.c_str());
            return WriteInPlace(requested, path, bytes, newFileMode);
        }
        why = std::strerror(e);
    }
    if (!why.empty()) {
        ::unlink(tmp.c_str());
        Fail("Cannot write file", requested, why);
    }
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
