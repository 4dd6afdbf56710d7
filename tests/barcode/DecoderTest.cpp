// End to end: files written by GetBarcode, read back by two scanners nobody here wrote
// (zbarimg from zbar-tools and ZXingReader from zxing-cpp-tools).
#include "barcode.h"
#include "support/Command.h"

#include "barcode/TextCleaner.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tav::barcode {
namespace {

using tav::test::CommandResult;

CommandResult run(const std::string& command) {
    return tav::test::runCommand(command);
}

// zbarimg prints the data and a newline, and exits 4 when it finds nothing.
std::string decodeWithZbar(const std::string& path) {
    CommandResult r = run("zbarimg --nodbus -q --raw '" + path + "' 2>/dev/null");
    EXPECT_EQ(r.exitCode, 0) << "zbarimg found nothing in " << path;
    if (!r.output.empty() && r.output.back() == '\n')
        r.output.pop_back();
    return r.output;
}

// ZXingReader -bytes prints the raw data bytes, nothing when it finds nothing, and exits 0
// either way.
std::string decodeWithZxing(const std::string& path) {
    CommandResult r = run("ZXingReader -bytes '" + path + "' 2>/dev/null");
    EXPECT_EQ(r.exitCode, 0);
    return r.output;
}

struct Row {
    int row;
    std::string text;
};

std::vector<Row> decodeTable() {
    std::vector<Row> rows = {
        {1, "ABC"},
        {2, "Hello, World!"},
        {3, "A B C"},                              // spaces are dropped
        {4, "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"}, // every punctuation mark of set B
        {5, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
        {6, "AB1234CD"},             // check value 102
        {7, "Av"},                   // check value 0
        {8, "00998877665544332211"}, // digit pairs in set C
        {9, "LOT 2026-12-10 #17"},
    };
    // Rows 10-12: checks 95, 96, 97, 98, 99, 100 and 101 (the values data never uses).
    for (const char* text : {"Ar", "Br", "As", "Bs", "At", "AA", "Au"})
        rows.push_back({static_cast<int>(rows.size()) + 1, text});
    // Digit runs of every length from 1 to 12 at the start, in the middle and at the end.
    const std::string digits = "123456789012";
    for (std::size_t n = 1; n <= 12; ++n) {
        const std::string run = digits.substr(0, n);
        const int next = static_cast<int>(rows.size()) + 1;
        rows.push_back({next, run + "X"});
        rows.push_back({next + 1, "X" + run + "Y"});
        rows.push_back({next + 2, "XY" + run});
        rows.push_back({next + 3, run});
    }
    return rows;
}

TEST(Decoders, ReadBackTheCleanedTextUprightAndTurned) {
    test::TempFolder folder;
    for (const Row& r : decodeTable()) {
        std::string expected;
        cleanText(r.text, expected);
        for (int rotate : {0, 1}) {
            SCOPED_TRACE("row " + std::to_string(r.row) + " \"" + r.text + "\" rotate " +
                         std::to_string(rotate));
            const std::string path = folder.file("code.bmp");
            ASSERT_EQ(GetBarcode(r.text.c_str(), rotate, path.c_str()), 1);
            EXPECT_EQ(decodeWithZbar(path), expected);
            EXPECT_EQ(decodeWithZxing(path), expected);
        }
    }
}

TEST(Decoders, ReadBytesWithoutASetBValueAsQuestionMarks) {
    // "中" (D6 D0), a tab and DEL.
    test::TempFolder folder;
    const std::string path = folder.file("gbk.bmp");
    ASSERT_EQ(GetBarcode("N\xD6\xD0\t7\x7F", 0, path.c_str()), 1);
    EXPECT_EQ(decodeWithZbar(path), "N???7?");
    EXPECT_EQ(decodeWithZxing(path), "N???7?");
}

} // namespace
} // namespace tav::barcode
