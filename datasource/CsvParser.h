// Splits CSV text into records as RFC 4180 describes them: fields separated by commas, records
// by CRLF, LF or a lone CR; a field in double quotes may hold commas, line breaks and doubled
// quotes. Bytes pass through unchanged, so the parser works on UTF-8 and GBK alike (neither
// encoding uses the bytes of ',', '"', CR or LF inside a multi-byte character).
//
// Where files stray from the RFC the parser does what spreadsheet programs do rather than give
// up: a quote inside an unquoted field is an ordinary character, text after a closing quote is
// added to the field (`"ab"c` reads as abc), and empty lines are skipped. Only a quoted field
// still open at the end of the input is an error.
#pragma once

#include "datasource/DataSource.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tav::data {

class CsvParser {
public:
    // Receives each record with the number of the line it starts on (1-based); the fields may be
    // moved from. Returning false stops the parsing.
    using RecordSink = std::function<bool(std::vector<std::string>& fields, std::size_t line)>;

    explicit CsvParser(RecordSink sink) : m_sink(std::move(sink)) {}

    // Parses the next block of the input, which may end anywhere, even inside a field. False
    // once the sink has asked to stop; later blocks are then ignored.
    bool feed(std::string_view block);
    // Ends the input and hands on the last record when it has no line break after it.
    Status finish();

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

    void endField();
    bool endRecord();
    void countLineBreak(char c);

    RecordSink m_sink;
    State m_state = State::FieldStart;
    std::vector<std::string> m_fields;
    std::string m_field;
    bool m_fieldQuoted = false;
    bool m_afterCr = false; // the last byte was a CR, so an LF right after it belongs to it
    bool m_stopped = false;
    std::size_t m_line = 1; // the line the next byte is on
    std::size_t m_recordLine = 1;
    std::size_t m_quoteLine = 1; // where the open quoted field started
};

} // namespace tav::data
