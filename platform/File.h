// Whole-file access used by the template reader and writer, and by anything that saves the
// user's data. Paths are byte strings as the operating system takes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tav::platform {

enum class FileReadStatus { Read, NotFound, CannotOpen };

// True when something exists at `path` (a file, or anything else that is there).
bool pathExists(const std::string& path);

// The largest file readWholeFile takes: templates and picture files are far smaller, and a
// larger one would have to be held in memory whole.
inline constexpr std::uint64_t kMaxWholeFileBytes = 1ull << 30;

// Reads every byte of the regular file at `path`. The file stays open only during the call.
// A file larger than kMaxWholeFileBytes cannot be read. Anything but a regular file (a FIFO, a
// device, a folder) is refused without waiting for it (CannotOpen): a read from it could block
// for ever or never end.
FileReadStatus readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// Whether a regular file that can be read exists at `path`, checked the way readWholeFile opens
// it; for paths handed to a library that opens them itself. On CannotOpen `error` says why.
FileReadStatus checkReadableFile(const std::string& path, std::string& error);

// A regular file read in pieces from its start, for files too large to hold whole (data rows).
// Opening refuses anything but a regular file as readWholeFile does.
class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // On CannotOpen `error()` says why.
    FileReadStatus open(const std::string& path);
    bool isOpen() const { return m_fd >= 0; }
    // Reads up to buffer.size() bytes: the number read, 0 at the end of the file, nothing on a
    // read error (then `error()` says why).
    std::optional<std::size_t> read(std::span<char> buffer);
    // Goes back to the start of the file.
    bool rewind();
    void close();
    const std::string& error() const { return m_error; }

private:
    int m_fd = -1;
    std::string m_error;
};

// A document written in pieces that appears at its path only when it is complete: the bytes go
// to a new temporary file in the same folder, which commit() flushes to disk and renames over
// the path. Until then, and whenever a step fails, a previous file at the path stays as it was;
// a writer destroyed before commit() removes its temporary file. An existing file keeps its
// permission bits.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool open(const std::string& path, std::string& error);
    bool write(std::span<const std::uint8_t> bytes, std::string& error);
    // `flush` false skips waiting for the data and the rename to reach the disk: for files that
    // can be made again, where a failed write must not cost the old file but a power cut may.
    bool commit(std::string& error, bool flush = true);

private:
    void abandon();

    int m_fd = -1;
    std::string m_path;
    std::string m_temp;
};

// Writes `bytes` to a new temporary file in the folder of `path`, flushes it to disk and renames
// it over `path`; a failure at any step leaves a previous file at `path` as it was. An existing
// file keeps its permission bits. On failure `error` says why.
bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string& error, bool flush = true);

// Creates the file at `path` or truncates it, then writes every byte of `bytes` and closes it.
// True only when all of it was written; when a step fails after the file was opened, the partly
// written file is removed. For scratch files handed between libraries, where the caller owns the
// path and nothing must survive a failure half-written.
bool writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Like writeWholeFile, and with the same result, but an existing regular file is written over
// in place and then cut to the length of `bytes` instead of being emptied first. On ext4,
// emptying a file and writing it again makes close() wait for the data to reach the disk,
// which costs many times the write itself for small pictures rewritten often. A reader that
// looks while it runs may see old and new bytes mixed.
bool overwriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes `bytes` to `path` so that a failed write never costs what the file held: a regular file
// that holds something is replaced atomically (writeFileAtomically); a new or empty file (such as
// a scratch file created for the purpose), a symbolic link or anything that is not a regular file
// is written directly (overwriteWholeFile). Neither waits for the disk: these are pictures that
// can be made again, and flushing made a replacement cost 0.7 ms instead of 0.26 ms.
bool replaceWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace tav::platform
