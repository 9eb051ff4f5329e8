// File access shared by the containers, INI images and settings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vxt {

// A file that cannot be read or written; the text names the file and the reason.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest file opened as a document. A web site holds at most 1,572,864 bytes and a
// configuration of 128 tags a few tens of KB; anything far larger is no document of ours.
constexpr int64_t kMaxDocumentFileSize = 4 * 1048576;

bool FileExists(const std::string &path);                 // a regular file
int64_t FileSize(const std::string &path);                // -1 when it cannot be found
std::string ReadFileBytes(const std::string &path);       // raises EFileError
// At most `count` bytes from the start of the file; raises EFileError.
std::string ReadFileHead(const std::string &path, size_t count);
// Raises EFileError naming the file when it is larger than any document can be.
void CheckDocumentFileSize(const std::string &path);
// Whether the user may read or write the file. The mode bits count even for root, who could
// read or write anything: a file whose read (write) bits are all clear is not read (written).
bool MayReadFile(const std::string &path);
bool MayWriteFile(const std::string &path);
// Raises the write failure ("Cannot create file ...") for an existing file the user may not write.
void CheckMayWriteFile(const std::string &path);
// Replaces `path` only once the new content is complete on disk: a temporary file in the same
// folder is written, flushed and renamed over it. A replaced file keeps its mode and owner; a new
// one gets `newFileMode` less the umask. A file the user may not write is refused and stays as it
// is. A symbolic link is followed: the file it points to is replaced. Raises EFileError.
void WriteFileAtomic(const std::string &path, const std::string &bytes, unsigned newFileMode = 0666);
std::string ExtractFileName(const std::string &path);     // the part after the last '/'
std::string ExtractFilePath(const std::string &path);     // the folder with its trailing '/'

}  // namespace vxt
