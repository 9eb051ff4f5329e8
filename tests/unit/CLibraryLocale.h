// Puts the C library under another locale for a scope, as Qt does at start from the environment.
#pragma once

#include <clocale>
#include <string>

namespace {

class CLibraryLocale {
public:
    explicit CLibraryLocale(const char *name) : saved_(std::setlocale(LC_ALL, nullptr))
    {
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~CLibraryLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    CLibraryLocale(const CLibraryLocale &) = delete;
    CLibraryLocale &operator=(const CLibraryLocale &) = delete;
    // False when the locale is not installed; the C library keeps its locale then.
    bool Active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

constexpr const char *kDecimalCommaLocale = "de_DE.UTF-8";

}  // namespace
