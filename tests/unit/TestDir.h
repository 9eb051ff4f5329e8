// A fresh temporary folder per test, removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TestDir {
public:
    TestDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vxt-test-XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
        path_ += "/";
    }
    ~TestDir() { std::filesystem::remove_all(path_); }
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + name; }
    std::string write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }
    std::string read(const std::string &name) const
    {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    size_t count() const
    {
        size_t n = 0;
        for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(path_)) ++n;
        return n;
    }

private:
    std::string path_;
};
