#include "datasource/MySqlSource.h"

#include "datasource/ConnectionString.h"
#include "platform/Charset.h"

#include <mysql.h>

#include <memory>

namespace tav::data {
namespace {

// The character set number of binary strings and of numbers in a result.
constexpr unsigned kBinaryCharset = 63;

bool hasHighByte(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

struct ResultFree {
    void operator()(MYSQL_RES* result) const { mysql_free_result(result); }
};

} // namespace

Result<MySqlParams> MySqlParams::fromConnectionString(std::string_view text) {
    auto pairs = parseConnectionString(text);
    if (!pairs)
        return pairs.status();
    MySqlParams params;
    for (const auto& [key, value] : pairs.value()) {
        if (key == "SERVER" || key == "HOST" || key == "ADDRESS") {
            params.address = value;
        } else if (key == "PORT") {
            auto port = parsePort(value);
            if (!port)
                return Result<MySqlParams>::failure(
                    "the port of the MySQL connection is not a number from 1 to 65535");
            params.port = *port;
        } else if (key == "UID" || key == "USER") {
            params.user = value;
        } else if (key == "PWD" || key == "PASSWORD") {
            params.password = value;
        } else if (key == "DATABASE" || key == "DB") {
            params.database = value;
        } else {
            return Result<MySqlParams>::failure(
                "unknown key in the MySQL connection: " + messageToUtf8(key) +
                " (known: SERVER, PORT, UID, PWD, DATABASE)");
        }
    }
    return params;
}

std::string MySqlSource::lastError() const {
    std::string text = m_connection ? mysql_error(m_connection) : "out of memory";
    return redact(messageToUtf8(text), m_params.password);
}

Status MySqlSource::open() {
    if (m_connection)
        return Status::success();
    m_connection = mysql_init(nullptr);
    if (!m_connection)
        return Status::failure("cannot start a MySQL connection: out of memory");
    auto timeout = static_cast<unsigned>(m_params.connectTimeout.count());
    mysql_options(m_connection, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    // Reading and writing may take longer than connecting, but not for ever.
    unsigned ioTimeout = 60;
    mysql_options(m_connection, MYSQL_OPT_READ_TIMEOUT, &ioTimeout);
    mysql_options(m_connection, MYSQL_OPT_WRITE_TIMEOUT, &ioTimeout);
    // TCP even for "localhost", which the client library would otherwise take as its socket.
    unsigned protocol = MYSQL_PROTOCOL_TCP;
    mysql_options(m_connection, MYSQL_OPT_PROTOCOL, &protocol);
    mysql_options(m_connection, MYSQL_SET_CHARSET_NAME, "gbk");

    const char* database = m_params.database.empty() ? nullptr : m_params.database.c_str();
    if (!mysql_real_connect(m_connection, m_params.address.c_str(), m_params.user.c_str(),
                            m_params.password.c_str(), database, m_params.port, nullptr, 0)) {
        std::string error = "cannot connect to MySQL at " + messageToUtf8(m_params.address) + ":" +
                            std::to_string(m_params.port ? m_params.port : 3306) + ": " +
                            lastError();
        close();
        return Status::failure(redact(std::move(error), m_params.password));
    }
    // Statements go as GBK, the encoding of every title and cell here, whatever the server's
    // default. Results come as UTF-8 and are converted here, so that a character GBK lacks (an
    // emoji in a utf8mb4 column) is known instead of turned into '?' by the server.
    if (mysql_query(m_connection, "set names gbk") != 0 ||
        mysql_query(m_connection, "set character_set_results = utf8mb4") != 0) {
        std::string error = "connected to MySQL, but it cannot use GBK: " + lastError();
        close();
        return Status::failure(std::move(error));
    }
    return Status::success();
}

Status MySqlSource::read(const RowHandler& handler) {
    if (Status opened = open(); !opened)
        return opened;
    if (mysql_real_query(m_connection, m_sql.data(), m_sql.size()) != 0)
        return Status::failure("the SQL statement failed: " + lastError());
    std::unique_ptr<MYSQL_RES, ResultFree> result(mysql_use_result(m_connection));
    if (!result) {
        if (mysql_field_count(m_connection) == 0)
            return Status::success(); // a statement without a result, such as an update
        return Status::failure("cannot read the result: " + lastError());
    }

    unsigned columns = mysql_num_fields(result.get());
    MYSQL_FIELD* fields = mysql_fetch_fields(result.get());
    std::vector<std::string> cells(columns);
    for (unsigned i = 0; i < columns; ++i)
        cells[i] =
            platform::utf8ToGbkReplacing(std::string_view(fields[i].name, fields[i].name_length));
    if (handler.onTitles && !handler.onTitles(cells))
        return Status::success(); // freeing the result reads what is left of it

    while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
        unsigned long* lengths = mysql_fetch_lengths(result.get());
        for (unsigned i = 0; i < columns; ++i) {
            const std::string_view value(row[i] ? row[i] : "", row[i] ? lengths[i] : 0);
            // Binary columns (and numbers) come as they are stored; text is UTF-8.
            if (fields[i].charsetnr == kBinaryCharset || !hasHighByte(value))
                cells[i].assign(value);
            else
                cells[i] = cellToGbk(value, i, handler);
        }
        if (handler.onRow && !handler.onRow(cells))
            return Status::success();
    }
    // mysql_fetch_row also ends with nothing when the connection broke off.
    if (mysql_errno(m_connection) != 0)
        return Status::failure("reading the result broke off: " + lastError());
    return Status::success();
}

void MySqlSource::close() {
    if (m_connection)
        mysql_close(m_connection);
    m_connection = nullptr;
}

} // namespace tav::data
