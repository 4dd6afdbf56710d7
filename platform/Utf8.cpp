#include "platform/Utf8.h"

namespace tav::platform {

namespace {

// True when `text` is the start of a well-formed UTF-8 character of more bytes than it holds.
bool isCutUtf8Character(std::string_view text) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (text.size() >= length)
        return false;
    for (std::size_t i = 1; i < text.size(); ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return false;
    return text.size() < 2 ||
           !((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
             (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90));
}

} // namespace

std::size_t utf8CharacterLength(std::string_view text) {
    if (text.empty())
        return 0;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    // Overlong three- and four-byte forms, UTF-16 surrogates and code points past U+10FFFF.
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
        (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))
        return 0;
    return length;
}

bool isUtf8(std::string_view text) {
    while (!text.empty()) {
        std::size_t length = utf8CharacterLength(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

bool isUtf8Prefix(std::string_view text) {
    while (!text.empty()) {
        std::size_t length = utf8CharacterLength(text);
        if (length == 0)
            return isCutUtf8Character(text);
        text.remove_prefix(length);
    }
    return true;
}

} // namespace tav::platform
