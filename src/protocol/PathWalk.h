// Paths walked one name at a time from folder descriptors, so that the folder that was judged is
// the folder that is used, whatever another user renames meanwhile.
#pragma once

#include <string>
#include <utility>
#include <unistd.h>

namespace vxt {

// A descriptor, closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd &&other) noexcept : fd_(other.release()) {}
    Fd &operator=(Fd &&other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1)
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// The link rule is the program's own. In a sticky folder that all may write (/tmp), another user's
// link is followed only where its owner owns the folder too. The kernel applies that rule only
// where fs.protected_symlinks is on, and then only to the last link of a path; a folder's link
// along the way it always follows.
enum class LinkRule {
    EveryLink,   // every link along the path: what is written
    LastLink,    // the last link only, as the kernel judges it: what is read
};

// Where a path leads. Each folder is opened without following links (O_PATH|O_NOFOLLOW); a link
// met on the way is judged by the rule and, where allowed, resolved from the folder that holds it.
struct HeldPath {
    Fd folder;              // the folder holding `name`, held open (O_PATH)
    std::string name;       // the last name in it ("." for a path naming a folder by itself)
    std::string resolved;   // the whole path, absolute and without "." or "..", for messages
    bool linked = false;    // a link was followed on the way
    int error = 0;          // the system's reason where a step failed (ENOENT: a missing folder, or
                            // a missing name that must be a folder; ENAMETOOLONG: a path of PATH_MAX)
    std::string refusal;    // where the rule stops the walk: why, naming the link and its target
};

HeldPath HoldPath(const std::string &path, LinkRule rule);

}  // namespace vxt
