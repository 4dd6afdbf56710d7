// Which data rows a batch prints: "1,3,5-9" (positions from 1, as the rows are numbered), or
// every row.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tav::engine {

class RowSelection {
public:
    // Every row.
    RowSelection() = default;

    // Parses a list of positions and ranges separated by commas ("2", "5-9", "12-" for 12 and
    // every row after it). Nothing, with `error` set, for anything else.
    static std::optional<RowSelection> parse(const std::string& text, std::string& error);

    bool contains(std::size_t position) const;
    // True when no row at or after `position` is selected, so reading can stop.
    bool endsBefore(std::size_t position) const;

private:
    std::vector<std::pair<std::size_t, std::size_t>> m_ranges; // inclusive; empty: every row
};

} // namespace tav::engine
