#include "datasource/CsvParser.h"

#include <cstdint>

namespace tav::data {
namespace {

std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kMiB = 1024 * 1024;
    if (bytes >= kMiB && bytes % kMiB == 0)
        return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

} // namespace

void CsvParser::countLineBreak(char c) {
    if (c == '\n' && m_afterCr)
        return; // the LF of a CRLF; the CR counted the line already
    if (c == '\r' || c == '\n')
        ++m_line;
}

bool CsvParser::overLimit(std::string message) {
    m_error = std::move(message);
    m_stopped = true;
    return false;
}

bool CsvParser::addToField(char c) {
    if (m_field.size() >= m_maxFieldBytes)
        return overLimit("the field on line " +
                         std::to_string(m_fieldQuoted ? m_quoteLine : m_fieldLine) +
                         " is longer than " + sizeText(m_maxFieldBytes));
    m_field += c;
    return true;
}

bool CsvParser::endField() {
    m_recordBytes += m_field.size() + 1;
    if (m_fields.size() >= kMaxRecordFields)
        return overLimit("the record on line " + std::to_string(m_recordLine) + " has more than " +
                         std::to_string(kMaxRecordFields) + " fields");
    const std::size_t maxRecordBytes = m_maxFieldBytes > SIZE_MAX / kMaxRecordBytesPerField
                                           ? SIZE_MAX
                                           : kMaxRecordBytesPerField * m_maxFieldBytes;
    if (m_recordBytes > maxRecordBytes)
        return overLimit("the record on line " + std::to_string(m_recordLine) + " is longer than " +
                         sizeText(maxRecordBytes));
    m_fields.push_back(std::move(m_field));
    m_field.clear();
    m_fieldQuoted = false;
    return true;
}

bool CsvParser::endRecord() {
    bool blankLine = m_fields.empty() && m_field.empty() && !m_fieldQuoted;
    if (!endField())
        return false;
    bool goOn = blankLine || m_sink(m_fields, m_recordLine);
    if (!goOn)
        m_stopped = true;
    m_fields.clear();
    m_recordBytes = 0;
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
        if (m_state == State::FieldStart)
            m_fieldLine = m_line;
        switch (m_state) {
        case State::FieldStart:
        case State::Unquoted:
        case State::QuoteInQuoted:
            if (c == '\n' && m_afterCr) {
                // The second half of a CRLF that already ended the record.
            } else if (c == ',') {
                if (!endField())
                    return false;
                m_state = State::FieldStart;
            } else if (lineBreak) {
                if (!endRecord())
                    return false;
            } else if (c == '"' && m_state == State::FieldStart) {
                m_fieldQuoted = true;
                m_quoteLine = m_line;
                m_state = State::Quoted;
            } else if (c == '"' && m_state == State::QuoteInQuoted) {
                if (!addToField('"')) // a doubled quote inside a quoted field
                    return false;
                m_state = State::Quoted;
            } else {
                if (!addToField(c))
                    return false;
                m_state = State::Unquoted;
            }
            break;
        case State::Quoted:
            if (c == '"')
                m_state = State::QuoteInQuoted;
            else if (!addToField(c))
                return false;
            break;
        }
        countLineBreak(c);
        m_afterCr = c == '\r';
    }
    return true;
}

Status CsvParser::finish() {
    if (m_error)
        return Status::failure(*m_error);
    if (m_stopped)
        return Status::success();
    if (m_state == State::Quoted)
        return Status::failure("the quoted field that starts on line " +
                               std::to_string(m_quoteLine) + " has no closing quote");
    if (m_state != State::FieldStart || !m_fields.empty() || m_fieldQuoted)
        endRecord();
    m_stopped = true;
    if (m_error)
        return Status::failure(*m_error);
    return Status::success();
}

} // namespace tav::data
