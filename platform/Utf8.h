// UTF-8 checks for text whose encoding is not declared: files that may be UTF-8 or GBK, and
// messages from servers that answer in the connection's character set.
#pragma once

#include <cstddef>
#include <string_view>

namespace tav::platform {

// The length of the well-formed UTF-8 character at the start of `text`: 1 to 4, or 0 when the
// text does not start with one (a continuation byte, an overlong form, a surrogate, or a
// character cut off by the end of the text).
std::size_t utf8CharacterLength(std::string_view text);

// True when the whole text is well-formed UTF-8.
bool isUtf8(std::string_view text);

// True when the text is well-formed UTF-8 except, perhaps, for one character cut off by its end:
// for deciding the encoding of a file from its first block.
bool isUtf8Prefix(std::string_view text);

} // namespace tav::platform
