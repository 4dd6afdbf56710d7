#include "datasource/SqlDataConfig.h"

#include "datasource/ConnectionString.h"
#include "datasource/OdbcSource.h"
#include "datasource/PasswordCipher.h"
#include "platform/File.h"

// SimpleIni as a header-only library, without any character conversion: section names, keys
// and values stay the bytes they are in the file.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tav::data {
namespace {

using Ini = CSimpleIniA; // case-insensitive names, as Windows matches them

using Pairs = std::vector<std::pair<std::string_view, std::string>>;

void setUp(Ini& ini) {
    ini.SetUnicode(false);
    ini.SetMultiKey(false);
    ini.SetMultiLine(false);
    ini.SetQuotes(false);
    ini.SetSpaces(false); // "key=value", as Windows writes it
}

std::string sectionName(std::string_view section) {
    return std::string(section);
}

// Reads one key; a key that is missing keeps the default already in `value`.
void readKey(const Ini& ini, std::string_view section, const char* key, std::string& value) {
    if (const char* found = ini.GetValue(sectionName(section).c_str(), key, nullptr))
        value = found;
}

std::string readPassword(const Ini& ini, std::string_view section, bool& isStored,
                         std::vector<std::string>& warnings) {
    const char* stored = ini.GetValue(sectionName(section).c_str(), "password", nullptr);
    isStored = stored != nullptr;
    std::string_view text = stored ? std::string_view(stored) : kDefaultStoredPassword;
    if (auto password = decipherPassword(text))
        return *password;
    warnings.push_back("the stored password of the section \"" + std::string(section) +
                       "\" cannot be deciphered; enter it again");
    return {};
}

// A value on one line: each line break (CRLF, CR or LF) becomes one space.
std::string oneLine(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
                ++i;
            out += ' ';
        } else if (c != '\0') {
            out += c;
        }
    }
    return out;
}

// Sets the given keys of one section in the file at `path`, keeping everything else in it. When
// there is no file at `path` yet, the one at `seedPath` (if any) is the starting point, so that
// the user's first own file keeps what the shared one held. A new file is the owner's alone,
// as it holds passwords.
Status updateFile(const std::string& path,
                  const std::vector<std::pair<std::string_view, Pairs>>& sections,
                  const std::string& seedPath = {}) {
    Ini ini;
    setUp(ini);
    bool crlf = false;
    std::vector<std::uint8_t> bytes;
    auto status = platform::readWholeFile(path, bytes);
    if (status == platform::FileReadStatus::NotFound && !seedPath.empty() && seedPath != path) {
        if (platform::readWholeFile(seedPath, bytes) == platform::FileReadStatus::Read)
            status = platform::FileReadStatus::Read;
        else
            bytes.clear();
    }
    switch (status) {
    case platform::FileReadStatus::Read: {
        std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        crlf = text.find("\r\n") != std::string_view::npos;
        if (ini.LoadData(text.data(), text.size()) < 0)
            return Status::failure("cannot read " + messageToUtf8(path) + ": out of memory");
        break;
    }
    case platform::FileReadStatus::NotFound:
        break;
    case platform::FileReadStatus::CannotOpen:
        return Status::failure("cannot read " + messageToUtf8(path) + ", so it is not changed");
    }
    for (const auto& [section, pairs] : sections) {
        std::string name = sectionName(section);
        for (const auto& [key, value] : pairs)
            if (ini.SetValue(name.c_str(), std::string(key).c_str(), oneLine(value).c_str()) < 0)
                return Status::failure("cannot save the settings: out of memory");
    }
    std::string text;
    if (ini.Save(text) < 0)
        return Status::failure("cannot save the settings: out of memory");
    if (crlf) {
        std::string windows;
        windows.reserve(text.size() + text.size() / 16);
        for (char c : text) {
            if (c == '\n')
                windows += '\r';
            windows += c;
        }
        text = std::move(windows);
    }
    auto data = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    Status saved = platform::makeParentFolders(path);
    if (saved)
        saved = platform::writeFileAtomically(path, data, true, platform::NewFileAccess::OwnerOnly);
    if (!saved)
        return Status::failure("cannot save " + messageToUtf8(path) + ": " + saved.error());
    return Status::success();
}

Pairs sqlServerConnectionPairs(const SqlServerSettings& settings) {
    return {{"address", settings.address},
            {"database", settings.database},
            {"user", settings.user},
            {"password", encipherPassword(settings.password)}};
}

Pairs mySqlConnectionPairs(const MySqlSettings& settings) {
    return {{"address", settings.address},
            {"database", settings.database},
            {"user", settings.user},
            {"password", encipherPassword(settings.password)},
            {"port", settings.port}};
}

} // namespace

std::string sqlDataConfigPath(std::string_view folder) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path.append(kSqlDataFileName);
}

std::string userSqlDataConfigPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/')
        return std::string(config) + "/tav/" + std::string(kSqlDataFileName);
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return std::string(home) + "/.config/tav/" + std::string(kSqlDataFileName);
    return {};
}

