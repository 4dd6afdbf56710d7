#include "datasource/CsvParser.h"

namespace tav::data {

void CsvParser::countLineBreak(char c) {
    if (c == '\n' && m_afterCr)
        return; // the LF of a CRLF; the CR counted the line already
    if (c == '\r' || c == '\n')
        ++m_line;
}

void CsvParser::endField() {
    m_fields.push_back(std::move(m_field));
    m_field.clear();
    m_fieldQuoted = false;
}

bool CsvParser::endRecord() {
    bool blankLine = m_fields.empty() && m_field.empty() && !m_fieldQuoted;
    endField();
    bool goOn = blankLine || m_sink(m_fields, m_recordLine);
    m_fields.clear();
    m_state = State::FieldStart;
    return goOn;
}

bool CsvParser::feed(std::string_view block) {
    if (m_stopped)
        return false;
    for (char c : block) {
        bool lineBreak = c == '\r' || c == '\n';
        if (m_state == State::FieldStart && m_fields.empty() && !(c == '\n' && m_afterCr))
            m_recordLine = m_line;
        switch (m_state) {
        case State::FieldStart:
        case State::Unquoted:
        case State::QuoteInQuoted:
            if (c == '\n' && m_afterCr) {
                // The second half of a CRLF that already ended the record.
            } else if (c == ',') {
                endField();
                m_state = State::FieldStart;
            } else if (lineBreak) {
                if (!endRecord()) {
                    m_stopped = true;
                    return false;
                }
            } else if (c == '"' && m_state == State::FieldStart) {
                m_fieldQuoted = true;
                m_quoteLine = m_line;
                m_state = State::Quoted;
            } else if (c == '"' && m_state == State::QuoteInQuoted) {
                m_field += '"'; // a doubled quote inside a quoted field
                m_state = State::Quoted;
            } else {
                m_field += c;
                m_state = State::Unquoted;
            }
            break;
        case State::Quoted:
            if (c == '"')
                m_state = State::QuoteInQuoted;
            else
                m_field += c;
            break;
        }
        countLineBreak(c);
        m_afterCr = c == '\r';
    }
    return true;
}

Status CsvParser::finish() {
    if (m_stopped)
        return Status::success();
    if (m_state == State::Quoted)
        return Status::failure("the quoted field that starts on line " +
                               std::to_string(m_quoteLine) + " has no closing quote");
    if (m_state != State::FieldStart || !m_fields.empty() || m_fieldQuoted)
        endRecord();
    m_stopped = true;
    return Status::success();
}

} // namespace tav::data
