// Rows from any ODBC data source through unixODBC: Microsoft SQL Server with the FreeTDS driver
// (tdsodbc), or any other driver with a connection string.
//
// Values are fetched as SQL_C_CHAR text in the connection's client character set, which the
// connection string sets to GBK (FreeTDS: ClientCharset=GBK; MariaDB's driver: CHARSET=gbk); long
// values arrive in pieces and are joined; NULL becomes empty text. read() streams the rows as the
// driver fetches them. Error texts are the driver's diagnostics, without the password of the
// connection string.
#pragma once

#include "datasource/DataSource.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav::data {

// A connection string for the FreeTDS driver from the fields the batch window keeps for SQL
// Server. `address` is a host name or address, optionally with ",port" (SQL Server's own way of
// writing it, default 1433) or "\instance" (a named instance found through the SQL Server
// Browser, so no port is given). Text is exchanged in GBK. Values are braced where ODBC needs it.
std::string sqlServerConnectionString(std::string_view address, std::string_view database,
                                      std::string_view user, std::string_view password);

class OdbcSource final : public DataSource {
public:
    // `sqlGbk` is the query as GBK text; it can be changed between reads with setQuery().
    explicit OdbcSource(std::string connectionString, std::string sqlGbk = {},
                        std::chrono::seconds loginTimeout = std::chrono::seconds(5));
    ~OdbcSource() override;
    OdbcSource(const OdbcSource&) = delete;
    OdbcSource& operator=(const OdbcSource&) = delete;

    void setQuery(std::string sqlGbk) { m_sql = std::move(sqlGbk); }

    Status open() override;
    Status read(const RowHandler& handler) override;
    void close() override;

private:
    struct Handles;

    std::string diagnostics(short handleType, void* handle) const;

    std::string m_connectionString;
    std::string m_sql;
    std::chrono::seconds m_loginTimeout;
    std::vector<std::string> m_secrets; // texts no error may show
    std::unique_ptr<Handles> m_handles;
};

} // namespace tav::data
