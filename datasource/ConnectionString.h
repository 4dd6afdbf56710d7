// Connection strings of the form "KEY=value;KEY={value with ; and }}};", as ODBC writes them.
#pragma once

#include "datasource/DataSource.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav::data {

// The pairs in order, keys in upper case and values as written (braces removed, "}}" read as
// "}"). Empty parts between semicolons are skipped. Errors never quote a value, since one may be
// a password.
Result<std::vector<std::pair<std::string, std::string>>>
parseConnectionString(std::string_view text);

// "KEY=value" ready to join with ';': a value holding ';', '{', '}', '=' or spaces at either end
// is put in braces with '}' doubled.
std::string connectionPair(std::string_view key, std::string_view value);

// A TCP port number from text: 1 to 65535, digits only.
std::optional<unsigned> parsePort(std::string_view text);

// The value of `key` (any case) in a connection string, for keeping it out of messages.
std::string connectionValue(std::string_view text, std::string_view key);

} // namespace tav::data
