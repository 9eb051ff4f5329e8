// The device's web-site container (.kws): a little-endian header, a directory of 26-byte entries
// and the stored files' data, each preceded by a copy of its size.
#pragma once

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>

namespace vxt {

// A container whose header or directory points outside its bytes, or a request it cannot hold.
class ESiteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TSiteHeader {
    uint16_t Version = 1;
    uint16_t FileCount = 0;
    uint32_t TotalSize = 34;
};

struct TSiteSubHeader {
    std::string Name;
    uint32_t Size = 0;
    uint16_t Reserved = 0;
};

// A stored name (from a container or the device) as the name of a file of ours: only what follows
// its last "/", and empty where that is empty, "." or "..", so that no stored name picks a folder.
std::string StoredNameAsFileName(const std::string &storedName);

class TVeltoSite {
public:
    static constexpr int32_t kCapacity = 1572864;   // 1.5 MB
    static constexpr int kEntrySize = 26;
    static constexpr int kHeaderSize = 8;
    static constexpr int kMaxNameLength = 20;

    // Reads the file whole when it exists (EFileError when it cannot be read); otherwise an empty
    // container, nothing created on disk.
    explicit TVeltoSite(const std::string &fileName);
    // The container of `fileName` from its bytes, read already.
    TVeltoSite(const std::string &fileName, std::string content);

    int32_t FreeSpace() const { return kCapacity - Size(); }
    int FileCount() const;                          // N from the header (0 for fewer than 8 bytes)
    TSiteSubHeader GetEntry(int index) const;      // ESiteError outside the directory
    bool FileExists(const std::string &name) const;
    void AddFile(const std::string &diskFile);      // ESiteError, EFileError
    // Adds `data`, already read from `diskFile`, under the disk file's name; ESiteError.
    void AddFile(const std::string &diskFile, const std::string &data);
    void RemoveFile(const std::string &name);       // ESiteError
    void ExtractFile(const std::string &name, const std::string &destFile) const;   // ESiteError, EFileError
    void LoadFromStream(std::istream &s);
    void LoadFromBytes(const std::string &bytes);
    void SaveToFile() const;                        // atomic replace, EFileError

    TSiteHeader ReadHeader() const;
    // Throws ESiteError unless every directory entry and data block lies inside the container.
    void CheckLayout() const;

    const std::string &Bytes() const { return Stream; }
    int32_t Size() const { return int32_t(Stream.size()); }

    std::string FileName;

private:
    void WriteHeader(const TSiteHeader &h);
    TSiteSubHeader ReadEntry(size_t offset) const;
    void WriteEntry(size_t offset, const TSiteSubHeader &e);
    int FindEntry(const std::string &name) const;

    std::string Stream;
};

}  // namespace vxt
