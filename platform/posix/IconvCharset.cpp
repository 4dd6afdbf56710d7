#include "platform/Charset.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <vector>

namespace tav::platform {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(::iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            ::iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; returns the number of input bytes left unconverted because
    // they do not form a valid character (0 when everything was converted).
    std::size_t convert(std::string_view& in, std::string& out) {
        char buffer[1024];
        auto* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t r = ::iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
                break;
        }
        in.remove_prefix(in.size() - srcLeft);
        return srcLeft;
    }

    void reset() { ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t m_cd;
};

} // namespace

std::string gbkToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    Converter converter("UTF-8", "GBK");
    if (!converter.valid())
        return std::string(gbk);
    while (!gbk.empty()) {
        if (converter.convert(gbk, out) == 0)
            break;
        out += "\xEF\xBF\xBD"; // U+FFFD for the byte that is not GBK
        gbk.remove_prefix(1);
        converter.reset();
    }
    return out;
}

std::optional<std::string> utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    Converter converter("GBK", "UTF-8");
    if (!converter.valid() || converter.convert(utf8, out) != 0)
        return std::nullopt;
    return out;
}

std::optional<std::string> gbkToUtf8Strict(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    Converter converter("UTF-8", "GBK");
    if (!converter.valid() || converter.convert(gbk, out) != 0)
        return std::nullopt;
    return out;
}

bool isGbkCharacter(unsigned char lead, unsigned char trail) {
    // Which pairs iconv converts, asked once for every pair of GBK's lead and trail ranges.
    static const std::vector<bool> known = [] {
        std::vector<bool> table(256 * 256, false);
        Converter converter("UTF-8", "GBK");
        if (!converter.valid())
            return table;
        for (unsigned l = 0x81; l <= 0xFE; ++l) {
            for (unsigned t = 0x40; t <= 0xFE; ++t) {
                const char pair[] = {static_cast<char>(l), static_cast<char>(t)};
                std::string_view in(pair, 2);
                std::string out;
                table[l * 256 + t] = converter.convert(in, out) == 0 && !out.empty();
                converter.reset();
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
    Converter converter("GBK", "UTF-8");
    if (!converter.valid())
        return std::string(utf8);
    while (!utf8.empty()) {
        if (converter.convert(utf8, out) == 0)
            break;
        out += replacement;
        const std::size_t lost = std::max<std::size_t>(1, utf8CharacterLength(utf8));
        if (replaced)
            replaced(utf8.substr(0, lost));
        utf8.remove_prefix(lost);
        converter.reset();
    }
    return out;
}

} // namespace tav::platform
