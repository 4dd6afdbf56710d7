// What the batch window does apart from its widgets: the data sources, connecting to them,
// reading their rows and keeping the connection settings in sqldata.conf. One descriptor per
// database tab says what sets SQL Server and MySQL apart, so that both go through the same code.
// All texts are GBK as the window shows and edits them; error texts are UTF-8.
#pragma once

#include "common/Status.h"
#include "datasource/CsvEncoding.h"
#include "datasource/DataSource.h"
#include "datasource/SqlDataConfig.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tav::editor {

// The window's tabs in their order; the three menu items open the first three.
enum class BatchSource { SqlServer = 0, Excel = 1, MySql = 2, Csv = 3 };

// The fields of a database tab; `port` is empty for a tab without one.
struct DatabaseFields {
    std::string address;
    std::string database;
    std::string user;
    std::string password;
    std::string port;
    std::string sql;

    bool operator==(const DatabaseFields&) const = default;
};

struct BatchSessionSetup {
    data::SqlDataConfigFiles settingsFiles;
    // The ODBC connection string of the SQL Server tab's fields (FreeTDS).
    std::function<std::string(const data::SqlServerSettings&)> sqlServerConnection =
        [](const data::SqlServerSettings& settings) {
            return data::sqlServerConnectionString(settings);
        };
};

// A database tab: which source it connects to and where its settings are kept.
struct DatabaseTab {
    BatchSource source;
    std::size_t slot;         // the session's connection of this tab
    std::string_view section; // of sqldata.conf
    bool hasPort;
    DatabaseFields (*saved)(const data::SqlDataConfig& config);
    // The source the fields connect to, its query not yet set; fails when the fields cannot
    // make one (a port that is no number).
    Result<std::unique_ptr<data::DataSource>> (*make)(const DatabaseFields& fields,
                                                      const BatchSessionSetup& setup);
    void (*setQuery)(data::DataSource& source, std::string sql);
    // What a successful connect saves, and what a query that ran saves.
    Status (*saveConnection)(const data::SqlDataConfigFiles& files, const DatabaseFields& fields);
    Status (*saveQuery)(const data::SqlDataConfigFiles& files, std::string_view sql);
};

extern const DatabaseTab kSqlServerTab;
extern const DatabaseTab kMySqlTab;
inline const std::array<const DatabaseTab*, 2> kDatabaseTabs = {&kSqlServerTab, &kMySqlTab};

class BatchSession {
public:
    explicit BatchSession(BatchSessionSetup setup);
    ~BatchSession();
    BatchSession(const BatchSession&) = delete;
    BatchSession& operator=(const BatchSession&) = delete;

    const BatchSessionSetup& setup() const { return m_setup; }

    // The fields of `tab` as sqldata.conf holds them (the defaults where it says nothing, or
    // when it cannot be read).
    DatabaseFields savedFields(const DatabaseTab& tab) const;

    struct Connected {
        Status connected = Status::success(); // why not, in the server's words
        Status saved = Status::success();     // why the settings could not be saved
    };
    // Closes the tab's connection, then connects with `fields`; when connected, saves them. May
    // run on a worker thread while nothing else uses the session.
    Connected connect(const DatabaseTab& tab, const DatabaseFields& fields);
    bool isConnected(const DatabaseTab& tab) const;

    // Runs `sql` on the tab's connection, handing the rows to `handler`; saves the query when it
    // ran. Fails when the tab is not connected.
    Status execute(const DatabaseTab& tab, const std::string& sql, const data::RowHandler& handler);

    // Reads an Excel 97-2003 sheet or a CSV file (in `encoding`) and lets go of it.
    static Status readFile(BatchSource source, const std::string& path, data::CsvEncoding encoding,
                           const data::RowHandler& handler);

    // Closes every connection.
    void close();

private:
    BatchSessionSetup m_setup;
    std::array<std::unique_ptr<data::DataSource>, 2> m_connections;
};

} // namespace tav::editor
