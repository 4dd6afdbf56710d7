// MySqlSource and OdbcSource against a real MariaDB server on loopback, started and filled by
// scripts/services (its header lists the tables and the TAV_MYSQL_* variables read here).
#include "datasource/MySqlSource.h"
#include "datasource/OdbcSource.h"
#include "platform/Charset.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace tav::data {
namespace {

std::string gbk(std::string_view utf8) {
    return platform::utf8ToGbk(utf8).value();
}

std::string env(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

MySqlParams serverParams() {
    MySqlParams params;
    params.address = env("TAV_MYSQL_HOST", "127.0.0.1");
    params.port = static_cast<unsigned>(std::stoul(env("TAV_MYSQL_PORT", "3306")));
    params.user = env("TAV_MYSQL_USER", "tav");
    params.password = env("TAV_MYSQL_PASSWORD", "tav-pw-4711");
    params.database = env("TAV_MYSQL_DATABASE", "tavtest");
    return params;
}

std::string odbcConnection(const MySqlParams& params) {
    return "DRIVER={" + env("TAV_ODBC_DRIVER", "MariaDB Unicode") + "};SERVER=" + params.address +
           ";PORT=" + std::to_string(params.port) + ";DATABASE=" + params.database +
           ";UID=" + params.user + ";PWD={" + params.password + "};CHARSET=gbk";
}

class DatabaseSource : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        MySqlSource probe(serverParams());
        if (probe.open().ok())
            return;
        // Not running yet: start it the way CI does.
        std::string command = std::string("bash '") + TAV_SERVICES_SCRIPT + "' >/dev/null";
        int rc = std::system(command.c_str());
        Status opened = probe.open();
        if (!opened)
            s_unavailable = "no MariaDB server (scripts/services exited " + std::to_string(rc) +
                            "): " + opened.error();
    }

    void SetUp() override {
        if (!s_unavailable.empty())
            FAIL() << s_unavailable;
    }

    static inline std::string s_unavailable;
};

// The labels table as GBK text, the way both clients must deliver it.
Table expectedLabels() {
    Table table;
    table.titles = {"id", gbk("名称"), gbk("条码"), gbk("价格"), gbk("备注")};
    std::string longNote;
    for (int i = 0; i < 400; ++i)
        longNote += gbk("中文长备注。");
    table.rows = {
        {"1", gbk("苹果"), "6901234567892", "3.50", gbk("产地：山东")},
        {"2", gbk("香蕉"), "6901234567908", "12.00", ""},
        {"3", "Apple \"Fuji\"", "TAV-0003", "0.99", "quote ' and comma , and semicolon ;"},
        {"4", "", "", "0.00", ""},
        {"5", gbk("长文本"), "6901234567915", "100.25", longNote},
    };
    return table;
}

const std::string kLabelsQuery = "select id, 名称, 条码, 价格, 备注 from labels order by id";

TEST_F(DatabaseSource, MySqlDeliversRowsAsGbk) {
    MySqlSource source(serverParams(), gbk(kLabelsQuery));
    ASSERT_TRUE(source.open().ok());
    auto table = source.readTable();
    ASSERT_TRUE(table.ok()) << table.error();
    Table expected = expectedLabels();
    EXPECT_EQ(table.value().titles, expected.titles);
    ASSERT_EQ(table.value().rows.size(), expected.rows.size());
    for (std::size_t i = 0; i < expected.rows.size(); ++i)
        EXPECT_EQ(table.value().rows[i], expected.rows[i]) << "row " << i + 1;
}

TEST_F(DatabaseSource, OdbcDeliversTheSameRowsAsMySql) {
    MySqlParams params = serverParams();
    OdbcSource source(odbcConnection(params), gbk(kLabelsQuery));
    Status opened = source.open();
    ASSERT_TRUE(opened.ok()) << opened.error();
    auto table = source.readTable();
    ASSERT_TRUE(table.ok()) << table.error();
    Table expected = expectedLabels();
    EXPECT_EQ(table.value().titles, expected.titles);
    ASSERT_EQ(table.value().rows.size(), expected.rows.size());
    for (std::size_t i = 0; i < expected.rows.size(); ++i)
        EXPECT_EQ(table.value().rows[i], expected.rows[i]) << "row " << i + 1;
}

TEST_F(DatabaseSource, StreamingStopsEarlyAndTheConnectionStaysUsable) {
    MySqlParams params = serverParams();
    MySqlSource mySql(params);
    OdbcSource odbc(odbcConnection(params));
    struct Client {
        const char* name;
        DataSource& source;
        std::function<void(std::string)> setQuery;
    };
    Client clients[] = {{"MySQL", mySql, [&](std::string sql) { mySql.setQuery(std::move(sql)); }},
                        {"ODBC", odbc, [&](std::string sql) { odbc.setQuery(std::move(sql)); }}};
    for (Client& client : clients) {
        client.setQuery(gbk("select 序号, 条码, 名称 from batch order by 序号"));
        std::vector<std::string> codes;
        RowHandler handler{nullptr, [&](const std::vector<std::string>& cells) {
                               codes.push_back(cells[1]);
                               return codes.size() < 5;
                           }};
        Status status = client.source.read(handler);
        ASSERT_TRUE(status.ok()) << client.name << ": " << status.error();
        EXPECT_EQ(codes, (std::vector<std::string>{"TAV00001", "TAV00002", "TAV00003", "TAV00004",
                                                   "TAV00005"}))
            << client.name;

        client.setQuery("select count(*) from batch");
        auto count = client.source.readTable();
        ASSERT_TRUE(count.ok()) << client.name << ": " << count.error();
        EXPECT_EQ(count.value().rows, std::vector<std::vector<std::string>>{{"20"}}) << client.name;

        client.setQuery(gbk("select * from batch where 序号 > 100"));
        auto none = client.source.readTable();
        ASSERT_TRUE(none.ok()) << client.name << ": " << none.error();
        EXPECT_EQ(none.value().titles.size(), 3u) << client.name << ": titles even without rows";
        EXPECT_TRUE(none.value().rows.empty()) << client.name;
    }
}

