#include "VeltoSite.h"

#include "FileUtils.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vxt {

namespace {

uint32_t Get32(const std::string &s, size_t at)
{
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
           uint32_t(uint8_t(s[at + 3])) << 24;
}

uint16_t Get16(const std::string &s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); }

void Put32(std::string &s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

void Put16(std::string &s, size_t at, uint16_t v)
{
    s[at] = char(v & 0xFF);
    s[at + 1] = char(v >> 8);
}

std::string Bytes32(uint32_t v)
{
    std::string s(4, '\0');
    Put32(s, 0, v);
    return s;
}

const char *kDamaged = "The Web Site file is damaged: ";

}  // namespace

std::string StoredNameAsFileName(const std::string &storedName)
{
    const std::string name = ExtractFileName(storedName);
    return name == "." || name == ".." ? std::string() : name;
}

TVeltoSite::TVeltoSite(const std::string &fileName) : FileName(fileName)
{
    if (vxt::FileExists(fileName)) {
        CheckDocumentFileSize(fileName);
        Stream = ReadFileBytes(fileName);
    } else {
        Stream.assign(kHeaderSize, '\0');
        WriteHeader(TSiteHeader{});
    }
}

TVeltoSite::TVeltoSite(const std::string &fileName, std::string content) : FileName(fileName), Stream(std::move(content))
{
}

TSiteHeader TVeltoSite::ReadHeader() const
{
    TSiteHeader h{0, 0, 0};
    if (Stream.size() < size_t(kHeaderSize)) return h;
    h.Version = Get16(Stream, 0);
    h.FileCount = Get16(Stream, 2);
    h.TotalSize = Get32(Stream, 4);
    return h;
}

void TVeltoSite::WriteHeader(const TSiteHeader &h)
{
    if (Stream.size() < size_t(kHeaderSize)) Stream.resize(kHeaderSize, '\0');
    Put16(Stream, 0, h.Version);
    Put16(Stream, 2, h.FileCount);
    Put32(Stream, 4, h.TotalSize);
}

TSiteSubHeader TVeltoSite::ReadEntry(size_t offset) const
{
    TSiteSubHeader e;
    const char *name = Stream.data() + offset;
    size_t len = 0;
    while (len < size_t(kMaxNameLength) && name[len] != '\0') ++len;
    e.Name.assign(name, len);
    e.Size = Get32(Stream, offset + 20);
    e.Reserved = Get16(Stream, offset + 24);
    return e;
}

void TVeltoSite::WriteEntry(size_t offset, const TSiteSubHeader &e)
{
    std::string name = e.Name;
    name.resize(kMaxNameLength, '\0');
    Stream.replace(offset, kMaxNameLength, name);
    Put32(Stream, offset + 20, e.Size);
    Put16(Stream, offset + 24, e.Reserved);
}

int TVeltoSite::FileCount() const { return ReadHeader().FileCount; }

void TVeltoSite::CheckLayout() const
{
    if (Stream.size() < size_t(kHeaderSize)) throw ESiteError(std::string(kDamaged) + "the header is incomplete.");
    const size_t n = FileCount();
    const size_t dataStart = kHeaderSize + kEntrySize * n;
    if (dataStart > Stream.size())
        throw ESiteError(std::string(kDamaged) + "its directory is larger than the file.");
    unsigned long long end = dataStart;
    for (size_t i = 0; i < n; ++i) {
        end += 4ULL + Get32(Stream, kHeaderSize + kEntrySize * i + 20);
        if (end > Stream.size())
            throw ESiteError(std::string(kDamaged) + "a stored file reaches beyond the end of the file.");
    }
}

TSiteSubHeader TVeltoSite::GetEntry(int index) const
{
    if (index < 0 || index >= FileCount() || size_t(kHeaderSize + kEntrySize * (index + 1)) > Stream.size())
        throw ESiteError(std::string(kDamaged) + "the directory has no entry " + std::to_string(index) + ".");
    return ReadEntry(size_t(kHeaderSize + kEntrySize * index));
}

int TVeltoSite::FindEntry(const std::string &name) const
{
    const int n = FileCount();
    for (int i = 0; i < n && size_t(kHeaderSize + kEntrySize * (i + 1)) <= Stream.size(); ++i)
        if (ReadEntry(size_t(kHeaderSize + kEntrySize * i)).Name == name) return i;
    return -1;
}

bool TVeltoSite::FileExists(const std::string &name) const { return FindEntry(name) >= 0; }

