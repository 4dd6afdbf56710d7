// Conversion between the GBK bytes that templates and the C interfaces carry and the UTF-8
// that terminals, JSON and the desktop use.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tav::platform {

// Converts GBK text to UTF-8. A byte sequence that is not GBK becomes U+FFFD, one per byte,
// so that no text is ever lost silently or cut short.
std::string gbkToUtf8(std::string_view gbk);

// Converts UTF-8 text to GBK; nothing when the text is not UTF-8 or holds a character that
// GBK cannot represent.
std::optional<std::string> utf8ToGbk(std::string_view utf8);

// Converts GBK text to UTF-8; nothing when a byte sequence is not GBK, for callers that must
// not pass on a text that differs from the one they were given.
std::optional<std::string> gbkToUtf8Strict(std::string_view gbk);

// Converts UTF-8 text to GBK for text from outside that must arrive whole: each character that
// GBK lacks, and each byte that is not part of a UTF-8 character, becomes `replacement`.
std::string utf8ToGbkReplacing(std::string_view utf8, char replacement = '?');

// utf8ToGbkReplacing that also hands each replaced character (its UTF-8 bytes, or the one byte
// that is not part of a UTF-8 character) to `replaced`, for callers that must say what was lost.
std::string utf8ToGbkReplacing(std::string_view utf8, char replacement,
                               const std::function<void(std::string_view)>& replaced);

// True when the two bytes form a character of GBK as the converters here read it (not a
// byte pair of the user-defined areas or an unassigned code).
bool isGbkCharacter(unsigned char lead, unsigned char trail);

} // namespace tav::platform
