// The password of a --mysql or --odbc source, found so that it need not be written on the
// command line, where every user of the computer can read it in the process list for as long as
// the batch runs. In this order:
//   1. PWD (or PASSWORD) in the connection string: used as given, with a warning;
//   2. the environment variable TAV_DB_PASSWORD;
//   3. sqldata.conf (the given file, else the user's own): the password saved there by the
//      designer, only when the file's server and user are those of the connection string, so
//      that one server's password is never sent to another ("MySQL" section for --mysql,
//      "Microsoft SQL Server" for --odbc);
//   4. asked on the terminal, without echo, when stdin is a terminal;
//   5. none: the server is asked without a password.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tav::cli {

enum class DatabaseKind { MySql, Odbc };

inline constexpr const char* kPasswordVariable = "TAV_DB_PASSWORD";

struct DatabasePassword {
    // The password to add to the connection; nothing when the connection string holds one or
    // none was found.
    std::optional<std::string> password;
    std::vector<std::string> warnings; // for stderr
    std::string error;                 // the run must stop: the named sqldata.conf is unreadable
    bool interrupted = false;          // the prompt was ended by a stop signal
};

// `configPath`: the --config option, when given.
DatabasePassword findDatabasePassword(DatabaseKind kind, const std::string& connection,
                                      const std::optional<std::string>& configPath);

} // namespace tav::cli
