#include "platform/Terminal.h"

#include "platform/Interruption.h"
#include "platform/win32/WideText.h"

#include <windows.h>

namespace tav::platform {
namespace {

bool isConsole(DWORD which) {
    DWORD mode = 0;
    HANDLE handle = ::GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

} // namespace

bool stderrIsTerminal() {
    return isConsole(STD_ERROR_HANDLE);
}

bool stdinIsTerminal() {
    return isConsole(STD_INPUT_HANDLE);
}

std::optional<std::string> readSecretLine(const std::string& prompt) {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    if (!stdinIsTerminal() || !::GetConsoleMode(input, &saved))
        return std::nullopt;
    if (!::SetConsoleMode(input, (saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) |
                                     ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT))
        return std::nullopt;
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    ::WriteFile(error, prompt.data(), static_cast<DWORD>(prompt.size()), &written, nullptr);
    // The console hands the line over as UTF-16 whatever its code page; the secret goes on as
    // UTF-8, as the terminal gives it on Linux.
    std::wstring line;
    bool complete = false;
    for (;;) {
        wchar_t c = 0;
        DWORD got = 0;
        if (!::ReadConsoleW(input, &c, 1, &got, nullptr) || got == 0 || interruptionSignal() != 0)
            break;
        if (c == L'\r')
            continue;
        if (c == L'\n') {
            complete = true;
            break;
        }
        line += c;
    }
    ::SetConsoleMode(input, saved);
    ::WriteFile(error, "\r\n", 2, &written, nullptr);
    if (!complete)
        return std::nullopt;
    return win32::wideToUtf8(line);
}

} // namespace tav::platform
