// A small streaming JSON writer with two-space indentation. Strings must be UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav::cli {

class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);
    void value(std::string_view text);
    void value(const char* text) { value(std::string_view(text)); }
    void value(std::int64_t number);
    void value(std::int32_t number) { value(static_cast<std::int64_t>(number)); }
    void value(std::uint64_t number);
    void value(bool flag);
    void value(double number);

    const std::string& text() const { return m_out; }

private:
    void beforeValue();
    void newline();
    void open(char bracket);
    void close(char bracket);

    struct Level {
        bool empty = true;
    };
    std::string m_out;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

std::string jsonQuoted(std::string_view utf8);

} // namespace tav::cli
