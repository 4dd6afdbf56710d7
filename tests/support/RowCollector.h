// Collects what a data source hands its row handler: the titles, the rows, and in one list the
// order of rows and of the characters GBK could not hold ("row", "<column>:<character>").
#pragma once

#include "datasource/DataSource.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tav::test {

struct RowCollector {
    data::Table table;
    std::vector<std::string> events;
    std::size_t stopAfter = 0; // stop the reading after this many rows; 0: read them all

    data::RowHandler handler() {
        return {[this](const std::vector<std::string>& titles) {
                    table.titles = titles;
                    return true;
                },
                [this](const std::vector<std::string>& cells) {
                    table.rows.push_back(cells);
                    events.emplace_back("row");
                    return stopAfter == 0 || table.rows.size() < stopAfter;
                },
                [this](std::size_t column, std::string_view character) {
                    events.push_back(std::to_string(column) + ":" + std::string(character));
                }};
    }
};

} // namespace tav::test
