#include "platform/win32/WideText.h"

#include <windows.h>

namespace tav::platform::win32 {
namespace {

std::optional<std::wstring> toWide(unsigned codePage, std::string_view text) {
    if (text.empty())
        return std::wstring();
    if (text.size() > 0x7FFFFFFF)
        return std::nullopt;
    const int length = static_cast<int>(text.size());
    const int needed =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (needed <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(),
                              needed) != needed)
        return std::nullopt;
    return wide;
}

} // namespace

std::optional<std::wstring> gbkToWide(std::string_view gbk) {
    return toWide(kGbkCodePage, gbk);
}

std::optional<std::string> wideToGbk(std::wstring_view wide) {
    if (wide.empty())
        return std::string();
    if (wide.size() > 0x7FFFFFFF)
        return std::nullopt;
    const int length = static_cast<int>(wide.size());
    // Code page 936 takes no WC_ERR_INVALID_CHARS; a character without a GBK form shows up as
    // the default character having been used.
    BOOL lossy = FALSE;
    const int needed =
        ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, nullptr, 0, nullptr, &lossy);
    if (needed <= 0 || lossy)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(needed), '\0');
    if (::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, out.data(), needed, nullptr,
                              &lossy) != needed ||
        lossy)
        return std::nullopt;
    return out;
}

std::string wideToUtf8(std::wstring_view wide) {
    if (wide.empty() || wide.size() > 0x7FFFFFFF)
        return {};
    const int length = static_cast<int>(wide.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, out.data(), needed, nullptr, nullptr);
    return out;
}

std::optional<std::wstring> utf8ToWide(std::string_view utf8) {
    return toWide(CP_UTF8, utf8);
}

std::optional<std::wstring> widePath(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return std::nullopt;
    return gbkToWide(path);
}

std::string lastErrorText() {
    const DWORD code = ::GetLastError();
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message;
    if (length > 0 && text != nullptr) {
        std::wstring_view view(text, length);
        while (!view.empty() &&
               (view.back() == L'\n' || view.back() == L'\r' || view.back() == L' '))
            view.remove_suffix(1);
        message = wideToUtf8(view);
    }
    if (text != nullptr)
        ::LocalFree(text);
    if (message.empty())
        message = "Windows error " + std::to_string(code);
    return message;
}

} // namespace tav::platform::win32
