// The desktop setup commands (fonts, file associations) are for Linux desktops; on Windows
// these answer truthfully for what the libraries may ask and run no helper programs.
#include "platform/UserSession.h"

#include "platform/win32/WideText.h"

#include <cwchar>
#include <windows.h>

namespace tav::platform {

bool isSuperuser() {
    // Windows has no superuser; administrators are asked for elevation per program.
    return false;
}

std::string userDataHome() {
    const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || local[0] == L'\0')
        return {};
    return win32::wideToGbk(local).value_or(std::string());
}

bool folderWritable(const std::string& folder) {
    // Walk up to the nearest folder that exists, then try to create a file in it.
    std::string path = folder;
    while (!path.empty()) {
        const auto wide = win32::widePath(path);
        const DWORD attributes =
            wide ? ::GetFileAttributesW(wide->c_str()) : INVALID_FILE_ATTRIBUTES;
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
                return false;
            const std::wstring probe = *wide + L"\\tav-write-probe.tmp";
            HANDLE handle =
                ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            if (handle == INVALID_HANDLE_VALUE)
                return ::GetLastError() == ERROR_FILE_EXISTS;
            ::CloseHandle(handle);
            return true;
        }
        const auto slash = path.find_last_of("\\/");
        if (slash == std::string::npos || slash == 0)
            return false;
        path.resize(slash);
    }
    return false;
}

ProgramRun runProgram(const std::vector<std::string>&, bool) {
    // The helper programs (fc-cache, xdg-mime, ...) exist only on Linux desktops.
    return {};
}

} // namespace tav::platform
