#include "FileUtils.h"

#include "StrUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace vxt {

namespace {
std::string Reason() { return std::strerror(errno); }
}

bool FileExists(const std::string &path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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

bool MayWriteFile(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return true;   // a new file: the folder decides
    if (::geteuid() == 0) return (st.st_mode & 0222) != 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

void CheckMayWriteFile(const std::string &path)
{
    if (!MayWriteFile(path)) throw EFileError("Cannot create file \"" + path + "\". " + std::strerror(EACCES));
}

std::string ReadFileBytes(const std::string &path)
{
    if (!MayReadFile(path)) throw EFileError("Cannot open file \"" + path + "\". " + std::strerror(EACCES));
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EFileError("Cannot open file \"" + path + "\". " + Reason());
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw EFileError("Cannot read file \"" + path + "\". " + Reason());
    return data;
}

std::string ReadFileHead(const std::string &path, size_t count)
{
    if (!MayReadFile(path)) throw EFileError("Cannot open file \"" + path + "\". " + std::strerror(EACCES));
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EFileError("Cannot open file \"" + path + "\". " + Reason());
    std::string data(count, '\0');
    in.read(data.data(), std::streamsize(count));
    if (in.bad()) throw EFileError("Cannot read file \"" + path + "\". " + Reason());
    data.resize(size_t(in.gcount()));
    return data;
}

void CheckDocumentFileSize(const std::string &path)
{
    const int64_t size = FileSize(path);
    if (size > kMaxDocumentFileSize)
        throw EFileError("The File \"" + path + "\" is too large (" + std::to_string(size) +
                         " bytes) to be a Velto Configuration File or Web Site.\r\nFiles larger than 4 MB (" +
                         std::to_string(kMaxDocumentFileSize) + " bytes) are not opened.");
}

void WriteFileAtomic(const std::string &requested, const std::string &bytes, unsigned newFileMode)
{
    // Saving through a link updates the file it points to and keeps the link.
    std::string path = requested;
    struct stat lst;
    if (::lstat(requested.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char *real = ::realpath(requested.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    CheckMayWriteFile(path);
    std::string dir = ExtractFilePath(path);
    // The temporary name must fit where the file's own name fits (255 bytes on most file systems).
    const std::string stem = Utf8Prefix(ExtractFileName(path), 200);
    std::string tmpl = (dir.empty() ? std::string("./") : dir) + "." + stem + ".XXXXXX";
    std::string tmp = tmpl;
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) throw EFileError("Cannot create file \"" + requested + "\". " + Reason());
    size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += size_t(n);
    }
    std::string why;
    if (!ok || ::fsync(fd) != 0) {
        ok = false;
        why = Reason();
    }
    // Keep the owner and permissions of the file being replaced, else those asked for a new file.
    struct stat st;
    mode_t mode;
    if (::stat(path.c_str(), &st) == 0) {
        // Only root gives a file away; anyone else keeps at least its group when a member of it.
        const bool owned = ::fchown(fd, st.st_uid, st.st_gid) == 0 || ::fchown(fd, uid_t(-1), st.st_gid) == 0;
        (void)owned;
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = mode_t(newFileMode) & ~mask & 07777;
    }
    ::fchmod(fd, mode);
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = Reason();
    }
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        why = Reason();
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        throw EFileError("Cannot write file \"" + requested + "\". " + why);
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
