// Rows of text from a database query, a spreadsheet or a CSV file, for batch printing: each
// column's title names a data mark of the template and each row fills the marks once.
//
// All titles and cells are GBK bytes, the encoding that templates and the print engine's C
// interface carry. Error texts are UTF-8, ready for a terminal or a message box, and never hold
// a password.
#pragma once

#include "common/Status.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav::data {

using tav::Result;
using tav::Status;

// The message every file source gives for a sheet or file that holds titles but no data row.
inline constexpr std::string_view kNoDataMessage = "操作失败，当前表格无数据！";

// A sheet or file that holds its titles but no data row: a failure with kNoDataMessage that
// callers can tell apart from a file that could not be read (a user is informed of it, not
// warned).
inline Status noDataStatus() {
    return Status::failure(std::string(kNoDataMessage));
}
inline bool isNoData(const Status& status) {
    return !status.ok() && status.error() == kNoDataMessage;
}

// A whole result held in memory: the column titles and every row, each row exactly as wide as
// the titles.
struct Table {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> rows;
};

// Receives a result one row at a time, so that a batch of any length is read in constant
// memory. `onTitles` is called once before the first row; every row handed to `onRow` has
// exactly as many cells as there are titles. Returning false from either stops the reading
// early; that is not a failure.
struct RowHandler {
    std::function<bool(const std::vector<std::string>& titles)> onTitles;
    std::function<bool(const std::vector<std::string>& cells)> onRow;
    // Called before onRow, once for each character of that row's cells that GBK cannot hold
    // (an emoji, a rare character of a utf8mb4 column), which the cell carries as '?': the
    // column (from 0) and the character as UTF-8. Without it such characters become '?'
    // silently.
    std::function<void(std::size_t column, std::string_view character)> onUnprintable = {};
};

// A cell's UTF-8 text as GBK, for the row about to go to `handler`: each character GBK cannot
// hold becomes '?' and is reported to the handler's onUnprintable with `column`.
std::string cellToGbk(std::string_view utf8, std::size_t column, const RowHandler& handler);

// One source of rows. open() connects to the server or opens the file; read() runs the query or
// reads the sheet or file and streams the result; close() lets go of the connection or file and
// may be called any number of times. read() opens the source itself when it is not open yet.
class DataSource {
public:
    virtual ~DataSource() = default;

    virtual Status open() = 0;
    virtual Status read(const RowHandler& handler) = 0;
    virtual void close() = 0;

    // Reads the whole result into memory; for grids and small results.
    Result<Table> readTable();
};

// Replaces every occurrence of `secret` in `text` by "***", so that a password cannot reach a
// log or a message box through an error text that quotes it. An empty secret changes nothing.
std::string redact(std::string text, std::string_view secret);

// Makes an error text from a library or server readable as UTF-8: UTF-8 stays as it is, anything
// else is taken as GBK (servers answer in the connection's character set).
std::string messageToUtf8(std::string_view text);

} // namespace tav::data
