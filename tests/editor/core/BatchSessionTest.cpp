// The batch window's session without the window: both database tabs through one descriptor each,
// against the MariaDB server that scripts/services starts (MariaDB's ODBC driver stands in for
// FreeTDS on the SQL Server tab), and the file sources.
#include "editor/core/BatchSession.h"

#include "datasource/SqlDataConfig.h"
#include "platform/Charset.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tav::editor {
namespace {

std::string env(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

std::string gbk(const std::string& utf8) {
    return platform::utf8ToGbk(utf8).value();
}

class BatchSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder =
            std::filesystem::temp_directory_path() /
            ("tav-batch-session-" +
             std::to_string(::testing::UnitTest::GetInstance()->current_test_info()->line()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    BatchSessionSetup setup() const {
        BatchSessionSetup s;
        s.settingsFiles = {(m_folder / "user.conf").string(), (m_folder / "beside.conf").string()};
        s.sqlServerConnection = [](const data::SqlServerSettings& fields) {
            return "DRIVER={" + env("TAV_ODBC_DRIVER", "MariaDB Unicode") +
                   "};SERVER=" + fields.address + ";PORT=" + env("TAV_MYSQL_PORT", "3306") +
                   ";DATABASE=" + fields.database + ";UID=" + fields.user + ";PWD={" +
                   fields.password + "};CHARSET=gbk";
        };
        return s;
    }

    // The fields that reach the test server through `tab`.
    static DatabaseFields serverFields(const DatabaseTab& tab, const std::string& password) {
        return {env("TAV_MYSQL_HOST", "127.0.0.1"),
                env("TAV_MYSQL_DATABASE", "tavtest"),
                env("TAV_MYSQL_USER", "tav"),
                password,
                tab.hasPort ? env("TAV_MYSQL_PORT", "3306") : std::string(),
                "select * from batch"};
    }

    std::filesystem::path m_folder;
};

// Reads every row into a table.
data::RowHandler collect(data::Table& table) {
    data::RowHandler handler;
    handler.onTitles = [&table](const std::vector<std::string>& titles) {
        table.titles = titles;
        return true;
    };
    handler.onRow = [&table](const std::vector<std::string>& cells) {
        table.rows.push_back(cells);
        return true;
    };
    return handler;
}

TEST_F(BatchSessionTest, EachTabReadsItsOwnSectionWithItsDefaults) {
    struct Case {
        const DatabaseTab* tab;
        BatchSource source;
        std::string_view section;
        DatabaseFields defaults;
    };
    const Case cases[] = {
        {&kSqlServerTab,
         BatchSource::SqlServer,
         "Microsoft SQL Server",
         {"127.0.0.1", "test", "sa", "123456", "", "select * from test;"}},
        {&kMySqlTab,
         BatchSource::MySql,
         "MySQL",
         {"127.0.0.1", "test", "root", "123456", "3306", "select * from test;"}},
    };
    BatchSession session(setup());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section));
        EXPECT_EQ(c.tab->source, c.source);
        EXPECT_EQ(c.tab->section, c.section);
        EXPECT_EQ(c.tab->hasPort, !c.defaults.port.empty());
        EXPECT_EQ(session.savedFields(*c.tab), c.defaults);
        EXPECT_FALSE(session.isConnected(*c.tab));
        data::Table table;
        EXPECT_FALSE(session.execute(*c.tab, "select 1", collect(table)).ok());
    }

    // What the file says for one section leaves the other tab's defaults.
    data::MySqlSettings mySql;
    mySql.address = "10.9.8.7";
    mySql.port = "3307";
    ASSERT_TRUE(data::saveMySqlConnection(setup().settingsFiles, mySql).ok());
    EXPECT_EQ(session.savedFields(kMySqlTab).address, "10.9.8.7");
    EXPECT_EQ(session.savedFields(kMySqlTab).port, "3307");
    EXPECT_EQ(session.savedFields(kSqlServerTab), cases[0].defaults);
}

