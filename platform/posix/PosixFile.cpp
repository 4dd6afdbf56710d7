#include "platform/File.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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

FileOpenStatus opened(FileReadStatus status, std::string error) {
    if (status == FileReadStatus::Read)
        return FileOpenStatus::success();
    return FileOpenStatus::failure(status, std::move(error));
}

} // namespace

bool pathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

PathKind pathKind(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0)
        return PathKind::Missing;
    if (S_ISREG(st.st_mode))
        return PathKind::RegularFile;
    if (S_ISLNK(st.st_mode))
        return PathKind::SymbolicLink;
    if (S_ISDIR(st.st_mode))
        return PathKind::Directory;
    return PathKind::Other;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return !a.empty() && !b.empty() && ::stat(a.c_str(), &first) == 0 &&
           ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
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

FileOpenStatus checkReadableFile(const std::string& path) {
    int fd = -1;
    std::string error;
    const auto status = openRegularFile(path, fd, error);
    if (fd >= 0)
        ::close(fd);
    return opened(status, std::move(error));
}

FileReader::~FileReader() {
    close();
}

FileOpenStatus FileReader::open(const std::string& path) {
    close();
    std::string error;
    const auto status = openRegularFile(path, m_fd, error);
    return opened(status, std::move(error));
}

Result<std::size_t> FileReader::read(std::span<char> buffer) {
    if (m_fd < 0)
        return Result<std::size_t>::failure("no file is open");
    for (;;) {
        ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return Result<std::size_t>::failure(std::strerror(errno));
    }
}

Status FileReader::rewind() {
    if (m_fd >= 0 && ::lseek(m_fd, 0, SEEK_SET) == 0)
        return Status::success();
    return Status::failure(m_fd < 0 ? "no file is open" : std::strerror(errno));
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

Status AtomicFileWriter::open(const std::string& path, NewFileAccess access) {
    if (m_fd >= 0) {
        return Status::failure("a file is already being written");
    }
    if (path.empty()) {
        return Status::failure("no file name given");
    }
    m_path = path;
    m_temp = path + ".XXXXXX";
    m_fd = ::mkostemp(m_temp.data(), O_CLOEXEC);
    if (m_fd < 0) {
        return Status::failure(describe("cannot create a temporary file beside", path));
    }
    m_removal.reset(m_temp);
    // mkstemp makes the file private; give it the mode the user expects for a document, and
    // the owner and group a file being replaced has (replacing a file as root must not hand
    // it to root).
    const mode_t ownerOnly = access == NewFileAccess::OwnerOnly ? 0600 : 07777;
    struct stat existing {};
    mode_t mode;
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777 & ownerOnly;
        struct stat created {};
        if (::fstat(m_fd, &created) != 0 ||
            ((created.st_uid != existing.st_uid || created.st_gid != existing.st_gid) &&
             ::fchown(m_fd, existing.st_uid, existing.st_gid) != 0)) {
            auto failed = Status::failure(describe("cannot keep the owner and group of", path));
            abandon();
            return failed;
        }
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask & ownerOnly;
    }
    if (::fchmod(m_fd, mode) != 0) {
        auto failed = Status::failure(describe("cannot set the permissions of", m_temp));
        abandon();
        return failed;
    }
    return Status::success();
}

Status AtomicFileWriter::write(std::span<const std::uint8_t> bytes) {
    if (m_fd < 0) {
        return Status::failure("no file is open for writing");
    }
    if (!writeAll(m_fd, bytes.data(), bytes.size())) {
        auto failed = Status::failure(describe("cannot write", m_temp));
        abandon();
        return failed;
    }
    return Status::success();
}

Status AtomicFileWriter::commit(bool flush) {
    if (m_fd < 0) {
        return Status::failure("no file is open for writing");
    }
    std::string error;
    if (flush && ::fsync(m_fd) != 0)
        error = describe("cannot flush", m_temp);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && error.empty())
        error = describe("cannot close", m_temp);
    if (error.empty() && ::rename(m_temp.c_str(), m_path.c_str()) != 0)
        error = describe("cannot replace", m_path);
    if (!error.empty()) {
        ::unlink(m_temp.c_str());
        m_removal.reset();
        return Status::failure(std::move(error));
    }
    m_removal.reset();
    if (!flush)
        return Status::success();
    // Make the rename itself durable.
    int dir = ::open(folderOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Status::success();
}

void AtomicFileWriter::abandon() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temp.c_str());
        m_fd = -1;
    }
    m_removal.reset();
}

Status writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, bool flush,
                           NewFileAccess access) {
    AtomicFileWriter writer;
    if (auto status = writer.open(path, access); !status)
        return status;
    if (auto status = writer.write(bytes); !status)
        return status;
    return writer.commit(flush);
}

Status makeParentFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            return Status::failure("cannot create the folder " + folder + ": " +
                                   std::strerror(errno));
        }
    }
    return Status::success();
}

std::string userConfigPath(std::string_view name) {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return std::string(config) + "/tav/" + std::string(name);
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::string(home) + "/.config/tav/" + std::string(name);
    return {};
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
        return writeFileAtomically(path, bytes, false).ok();
    }
    return overwriteWholeFile(path, bytes);
}

} // namespace tav::platform
