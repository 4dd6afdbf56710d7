// Rows of text from a database query, a spreadsheet or a CSV file, for batch printing: each
// column's title names a data mark of the template and each row fills the marks once.
//
// All titles and cells are GBK bytes, the encoding that templates and the print engine's C
// interface carry. Error texts are UTF-8, ready for a terminal or a message box, and never hold
// a password.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav::data {

// The message every file source gives for a sheet or file that holds titles but no data row.
inline constexpr std::string_view kNoDataMessage = "操作失败，当前表格无数据！";

// The outcome of an operation without a value: success, or the reason it failed.
class Status {
public:
    static Status success() { return Status(); }
    static Status failure(std::string message) { return Status(std::move(message)); }
    // A sheet or file that holds its titles but no data row: a failure with kNoDataMessage that
    // callers can tell apart from a file that could not be read (a user is informed of it, not
    // warned).
    static Status noData() {
        Status status{std::string(kNoDataMessage)};
        status.m_noData = true;
        return status;
    }

    bool ok() const { return !m_error.has_value(); }
    bool isNoData() const { return m_noData; }
    explicit operator bool() const { return ok(); }
    // The UTF-8 text that says why it failed; empty on success.
    const std::string& error() const {
        static const std::string none;
        return m_error ? *m_error : none;
    }

private:
    Status() = default;
    explicit Status(std::string message) : m_error(std::move(message)) {}
    std::optional<std::string> m_error;
    bool m_noData = false;
};

// A value, or the reason there is none.
template <typename T> class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Status failed) : m_status(std::move(failed)) {}
    static Result failure(std::string message) {
        return Result(Status::failure(std::move(message)));
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return m_status.error(); }
    const Status& status() const { return m_status; }
    T& value() { return *m_value; }
    const T& value() const { return *m_value; }

private:
    std::optional<T> m_value;
    Status m_status = Status::success();
};

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
