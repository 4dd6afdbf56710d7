#include "editor/core/BatchSession.h"

#include "datasource/CsvSource.h"
#include "datasource/MySqlSource.h"
#include "datasource/OdbcSource.h"
#include "datasource/XlsSource.h"

namespace tav::editor {
namespace {

data::SqlServerSettings sqlServerSettings(const DatabaseFields& fields) {
    data::SqlServerSettings settings;
    settings.address = fields.address;
    settings.database = fields.database;
    settings.user = fields.user;
    settings.password = fields.password;
    settings.sql = fields.sql;
    return settings;
}

data::MySqlSettings mySqlSettings(const DatabaseFields& fields) {
    data::MySqlSettings settings;
    settings.address = fields.address;
    settings.database = fields.database;
    settings.user = fields.user;
    settings.password = fields.password;
    settings.port = fields.port;
    settings.sql = fields.sql;
    return settings;
}

template <typename Settings> DatabaseFields fieldsOf(const Settings& settings) {
    DatabaseFields fields{settings.address, settings.database, settings.user, settings.password, {},
                          settings.sql};
    if constexpr (requires { settings.port; })
        fields.port = settings.port;
    return fields;
}

template <typename Source> void setQueryOf(data::DataSource& source, std::string sql) {
    static_cast<Source&>(source).setQuery(std::move(sql));
}

} // namespace

const DatabaseTab kSqlServerTab{
    .source = BatchSource::SqlServer,
    .slot = 0,
    .section = data::kSqlServerSection,
    .hasPort = false,
    .saved = [](const data::SqlDataConfig& config) { return fieldsOf(config.sqlServer); },
    .make = [](const DatabaseFields& fields,
               const BatchSessionSetup& setup) -> Result<std::unique_ptr<data::DataSource>> {
        return std::unique_ptr<data::DataSource>(std::make_unique<data::OdbcSource>(
            setup.sqlServerConnection(sqlServerSettings(fields))));
    },
    .setQuery = setQueryOf<data::OdbcSource>,
    .saveConnection =
        [](const data::SqlDataConfigFiles& files, const DatabaseFields& fields) {
            return data::saveSqlServerConnection(files, sqlServerSettings(fields));
        },
    .saveQuery = [](const data::SqlDataConfigFiles& files,
                    std::string_view sql) { return data::saveSqlServerQuery(files, sql); },
};

const DatabaseTab kMySqlTab{
    .source = BatchSource::MySql,
    .slot = 1,
    .section = data::kMySqlSection,
    .hasPort = true,
    .saved = [](const data::SqlDataConfig& config) { return fieldsOf(config.mySql); },
    .make = [](const DatabaseFields& fields,
               const BatchSessionSetup&) -> Result<std::unique_ptr<data::DataSource>> {
        auto params = data::mySqlParams(mySqlSettings(fields));
        if (!params)
            return params.status();
        return std::unique_ptr<data::DataSource>(
            std::make_unique<data::MySqlSource>(std::move(params.value())));
    },
    .setQuery = setQueryOf<data::MySqlSource>,
    .saveConnection =
        [](const data::SqlDataConfigFiles& files, const DatabaseFields& fields) {
            return data::saveMySqlConnection(files, mySqlSettings(fields));
        },
    .saveQuery = [](const data::SqlDataConfigFiles& files,
                    std::string_view sql) { return data::saveMySqlQuery(files, sql); },
};

BatchSession::BatchSession(BatchSessionSetup setup) : m_setup(std::move(setup)) {}

BatchSession::~BatchSession() {
    close();
}

DatabaseFields BatchSession::savedFields(const DatabaseTab& tab) const {
    auto read = data::readSqlDataConfig(m_setup.settingsFiles);
    // A file that cannot be read leaves the defaults; saving will say more.
    return tab.saved(read.ok() ? read.value() : data::SqlDataConfig{});
}

BatchSession::Connected BatchSession::connect(const DatabaseTab& tab,
                                              const DatabaseFields& fields) {
    Connected outcome;
    m_connections[tab.slot].reset();
    auto made = tab.make(fields, m_setup);
    if (!made) {
        outcome.connected = made.status();
        return outcome;
    }
    std::unique_ptr<data::DataSource> source = std::move(made.value());
    outcome.connected = source->open();
    if (!outcome.connected)
        return outcome;
    m_connections[tab.slot] = std::move(source);
    outcome.saved = tab.saveConnection(m_setup.settingsFiles, fields);
    return outcome;
}

bool BatchSession::isConnected(const DatabaseTab& tab) const {
    return m_connections[tab.slot] != nullptr;
}

Status BatchSession::execute(const DatabaseTab& tab, const std::string& sql,
                             const data::RowHandler& handler) {
    data::DataSource* source = m_connections[tab.slot].get();
    if (!source)
        return Status::failure("not connected");
    tab.setQuery(*source, sql);
    Status status = source->read(handler);
    if (status)
        tab.saveQuery(m_setup.settingsFiles, sql); // a query that cannot be saved still ran
    return status;
}

Status BatchSession::readFile(BatchSource kind, const std::string& path, data::CsvEncoding encoding,
                              const data::RowHandler& handler) {
    std::unique_ptr<data::DataSource> source;
    if (kind == BatchSource::Excel)
        source = std::make_unique<data::XlsSource>(path);
    else
        source = std::make_unique<data::CsvSource>(path, encoding);
    Status status = source->read(handler);
    source->close();
    return status;
}

void BatchSession::close() {
    for (auto& connection : m_connections)
        connection.reset();
}

} // namespace tav::editor
