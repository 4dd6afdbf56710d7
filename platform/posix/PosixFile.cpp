#include "platform/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav::platform {
namespace {

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    int release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string describe(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Opens `path` for reading without waiting: a FIFO with no writer would block open() itself,
// and one with a writer, or a device, would block or stream without end in read(). Only a
// regular file is kept open, in blocking mode again. On failure `error` says why.
FileReadStatus openRegularFile(const std::string& path, int& fd, std::string& error) {
    fd = -1;
    if (path.empty())
        return FileReadStatus::NotFound;
    int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (opened < 0) {
        error = std::strerror(errno);
        return errno == ENOENT || errno == ENOTDIR ? FileReadStatus::NotFound
                                                   : FileReadStatus::CannotOpen;
    }
    FdCloser closer(opened);
    struct stat st {};
    if (::fstat(opened, &st) != 0) {
        error = std::strerror(errno);
        return FileReadStatus::CannotOpen;
    }
    if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
        return FileReadStatus::CannotOpen;
    }
    const int flags = ::fcntl(opened, F_GETFL);
    if (flags < 0 || ::fcntl(opened, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = std::strerror(errno);
        return FileReadStatus::CannotOpen;
    }
    fd = closer.release();
    return FileReadStatus::Read;
}

} // namespace

bool pathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

FileReadStatus readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    int fd = -1;
    std::string error;
    if (const auto opened = openRegularFile(path, fd, error); opened != FileReadStatus::Read)
        return opened;
    FdCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) > kMaxWholeFileBytes)
        return FileReadStatus::CannotOpen;
    // Read straight into the result. The size is only a hint: the file may grow while it is
    // read, so the buffer grows too, never beyond the limit.
    std::size_t used = 0;
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > kMaxWholeFileBytes) {
                bytes.clear();
                return FileReadStatus::CannotOpen;
            }
            bytes.resize(std::min<std::size_t>(bytes.size() * 2, kMaxWholeFileBytes + 1));
        }
        ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            bytes.clear();
            return FileReadStatus::CannotOpen;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    return FileReadStatus::Read;
}

FileReadStatus checkReadableFile(const std::string& path, std::string& error) {
    int fd = -1;
    const auto status = openRegularFile(path, fd, error);
    if (fd >= 0)
        ::close(fd);
    return status;
}

FileReader::~FileReader() {
    close();
}

FileReadStatus FileReader::open(const std::string& path) {
    close();
    m_error.clear();
    return openRegularFile(path, m_fd, m_error);
}

std::optional<std::size_t> FileReader::read(std::span<char> buffer) {
    if (m_fd < 0) {
        m_error = "no file is open";
        return std::nullopt;
    }
    for (;;) {
        ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR) {
            m_error = std::strerror(errno);
            return std::nullopt;
        }
    }
}

bool FileReader::rewind() {
    if (m_fd >= 0 && ::lseek(m_fd, 0, SEEK_SET) == 0)
        return true;
    m_error = m_fd < 0 ? "no file is open" : std::strerror(errno);
    return false;
}

void FileReader::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temp.c_str());
    }
}

bool AtomicFileWriter::open(const std::string& path, std::string& error) {
    if (m_fd >= 0) {
        error = "a file is already being written";
        return false;
    }
    if (path.empty()) {
        error = "no file name given";
        return false;
    }
    m_path = path;
    m_temp = path + ".XXXXXX";
    m_fd = ::mkostemp(m_temp.data(), O_CLOEXEC);
    if (m_fd < 0) {
        error = describe("cannot create a temporary file beside", path);
        return false;
    }
    // mkstemp makes the file private; give it the mode the user expects for a document.
    struct stat existing {};
    mode_t mode;
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(m_fd, mode) != 0) {
        error = describe("cannot set the permissions of", m_temp);
        abandon();
        return false;
    }
    return true;
}

bool AtomicFileWriter::write(std::span<const std::uint8_t> bytes, std::string& error) {
    if (m_fd < 0) {
        error = "no file is open for writing";
        return false;
    }
    if (!writeAll(m_fd, bytes.data(), bytes.size())) {
        error = describe("cannot write", m_temp);
        abandon();
        return false;
    }
    return true;
}

bool AtomicFileWriter::commit(std::string& error, bool flush) {
    if (m_fd < 0) {
        error = "no file is open for writing";
        return false;
    }
    bool ok = !flush || ::fsync(m_fd) == 0;
    if (!ok)
        error = describe("cannot flush", m_temp);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = describe("cannot close", m_temp);
    }
    if (ok && ::rename(m_temp.c_str(), m_path.c_str()) != 0) {
        ok = false;
        error = describe("cannot replace", m_path);
    }
    if (!ok) {
        ::unlink(m_temp.c_str());
        return false;
    }
    if (!flush)
        return true;
    // Make the rename itself durable.
    int dir = ::open(folderOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void AtomicFileWriter::abandon() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temp.c_str());
        m_fd = -1;
    }
}

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string& error, bool flush) {
    AtomicFileWriter writer;
    return writer.open(path, error) && writer.write(bytes, error) && writer.commit(error, flush);
}

bool writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty())
        return false;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    FdCloser closer(fd);
    bool ok = writeAll(fd, bytes.data(), bytes.size());
    ok = ::close(closer.release()) == 0 && ok;
    if (!ok)
        ::unlink(path.c_str());
    return ok;
}

bool overwriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty())
        return false;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    FdCloser closer(fd);
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        // A device or pipe cannot be cut to length; it takes the bytes as they come.
        ok = writeAll(fd, bytes.data(), bytes.size());
    } else if (ok) {
        ok = writeAll(fd, bytes.data(), bytes.size()) &&
             ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
    }
    ok = ::close(closer.release()) == 0 && ok;
    if (!ok && S_ISREG(st.st_mode))
        ::unlink(path.c_str());
    return ok;
}

bool replaceWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    struct stat st {};
    if (!path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        std::string error;
        return writeFileAtomically(path, bytes, error, false);
    }
    return overwriteWholeFile(path, bytes);
}

} // namespace tav::platform
