#include "cli/JsonWriter.h"

#include <cmath>
#include <cstdio>

namespace tav::cli {

std::string jsonQuoted(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::newline() {
    m_out += '\n';
    m_out.append(m_levels.size() * 2, ' ');
}

void JsonWriter::beforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty())
        return;
    if (!m_levels.back().empty)
        m_out += ',';
    m_levels.back().empty = false;
    newline();
}

void JsonWriter::open(char bracket) {
    beforeValue();
    m_out += bracket;
    m_levels.push_back({});
}

void JsonWriter::close(char bracket) {
    const bool wasEmpty = m_levels.back().empty;
    m_levels.pop_back();
    if (!wasEmpty)
        newline();
    m_out += bracket;
    if (m_levels.empty())
        m_out += '\n';
}

void JsonWriter::beginObject() {
    open('{');
}
void JsonWriter::endObject() {
    close('}');
}
void JsonWriter::beginArray() {
    open('[');
}
void JsonWriter::endArray() {
    close(']');
}

void JsonWriter::key(std::string_view name) {
    beforeValue();
    m_out += jsonQuoted(name);
    m_out += ": ";
    m_afterKey = true;
}

void JsonWriter::value(std::string_view text) {
    beforeValue();
    m_out += jsonQuoted(text);
}

void JsonWriter::value(std::int64_t number) {
    beforeValue();
    m_out += std::to_string(number);
}

void JsonWriter::value(std::uint64_t number) {
    beforeValue();
    m_out += std::to_string(number);
}

void JsonWriter::value(bool flag) {
    beforeValue();
    m_out += flag ? "true" : "false";
}

void JsonWriter::value(double number) {
    beforeValue();
    if (!std::isfinite(number)) {
        m_out += "null"; // JSON has no infinity or NaN
        return;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", number);
    m_out += buf;
}

} // namespace tav::cli
