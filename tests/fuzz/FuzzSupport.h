// What the fuzz programs share: a private scratch folder and a check that aborts with a message.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace vxt::fuzz {

// A fault the sanitizers cannot see (a wrong result); libFuzzer saves the input on abort.
#define FUZZ_CHECK(cond)                                                              \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                             \
        }                                                                             \
    } while (0)

// One folder per process under TMPDIR, removed at exit; every file a target writes goes there.
class TScratchDir {
public:
    TScratchDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vxt-fuzz-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = tmpl + "/";
    }
    ~TScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TScratchDir(const TScratchDir &) = delete;
    TScratchDir &operator=(const TScratchDir &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

inline const std::string &ScratchDir()
{
    static const TScratchDir dir;
    return dir.path();
}

}  // namespace vxt::fuzz
