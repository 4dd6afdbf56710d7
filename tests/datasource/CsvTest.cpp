#include "datasource/CsvParser.h"
#include "datasource/CsvSource.h"
#include "platform/Charset.h"
#include "support/Fifo.h"
#include "support/RowCollector.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tav::data {
namespace {

using Records = std::vector<std::vector<std::string>>;

Records parseAll(std::string_view input, std::size_t blockSize, Status* status = nullptr) {
    Records records;
    CsvParser parser([&](std::vector<std::string>& fields, std::size_t) {
        records.push_back(fields);
        return true;
    });
    for (std::size_t at = 0; at < input.size(); at += blockSize)
        parser.feed(input.substr(at, blockSize));
    Status finished = parser.finish();
    if (status)
        *status = finished;
    return records;
}

std::string gbk(std::string_view utf8) {
    return platform::utf8ToGbk(utf8).value();
}

struct ParseCase {
    int row;
    const char* source; // where the case comes from
    std::string input;
    Records expected;
};

TEST(CsvParser, SplitsRecordsAsRfc4180SaysWhateverTheBlockSize) {
    const ParseCase cases[] = {
        {1, "RFC 4180 2.1", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
        {2, "RFC 4180 2.2: no break after the last record", "a,b\r\nc,d", {{"a", "b"}, {"c", "d"}}},
        {3, "RFC 4180 2.6: comma inside quotes", "\"a,b\",c\n", {{"a,b", "c"}}},
        {4,
         "RFC 4180 2.6: CRLF inside quotes",
         "\"line 1\r\nline 2\",x\r\n",
         {{"line 1\r\nline 2", "x"}}},
        {5, "RFC 4180 2.7: doubled quote", "\"say \"\"hi\"\"\",\"\"\"\"\n", {{"say \"hi\"", "\""}}},
        {6, "LF line ends (Unix)", "a\nb\n", {{"a"}, {"b"}}},
        {7, "lone CR line ends (old Mac)", "a,b\rc,d\r", {{"a", "b"}, {"c", "d"}}},
        {8, "empty fields, leading and trailing", ",a,\n", {{"", "a", ""}}},
        {9, "blank lines are skipped", "a\r\n\r\n\nb\n", {{"a"}, {"b"}}},
        {10, "a quoted empty field is a record", "\"\"\n", {{""}}},
        {11, "text after a closing quote joins the field", "\"ab\"c,d\n", {{"abc", "d"}}},
        {12, "a quote inside an unquoted field is a character", "a\"b,c\n", {{"a\"b", "c"}}},
        {13,
         "GBK bytes pass through unchanged",
         gbk("名称,数\n值,表\n"),
         {{gbk("名称"), gbk("数")}, {gbk("值"), gbk("表")}}},
        {14, "empty input", "", {}},
        {15, "spaces belong to the field", " a , b \n", {{" a ", " b "}}},
    };
    for (const ParseCase& c : cases) {
        for (std::size_t blockSize :
             {c.input.size() + 1, std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
            Status status = Status::success();
            EXPECT_EQ(parseAll(c.input, blockSize, &status), c.expected)
                << "row " << c.row << " (" << c.source << "), blocks of " << blockSize;
            EXPECT_TRUE(status.ok()) << "row " << c.row << ": " << status.error();
        }
    }
}

TEST(CsvParser, UnclosedQuoteIsAnErrorNamingTheLineItStartsOn) {
    Status status = Status::success();
    parseAll("a,b\r\nc,\"open\r\nstill open\n", 4, &status);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().find("line 2"), std::string::npos) << status.error();
}

TEST(CsvParser, ReportsTheLineEachRecordStartsOn) {
    std::vector<std::size_t> lines;
    CsvParser parser([&](std::vector<std::string>&, std::size_t line) {
        lines.push_back(line);
        return true;
    });
    parser.feed("a\r\n\"x\r\ny\"\r\n\r\nb\nc");
    ASSERT_TRUE(parser.finish().ok());
    EXPECT_EQ(lines, (std::vector<std::size_t>{1, 2, 5, 6}));
}

struct ReadOutcome {
    Status status = Status::success();
    Table table;
};

ReadOutcome readText(std::string_view text, CsvEncoding encoding = CsvEncoding::Detect) {
    test::RowCollector rows;
    const Status status = readCsvText(text, encoding, rows.handler());
    return {status, rows.table};
}

TEST(CsvRowReader, ReportsCellCharactersGbkCannotHold) {
    // An emoji and a Hangul syllable in cells; an emoji in a title is only replaced (a title names
    // a mark, and GBK marks cannot hold it either).
    const std::string text = "名称,\xF0\x9F\x98\x80,价格\n苹果\xF0\x9F\x98\x80,x,\xED\x95\x9C"
                             "9\n"
                             "香蕉,y,8\n";
    test::RowCollector collected;
    ASSERT_TRUE(readCsvText(text, CsvEncoding::Utf8, collected.handler()).ok());
    const Table& table = collected.table;
    EXPECT_EQ(collected.events,
              (std::vector<std::string>{"0:\xF0\x9F\x98\x80", "2:\xED\x95\x9C", "row", "row"}));
    EXPECT_EQ(table.titles, (std::vector<std::string>{gbk("名称"), "?", gbk("价格")}));
    EXPECT_EQ(table.rows[0], (std::vector<std::string>{gbk("苹果") + "?", "x", "?9"}));
}

struct ReadCase {
    int row;
    const char* source;
    std::string input;
    CsvEncoding encoding;
    Table expected;
};

TEST(CsvRowReader, GivesGbkTitlesAndRowsOfTheTitleRowsWidth) {
    const std::string bom = "\xEF\xBB\xBF";
    const ReadCase cases[] = {
        {1,
         "UTF-8 with a byte order mark (Excel's \"CSV UTF-8\")",
         bom + "名称,条码\r\n苹果,690\r\n",
         CsvEncoding::Detect,
         {{gbk("名称"), gbk("条码")}, {{gbk("苹果"), "690"}}}},
        {2,
         "UTF-8 without a mark",
         "名称,条码\n香蕉,691\n",
         CsvEncoding::Detect,
         {{gbk("名称"), gbk("条码")}, {{gbk("香蕉"), "691"}}}},
        {3,
         "GBK (Excel's plain CSV on a Chinese Windows)",
         gbk("名称,条码\r\n苹果,690\r\n"),
         CsvEncoding::Detect,
         {{gbk("名称"), gbk("条码")}, {{gbk("苹果"), "690"}}}},
        {4, "a character GBK lacks becomes '?'", "a\n😀x\n", CsvEncoding::Detect, {{"a"}, {{"?x"}}}},
        {5,
         "a short row is filled up with empty cells",
         "a,b,c\n1\n",
         CsvEncoding::Detect,
         {{"a", "b", "c"}, {{"1", "", ""}}}},
        {6,
         "empty fields past the titles are dropped",
         "a,b\n1,2,,\n",
         CsvEncoding::Detect,
         {{"a", "b"}, {{"1", "2"}}}},
        {7,
         "explicit GBK keeps bytes that happen to be UTF-8",
         "\xC3\xA9\n\xC3\xA9\n",
         CsvEncoding::Gbk,
         {{"\xC3\xA9"}, {{"\xC3\xA9"}}}},
        {8,
         "explicit UTF-8",
         "\xC3\xA9\n\xE4\xB8\xAD\n",
         CsvEncoding::Utf8,
         {{gbk("é")}, {{gbk("中")}}}},
        {9,
         "ASCII only, no final line break",
         "code\nA-1",
         CsvEncoding::Detect,
         {{"code"}, {{"A-1"}}}},
    };
    for (const ReadCase& c : cases) {
        ReadOutcome outcome = readText(c.input, c.encoding);
        ASSERT_TRUE(outcome.status.ok())
            << "row " << c.row << " (" << c.source << "): " << outcome.status.error();
        EXPECT_EQ(outcome.table.titles, c.expected.titles)
            << "row " << c.row << " (" << c.source << ")";
        EXPECT_EQ(outcome.table.rows, c.expected.rows)
            << "row " << c.row << " (" << c.source << ")";
    }
}

TEST(CsvRowReader, RefusesInputItCannotReadRight) {
    struct Case {
        int row;
        std::string input;
        CsvEncoding encoding;
        std::string expectedError;
    };
    const Case cases[] = {
        {1, "a,b\n1,2,3\n", CsvEncoding::Detect, "line 2 has 3 fields, but the title row has 2"},
        {2, "a,b\n1,2\n", CsvEncoding::Detect,
         ""}, // control: the same shape without the extra field
        {3, "名称\n苹果\n" + gbk("香蕉") + "\n", CsvEncoding::Utf8, "line 3 is not UTF-8"},
        {8, "a\n" + std::string(9, 'x') + "\n", CsvEncoding::Detect, ""},
        {4, "名称,条码\n", CsvEncoding::Detect, std::string(kNoDataMessage)},
        {5, "", CsvEncoding::Detect, "no title row"},
        {6, "\r\n\n", CsvEncoding::Detect, "no title row"},
        {7, "a\n\"open\n", CsvEncoding::Detect, "line 2 has no closing quote"},
    };
    for (const Case& c : cases) {
        ReadOutcome outcome = readText(c.input, c.encoding);
        if (c.expectedError.empty()) {
            EXPECT_TRUE(outcome.status.ok()) << "row " << c.row << ": " << outcome.status.error();
            continue;
        }
        ASSERT_FALSE(outcome.status.ok()) << "row " << c.row;
        EXPECT_NE(outcome.status.error().find(c.expectedError), std::string::npos)
            << "row " << c.row << ": " << outcome.status.error();
        EXPECT_EQ(isNoData(outcome.status), c.expectedError == kNoDataMessage) << "row " << c.row;
    }
}

// Which encoding a file without a stated one is read in, and what a stated one does. Each
// row's cells are GBK; `note` says whether the choice was a preference between two readings.
TEST(CsvEncoding, ReadsEachFileInTheEncodingThatFitsEveryLine) {
    struct Case {
        int row;
        const char* source;
        std::string input;
        CsvEncoding encoding;
        std::string expectedCell; // the first data row's first cell; empty: an error is expected
        std::string expected;     // a part of the note (or "" for none) or of the error
    };
    const std::string bom = "\xEF\xBB\xBF";
    const std::string moutai = "\xC3\xA9\xCC\xA8"; // 茅台 in GBK; also "é" + U+0328 in UTF-8
    std::string longUtf8 = "名称\n";
    for (int i = 0; i < 3000; ++i)
        longUtf8 += "苹果汁\n"; // the stray byte below lies in the first 64 KiB
    const Case cases[] = {
        {1, "issue 10: short GBK that is also UTF-8", "name\n" + moutai + "\n", CsvEncoding::Detect,
         moutai, "read as GBK"},
        {2, "issue 10: Latin accents in UTF-8 read as Chinese in GBK", "name\nCaf\xC3\xA9\n",
         CsvEncoding::Detect, "Caf\xC3\xA9", "read as GBK"},
        {3, "the same bytes, stated as UTF-8", "name\nCaf\xC3\xA9\n", CsvEncoding::Utf8,
         "Caf" + gbk("é"), ""},
        {4, "UTF-8 Chinese, no mark, GBK cannot read it", "名称\n苹果汁\n", CsvEncoding::Detect,
         gbk("苹果汁"), ""},
        {5, "GBK Chinese that is not UTF-8", gbk("名称\n苹果汁\n"), CsvEncoding::Detect,
         gbk("苹果汁"), ""},
        {6, "the byte order mark decides", bom + "name\n" + moutai + "\n", CsvEncoding::Detect,
         gbk("é") + "?", ""},
        {7, "ASCII only", "name\nA-1\n", CsvEncoding::Detect, "A-1", ""},
        {8, "issue 10: one stray byte far down a UTF-8 file", longUtf8 + "\xFF\n",
         CsvEncoding::Detect, "", "line 3002 is not UTF-8"},
        {9, "a stray byte in a file with a byte order mark", bom + "a\nb\n\xC3\n",
         CsvEncoding::Detect, "", "line 3 is not UTF-8 text, though the file starts with"},
        {10, "GBK stated, a byte no GBK character starts with", "a\n\xFF\n", CsvEncoding::Gbk, "",
         "line 2 is not GBK text"},
        {11, "GBK stated, a user-defined GBK code", "a\nb\n\xAA\xA1\n", CsvEncoding::Gbk, "",
         "line 3 is not GBK text"},
        {12, "GBK stated for a file with the UTF-8 mark", bom + "a\nb\n", CsvEncoding::Gbk, "",
         "byte order mark"},
        {13, "UTF-8 stated, GBK text", gbk("名称\n苹果\n"), CsvEncoding::Utf8, "",
         "line 1 is not UTF-8 text"},
        {14, "UTF-16 (Excel's \"Unicode text\")", "\xFF\xFEn\0a\0\n\0", CsvEncoding::Detect, "",
         "UTF-16"},
        {15, "a character cut off by the end", "a\nb\xE4\xB8", CsvEncoding::Utf8, "",
         "line 2 is not UTF-8"},
        {16, "GBK of traditional characters (outside GB2312)", gbk("名稱\n蘋果\n"),
         CsvEncoding::Detect, gbk("蘋果"), ""},
        {17, "GBK with one line that is also UTF-8", gbk("名称\n茅台\n"), CsvEncoding::Detect,
         gbk("茅台"), ""},
        {18, "UTF-8 that is GBK as a whole, one line not UTF-8",
         "名称\n商品1\n商品2\n商品3\n\xB8\xF6\n", CsvEncoding::Detect, "",
         "line 5 is not UTF-8 text, though most lines are"},
    };
    for (const Case& c : cases) {
        ReadOutcome outcome;
        test::RowCollector rows;
        std::string note;
        outcome.status =
            readCsvText(c.input, c.encoding, rows.handler(), kDefaultMaxCsvFieldBytes, &note);
        outcome.table = rows.table;
        const std::string where = "row " + std::to_string(c.row) + " (" + c.source + ")";
        if (c.expectedCell.empty()) {
            ASSERT_FALSE(outcome.status.ok()) << where;
            EXPECT_NE(outcome.status.error().find(c.expected), std::string::npos)
                << where << ": " << outcome.status.error();
            // Nothing is handed on from a file that cannot be read right, not even the rows
            // before the line that fails.
            EXPECT_TRUE(outcome.table.rows.empty()) << where;
            continue;
        }
        ASSERT_TRUE(outcome.status.ok()) << where << ": " << outcome.status.error();
        ASSERT_FALSE(outcome.table.rows.empty()) << where;
        EXPECT_EQ(outcome.table.rows[0][0], c.expectedCell) << where;
        if (c.expected.empty())
            EXPECT_EQ(note, "") << where;
        else
            EXPECT_NE(note.find(c.expected), std::string::npos) << where << ": " << note;
    }
}

// A field may not grow without end: the limit is the caller's (1 MiB unless set), and the
// error names the line the field starts on.
TEST(CsvParser, BoundsFieldsAndRecords) {
    struct Case {
        int row;
        std::string input;
        std::string expectedError; // empty: parses
        std::size_t maxFieldBytes = 8;
    };
    const std::string limit(8, 'x');
    std::string manyFields = "a\n";
    for (std::size_t i = 0; i <= kMaxRecordFields; ++i)
        manyFields += ",";
    const Case cases[] = {
        {1, "a\n" + limit + "\n", ""},
        {2, "a\n" + limit + "x\n", "the field on line 2 is longer than 8 bytes"},
        {3, "a\nb,\"" + limit + "\"\n", ""},
        {4, "a\nb,\"x\r\n" + limit + "\"\n", "the field on line 2 is longer than 8 bytes"},
        {5, "a\nb,\"" + std::string(18, '"') + "\"\n", "the field on line 2"}, // nine quotes
        {6, manyFields, "the record on line 2 has more than 16384 fields", 4096},
        {7, "a\n" + std::string(8 * 20, ',') + "\n",
         "the record on line 2 is longer than 128 bytes"},
    };
    for (const Case& c : cases) {
        std::size_t records = 0;
        CsvParser parser(
            [&](std::vector<std::string>&, std::size_t) {
                ++records;
                return true;
            },
            c.maxFieldBytes);
        parser.feed(c.input);
        Status status = parser.finish();
        if (c.expectedError.empty()) {
            EXPECT_TRUE(status.ok()) << "row " << c.row << ": " << status.error();
            EXPECT_EQ(records, 2u) << "row " << c.row;
            continue;
        }
        ASSERT_FALSE(status.ok()) << "row " << c.row;
        EXPECT_NE(status.error().find(c.expectedError), std::string::npos)
            << "row " << c.row << ": " << status.error();
        EXPECT_EQ(records, 1u) << "row " << c.row;
    }
}

TEST(CsvRowReader, StopsWhenTheHandlerSaysSoWithoutAnError) {
    int rows = 0;
    RowHandler handler{nullptr, [&](const std::vector<std::string>&) { return ++rows < 2; }};
    Status status = readCsvText("a\n1\n2\n3\n", CsvEncoding::Detect, handler);
    EXPECT_TRUE(status.ok()) << status.error();
    EXPECT_EQ(rows, 2);
}

TEST(CsvSource, ReadsAFileLargerThanOneBlockAndCanReadItAgain) {
    test::TempFolder folder;
    std::string path = folder.file("rows.csv");
    {
        std::ofstream out(path, std::ios::binary);
        out << "\xEF\xBB\xBF序号,名称,备注\r\n";
        for (int i = 1; i <= 5000; ++i)
            out << i << ",商品" << i << ",\"多行\r\n备注, 第" << i << "行\"\r\n";
    }
    CsvSource source(path);
    for (int pass = 1; pass <= 2; ++pass) {
        auto table = source.readTable();
        ASSERT_TRUE(table.ok()) << "pass " << pass << ": " << table.error();
        ASSERT_EQ(table.value().rows.size(), 5000u) << "pass " << pass;
        EXPECT_EQ(table.value().titles,
                  (std::vector<std::string>{gbk("序号"), gbk("名称"), gbk("备注")}));
        EXPECT_EQ(
            table.value().rows[4999],
            (std::vector<std::string>{"5000", gbk("商品5000"), gbk("多行\r\n备注, 第5000行")}));
    }
}

TEST(CsvSource, RefusesAFifoOrADeviceAndAFieldAboveTheLimit) {
    test::TempFolder folder;
    const auto fifo = folder.file("rows.csv");
    ASSERT_TRUE(test::makeFifo(fifo));
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        Result<Table> table = Table{};
        EXPECT_TRUE(test::returnsWithoutWaitingOn(fifo, [&] {
            table = CsvSource(path).readTable();
        })) << path;
        ASSERT_FALSE(table.ok()) << path;
        EXPECT_NE(table.error().find("not a regular file"), std::string::npos) << table.error();
    }

    const auto big = folder.file("big.csv");
    {
        std::ofstream out(big, std::ios::binary);
        out << "code,name\n1,a\n2," << std::string(kDefaultMaxCsvFieldBytes + 1, 'x') << "\n";
    }
    auto table = CsvSource(big).readTable();
    ASSERT_FALSE(table.ok());
    EXPECT_NE(table.error().find("the field on line 3 is longer than 1 MiB"), std::string::npos)
        << table.error();
}

// The encoding is decided from the whole file, so a bad line far down stops the batch before
// its first row, and a file in both encodings gives its note before the rows.
TEST(CsvSource, DecidesTheEncodingBeforeTheFirstRow) {
    test::TempFolder folder;
    const auto path = folder.file("rows.csv");
    {
        std::ofstream out(path, std::ios::binary);
        out << "序号,名称\n";
        for (int i = 1; i <= 5000; ++i)
            out << i << ",商品" << i << "\n";
        out << "5001,\xB8\xF6\n"; // a GBK character in a UTF-8 file
    }
    int rows = 0;
    RowHandler handler{nullptr, [&](const std::vector<std::string>&) {
                           ++rows;
                           return true;
                       }};
    Status status = CsvSource(path).read(handler);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().find("line 5002 is not UTF-8"), std::string::npos) << status.error();
    EXPECT_EQ(rows, 0);

