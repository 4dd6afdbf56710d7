#include "platform/ScratchFile.h"

#include "platform/win32/WideText.h"

#include <atomic>
#include <cstdio>
#include <windows.h>

namespace tav::platform {

std::optional<std::string> createScratchFile() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return std::nullopt;
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[64];
        const unsigned long long mix =
            ::GetTickCount64() * 0x9E3779B97F4A7C15ull ^
            (static_cast<unsigned long long>(::GetCurrentProcessId()) << 24) ^
            (counter.fetch_add(1) * 0xBF58476D1CE4E5B9ull);
        std::swprintf(name, 64, L"tav-%08llx.tmp", mix & 0xFFFFFFFFull);
        const std::wstring path = std::wstring(folder, length) + name;
        // CREATE_NEW fails when the name exists, so two callers never share one file.
        HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return std::nullopt;
        }
        ::CloseHandle(handle);
        // The libraries take GBK paths; a temporary folder whose name has no GBK form is of no
        // use to them.
        if (auto gbk = win32::wideToGbk(path))
            return gbk;
        ::DeleteFileW(path.c_str());
        return std::nullopt;
    }
    return std::nullopt;
}

bool removeFile(const std::string& path) {
    const auto wide = win32::widePath(path);
    if (!wide)
        return false;
    if (::DeleteFileW(wide->c_str()))
        return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace tav::platform
