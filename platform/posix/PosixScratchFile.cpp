#include "platform/ScratchFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace tav::platform {

std::optional<std::string> createScratchFile() {
    std::error_code ec;
    auto folder = std::filesystem::temp_directory_path(ec);
    if (ec)
        folder = "/tmp";
    std::string path = (folder / "tav-XXXXXX").string();
    // mkstemp creates the file exclusively (O_EXCL), so two callers never share one.
    int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    return path;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

} // namespace tav::platform