SqlDataConfig parseSqlDataConfig(std::string_view bytes) {
    Ini ini;
    setUp(ini);
    SqlDataConfig config;
    if (ini.LoadData(bytes.data(), bytes.size()) < 0)
        config.warnings.push_back("the settings file could not be read whole; defaults are used");

    SqlServerSettings& server = config.sqlServer;
    readKey(ini, kSqlServerSection, "address", server.address);
    readKey(ini, kSqlServerSection, "database", server.database);
    readKey(ini, kSqlServerSection, "user", server.user);
    server.password = readPassword(ini, kSqlServerSection, server.passwordStored, config.warnings);
    readKey(ini, kSqlServerSection, "sql", server.sql);

    MySqlSettings& mySql = config.mySql;
    readKey(ini, kMySqlSection, "address", mySql.address);
    readKey(ini, kMySqlSection, "database", mySql.database);
    readKey(ini, kMySqlSection, "user", mySql.user);
    mySql.password = readPassword(ini, kMySqlSection, mySql.passwordStored, config.warnings);
    readKey(ini, kMySqlSection, "port", mySql.port);
    readKey(ini, kMySqlSection, "sql", mySql.sql);
    return config;
}

SqlDataConfigFiles sqlDataConfigFiles(std::string_view programFolder) {
    SqlDataConfigFiles files;
    files.user = platform::userConfigPath(kSqlDataFileName);
    files.beside = sqlDataConfigPath(programFolder);
    if (files.user.empty())
        files.user = files.beside;
    return files;
}

Result<SqlDataConfig> readSqlDataConfig(const SqlDataConfigFiles& files) {
    if (platform::pathExists(files.user))
        return readSqlDataConfig(files.user);
    return readSqlDataConfig(files.beside);
}

Result<SqlDataConfig> readSqlDataConfig(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    switch (platform::readWholeFile(path, bytes)) {
    case platform::FileReadStatus::Read:
        return parseSqlDataConfig(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    case platform::FileReadStatus::NotFound:
        return parseSqlDataConfig({});
    case platform::FileReadStatus::CannotOpen:
        break;
    }
    return Result<SqlDataConfig>::failure("cannot read " + messageToUtf8(path));
}

Status saveSqlServerConnection(const std::string& path, const SqlServerSettings& settings) {
    return updateFile(path, {{kSqlServerSection, sqlServerConnectionPairs(settings)}});
}

Status saveMySqlConnection(const std::string& path, const MySqlSettings& settings) {
    return updateFile(path, {{kMySqlSection, mySqlConnectionPairs(settings)}});
}

Status saveSqlServerQuery(const std::string& path, std::string_view sql) {
    return updateFile(path, {{kSqlServerSection, {{"sql", std::string(sql)}}}});
}

Status saveMySqlQuery(const std::string& path, std::string_view sql) {
    return updateFile(path, {{kMySqlSection, {{"sql", std::string(sql)}}}});
}

Status saveSqlServerConnection(const SqlDataConfigFiles& files, const SqlServerSettings& settings) {
    return updateFile(files.user, {{kSqlServerSection, sqlServerConnectionPairs(settings)}},
                      files.beside);
}

Status saveMySqlConnection(const SqlDataConfigFiles& files, const MySqlSettings& settings) {
    return updateFile(files.user, {{kMySqlSection, mySqlConnectionPairs(settings)}}, files.beside);
}

Status saveSqlServerQuery(const SqlDataConfigFiles& files, std::string_view sql) {
    return updateFile(files.user, {{kSqlServerSection, {{"sql", std::string(sql)}}}}, files.beside);
}

Status saveMySqlQuery(const SqlDataConfigFiles& files, std::string_view sql) {
    return updateFile(files.user, {{kMySqlSection, {{"sql", std::string(sql)}}}}, files.beside);
}

Status writeSqlDataConfig(const std::string& path, const SqlDataConfig& config) {
    Pairs server = sqlServerConnectionPairs(config.sqlServer);
    server.emplace_back("sql", config.sqlServer.sql);
    Pairs mySql = mySqlConnectionPairs(config.mySql);
    mySql.emplace_back("sql", config.mySql.sql);
    return updateFile(path,
                      {{kSqlServerSection, std::move(server)}, {kMySqlSection, std::move(mySql)}});
}

Result<MySqlParams> mySqlParams(const MySqlSettings& settings) {
    auto port = parsePort(settings.port);
    if (!port)
        return Result<MySqlParams>::failure("the MySQL port \"" + messageToUtf8(settings.port) +
                                            "\" is not a number from 1 to 65535");
    MySqlParams params;
    params.address = settings.address;
    params.user = settings.user;
    params.password = settings.password;
    params.database = settings.database;
    params.port = *port;
    return params;
}

std::string sqlServerConnectionString(const SqlServerSettings& settings) {
    return sqlServerConnectionString(settings.address, settings.database, settings.user,
                                     settings.password);
}

} // namespace tav::data
