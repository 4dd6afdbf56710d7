#include "datasource/DataSource.h"

#include "platform/Charset.h"
#include "platform/Utf8.h"

namespace tav::data {

Result<Table> DataSource::readTable() {
    Table table;
    RowHandler handler{[&](const std::vector<std::string>& titles) {
                           table.titles = titles;
                           return true;
                       },
                       [&](const std::vector<std::string>& cells) {
                           table.rows.push_back(cells);
                           return true;
                       }};
    Status status = read(handler);
    if (!status)
        return status;
    return table;
}

std::string cellToGbk(std::string_view utf8, std::size_t column, const RowHandler& handler) {
    if (!handler.onUnprintable)
        return platform::utf8ToGbkReplacing(utf8);
    return platform::utf8ToGbkReplacing(
        utf8, '?', [&](std::string_view character) { handler.onUnprintable(column, character); });
}

std::string redact(std::string text, std::string_view secret) {
    if (secret.empty())
        return text;
    for (std::size_t at = text.find(secret); at != std::string::npos;
         at = text.find(secret, at + 3))
        text.replace(at, secret.size(), "***");
    return text;
}

std::string messageToUtf8(std::string_view text) {
    return platform::isUtf8(text) ? std::string(text) : platform::gbkToUtf8(text);
}

} // namespace tav::data
