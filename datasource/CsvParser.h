// Splits CSV text into records as RFC 4180 describes them: fields separated by commas, records
// by CRLF, LF or a lone CR; a field in double quotes may hold commas, line breaks and doubled
// quotes. Bytes pass through unchanged, so the parser works on UTF-8 and GBK alike (neither
// encoding uses the bytes of ',', '"', CR or LF inside a multi-byte character).
//
// Where files stray from the RFC the parser does what spreadsheet programs do rather than give
// up: a quote inside an unquoted field is an ordinary character, text after a closing quote is
// added to the field (`"ab"c` reads as abc), and empty lines are skipped. Only a quoted field
// still open at the end of the input is an error.
//
// Memory is bounded: a field longer than the field limit (1 MiB unless the caller sets another)
// and a record holding more than kMaxRecordFields fields or more than kMaxRecordBytesPerField
// times the field limit stop the parsing with an error naming the line they start on, so that
// no input (a file of zeros, a cell of gigabytes) can make the parser grow without end.
#pragma once

#include "datasource/DataSource.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav::data {

inline constexpr std::size_t kDefaultMaxCsvFieldBytes = 1024 * 1024;
// More columns than a spreadsheet has; no label has as many marks.
inline constexpr std::size_t kMaxRecordFields = 16384;
inline constexpr std::size_t kMaxRecordBytesPerField = 16;

class CsvParser {
public:
    // Receives each record with the number of the line it starts on (1-based); the fields may be
    // moved from. Returning false stops the parsing.
    using RecordSink = std::function<bool(std::vector<std::string>& fields, std::size_t line)>;

    explicit CsvParser(RecordSink sink, std::size_t maxFieldBytes = kDefaultMaxCsvFieldBytes)
        : m_sink(std::move(sink)), m_maxFieldBytes(maxFieldBytes) {}

    // Parses the next block of the input, which may end anywhere, even inside a field. False
    // once the sink has asked to stop or a limit was passed; later blocks are then ignored.
    bool feed(std::string_view block);
    // Ends the input and hands on the last record when it has no line break after it; the
    // error when a limit was passed or a quoted field is still open.
    Status finish();

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

    bool endField();
    bool endRecord();
    void countLineBreak(char c);
    bool addToField(char c);
    bool overLimit(std::string message);

    RecordSink m_sink;
    std::size_t m_maxFieldBytes;
    std::size_t m_recordBytes = 0;
    std::optional<std::string> m_error;
    State m_state = State::FieldStart;
    std::vector<std::string> m_fields;
    std::string m_field;
    bool m_fieldQuoted = false;
    bool m_afterCr = false; // the last byte was a CR, so an LF right after it belongs to it
    bool m_stopped = false;
    std::size_t m_line = 1; // the line the next byte is on
    std::size_t m_recordLine = 1;
    std::size_t m_quoteLine = 1; // where the open quoted field started
    std::size_t m_fieldLine = 1; // where the current field started
};

} // namespace tav::data
