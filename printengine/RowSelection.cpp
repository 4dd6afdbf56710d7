#include "printengine/RowSelection.h"

#include <charconv>
#include <limits>

namespace tav::engine {
namespace {

bool parsePosition(const std::string& text, std::size_t& out) {
    if (text.empty())
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= 1;
}

} // namespace

Result<RowSelection> RowSelection::parse(const std::string& text) {
    RowSelection selection;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto comma = text.find(',', start);
        const std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const auto dash = part.find('-');
        std::size_t first = 0, last = 0;
        bool ok;
        if (dash == std::string::npos) {
            ok = parsePosition(part, first);
            last = first;
        } else {
            ok = parsePosition(part.substr(0, dash), first);
            const std::string tail = part.substr(dash + 1);
            if (tail.empty())
                last = std::numeric_limits<std::size_t>::max();
            else
                ok = ok && parsePosition(tail, last);
            ok = ok && first <= last;
        }
        if (!ok) {
            return Result<RowSelection>::failure(
                "--rows takes positions and ranges such as 1,3,5-9 (rows count from 1), not '" +
                text + "'");
        }
        selection.m_ranges.emplace_back(first, last);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return selection;
}

RowSelection RowSelection::ofTicks(std::vector<bool> ticked) {
    RowSelection selection;
    selection.m_byTicks = true;
    for (std::size_t i = ticked.size(); i > 0; --i)
        if (ticked[i - 1]) {
            selection.m_lastTicked = i;
            break;
        }
    selection.m_ticked = std::move(ticked);
    return selection;
}

bool RowSelection::contains(std::size_t position) const {
    if (m_byTicks)
        return position >= 1 && position <= m_ticked.size() && m_ticked[position - 1];
    if (m_ranges.empty())
        return true;
    for (const auto& [first, last] : m_ranges)
        if (position >= first && position <= last)
            return true;
    return false;
}

bool RowSelection::endsBefore(std::size_t position) const {
    if (m_byTicks)
        return position > m_lastTicked;
    if (m_ranges.empty())
        return false;
    for (const auto& range : m_ranges)
        if (range.second >= position)
            return false;
    return true;
}

} // namespace tav::engine