TEST_F(BatchSessionTest, BothTabsConnectExecuteAndSaveTheSameWay) {
    const std::string password = env("TAV_MYSQL_PASSWORD", "tav-pw-4711");
    for (const DatabaseTab* tab : kDatabaseTabs) {
        SCOPED_TRACE(std::string(tab->section));
        std::filesystem::remove(setup().settingsFiles.user);
        BatchSession session(setup());

        // Wrong credentials: not connected, nothing saved.
        const auto refused = session.connect(*tab, serverFields(*tab, "not-the-pw-99"));
        EXPECT_FALSE(refused.connected.ok());
        EXPECT_FALSE(session.isConnected(*tab));
        EXPECT_FALSE(std::filesystem::exists(setup().settingsFiles.user));

        DatabaseFields fields = serverFields(*tab, password);
        const auto connected = session.connect(*tab, fields);
        ASSERT_TRUE(connected.connected.ok()) << connected.connected.error();
        EXPECT_TRUE(connected.saved.ok()) << connected.saved.error();
        EXPECT_TRUE(session.isConnected(*tab));
        // The connection is saved with the password, the query not yet.
        DatabaseFields saved = session.savedFields(*tab);
        EXPECT_EQ(saved.user, fields.user);
        EXPECT_EQ(saved.password, password);
        EXPECT_EQ(saved.port, fields.port);
        EXPECT_EQ(saved.sql, "select * from test;");

        // A statement the server refuses is not saved; one that runs is, and gives the rows.
        data::Table table;
        EXPECT_FALSE(session.execute(*tab, "select * from no_such_table", collect(table)).ok());
        EXPECT_EQ(session.savedFields(*tab).sql, "select * from test;");
        const std::string sql = gbk("select 序号, 名称 from batch order by 序号");
        const Status ran = session.execute(*tab, sql, collect(table));
        ASSERT_TRUE(ran.ok()) << ran.error();
        EXPECT_EQ(table.titles, (std::vector<std::string>{gbk("序号"), gbk("名称")}));
        ASSERT_EQ(table.rows.size(), 20u);
        EXPECT_EQ(table.rows[1], (std::vector<std::string>{"2", gbk("商品2")}));
        EXPECT_EQ(session.savedFields(*tab).sql, sql);

        session.close();
        EXPECT_FALSE(session.isConnected(*tab));
    }
}

TEST_F(BatchSessionTest, AMySqlPortThatIsNoNumberConnectsNowhere) {
    BatchSession session(setup());
    for (const char* port : {"", "abc", "0", "70000"}) {
        SCOPED_TRACE(port);
        DatabaseFields fields = serverFields(kMySqlTab, "x");
        fields.port = port;
        const auto outcome = session.connect(kMySqlTab, fields);
        EXPECT_FALSE(outcome.connected.ok());
        EXPECT_NE(outcome.connected.error().find("is not a number from 1 to 65535"),
                  std::string::npos)
            << outcome.connected.error();
        EXPECT_FALSE(session.isConnected(kMySqlTab));
    }
}

TEST_F(BatchSessionTest, FilesAreReadWithTheCharactersGbkCannotHoldNamed) {
    const std::string csv = (m_folder / "rows.csv").string();
    std::ofstream(csv) << "序号,名称\n1,苹果\n2,笑😀\n";
    data::Table table;
    data::RowHandler handler = collect(table);
    std::vector<std::pair<std::size_t, std::string>> unprintable;
    handler.onUnprintable = [&](std::size_t column, std::string_view character) {
        unprintable.emplace_back(column, std::string(character));
    };
    const Status read =
        BatchSession::readFile(BatchSource::Csv, csv, data::CsvEncoding::Utf8, handler);
    ASSERT_TRUE(read.ok()) << read.error();
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[1][1], gbk("笑") + "?");
    EXPECT_EQ(unprintable, (std::vector<std::pair<std::size_t, std::string>>{{1, "😀"}}));

    EXPECT_FALSE(BatchSession::readFile(BatchSource::Excel, (m_folder / "none.xls").string(),
                                        data::CsvEncoding::Detect, collect(table))
                     .ok());
}

} // namespace
} // namespace tav::editor
