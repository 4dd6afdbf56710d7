#include "platform/File.h"

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

} // namespace

bool pathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

FileReadStatus readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (!pathExists(path))
        return FileReadStatus::NotFound;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? FileReadStatus::NotFound : FileReadStatus::CannotOpen;
    FdCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return FileReadStatus::CannotOpen;
    // The size is only a hint: the file may change while it is read.
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t chunk[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            bytes.clear();
            return FileReadStatus::CannotOpen;
        }
        if (n == 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return FileReadStatus::Read;
}

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string& error) {
    if (path.empty()) {
        error = "no file name given";
        return false;
    }
    std::string temp = path + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = describe("cannot create a temporary file beside", path);
        return false;
    }
    FdCloser closer(fd);

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
    bool ok = ::fchmod(fd, mode) == 0;
    if (!ok)
        error = describe("cannot set the permissions of", temp);
    if (ok && !(ok = writeAll(fd, bytes.data(), bytes.size())))
        error = describe("cannot write", temp);
    if (ok && !(ok = ::fsync(fd) == 0))
        error = describe("cannot flush", temp);
    if (ok && !(ok = ::close(closer.release()) == 0))
        error = describe("cannot close", temp);
    if (ok && !(ok = ::rename(temp.c_str(), path.c_str()) == 0))
        error = describe("cannot replace", path);
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
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

} // namespace tav::platform
