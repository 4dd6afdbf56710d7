// Files through the wide Windows functions: paths are GBK bytes, turned into UTF-16 through
// code page 936, so that any name works whatever the system's code page. Open files are C
// runtime descriptors over Windows handles, as the interface keeps a descriptor.
#include "platform/File.h"

#include "platform/win32/WideText.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace tav::platform {
namespace {

using win32::lastErrorText;
using win32::widePath;

std::string describe(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + lastErrorText();
}

DWORD attributesOf(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str());
}

bool isMissingError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
}

// A descriptor over `handle`, which it then owns; -1 (and the handle closed) on failure.
int descriptorOf(HANDLE handle, int flags) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0)
        ::CloseHandle(handle);
    return fd;
}

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// Opens `path` for reading when it is a regular file on a disk. A folder, a pipe, a console
// or a device is refused before anything is read from it: a read could wait for ever.
FileReadStatus openRegularFile(const std::string& path, int& fd, std::string& error) {
    fd = -1;
    const auto wide = widePath(path);
    if (!wide)
        return FileReadStatus::NotFound;
    const DWORD attributes = attributesOf(*wide);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "it is a folder";
        return FileReadStatus::CannotOpen;
    }
    HANDLE handle = ::CreateFileW(wide->c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        error = lastErrorText();
        return isMissingError(code) ? FileReadStatus::NotFound : FileReadStatus::CannotOpen;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        error = "it is not a regular file";
        return FileReadStatus::CannotOpen;
    }
    fd = descriptorOf(handle, _O_RDONLY);
    if (fd < 0) {
        error = "cannot open " + path;
        return FileReadStatus::CannotOpen;
    }
    return FileReadStatus::Read;
}

bool writeAll(HANDLE handle, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(handle, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// A name beside `path` that no one else has yet, for the file CREATE_NEW then makes.
std::string temporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const unsigned long long mix =
        ::GetTickCount64() * 0x9E3779B97F4A7C15ull ^
        (static_cast<unsigned long long>(::GetCurrentProcessId()) << 20) ^
        (counter.fetch_add(1) * 0xBF58476D1CE4E5B9ull);
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%06llx", mix & 0xFFFFFFull);
    return path + suffix;
}

FileOpenStatus opened(FileReadStatus status, std::string error) {
    if (status == FileReadStatus::Read)
        return FileOpenStatus::success();
    return FileOpenStatus::failure(status, std::move(error));
}

} // namespace

bool pathExists(const std::string& path) {
    const auto wide = widePath(path);
    return wide && attributesOf(*wide) != INVALID_FILE_ATTRIBUTES;
}

PathKind pathKind(const std::string& path) {
    const auto wide = widePath(path);
    const DWORD attributes = wide ? attributesOf(*wide) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathKind::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return PathKind::SymbolicLink;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return PathKind::Directory;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return PathKind::Other;
    return PathKind::RegularFile;
}

bool sameFile(const std::string& a, const std::string& b) {
    auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        const auto wide = widePath(path);
        if (!wide)
            return false;
        HANDLE handle =
            ::CreateFileW(wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        const bool ok = ::GetFileInformationByHandle(handle, &info) != 0;
        ::CloseHandle(handle);
        return ok;
    };
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return identify(a, first) && identify(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

FileReadStatus readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    int fd = -1;
    std::string error;
    if (const auto opened = openRegularFile(path, fd, error); opened != FileReadStatus::Read)
        return opened;
    const HANDLE handle = handleOf(fd);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size) ||
        static_cast<std::uint64_t>(size.QuadPart) > kMaxWholeFileBytes) {
        ::_close(fd);
        return FileReadStatus::CannotOpen;
    }
    // The size is only a hint: the file may grow while it is read, never beyond the limit.
    std::size_t used = 0;
    bytes.resize(static_cast<std::size_t>(size.QuadPart) + 1);
    bool ok = true;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > kMaxWholeFileBytes) {
                ok = false;
                break;
            }
            bytes.resize(std::min<std::size_t>(bytes.size() * 2, kMaxWholeFileBytes + 1));
        }
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - used, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(handle, bytes.data() + used, want, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        used += got;
    }
    ::_close(fd);
    if (!ok) {
        bytes.clear();
        return FileReadStatus::CannotOpen;
    }
    bytes.resize(used);
    return FileReadStatus::Read;
}

FileOpenStatus checkReadableFile(const std::string& path) {
    int fd = -1;
    std::string error;
    const auto status = openRegularFile(path, fd, error);
    if (fd >= 0)
        ::_close(fd);
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
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
    if (!::ReadFile(handleOf(m_fd), buffer.data(), want, &got, nullptr))
        return Result<std::size_t>::failure(lastErrorText());
    return static_cast<std::size_t>(got);
}

Status FileReader::rewind() {
    if (m_fd >= 0 && ::_lseeki64(m_fd, 0, SEEK_SET) == 0)
        return Status::success();
    return Status::failure(m_fd < 0 ? "no file is open"
                                    : "cannot go back to the start of the file");
}

