// Rows from a MySQL or MariaDB server, through MariaDB Connector/C.
//
// open() connects over TCP and switches the connection to GBK ("set names gbk") for statements,
// with results as UTF-8 that read() converts to GBK itself: field names and values arrive as
// GBK bytes whatever the tables store, and a character GBK lacks is reported to the handler's
// onUnprintable instead of silently becoming '?'. read() runs the query and
// streams the rows as the server sends them (mysql_use_result), so a result of any length
// takes constant memory. Every value arrives as text; NULL becomes empty text. Error texts never
// hold the password.
#pragma once

#include "datasource/DataSource.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

struct st_mysql;

namespace tav::data {

struct MySqlParams {
    std::string address = "127.0.0.1";
    std::string user;
    std::string password;
    std::string database;
    unsigned port = 3306; // 0 takes the client library's default, 3306
    std::chrono::seconds connectTimeout{5};

    // Reads "key=value;..." in the manner of ODBC connection strings: keys SERVER (or HOST,
    // ADDRESS), PORT, UID (or USER), PWD (or PASSWORD), DATABASE (or DB), any case; a value in
    // braces may hold ';' with '}}' for '}'. Unknown keys are an error, so that a typing mistake
    // is not silently ignored; the error never quotes a value.
    static Result<MySqlParams> fromConnectionString(std::string_view text);
};

class MySqlSource final : public DataSource {
public:
    // `sqlGbk` is the query as GBK text; it can be changed between reads with setQuery().
    MySqlSource(MySqlParams params, std::string sqlGbk = {})
        : m_params(std::move(params)), m_sql(std::move(sqlGbk)) {}
    ~MySqlSource() override { close(); }
    MySqlSource(const MySqlSource&) = delete;
    MySqlSource& operator=(const MySqlSource&) = delete;

    void setQuery(std::string sqlGbk) { m_sql = std::move(sqlGbk); }

    Status open() override;
    Status read(const RowHandler& handler) override;
    void close() override;

private:
    std::string lastError() const;

    MySqlParams m_params;
    std::string m_sql;
    st_mysql* m_connection = nullptr;
};

} // namespace tav::data
