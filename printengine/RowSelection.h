// Which data rows a batch prints: "1,3,5-9" (positions from 1, as the rows are numbered), or
// every row.
#pragma once

#include "common/Status.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace tav::engine {

class RowSelection {
public:
    // Every row.
    RowSelection() = default;

    // Parses a list of positions and ranges separated by commas ("2", "5-9", "12-" for 12 and
    // every row after it). Anything else fails with a message for the user.
    static Result<RowSelection> parse(const std::string& text);
    // The rows whose tick is set: `ticked[i]` for the row at position i + 1 (a grid's check
    // boxes). No tick set selects no row.
    static RowSelection ofTicks(std::vector<bool> ticked);

    bool contains(std::size_t position) const;
    // True when no row at or after `position` is selected, so reading can stop.
    bool endsBefore(std::size_t position) const;

private:
    std::vector<std::pair<std::size_t, std::size_t>> m_ranges; // inclusive; empty: every row
    bool m_byTicks = false;                                    // the ticks choose, not the ranges
    std::vector<bool> m_ticked;
    std::size_t m_lastTicked = 0; // position; 0 when none
};

} // namespace tav::engine
