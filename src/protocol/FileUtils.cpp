#include "FileUtils.h"

#include <cerrno>
#include <cstdio>
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

std::string ReadFileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EFileError("Cannot open file \"" + path + "\". " + Reason());
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw EFileError("Cannot read file \"" + path + "\". " + Reason());
    return data;
}

void WriteFileAtomic(const std::string &path, const std::string &bytes)
{
    std::string dir = ExtractFilePath(path);
    std::string tmpl = (dir.empty() ? std::string("./") : dir) + "." + ExtractFileName(path) + ".XXXXXX";
    std::string tmp = tmpl;
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) throw EFileError("Cannot create file \"" + path + "\". " + Reason());
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
    // Keep the permissions of the file being replaced, else the usual ones of a new file.
    struct stat st;
    mode_t mode = 0666;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
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
        throw EFileError("Cannot write file \"" + path + "\". " + why);
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
