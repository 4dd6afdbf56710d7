// MySqlSource and OdbcSource against a real MariaDB server on loopback, started and filled by
// scripts/services (its header lists the tables and the TAV_MYSQL_* variables read here).
#include "datasource/MySqlSource.h"
#include "datasource/OdbcSource.h"
#include "platform/Charset.h"
#include "support/Command.h"
#include "support/RowCollector.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>

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
        const int rc = test::runCommand(command).exitCode;
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

// The two clients of the same server: every case below runs through both.
struct Client {
    const char* name;
    std::function<std::unique_ptr<DataSource>(const MySqlParams&, std::string sql)> make;
    std::function<void(DataSource&, std::string sql)> setQuery;
};

const std::vector<Client>& clients() {
    static const std::vector<Client> all = {
        {"MySQL",
         [](const MySqlParams& params, std::string sql) {
             return std::make_unique<MySqlSource>(params, std::move(sql));
         },
         [](DataSource& source, std::string sql) {
             static_cast<MySqlSource&>(source).setQuery(std::move(sql));
         }},
        {"ODBC",
         [](const MySqlParams& params, std::string sql) {
             return std::make_unique<OdbcSource>(odbcConnection(params), std::move(sql));
         },
         [](DataSource& source, std::string sql) {
             static_cast<OdbcSource&>(source).setQuery(std::move(sql));
         }},
    };
    return all;
}

TEST_F(DatabaseSource, BothClientsDeliverTheSameRowsAsGbk) {
    const Table expected = expectedLabels();
    for (const Client& client : clients()) {
        SCOPED_TRACE(client.name);
        auto source = client.make(serverParams(), gbk(kLabelsQuery));
        Status opened = source->open();
        ASSERT_TRUE(opened.ok()) << opened.error();
        auto table = source->readTable();
        ASSERT_TRUE(table.ok()) << table.error();
        EXPECT_EQ(table.value().titles, expected.titles);
        ASSERT_EQ(table.value().rows.size(), expected.rows.size());
        for (std::size_t i = 0; i < expected.rows.size(); ++i)
            EXPECT_EQ(table.value().rows[i], expected.rows[i]) << "row " << i + 1;
    }
}

TEST_F(DatabaseSource, StreamingStopsEarlyAndTheConnectionStaysUsable) {
    for (const Client& client : clients()) {
        SCOPED_TRACE(client.name);
        auto source = client.make(serverParams(), "");
        client.setQuery(*source, gbk("select 序号, 条码, 名称 from batch order by 序号"));
        std::vector<std::string> codes;
        RowHandler handler{nullptr, [&](const std::vector<std::string>& cells) {
                               codes.push_back(cells[1]);
                               return codes.size() < 5;
                           }};
        Status status = source->read(handler);
        ASSERT_TRUE(status.ok()) << status.error();
        EXPECT_EQ(codes, (std::vector<std::string>{"TAV00001", "TAV00002", "TAV00003", "TAV00004",
                                                   "TAV00005"}));

        client.setQuery(*source, "select count(*) from batch");
        auto count = source->readTable();
        ASSERT_TRUE(count.ok()) << count.error();
        EXPECT_EQ(count.value().rows, std::vector<std::vector<std::string>>{{"20"}});

        client.setQuery(*source, gbk("select * from batch where 序号 > 100"));
        auto none = source->readTable();
        ASSERT_TRUE(none.ok()) << none.error();
        EXPECT_EQ(none.value().titles.size(), 3u) << "titles even without rows";
        EXPECT_TRUE(none.value().rows.empty());
    }
}

TEST_F(DatabaseSource, MySqlReportsCharactersGbkCannotHold) {
    // An emoji and an ideograph of CJK Extension B, as utf8mb4 columns hold them, beside text
    // GBK holds, a binary string and a number, which come as they are.
    MySqlSource source(serverParams(),
                       gbk("select 1 as n, convert(unhex('E88BB9E69E9CF09F988020') using utf8mb4) "
                           "as 名称, convert(unhex('F0A08080') using utf8mb4) as 备注, "
                           "unhex('C6BB') as raw, 2.5 as price"));
    test::RowCollector collected;
    const Status status = source.read(collected.handler());
    ASSERT_TRUE(status.ok()) << status.error();
    const std::vector<std::vector<std::string>> expectedRows = {
        {"1", gbk("苹果") + "? ", "?", "\xC6\xBB", "2.5"}};
    EXPECT_EQ(collected.table.rows, expectedRows);
    EXPECT_EQ(collected.events,
              (std::vector<std::string>{"1:\xF0\x9F\x98\x80", "2:\xF0\xA0\x80\x80", "row"}));
}

TEST_F(DatabaseSource, FailuresGiveClearTextsWithoutThePassword) {
    struct Case {
        int row;
        const char* what;
        std::function<void(MySqlParams&)> change;
        std::string sql;
        const char* expected[2]; // MySQL, ODBC
    };
    const std::string echoed = serverParams().password;
    const Case cases[] = {
        {1,
         "wrong password",
         [](MySqlParams& p) { p.password = "Wrong-Pa55word"; },
         "select 1",
         {"Access denied", "Access denied"}},
        {2,
         "nothing listening",
         [](MySqlParams& p) {
             p.port = 1;
             p.password = "Closed-Pa55word";
         },
         "select 1",
         {"cannot connect to MySQL at 127.0.0.1:1", "cannot connect through ODBC"}},
        {3, "bad SQL", nullptr, "select * from no_such_table", {"no_such_table", "no_such_table"}},
        {4,
         "a GBK name in the server's message",
         nullptr,
         gbk("select * from 表"),
         {"tavtest.表", "tavtest.表"}},
        {5,
         "a password the server echoes back",
         nullptr,
         "select * from `" + echoed + "`",
         {"***", "***"}},
    };
    for (const Case& c : cases) {
        for (std::size_t k = 0; k < clients().size(); ++k) {
            const Client& client = clients()[k];
            SCOPED_TRACE(testing::Message()
                         << "row " << c.row << " (" << c.what << "), " << client.name);
            MySqlParams params = serverParams();
            if (c.change)
                c.change(params);
            const auto started = std::chrono::steady_clock::now();
            auto result = client.make(params, c.sql)->readTable();
            ASSERT_FALSE(result.ok());
            EXPECT_NE(result.error().find(c.expected[k]), std::string::npos) << result.error();
            EXPECT_EQ(result.error().find(params.password), std::string::npos) << result.error();
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        }
    }

    // A driver the ODBC manager does not know.
    const std::string secret = "Wrong-Pa55word";
    auto unknown = OdbcSource("DRIVER={No Such Driver};PWD=" + secret, "select 1").readTable();
    ASSERT_FALSE(unknown.ok());
    EXPECT_NE(unknown.error().find("cannot connect through ODBC"), std::string::npos)
        << unknown.error();
    EXPECT_EQ(unknown.error().find(secret), std::string::npos) << unknown.error();
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
