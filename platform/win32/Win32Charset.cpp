// GBK through Windows' code page 936, the same conversions on every Windows whatever its own
// code page.
#include "platform/Charset.h"

#include "platform/Utf8.h"
#include "platform/win32/WideText.h"

#include <algorithm>
#include <vector>
#include <windows.h>

namespace tav::platform {
namespace {

// How many bytes the GBK character at the start of `text` has: 1 for ASCII, 2 for a pair the
// code page knows, 0 when the first byte starts no character.
std::size_t gbkCharacterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return 1;
    if (text.size() >= 2 && isGbkCharacter(lead, static_cast<unsigned char>(text[1])))
        return 2;
    return 0;
}

} // namespace

std::string gbkToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    while (!gbk.empty()) {
        // Convert the longest run of whole characters at once, then mark the stray byte.
        std::size_t run = 0;
        while (run < gbk.size()) {
            const std::size_t length = gbkCharacterLength(gbk.substr(run));
            if (length == 0)
                break;
            run += length;
        }
        if (run > 0) {
            out += win32::wideToUtf8(win32::gbkToWide(gbk.substr(0, run)).value_or(L""));
            gbk.remove_prefix(run);
        }
        if (!gbk.empty()) {
            out += "\xEF\xBF\xBD"; // U+FFFD for the byte that is not GBK
            gbk.remove_prefix(1);
        }
    }
    return out;
}

std::optional<std::string> gbkToUtf8Strict(std::string_view gbk) {
    for (std::size_t at = 0; at < gbk.size();) {
        const std::size_t length = gbkCharacterLength(gbk.substr(at));
        if (length == 0)
            return std::nullopt;
        at += length;
    }
    const auto wide = win32::gbkToWide(gbk);
    if (!wide)
        return std::nullopt;
    return win32::wideToUtf8(*wide);
}

std::optional<std::string> utf8ToGbk(std::string_view utf8) {
    if (!isUtf8(utf8))
        return std::nullopt;
    const auto wide = win32::utf8ToWide(utf8);
    if (!wide)
        return std::nullopt;
    return win32::wideToGbk(*wide);
}

bool isGbkCharacter(unsigned char lead, unsigned char trail) {
    // Which pairs the code page converts, asked once for every pair of GBK's lead and trail
    // ranges.
    static const std::vector<bool> known = [] {
        std::vector<bool> table(256 * 256, false);
        for (unsigned l = 0x81; l <= 0xFE; ++l) {
            for (unsigned t = 0x40; t <= 0xFE; ++t) {
                if (t == 0x7F)
                    continue;
                const char pair[] = {static_cast<char>(l), static_cast<char>(t)};
                wchar_t wide[2] = {};
                const int n = ::MultiByteToWideChar(win32::kGbkCodePage, MB_ERR_INVALID_CHARS, pair,
                                                    2, wide, 2);
                // Code page 936 maps unassigned pairs to the private use area rather than
                // failing; those are not characters of GBK either.
                table[l * 256 + t] = n == 1 && !(wide[0] >= 0xE000 && wide[0] <= 0xF8FF);
            }
        }
        return table;
    }();
    return known[lead * 256u + trail];
}

std::string utf8ToGbkReplacing(std::string_view utf8, char replacement) {
    return utf8ToGbkReplacing(utf8, replacement, {});
}

std::string utf8ToGbkReplacing(std::string_view utf8, char replacement,
                               const std::function<void(std::string_view)>& replaced) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const std::size_t length = utf8CharacterLength(utf8);
        std::optional<std::string> gbk;
        if (length > 0)
            if (const auto wide = win32::utf8ToWide(utf8.substr(0, length)))
                gbk = win32::wideToGbk(*wide);
        if (gbk) {
            out += *gbk;
        } else {
            out += replacement;
            if (replaced)
                replaced(utf8.substr(0, std::max<std::size_t>(1, length)));
        }
        utf8.remove_prefix(std::max<std::size_t>(1, length));
    }
    return out;
}

} // namespace tav::platform
