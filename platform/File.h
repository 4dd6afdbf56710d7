// Whole-file access used by the template reader and writer, and by anything that saves the
// user's data. Paths are byte strings as the operating system takes them.
#pragma once

#include "common/Status.h"
#include "platform/Interruption.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tav::platform {

enum class FileReadStatus { Read, NotFound, CannotOpen };

// Opening a file to read: success (code Read), or NotFound or CannotOpen with the reason.
using FileOpenStatus = BasicStatus<FileReadStatus>;

// True when something exists at `path` (a file, or anything else that is there).
bool pathExists(const std::string& path);

// What is at a path. A symbolic link is reported as one, not followed.
enum class PathKind { Missing, RegularFile, SymbolicLink, Directory, Other };
PathKind pathKind(const std::string& path);

// True when both paths lead (through symbolic links) to one and the same file: the same device
// and inode, whatever the names. False when either leads nowhere.
bool sameFile(const std::string& a, const std::string& b);

// Who may read a file that a save creates: everyone the user's umask allows, or only its owner
// (for files that hold secrets; an existing file then loses any group and other access).
enum class NewFileAccess { Default, OwnerOnly };

// The largest file readWholeFile takes: templates and picture files are far smaller, and a
// larger one would have to be held in memory whole.
inline constexpr std::uint64_t kMaxWholeFileBytes = 1ull << 30;

// Reads every byte of the regular file at `path`. The file stays open only during the call.
// A file larger than kMaxWholeFileBytes cannot be read. Anything but a regular file (a FIFO, a
// device, a folder) is refused without waiting for it (CannotOpen): a read from it could block
// for ever or never end.
FileReadStatus readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// Whether a regular file that can be read exists at `path`, checked the way readWholeFile opens
// it; for paths handed to a library that opens them itself. On CannotOpen the text says why.
FileOpenStatus checkReadableFile(const std::string& path);

// A regular file read in pieces from its start, for files too large to hold whole (data rows).
// Opening refuses anything but a regular file as readWholeFile does.
class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // On CannotOpen the text says why.
    FileOpenStatus open(const std::string& path);
    bool isOpen() const { return m_fd >= 0; }
    // Reads up to buffer.size() bytes: the number read, 0 at the end of the file.
    Result<std::size_t> read(std::span<char> buffer);
    // Goes back to the start of the file.
    Status rewind();
    void close();

private:
    int m_fd = -1;
};

// A document written in pieces that appears at its path only when it is complete: the bytes go
// to a new temporary file in the same folder, which commit() flushes to disk and renames over
// the path. Until then, and whenever a step fails, a previous file at the path stays as it was;
// a writer destroyed before commit() removes its temporary file, and so does a program asked to
// stop (see Interruption.h). An existing file keeps its owner, group and permission bits; when
// they cannot be kept (another user's file), it is not replaced.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    Status open(const std::string& path, NewFileAccess access = NewFileAccess::Default);
    Status write(std::span<const std::uint8_t> bytes);
    // `flush` false skips waiting for the data and the rename to reach the disk: for files that
    // can be made again, where a failed write must not cost the old file but a power cut may.
    Status commit(bool flush = true);

private:
    void abandon();

    int m_fd = -1;
    std::string m_path;
    std::string m_temp;
    RemovedOnInterruption m_removal;
};

// Writes `bytes` to a new temporary file in the folder of `path`, flushes it to disk and renames
// it over `path`; a failure at any step leaves a previous file at `path` as it was. An existing
// file keeps its owner and permission bits, as with AtomicFileWriter.
Status writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                           bool flush = true, NewFileAccess access = NewFileAccess::Default);

// Creates every missing folder above `path` (mode 0700, as settings folders are).
Status makeParentFolders(const std::string& path);

// The path of the user's settings file `name` of this program: $XDG_CONFIG_HOME/tav/NAME when
// that variable is an absolute path, else $HOME/.config/tav/NAME; empty when neither helps.
std::string userConfigPath(std::string_view name);

// Writes every byte of `bytes` to the file at `path`, creating it when it does not exist, and
// closes it. True only when all of it was written; when a step fails after the file was opened,
// the partly written regular file is removed. For scratch files handed between libraries, where
// the caller owns the path and nothing must survive a failure half-written.
// An existing regular file is written over in place and then cut to the length of `bytes`
// instead of being emptied first: on ext4, emptying a file and writing it again makes close()
// wait for the data to reach the disk, which costs many times the write itself for small
// pictures rewritten often. A reader that looks while it runs may see old and new bytes mixed.
bool overwriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes `bytes` to `path` so that a failed write never costs what the file held: a regular file
// that holds something is replaced atomically (writeFileAtomically); a new or empty file (such as
// a scratch file created for the purpose), a symbolic link or anything that is not a regular file
// is written directly (overwriteWholeFile). Neither waits for the disk: these are pictures that
// can be made again, and flushing made a replacement cost 0.7 ms instead of 0.26 ms.
bool replaceWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace tav::platform
