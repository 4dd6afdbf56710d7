// Texts between the GBK bytes our interfaces carry and the UTF-16 of the wide Windows functions,
// through code page 936 whatever code page the system runs with.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tav::platform::win32 {

inline constexpr unsigned kGbkCodePage = 936;

// The UTF-16 form of GBK text; nothing when a byte sequence is not GBK.
std::optional<std::wstring> gbkToWide(std::string_view gbk);

// The GBK form of UTF-16 text; nothing when a character has no GBK form.
std::optional<std::string> wideToGbk(std::wstring_view wide);

// The UTF-8 form of UTF-16 text (unpaired surrogates become U+FFFD).
std::string wideToUtf8(std::wstring_view wide);

// The UTF-16 form of UTF-8 text; nothing when it is not well-formed UTF-8.
std::optional<std::wstring> utf8ToWide(std::string_view utf8);

// A GBK path as the wide file functions take it; nothing when it is empty or not GBK.
std::optional<std::wstring> widePath(const std::string& path);

// The text of the calling thread's last error, for messages.
std::string lastErrorText();

} // namespace tav::platform::win32
