#include "PathWalk.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace vxt {

namespace {

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

void Append(std::vector<std::string> &names, const std::string &name)
{
    if (name == "..") {
        if (!names.empty()) names.pop_back();
    } else if (name != "." && !name.empty()) {
        names.push_back(name);
    }
}

std::string Joined(const std::vector<std::string> &names, bool rooted)
{
    std::string path;
    for (const std::string &name : names) path += (path.empty() && !rooted ? "" : "/") + name;
    return path.empty() ? (rooted ? "/" : ".") : path;
}

// The same test the kernel makes where fs.protected_symlinks is on.
bool MayFollow(const struct stat &link, const struct stat &folder)
{
    if (link.st_uid == ::geteuid()) return true;
    const mode_t shared = S_ISVTX | S_IWOTH;
    return (folder.st_mode & shared) != shared || folder.st_uid == link.st_uid;
}

bool ReadLink(int fd, const struct stat &st, std::string &target)
{
    target.assign(size_t(st.st_size > 0 && st.st_size < PATH_MAX ? st.st_size : PATH_MAX) + 1, '\0');
    const ssize_t n = ::readlinkat(fd, "", target.data(), target.size());
    if (n < 0) return false;
    if (size_t(n) == target.size()) {   // it grew since it was looked at
        errno = ENAMETOOLONG;
        return false;
    }
    target.resize(size_t(n));
    if (target.empty()) errno = ENOENT;
    return !target.empty();
}

}  // namespace

HeldPath HoldPath(const std::string &path, LinkRule rule)
{
    HeldPath held;
    std::vector<std::string> rest;   // the names still to walk, the next one last
    PushComponents(path, rest);
    std::vector<std::string> names;   // the held folder's names from the root
    bool rooted = true;
    const auto start = [&](bool absolute) {
        held.folder.reset(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (held.folder.get() < 0) held.error = errno;
        names.clear();
        rooted = true;
        if (absolute) return;
        // Messages name a relative path from the root too; without a known current folder, from there.
        std::string cwd(PATH_MAX, '\0');
        if (::getcwd(cwd.data(), cwd.size()) && cwd[0] == '/') {
            cwd.resize(cwd.find('\0'));
            std::vector<std::string> parts;
            PushComponents(cwd, parts);
            names.assign(parts.rbegin(), parts.rend());
        } else {
            rooted = false;
        }
    };
    // The system takes no longer path in one piece: walked a name at a time it would be written, and
    // then no one could open it by that name.
    if (path.empty() || path.size() >= PATH_MAX) {
        held.error = path.empty() ? ENOENT : ENAMETOOLONG;
        return held;
    }
    start(path[0] == '/');
    // A name that ends in "/" names a folder, and so does a last link whose target ends in one.
    bool folderOnly = path.back() == '/';
    for (int hops = 0; !held.error && held.name.empty() && !rest.empty();) {
        const std::string name = std::move(rest.back());
        rest.pop_back();
        const bool last = rest.empty();
        if (name == "." && !last) continue;
        Fd step(::openat(held.folder.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st;
        if (step.get() < 0 || ::fstat(step.get(), &st) != 0) {
            if (!last || folderOnly || errno != ENOENT) held.error = errno;
            held.name = name;   // a file to be made, or where the walk stopped
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            struct stat folder;
            std::string target;
            if (++hops > 40) {
                held.error = ELOOP;
            } else if (!ReadLink(step.get(), st, target) || ::fstat(held.folder.get(), &folder) != 0) {
                held.error = errno;
            } else if ((rule == LinkRule::EveryLink || last) && !MayFollow(st, folder)) {
                std::vector<std::string> aim = target[0] == '/' ? std::vector<std::string>() : names;
                std::vector<std::string> parts;
                PushComponents(target, parts);
                for (auto it = parts.rbegin(); it != parts.rend(); ++it) Append(aim, *it);
                const std::string why = " another user's link to \"" + Joined(aim, rooted || target[0] == '/') +
                                        "\" in a folder that all may write, which is not followed.";
                std::vector<std::string> link = names;
                Append(link, name);
                held.refusal =
                    last && !held.linked ? "It is" + why : "It leads through \"" + Joined(link, rooted) + "\"," + why;
            } else {
                held.linked = true;
                folderOnly = folderOnly || (last && target.back() == '/');
                if (target[0] == '/') start(true);
                PushComponents(target, rest);
                continue;
            }
            held.name = name;
            continue;
        }
        if (!S_ISDIR(st.st_mode) && (!last || folderOnly)) {
            held.error = ENOTDIR;
            held.name = name;
        } else if (last) {
            held.name = name;
        } else {
            Append(names, name);
            held.folder = std::move(step);
        }
    }
    if (held.name.empty() && !held.error) held.name = ".";   // "/" itself
    // Where the walk stopped, the rest is named as it stands.
    Append(names, held.name);
    for (auto it = rest.rbegin(); it != rest.rend(); ++it) Append(names, *it);
    held.resolved = Joined(names, rooted);
    return held;
}

}  // namespace vxt