void TVeltoSite::AddFile(const std::string &diskFile)
{
    // No more than the container can ever hold is read, whatever size the system reports.
    const std::string data = ReadFileHead(diskFile, size_t(kCapacity) + 1);
    if (data.size() > size_t(kCapacity))
        throw ESiteError("The file \"" + ExtractFileName(diskFile) + "\" is too large.");
    AddFile(diskFile, data);
}

void TVeltoSite::AddFile(const std::string &diskFile, const std::string &data)
{
    const std::string name = ExtractFileName(diskFile);
    if (name.size() > size_t(kMaxNameLength))
        throw ESiteError("The file name \"" + name + "\" is longer than 20 characters.");
    CheckLayout();
    TSiteHeader h = ReadHeader();
    if (h.FileCount >= 0xFFFF) throw ESiteError("The Web Site holds too many files.");
    if (data.size() > 0xFFFFFFFFULL - Stream.size()) throw ESiteError("The file \"" + name + "\" is too large.");
    const uint32_t size = uint32_t(data.size());
    TSiteSubHeader e{name, size, 0};
    if (h.FileCount == 0) {
        Stream.resize(kHeaderSize);
        Stream.append(kEntrySize, '\0');
        WriteEntry(kHeaderSize, e);
        Stream += Bytes32(size) + data;
        h.FileCount = 1;
        h.TotalSize += size + 4;
    } else {
        const size_t dirEnd = kHeaderSize + size_t(kEntrySize) * h.FileCount;
        // The data goes right after the last stored file's, where reading looks for it; bytes a
        // damaged container holds past its data stay behind the new file.
        size_t dataEnd = dirEnd;
        for (size_t i = 0; i < h.FileCount; ++i) dataEnd += 4 + size_t(Get32(Stream, kHeaderSize + kEntrySize * i + 20));
        Stream.insert(dataEnd, Bytes32(size) + data);
        Stream.insert(dirEnd, std::string(kEntrySize, '\0'));
        WriteEntry(dirEnd, e);
        h.FileCount += 1;
        h.TotalSize += kEntrySize + size + 4;
    }
    WriteHeader(h);
}

void TVeltoSite::RemoveFile(const std::string &name)
{
    const int k = FindEntry(name);
    if (k < 0) return;
    CheckLayout();
    TSiteHeader h = ReadHeader();
    const size_t n = h.FileCount;
    const size_t dataStart = kHeaderSize + kEntrySize * n;
    std::string out = Stream.substr(0, kHeaderSize + kEntrySize * size_t(k));
    out += Stream.substr(kHeaderSize + kEntrySize * size_t(k + 1), kEntrySize * (n - size_t(k) - 1));
    size_t offset = dataStart;
    uint32_t removedSize = 0;
    size_t afterRemoved = dataStart;
    for (size_t i = 0; i < n; ++i) {
        uint32_t sz = Get32(Stream, kHeaderSize + kEntrySize * i + 20);
        if (i < size_t(k)) out += Stream.substr(offset, 4 + size_t(sz));
        if (i == size_t(k)) {
            removedSize = sz;
            afterRemoved = offset + 4 + sz;
        }
        offset += 4 + size_t(sz);
    }
    // The rest runs up to the header's total size, but never past the end nor short of the data.
    size_t end = std::min<size_t>(std::max<size_t>(h.TotalSize, offset), Stream.size());
    if (end > afterRemoved) out += Stream.substr(afterRemoved, end - afterRemoved);
    h.FileCount = uint16_t(n - 1);
    h.TotalSize = h.FileCount > 0 ? h.TotalSize - (removedSize + 30) : 34;
    Stream = out;
    WriteHeader(h);
}

void TVeltoSite::ExtractFile(const std::string &name, const std::string &destFile) const
{
    const int k = FindEntry(name);
    if (k < 0) return;
    CheckLayout();
    size_t offset = kHeaderSize + kEntrySize * size_t(FileCount());
    for (int i = 0; i < k; ++i) offset += 4 + size_t(Get32(Stream, kHeaderSize + kEntrySize * size_t(i) + 20));
    const uint32_t size = Get32(Stream, kHeaderSize + kEntrySize * size_t(k) + 20);
    WriteFileAtomic(destFile, Stream.substr(offset + 4, size));
}

void TVeltoSite::LoadFromStream(std::istream &s)
{
    s.clear();
    s.seekg(0);
    Stream.assign(std::istreambuf_iterator<char>(s), std::istreambuf_iterator<char>());
}

void TVeltoSite::LoadFromBytes(const std::string &bytes) { Stream = bytes; }

void TVeltoSite::SaveToFile() const { WriteFileAtomic(FileName, Stream); }

}  // namespace vxt
