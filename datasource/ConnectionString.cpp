#include "datasource/ConnectionString.h"

#include <algorithm>

namespace tav::data {
namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return out;
}

} // namespace

Result<std::vector<std::pair<std::string, std::string>>>
parseConnectionString(std::string_view text) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    Pairs pairs;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of(";=", at);
        if (end == std::string_view::npos || text[end] == ';') {
            if (!trim(text.substr(at, end == std::string_view::npos ? end : end - at)).empty())
                return Result<Pairs>::failure("a part of the connection string has no '='");
            at = end == std::string_view::npos ? text.size() : end + 1;
            continue;
        }
        std::string key = upper(trim(text.substr(at, end - at)));
        if (key.empty())
            return Result<Pairs>::failure(
                "a part of the connection string has no key before its '='");
        at = end + 1;
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
        std::string value;
        if (at < text.size() && text[at] == '{') {
            ++at;
            for (;;) {
                if (at >= text.size())
                    return Result<Pairs>::failure("the value of " + key +
                                                  " in the connection string has no closing '}'");
                if (text[at] == '}') {
                    if (at + 1 < text.size() && text[at + 1] == '}') {
                        value += '}';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                value += text[at++];
            }
            std::size_t next = text.find(';', at);
            if (!trim(text.substr(at, next == std::string_view::npos ? next : next - at)).empty())
                return Result<Pairs>::failure("text follows the closing '}' of " + key +
                                              " in the connection string");
            at = next == std::string_view::npos ? text.size() : next + 1;
        } else {
            std::size_t next = text.find(';', at);
            value = trim(text.substr(at, next == std::string_view::npos ? next : next - at));
            at = next == std::string_view::npos ? text.size() : next + 1;
        }
        pairs.emplace_back(std::move(key), std::move(value));
    }
    return pairs;
}

std::string connectionPair(std::string_view key, std::string_view value) {
    bool needsBraces = value.find_first_of(";{}=") != std::string_view::npos ||
                       (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    std::string out(key);
    out += '=';
    if (!needsBraces)
        return out.append(value);
    out += '{';
    for (char c : value) {
        out += c;
        if (c == '}')
            out += '}';
    }
    out += '}';
    return out;
}

std::optional<unsigned> parsePort(std::string_view text) {
    text = trim(text);
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    unsigned port = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        port = port * 10 + static_cast<unsigned>(c - '0');
    }
    if (port == 0 || port > 65535)
        return std::nullopt;
    return port;
}

std::string connectionValue(std::string_view text, std::string_view key) {
    auto pairs = parseConnectionString(text);
    if (!pairs)
        return {};
    std::string wanted = upper(key);
    for (const auto& [name, value] : pairs.value())
        if (name == wanted)
            return value;
    return {};
}

} // namespace tav::data