    const auto stated = folder.write("moutai.csv", {'n', '\n', 0xC3, 0xA9, 0xCC, 0xA8, '\n'});
    CsvSource source(stated, CsvEncoding::Utf8);
    std::vector<std::string> notes;
    source.setNoteHandler([&](const std::string& note) { notes.push_back(note); });
    ASSERT_TRUE(source.readTable().ok());
    EXPECT_EQ(source.encodingRead(), CsvEncoding::Utf8);
    EXPECT_TRUE(notes.empty());
    CsvSource guessed(stated);
    guessed.setNoteHandler([&](const std::string& note) { notes.push_back(note); });
    auto table = guessed.readTable();
    ASSERT_TRUE(table.ok()) << table.error();
    EXPECT_EQ(guessed.encodingRead(), CsvEncoding::Gbk);
    EXPECT_EQ(table.value().rows[0][0], gbk("茅台"));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("moutai.csv"), std::string::npos) << notes[0];
}

TEST(CsvSource, MissingFileIsAnError) {
    test::TempFolder folder;
    CsvSource source(folder.file("none.csv"));
    auto table = source.readTable();
    ASSERT_FALSE(table.ok());
    EXPECT_NE(table.error().find("none.csv"), std::string::npos) << table.error();
}

} // namespace
} // namespace tav::data
