// sqldata.conf: the connection settings and last queries of the batch window, an INI file in
// the user's configuration folder (or the program's folder) with the sections "Microsoft SQL
// Server" and "MySQL".
//
// The file is read and written as Windows programs do it (through SimpleIni, byte for byte):
// section and key names match in any case, values are taken as bytes (GBK as typed, with no
// escapes and no inline comments, so "select * from test;" keeps its semicolon), CRLF and LF
// line ends and a UTF-8 byte order mark are accepted, and comments (';' or '#') are kept. Saving
// changes only the keys it is given: other keys and sections stay, and a file that used CRLF
// keeps CRLF. A line break inside a value would end it and turn the rest into a stray line, so
// it is saved as one space (a multi-line SQL text is saved on one line).
//
// Passwords are stored through encipherPassword (see PasswordCipher.h): obfuscation, not
// protection, since the key is in the program; so the file is saved readable by its owner only
// (mode 0600, also when an older file was readable by others). A key that is missing reads as its
// default. The default password is the six-digit text "123456"; it is kept in its stored,
// enciphered form (kDefaultStoredPassword) and goes through the same reading steps as a stored
// password, which make "123456" of it. A stored password that cannot be deciphered (edited by hand,
// say) reads as empty text with a warning, rather than as a garbled text that would be sent to the
// server.
#pragma once

#include "datasource/DataSource.h"
#include "datasource/MySqlSource.h"

#include <string>
#include <string_view>
#include <vector>

namespace tav::data {

inline constexpr std::string_view kSqlDataFileName = "sqldata.conf";
inline constexpr std::string_view kSqlServerSection = "Microsoft SQL Server";
inline constexpr std::string_view kMySqlSection = "MySQL";
inline constexpr std::string_view kDefaultPassword = "123456";
inline constexpr std::string_view kDefaultStoredPassword =
    "8BE22679422E7897824F280FE1872F0B58E1951C8CF2C164A3DD90BAC018F3AE";

// All texts are GBK, as the batch window shows and edits them; passwords in plain text.
struct SqlServerSettings {
    std::string address = "127.0.0.1";
    std::string database = "test";
    std::string user = "sa";
    std::string password = std::string(kDefaultPassword);
    std::string sql = "select * from test;";
    bool passwordStored = false; // the file holds a password (else `password` is the default)
};

struct MySqlSettings {
    std::string address = "127.0.0.1";
    std::string database = "test";
    std::string user = "root";
    std::string password = std::string(kDefaultPassword);
    std::string port = "3306";
    std::string sql = "select * from test;";
    bool passwordStored = false;
};

struct SqlDataConfig {
    SqlServerSettings sqlServer;
    MySqlSettings mySql;
    // Things worth telling the user that did not stop the reading (UTF-8).
    std::vector<std::string> warnings;
};

// The path of sqldata.conf in the given folder (the program's own).
std::string sqlDataConfigPath(std::string_view folder);
// The user's own sqldata.conf: $XDG_CONFIG_HOME/tav/sqldata.conf, else
// $HOME/.config/tav/sqldata.conf; empty when neither variable is set.
std::string userSqlDataConfigPath();

// Where the batch window keeps the file: the user's own ($XDG_CONFIG_HOME/tav/sqldata.conf, see
// platform::userConfigPath), which every save writes (created with mode 0600, replaced
// atomically), and the one beside the program, read while the user has no file of their own and
// taken as the starting point of the user's first save. Both have the same layout.
struct SqlDataConfigFiles {
    std::string user;
    std::string beside;
};

// The files for a program in `programFolder` (the user's file is the one beside the program when
// there is no home or configuration folder to put it in).
SqlDataConfigFiles sqlDataConfigFiles(std::string_view programFolder);

// Reads the user's file, or the one beside the program when the user has none.
Result<SqlDataConfig> readSqlDataConfig(const SqlDataConfigFiles& files);

// Reads the file; a file that does not exist gives the defaults. Fails only when the file
// exists but cannot be read.
Result<SqlDataConfig> readSqlDataConfig(const std::string& path);
// Reads the settings from the bytes of a file.
SqlDataConfig parseSqlDataConfig(std::string_view bytes);

// What a successful connect saves: address, database, user and password (enciphered) of the
// section, and for MySQL the port. The query is saved on its own, after it ran.
Status saveSqlServerConnection(const std::string& path, const SqlServerSettings& settings);
Status saveMySqlConnection(const std::string& path, const MySqlSettings& settings);
Status saveSqlServerQuery(const std::string& path, std::string_view sql);
Status saveMySqlQuery(const std::string& path, std::string_view sql);
// The same saves into the user's file.
Status saveSqlServerConnection(const SqlDataConfigFiles& files, const SqlServerSettings& settings);
Status saveMySqlConnection(const SqlDataConfigFiles& files, const MySqlSettings& settings);
Status saveSqlServerQuery(const SqlDataConfigFiles& files, std::string_view sql);
Status saveMySqlQuery(const SqlDataConfigFiles& files, std::string_view sql);
// Saves every key of both sections.
Status writeSqlDataConfig(const std::string& path, const SqlDataConfig& config);

// The parameters MySqlSource connects with; fails when the port is not a number from 1 to 65535.
Result<MySqlParams> mySqlParams(const MySqlSettings& settings);
// The FreeTDS connection string for OdbcSource (see sqlServerConnectionString).
std::string sqlServerConnectionString(const SqlServerSettings& settings);

} // namespace tav::data
