#include "datasource/XlsSource.h"
#include "platform/Charset.h"
#include "support/Fifo.h"
#include "support/RowCollector.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace tav::data {
namespace {

// Fixtures written by tests/data/datasource/make_xls_fixtures.py.
std::string fixture(const std::string& name) {
    return std::string(TAV_DATASOURCE_DATA) + "/" + name;
}

std::string gbk(std::string_view utf8) {
    return platform::utf8ToGbk(utf8).value();
}

TEST(XlsSource, ReadsEveryColumnOfAWideSheetAsGbkText) {
    XlsSource source(fixture("wide.xls"));
    auto result = source.readTable();
    ASSERT_TRUE(result.ok()) << result.error();
    const Table& table = result.value();
    ASSERT_EQ(table.titles.size(), 60u);
    EXPECT_EQ(table.titles[0], gbk("名称"));
    EXPECT_EQ(table.titles[6], gbk("备注"));
    // Past column 52 (AZ), where naming columns by at most two letters would go wrong.
    EXPECT_EQ(table.titles[52], gbk("列53"));
    EXPECT_EQ(table.titles[59], gbk("列60"));
    ASSERT_EQ(table.rows.size(), 3u);

    struct Cell {
        int row;    // data row, 1-based
        int column; // 0-based
        std::string expected;
        const char* what;
    };
    const Cell cells[] = {
        {1, 0, gbk("苹果"), "Chinese text"},
        {3, 0, gbk("长文本，有逗号"), "text with a full-width comma"},
        {1, 1, "1000", "integer without a decimal point"},
        {1, 2, "3.5", "fraction"},
        {2, 2, "0.1", "fraction that binary cannot hold exactly"},
        {3, 2, "1234567.125", "fraction with many digits"},
        {1, 3, "2024-01-01", "date"},
        {2, 4, "2024-02-29 13:45:02", "date and time"},
        {3, 5, "08:30:03", "time"},
        {1, 6, "emoji ? here", "a character GBK lacks"},
        {2, 6, "", "empty cell"},
        {1, 52, "R1C53", "column 53"},
        {3, 59, "R3C60", "last column"},
    };
    for (const Cell& c : cells)
        EXPECT_EQ(table.rows[c.row - 1][c.column], c.expected)
            << c.what << " at row " << c.row << ", column " << c.column;
    for (const auto& row : table.rows)
        EXPECT_EQ(row.size(), 60u);
}

TEST(XlsSource, ReportsSheetsAndFilesItCannotUse) {
    test::TempFolder folder;
    std::string notXls = folder.write("text.xls", {'n', 'o', 't', ' ', 'x', 'l', 's', '\n'});
    struct Case {
        int row;
        std::string path;
        std::string expectedError;
    };
    const Case cases[] = {
        {1, fixture("header_only.xls"), std::string(kNoDataMessage)},
        {2, fixture("empty.xls"), std::string(kNoDataMessage)},
        {3, notXls, "not an Excel 97-2003 workbook"},
        {4, folder.file("missing.xls"), "does not exist"},
        {5, fixture("protected.xls"), "protected with a password"},
        {6, folder.path(), "it is a folder"},
        {7, "/dev/zero", "not a regular file"},
    };
    for (const Case& c : cases) {
        XlsSource source(c.path);
        auto result = source.readTable();
        ASSERT_FALSE(result.ok()) << "row " << c.row;
        EXPECT_NE(result.error().find(c.expectedError), std::string::npos)
            << "row " << c.row << ": " << result.error();
        // Only a sheet without data rows is "no data", which the user is informed of rather
        // than warned.
        EXPECT_EQ(isNoData(result.status()), c.expectedError == kNoDataMessage) << "row " << c.row;
    }
}

// FreeXL opens the path itself; a FIFO would keep it waiting for a writer.
TEST(XlsSource, RefusesAFifoWithoutWaiting) {
    test::TempFolder folder;
    const auto fifo = folder.file("rows.xls");
    ASSERT_TRUE(test::makeFifo(fifo));
    Result<Table> table = Table{};
    EXPECT_TRUE(test::returnsWithoutWaitingOn(fifo, [&] { table = XlsSource(fifo).readTable(); }));
    ASSERT_FALSE(table.ok());
    EXPECT_NE(table.error().find("not a regular file"), std::string::npos) << table.error();
}

// FreeXL 1.0.6 reads out of bounds on some damaged workbooks (seen under AddressSanitizer, in
// its character set conversion), so these run only in the normal build, where each must give
// an error and print nothing.
TEST(XlsSource, DamagedWorkbooksGiveAnError) {
#ifdef TAV_SANITIZE_BUILD
    GTEST_SKIP() << "FreeXL's own faults on damaged files trip the sanitizers";
#endif
    const char* files[] = {"damaged_truncated.xls", "damaged_strings.xls", "damaged_codepage.xls"};
    for (const char* file : files) {
        XlsSource source(fixture(file));
        int rows = 0;
        RowHandler handler{nullptr, [&](const std::vector<std::string>&) {
                               ++rows;
                               return true;
                           }};
        Status status = source.read(handler);
        ASSERT_FALSE(status.ok()) << file;
        EXPECT_NE(status.error().find("it is damaged"), std::string::npos) << status.error();
        EXPECT_EQ(rows, 0) << file;
    }
}

TEST(XlsSource, ReadsOnlyTheFirstSheet) {
    XlsSource source(fixture("two_sheets.xls"));
    auto result = source.readTable();
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result.value().titles, std::vector<std::string>{gbk("条码")});
    EXPECT_EQ(result.value().rows, std::vector<std::vector<std::string>>{{"6901234567892"}});
}

TEST(XlsSource, StreamsRowsAndStopsWhenAsked) {
    XlsSource source(fixture("wide.xls"));
    std::size_t titles = 0;
    std::vector<std::string> firstCells;
    int rows = 0;
    RowHandler handler{[&](const std::vector<std::string>& t) {
                           titles = t.size();
                           return true;
                       },
                       [&](const std::vector<std::string>& cells) {
                           firstCells.push_back(cells[0]);
                           return ++rows < 2;
                       }};
    ASSERT_TRUE(source.read(handler).ok());
    EXPECT_EQ(titles, 60u);
    EXPECT_EQ(firstCells, (std::vector<std::string>{gbk("苹果"), gbk("香蕉")}));
}

TEST(XlsSource, ReportsCellCharactersGbkCannotHold) {
    XlsSource source(fixture("wide.xls"));
    test::RowCollector rows;
    ASSERT_TRUE(source.read(rows.handler()).ok());
    // The emoji of column 7 in the first and the third data row.
    EXPECT_EQ(rows.events, (std::vector<std::string>{"6:\xF0\x9F\x98\x80", "row", "row",
                                                     "6:\xF0\x9F\x98\x80", "row"}));
}

} // namespace
} // namespace tav::data
