// File access shared by the containers, INI images and settings.
#pragma once

#include <stdexcept>
#include <string>

namespace vxt {

// A file that cannot be read or written; the text names the file and the reason.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool FileExists(const std::string &path);                 // a regular file
std::string ReadFileBytes(const std::string &path);       // raises EFileError
// Replaces `path` only once the new content is complete on disk: a temporary file in the same
// folder is written, flushed and renamed over it. Raises EFileError; the old file stays then.
void WriteFileAtomic(const std::string &path, const std::string &bytes);
std::string ExtractFileName(const std::string &path);     // the part after the last '/'
std::string ExtractFilePath(const std::string &path);     // the folder with its trailing '/'

}  // namespace vxt
