#include "datasource/OdbcSource.h"

#include "datasource/ConnectionString.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdint>

namespace tav::data {

std::string sqlServerConnectionString(std::string_view address, std::string_view database,
                                      std::string_view user, std::string_view password) {
    std::string server(address);
    std::string port = "1433";
    if (auto comma = server.find(','); comma != std::string::npos) {
        port = server.substr(comma + 1);
        server.resize(comma);
    } else if (server.find('\\') != std::string::npos) {
        port.clear(); // a named instance: the SQL Server Browser tells the port
    }
    std::string text = "DRIVER={FreeTDS};" + connectionPair("SERVER", server) + ";";
    if (!port.empty())
        text += connectionPair("PORT", port) + ";";
    text += connectionPair("DATABASE", database) + ";" + connectionPair("UID", user) + ";" +
            connectionPair("PWD", password) + ";TDS_Version=7.4;ClientCharset=GBK";
    return text;
}

struct OdbcSource::Handles {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    bool connected = false;

    ~Handles() {
        if (connected)
            SQLDisconnect(connection);
        if (connection != SQL_NULL_HDBC)
            SQLFreeHandle(SQL_HANDLE_DBC, connection);
        if (environment != SQL_NULL_HENV)
            SQLFreeHandle(SQL_HANDLE_ENV, environment);
    }
};

namespace {

class Statement {
public:
    explicit Statement(SQLHDBC connection) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &m_handle)))
            m_handle = SQL_NULL_HSTMT;
    }
    ~Statement() {
        if (m_handle != SQL_NULL_HSTMT) {
            SQLCloseCursor(m_handle);
            SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    SQLHSTMT get() const { return m_handle; }

private:
    SQLHSTMT m_handle = SQL_NULL_HSTMT;
};

SQLCHAR* sqlText(std::string& text) {
    return reinterpret_cast<SQLCHAR*>(text.data());
}

} // namespace

OdbcSource::OdbcSource(std::string connectionString, std::string sqlGbk,
                       std::chrono::seconds loginTimeout)
    : m_connectionString(std::move(connectionString)), m_sql(std::move(sqlGbk)),
      m_loginTimeout(loginTimeout) {
    for (const char* key : {"PWD", "PASSWORD"})
        if (std::string secret = connectionValue(m_connectionString, key); !secret.empty())
            m_secrets.push_back(std::move(secret));
}

OdbcSource::~OdbcSource() {
    close();
}

std::string OdbcSource::diagnostics(short handleType, void* handle) const {
    // Field by field: with MariaDB's driver, SQLGetDiagRec finds no record when the message
    // holds text of the connection's character set (a Chinese table name), SQLGetDiagField does.
    std::string text;
    for (SQLSMALLINT record = 1; record <= 8; ++record) {
        SQLCHAR message[2048] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagField(handleType, handle, record, SQL_DIAG_MESSAGE_TEXT,
                                           message, sizeof message, &length)))
            break;
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLSMALLINT stateLength = 0;
        SQLGetDiagField(handleType, handle, record, SQL_DIAG_SQLSTATE, state, sizeof state,
                        &stateLength);
        if (!text.empty())
            text += "; ";
        text += "[";
        text += reinterpret_cast<const char*>(state);
        text += "] ";
        text += reinterpret_cast<const char*>(message);
    }
    if (text.empty())
        text = "the ODBC driver gave no reason";
    text = messageToUtf8(text);
    for (const std::string& secret : m_secrets)
        text = redact(std::move(text), messageToUtf8(secret));
    return text;
}