void FileReader::close() {
    if (m_fd >= 0) {
        ::_close(m_fd);
        m_fd = -1;
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    abandon();
}

Status AtomicFileWriter::open(const std::string& path, NewFileAccess access) {
    if (m_fd >= 0) {
        return Status::failure("a file is already being written");
    }
    if (path.empty()) {
        return Status::failure("no file name given");
    }
    if (access == NewFileAccess::OwnerOnly) {
        // Windows gives a new file the access of its folder; a file meant for its owner alone
        // is refused rather than saved where others may read it.
        return Status::failure("cannot save " + path + " for its owner alone on Windows");
    }
    m_path = path;
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temp = temporaryNameBeside(path);
        const auto wide = widePath(m_temp);
        if (!wide) {
            return Status::failure("the file name is not GBK: " + path);
        }
        HANDLE handle = ::CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return Status::failure(describe("cannot create a temporary file beside", path));
        }
        m_fd = descriptorOf(handle, _O_WRONLY);
        if (m_fd < 0) {
            ::DeleteFileW(wide->c_str());
            return Status::failure("cannot create a temporary file beside " + path);
        }
        m_removal.reset(m_temp);
        return Status::success();
    }
    return Status::failure("cannot find a free temporary name beside " + path);
}

Status AtomicFileWriter::write(std::span<const std::uint8_t> bytes) {
    if (m_fd < 0) {
        return Status::failure("no file is open for writing");
    }
    if (!writeAll(handleOf(m_fd), bytes.data(), bytes.size())) {
        auto failed = Status::failure(describe("cannot write", m_temp));
        abandon();
        return failed;
    }
    return Status::success();
}

Status AtomicFileWriter::commit(bool flush) {
    std::string error;
    if (m_fd < 0) {
        return Status::failure("no file is open for writing");
    }
    bool ok = !flush || ::FlushFileBuffers(handleOf(m_fd));
    if (!ok)
        error = describe("cannot flush", m_temp);
    ::_close(m_fd);
    m_fd = -1;
    const auto wideTemp = widePath(m_temp);
    const auto wideTarget = widePath(m_path);
    if (ok && (!wideTemp || !wideTarget)) {
        ok = false;
        error = "the file name is not GBK: " + m_path;
    }
    if (ok) {
        // ReplaceFile keeps what the file being replaced has (its access, its attributes);
        // a new file is simply moved into place.
        const DWORD target = attributesOf(*wideTarget);
        bool replaced = false;
        if (target != INVALID_FILE_ATTRIBUTES && !(target & FILE_ATTRIBUTE_DIRECTORY))
            replaced = ::ReplaceFileW(wideTarget->c_str(), wideTemp->c_str(), nullptr,
                                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
        if (!replaced)
            replaced = ::MoveFileExW(wideTemp->c_str(), wideTarget->c_str(),
                                     MOVEFILE_REPLACE_EXISTING |
                                         (flush ? MOVEFILE_WRITE_THROUGH : 0)) != 0;
        if (!replaced) {
            ok = false;
            error = describe("cannot replace", m_path);
        }
    }
    if (!ok && wideTemp)
        ::DeleteFileW(wideTemp->c_str());
    m_removal.reset();
    return ok ? Status::success() : Status::failure(error);
}

void AtomicFileWriter::abandon() {
    if (m_fd >= 0) {
        ::_close(m_fd);
        m_fd = -1;
        if (const auto wide = widePath(m_temp))
            ::DeleteFileW(wide->c_str());
    }
    m_removal.reset();
}

Status writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, bool flush,
                           NewFileAccess access) {
    AtomicFileWriter writer;
    Status status = writer.open(path, access);
    if (status)
        status = writer.write(bytes);
    if (status)
        status = writer.commit(flush);
    return status;
}

Status makeParentFolders(const std::string& path) {
    // Start after a drive ("C:\") or the server and share of a network path ("\\host\share\").
    std::size_t start = 1;
    if (path.size() >= 2 && path[1] == ':')
        start = 3;
    else if (path.rfind("\\\\", 0) == 0 || path.rfind("//", 0) == 0)
        start = path.find_first_of("\\/", path.find_first_of("\\/", 2) + 1);
    if (start == std::string::npos)
        return Status::success();
    for (std::size_t slash = path.find_first_of("\\/", start); slash != std::string::npos;
         slash = path.find_first_of("\\/", slash + 1)) {
        const std::string folder = path.substr(0, slash);
        const auto wide = widePath(folder);
        if (!wide) {
            return Status::failure("the folder name is not GBK: " + folder);
        }
        if (!::CreateDirectoryW(wide->c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return Status::failure(describe("cannot create the folder", folder));
        }
    }
    return Status::success();
}

std::string userConfigPath(std::string_view name) {
    // %APPDATA% (the roaming profile), when its path has a GBK form.
    const wchar_t* appData = ::_wgetenv(L"APPDATA");
    if (appData == nullptr || appData[0] == L'\0')
        return {};
    const auto folder = win32::wideToGbk(appData);
    if (!folder)
        return {};
    return *folder + "\\tav\\" + std::string(name);
}

bool overwriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto wide = widePath(path);
    if (!wide)
        return false;
    HANDLE handle = ::CreateFileW(wide->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool disk = ::GetFileType(handle) == FILE_TYPE_DISK;
    bool ok = writeAll(handle, bytes.data(), bytes.size());
    // A device or pipe cannot be cut to length; it takes the bytes as they come.
    if (ok && disk)
        ok = ::SetEndOfFile(handle) != 0;
    ok = ::CloseHandle(handle) != 0 && ok;
    if (!ok && disk)
        ::DeleteFileW(wide->c_str());
    return ok;
}

bool replaceWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto wide = widePath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (wide && ::GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT)) &&
        (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0)) {
        return writeFileAtomically(path, bytes, false).ok();
    }
    return overwriteWholeFile(path, bytes);
}

} // namespace tav::platform
