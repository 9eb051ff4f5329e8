// File access shared by the containers, INI images and settings.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
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
// Whether a regular file is at `path`: false where nothing (or no regular file) is there; raises
// EFileError ("Cannot open file ...") where the system will not tell, as for a file in a folder the
// user may not enter.
bool FileFound(const std::string &path);
int64_t FileSize(const std::string &path);                // -1 when it cannot be found
// How long a read from a named pipe may wait: for its next bytes, and for its end in all. A regular
// file is read to its end.
struct ReadWaits {
    int silenceMs = 5000;
    int totalMs = 30000;
};
// The whole file, read up to the document limit whatever size the system reports: a file holding
// more raises the too-large failure. Only regular files and named pipes are read; anything else (a
// folder, a terminal, a serial port) is refused at once, naming the path (and the file a link leads
// to), and so is another user's link in a sticky folder that all may write, as the kernel refuses
// it. Read failures, a pipe's read that outlasts its waits among them, raise
// "Cannot read file "<path>". <reason>".
std::string ReadFileBytes(const std::string &path, const ReadWaits &waits = {});
// At most `count` bytes from the start of the file; raises EFileError.
std::string ReadFileHead(const std::string &path, size_t count, const ReadWaits &waits = {});
// Raises EFileError naming the file when it is larger than any document can be.
void CheckDocumentFileSize(const std::string &path);
// A document's file read whole, in one read: nothing where FileFound finds nothing; otherwise the
// size check above, then ReadFileBytes. Raises EFileError.
std::optional<std::string> ReadDocumentFile(const std::string &path, const ReadWaits &waits = {});
// Whether the user may read or write the file. The mode bits count even for root, who could
// read or write anything: a file whose read (write) bits are all clear is not read (written).
bool MayReadFile(const std::string &path);
bool MayWriteFile(const std::string &path);
// The system's reason (an errno value) why the user may not write the file, 0 where they may.
int WriteRefusal(const std::string &path);
// Raises the write failure ("Cannot create file ...") for an existing file the user may not write.
void CheckMayWriteFile(const std::string &path);
// The file a link at `path` leads to (which need not exist), every link along the way resolved,
// named absolute and without "." or ".."; `path` itself when it is no link, or when the links loop
// or hold one the writer would not follow.
std::string LinkTarget(const std::string &path);
// Only regular files are written. Replaces `path` only once the new content is complete on disk:
// a temporary file in the same folder is written, flushed and renamed over it. Where the folder
// takes no temporary file (or no rename) but the file itself may be written, the new content is
// written into the file in place, and only where the room for it can be reserved first and the
// file can be given its mode first; a failed write leaves the file byte-equal, its mode as it was
// and the room it reserved free, either way. A
// replaced file keeps its mode and owner, less the read and write bits for group and others that
// `newFileMode` withholds (the settings, written with 0600, never stay readable by others); a new
// one gets `newFileMode` less the umask. A file the user may not write is refused and stays as it
// is. A symbolic link is kept and the file it points to is written, or created when it is missing
// and its folder exists; a link loop, a link to (or a path of) a folder, device, pipe or socket,
// and another user's link in a sticky folder that all may write, anywhere along the path, are
// refused. That rule is the program's own: the kernel guards only the last link. The folders are
// walked by descriptor, and the file is written, renamed and flushed in the folder that was judged.
// The in-place way is taken only on file systems known to overwrite a file's own blocks, which is
// learnt before the file is opened for writing. Once renamed, the new file's folder is flushed too.
// Raises EFileError.
void WriteFileAtomic(const std::string &path, const std::string &bytes, unsigned newFileMode = 0666);
// Called by WriteFileAtomic once the folder to write in is held, before anything is looked at or
// written there (tests change the path meanwhile).
extern std::function<void()> g_heldFolderHook;
std::string ExtractFileName(const std::string &path);     // the part after the last '/'
std::string ExtractFilePath(const std::string &path);     // the folder with its trailing '/'

}  // namespace vxt