Status OdbcSource::open() {
    if (m_handles)
        return Status::success();
    auto wellFormed = parseConnectionString(m_connectionString);
    if (!wellFormed)
        return wellFormed.status();
    auto handles = std::make_unique<Handles>();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handles->environment))) {
        handles->environment = SQL_NULL_HENV;
        return Status::failure("cannot start ODBC: the driver manager is not usable");
    }
    SQLSetEnvAttr(handles->environment, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(
            SQLAllocHandle(SQL_HANDLE_DBC, handles->environment, &handles->connection))) {
        handles->connection = SQL_NULL_HDBC;
        return Status::failure("cannot start an ODBC connection: " +
                               diagnostics(SQL_HANDLE_ENV, handles->environment));
    }
    auto timeout = static_cast<std::uintptr_t>(m_loginTimeout.count());
    SQLSetConnectAttr(handles->connection, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(timeout), 0);
    SQLSetConnectAttr(handles->connection, SQL_ATTR_CONNECTION_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(timeout), 0);
    std::string connection = m_connectionString;
    SQLRETURN rc = SQLDriverConnect(handles->connection, nullptr, sqlText(connection),
                                    static_cast<SQLSMALLINT>(connection.size()), nullptr, 0,
                                    nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc))
        return Status::failure("cannot connect through ODBC: " +
                               diagnostics(SQL_HANDLE_DBC, handles->connection));
    handles->connected = true;
    m_handles = std::move(handles);
    return Status::success();
}

Status OdbcSource::read(const RowHandler& handler) {
    if (Status opened = open(); !opened)
        return opened;
    Statement statement(m_handles->connection);
    if (statement.get() == SQL_NULL_HSTMT)
        return Status::failure("cannot prepare an ODBC statement: " +
                               diagnostics(SQL_HANDLE_DBC, m_handles->connection));
    std::string sql = m_sql;
    SQLRETURN rc =
        SQLExecDirect(statement.get(), sqlText(sql), static_cast<SQLINTEGER>(sql.size()));
    if (rc == SQL_NO_DATA)
        return Status::success(); // a statement that touched no row and returns none
    if (!SQL_SUCCEEDED(rc))
        return Status::failure("the SQL statement failed: " +
                               diagnostics(SQL_HANDLE_STMT, statement.get()));

    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(statement.get(), &columns)))
        return Status::failure("cannot read the result: " +
                               diagnostics(SQL_HANDLE_STMT, statement.get()));
    if (columns <= 0)
        return Status::success(); // a statement without a result, such as an update

    std::vector<std::string> cells(static_cast<std::size_t>(columns));
    for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columns); ++column) {
        std::string& name = cells[column - 1];
        SQLSMALLINT length = 0;
        for (SQLSMALLINT capacity = 256;;) {
            name.assign(static_cast<std::size_t>(capacity), '\0');
            SQLSMALLINT type = 0;
            SQLULEN size = 0;
            SQLSMALLINT digits = 0;
            SQLSMALLINT nullable = 0;
            rc = SQLDescribeCol(statement.get(), column, sqlText(name), capacity, &length, &type,
                                &size, &digits, &nullable);
            if (!SQL_SUCCEEDED(rc))
                return Status::failure("cannot read the column names: " +
                                       diagnostics(SQL_HANDLE_STMT, statement.get()));
            if (length < capacity || capacity >= 16384)
                break;
            capacity = static_cast<SQLSMALLINT>(length +
                                                1); // the name was cut: ask again with room for it
        }
        std::size_t got = length > 0 ? static_cast<std::size_t>(length) : 0;
        name.resize(std::min(got, name.size() - 1));
    }
    if (handler.onTitles && !handler.onTitles(cells))
        return Status::success();

    char piece[4096];
    for (;;) {
        rc = SQLFetch(statement.get());
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            return Status::failure("cannot fetch the next row: " +
                                   diagnostics(SQL_HANDLE_STMT, statement.get()));
        for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columns); ++column) {
            std::string& cell = cells[column - 1];
            cell.clear();
            // A long value comes in pieces; each but the last fills the buffer but for its NUL.
            for (;;) {
                SQLLEN indicator = 0;
                rc = SQLGetData(statement.get(), column, SQL_C_CHAR, piece, sizeof piece,
                                &indicator);
                if (rc == SQL_NO_DATA)
                    break;
                if (!SQL_SUCCEEDED(rc))
                    return Status::failure("cannot read a value of column " +
                                           std::to_string(column) + ": " +
                                           diagnostics(SQL_HANDLE_STMT, statement.get()));
                if (indicator == SQL_NULL_DATA)
                    break;
                bool cut =
                    indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof piece);
                cell.append(piece, cut ? sizeof piece - 1 : static_cast<std::size_t>(indicator));
                if (!cut)
                    break;
            }
        }
        if (handler.onRow && !handler.onRow(cells))
            break;
    }
    return Status::success();
}

void OdbcSource::close() {
    m_handles.reset();
}

} // namespace tav::data
