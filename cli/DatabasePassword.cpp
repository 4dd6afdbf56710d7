#include "cli/DatabasePassword.h"

#include "datasource/ConnectionString.h"
#include "datasource/SqlDataConfig.h"
#include "platform/File.h"
#include "platform/Interruption.h"
#include "platform/Terminal.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace tav::cli {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

// The first value of any of `keys` in the parsed connection string; nothing when none is there.
std::optional<std::string> valueOf(const std::vector<std::pair<std::string, std::string>>& pairs,
                                   std::initializer_list<std::string_view> keys) {
    for (const auto& [key, value] : pairs)
        if (std::find(keys.begin(), keys.end(), key) != keys.end())
            return value;
    return std::nullopt;
}

// The password saved for the server and user the connection string names, when there is one.
std::optional<std::string>
storedPassword(DatabaseKind kind, const std::vector<std::pair<std::string, std::string>>& pairs,
               const data::SqlDataConfig& config) {
    const auto server = valueOf(pairs, {"SERVER", "HOST", "ADDRESS"});
    const auto user = valueOf(pairs, {"UID", "USER"});
    if (!server || !user)
        return std::nullopt;
    if (kind == DatabaseKind::MySql) {
        const auto& saved = config.mySql;
        const auto port = valueOf(pairs, {"PORT"});
        const bool samePort = data::parsePort(port.value_or("3306")) == data::parsePort(saved.port);
        if (saved.passwordStored && lower(*server) == lower(saved.address) && *user == saved.user &&
            samePort)
            return saved.password;
        return std::nullopt;
    }
    const auto& saved = config.sqlServer;
    if (saved.passwordStored && lower(*server) == lower(saved.address) && *user == saved.user)
        return saved.password;
    return std::nullopt;
}

} // namespace

DatabasePassword findDatabasePassword(DatabaseKind kind, const std::string& connection,
                                      const std::optional<std::string>& configPath) {
    DatabasePassword found;
    auto parsed = data::parseConnectionString(connection);
    const auto pairs = parsed ? parsed.value() : std::vector<std::pair<std::string, std::string>>{};
    if (valueOf(pairs, {"PWD", "PASSWORD"})) {
        found.warnings.push_back(
            "warning: the password in the connection string can be read by every user of this "
            "computer in the process list; use " +
            std::string(kPasswordVariable) + ", sqldata.conf or the prompt instead");
        return found;
    }
    if (const char* variable = std::getenv(kPasswordVariable)) {
        found.password = variable;
        return found;
    }

    const std::string path = configPath.value_or(data::userSqlDataConfigPath());
    if (configPath && !platform::pathExists(path)) {
        found.error = "--config: there is no file " + path;
        return found;
    }
    if (!path.empty()) {
        auto config = data::readSqlDataConfig(path);
        if (!config) {
            found.error = config.error();
            return found;
        }
        for (const auto& warning : config.value().warnings)
            found.warnings.push_back(path + ": " + warning);
        if (auto stored = storedPassword(kind, pairs, config.value())) {
            found.password = std::move(stored);
            return found;
        }
    }

    if (platform::stdinIsTerminal()) {
        const auto user = valueOf(pairs, {"UID", "USER"});
        const auto server = valueOf(pairs, {"SERVER", "HOST", "ADDRESS"});
        std::string prompt = "Password";
        if (user && server)
            prompt += " for " + *user + "@" + *server;
        found.password = platform::readSecretLine(prompt + ": ");
        found.interrupted = !found.password && platform::interruptionSignal() != 0;
    }
    return found;
}

} // namespace tav::cli
