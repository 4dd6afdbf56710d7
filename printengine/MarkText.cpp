#include "printengine/MarkText.h"

namespace tav::engine {
namespace {

// How far the scan moves past a position that does not start a match: over the whole
// character, two bytes for the lead byte of a double-byte character.
std::size_t characterStep(unsigned char byte) {
    return byte >= 0x80 ? 2 : 1;
}

bool matchesAt(std::string_view text, std::size_t pos, std::string_view name) {
    return text.compare(pos, name.size(), name) == 0;
}

} // namespace

bool markContains(std::string_view mark, std::string_view name) {
    if (mark.empty() || name.empty() || mark.size() < name.size())
        return false;
    const std::size_t last = mark.size() - name.size();
    for (std::size_t pos = 0; pos <= last;) {
        if (matchesAt(mark, pos, name))
            return true;
        pos += characterStep(static_cast<unsigned char>(mark[pos]));
    }
    return false;
}

std::string replaceInMark(std::string_view mark, std::string_view name, std::string_view value) {
    if (name.empty() || mark.size() < name.size())
        return std::string(mark);
    std::string out;
    out.reserve(mark.size() + value.size());
    const std::size_t last = mark.size() - name.size();
    std::size_t pos = 0;
    while (pos <= last) {
        if (matchesAt(mark, pos, name)) {
            out += value;
            pos += name.size();
            continue;
        }
        const std::size_t step =
            std::min(characterStep(static_cast<unsigned char>(mark[pos])), mark.size() - pos);
        out.append(mark, pos, step);
        pos += step;
    }
    if (pos < mark.size())
        out.append(mark, pos);
    return out;
}

} // namespace tav::engine
