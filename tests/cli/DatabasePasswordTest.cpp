#include "cli/DatabasePassword.h"

#include "datasource/SqlDataConfig.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace tav::cli {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// A user whose sqldata.conf (in $XDG_CONFIG_HOME/tav) holds the designer's saved connections.
class DatabasePasswordTest : public ::testing::Test {
protected:
    DatabasePasswordTest()
        : m_config("XDG_CONFIG_HOME", m_folder.path().c_str()),
          m_variable(kPasswordVariable, nullptr) {
        std::filesystem::create_directories(m_folder.file("tav"));
        data::MySqlSettings mySql;
        mySql.address = "db.example";
        mySql.user = "label";
        mySql.password = "stored-mysql";
        mySql.port = "3307";
        data::SqlServerSettings server;
        server.address = "mssql.example";
        server.user = "sa";
        server.password = "stored-mssql";
        EXPECT_TRUE(data::saveMySqlConnection(userConfig(), mySql).ok());
        EXPECT_TRUE(data::saveSqlServerConnection(userConfig(), server).ok());
    }
    std::string userConfig() const { return m_folder.file("tav/sqldata.conf"); }

    test::TempFolder m_folder;
    ScopedVariable m_config;
    ScopedVariable m_variable;
};

TEST_F(DatabasePasswordTest, ComesFromTheSavedConnectionOfTheSameServerAndUserOnly) {
    const struct {
        int row;
        DatabaseKind kind;
        const char* connection;
        std::optional<std::string> password;
    } cases[] = {
        {1, DatabaseKind::MySql, "SERVER=db.example;PORT=3307;UID=label;DATABASE=shop",
         "stored-mysql"},
        {2, DatabaseKind::MySql, "host=DB.example;port=3307;user=label", "stored-mysql"},
        {3, DatabaseKind::MySql, "SERVER=other.example;PORT=3307;UID=label", std::nullopt},
        {4, DatabaseKind::MySql, "SERVER=db.example;PORT=3307;UID=root", std::nullopt},
        {5, DatabaseKind::MySql, "SERVER=db.example;UID=label", std::nullopt}, // port 3306
        {6, DatabaseKind::MySql, "UID=label", std::nullopt},                   // no server
        {7, DatabaseKind::Odbc, "DRIVER={FreeTDS};SERVER=mssql.example;UID=sa", "stored-mssql"},
        {8, DatabaseKind::Odbc, "DRIVER={FreeTDS};SERVER=db.example;UID=label", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const auto found = findDatabasePassword(c.kind, c.connection, std::nullopt);
        EXPECT_EQ(found.password, c.password);
        EXPECT_TRUE(found.warnings.empty());
        EXPECT_TRUE(found.error.empty());
    }
}

TEST_F(DatabasePasswordTest, TheEnvironmentComesBeforeTheFile) {
    ScopedVariable variable(kPasswordVariable, "from-env");
    const auto found =
        findDatabasePassword(DatabaseKind::MySql, "SERVER=db.example;PORT=3307;UID=label", {});
    EXPECT_EQ(found.password, "from-env");
}

TEST_F(DatabasePasswordTest, OneInTheConnectionStringIsKeptWithAWarning) {
    ScopedVariable variable(kPasswordVariable, "from-env");
    for (const char* connection : {"SERVER=db.example;UID=label;PWD=typed", "PASSWORD=typed"}) {
        const auto found = findDatabasePassword(DatabaseKind::Odbc, connection, {});
        EXPECT_EQ(found.password, std::nullopt) << connection;
        ASSERT_EQ(found.warnings.size(), 1u) << connection;
        EXPECT_NE(found.warnings[0].find("process list"), std::string::npos);
        EXPECT_EQ(found.warnings[0].find("typed"), std::string::npos) << "never repeated";
    }
}

TEST_F(DatabasePasswordTest, AGivenFileIsUsedInsteadOfTheUsersAndMustExist) {
    const auto other = m_folder.file("other.conf");
    data::MySqlSettings mySql;
    mySql.address = "db.example";
    mySql.user = "label";
    mySql.port = "3307";
    mySql.password = "from-other-file";
    ASSERT_TRUE(data::saveMySqlConnection(other, mySql).ok());
    const char* connection = "SERVER=db.example;PORT=3307;UID=label";
    EXPECT_EQ(findDatabasePassword(DatabaseKind::MySql, connection, other).password,
              "from-other-file");

    const auto missing =
        findDatabasePassword(DatabaseKind::MySql, connection, m_folder.file("missing.conf"));
    EXPECT_EQ(missing.password, std::nullopt);
    EXPECT_NE(missing.error.find("missing.conf"), std::string::npos) << missing.error;
}

TEST_F(DatabasePasswordTest, WithoutAnySourceThereIsNone) {
    std::filesystem::remove(userConfig());
    // ctest gives the test no terminal, so nothing is asked.
    const auto found = findDatabasePassword(DatabaseKind::MySql, "SERVER=db.example;UID=x", {});
    EXPECT_EQ(found.password, std::nullopt);
    EXPECT_TRUE(found.error.empty());
}

} // namespace
} // namespace tav::cli