TEST_F(DatabaseSource, MySqlReportsCharactersGbkCannotHold) {
    // An emoji and an ideograph of CJK Extension B, as utf8mb4 columns hold them, beside text
    // GBK holds, a binary string and a number, which come as they are.
    MySqlSource source(serverParams(),
                       gbk("select 1 as n, convert(unhex('E88BB9E69E9CF09F988020') using utf8mb4) "
                           "as 名称, convert(unhex('F0A08080') using utf8mb4) as 备注, "
                           "unhex('C6BB') as raw, 2.5 as price"));
    std::vector<std::vector<std::string>> rows;
    std::vector<std::pair<std::size_t, std::string>> lost;
    RowHandler handler{nullptr,
                       [&](const std::vector<std::string>& cells) {
                           rows.push_back(cells);
                           return true;
                       },
                       [&](std::size_t column, std::string_view character) {
                           lost.emplace_back(column, std::string(character));
                       }};
    const Status status = source.read(handler);
    ASSERT_TRUE(status.ok()) << status.error();
    const std::vector<std::vector<std::string>> expectedRows = {
        {"1", gbk("苹果") + "? ", "?", "\xC6\xBB", "2.5"}};
    EXPECT_EQ(rows, expectedRows);
    const std::vector<std::pair<std::size_t, std::string>> expectedLost = {{1, "\xF0\x9F\x98\x80"},
                                                                           {2, "\xF0\xA0\x80\x80"}};
    EXPECT_EQ(lost, expectedLost);
}

TEST_F(DatabaseSource, FailuresGiveClearTextsWithoutThePassword) {
    MySqlParams wrong = serverParams();
    wrong.password = "Wrong-Pa55word";
    MySqlParams closedPort = serverParams();
    closedPort.port = 1;
    closedPort.password = "Closed-Pa55word";
    MySqlParams good = serverParams();

    struct Case {
        int row;
        const char* what;
        std::unique_ptr<DataSource> source;
        std::string secret;
        std::string expected;
    };
    Case cases[] = {
        {1, "MySQL, wrong password", std::make_unique<MySqlSource>(wrong, "select 1"),
         wrong.password, "Access denied"},
        {2, "ODBC, wrong password", std::make_unique<OdbcSource>(odbcConnection(wrong), "select 1"),
         wrong.password, "Access denied"},
        {3, "MySQL, nothing listening", std::make_unique<MySqlSource>(closedPort, "select 1"),
         closedPort.password, "cannot connect to MySQL at 127.0.0.1:1"},
        {4, "ODBC, unknown driver",
         std::make_unique<OdbcSource>("DRIVER={No Such Driver};PWD=" + wrong.password, "select 1"),
         wrong.password, "cannot connect through ODBC"},
        {5, "MySQL, bad SQL", std::make_unique<MySqlSource>(good, "select * from no_such_table"),
         good.password, "no_such_table"},
        {6, "ODBC, bad SQL",
         std::make_unique<OdbcSource>(odbcConnection(good), "select * from no_such_table"),
         good.password, "no_such_table"},
        {7, "MySQL, a GBK name in the server's message",
         std::make_unique<MySqlSource>(good, gbk("select * from 表")), good.password, "tavtest.表"},
        {8, "ODBC, a GBK name in the driver's message",
         std::make_unique<OdbcSource>(odbcConnection(good), gbk("select * from 表")), good.password,
         "tavtest.表"},
        {9, "MySQL, a password the server echoes back",
         std::make_unique<MySqlSource>(good, "select * from `" + good.password + "`"),
         good.password, "***"},
    };
    for (Case& c : cases) {
        auto started = std::chrono::steady_clock::now();
        auto result = c.source->readTable();
        ASSERT_FALSE(result.ok()) << "row " << c.row << " (" << c.what << ")";
        EXPECT_NE(result.error().find(c.expected), std::string::npos)
            << "row " << c.row << " (" << c.what << "): " << result.error();
        EXPECT_EQ(result.error().find(c.secret), std::string::npos)
            << "row " << c.row << " (" << c.what << "): " << result.error();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10))
            << "row " << c.row;
    }
}

TEST(MySqlParams, ReadFromAConnectionString) {
    auto params = MySqlParams::fromConnectionString(
        "server=db.local;Port=3307;UID=tav;PWD={p;w};DATABASE=" + gbk("库"));
    ASSERT_TRUE(params.ok()) << params.error();
    EXPECT_EQ(params.value().address, "db.local");
    EXPECT_EQ(params.value().port, 3307u);
    EXPECT_EQ(params.value().user, "tav");
    EXPECT_EQ(params.value().password, "p;w");
    EXPECT_EQ(params.value().database, gbk("库"));
    EXPECT_FALSE(MySqlParams::fromConnectionString("PORT=x").ok());
    auto unknown = MySqlParams::fromConnectionString("PASWORD=secret");
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error().find("secret"), std::string::npos) << unknown.error();
}

} // namespace
} // namespace tav::data
