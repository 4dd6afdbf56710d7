// tavprint barcode: the same file as GetBarcode, from a UTF-8 command line.
#include "barcode.h"

#include "cli/BarcodeCommand.h"
#include "cli/ExitCodes.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tav::cli {
namespace {

using Args = std::vector<std::string>;

TEST(BarcodeCommand, WritesTheFileGetBarcodeWrites) {
    struct Row {
        int row;
        Args args;       // OUT stands for the output file
        const char* gbk; // the text as GetBarcode receives it
        int rotate;
    };
    const std::vector<Row> rows = {
        {1, {"A B C", "-o", "OUT"}, "ABC", 0},
        {2, {"-o", "OUT", "12345678", "--rotate"}, "12345678", 1},
        {3, {"\xE4\xB8\xAD 1234", "--output", "OUT"}, "\xD6\xD0 1234", 0}, // 中 in UTF-8 -> GBK
        {4, {"-o", "OUT", "--", "-5"}, "-5", 0}, // a text that begins with "-"
        {5, {"", "-o", "OUT"}, "", 0},
    };
    test::TempFolder folder;
    for (const Row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.row));
        Args args = r.args;
        for (auto& arg : args)
            if (arg == "OUT")
                arg = folder.file("cli.bmp");
        ASSERT_EQ(runBarcode(args), kExitOk);
        const std::string reference = folder.file("reference.bmp");
        ASSERT_EQ(GetBarcode(r.gbk, r.rotate, reference.c_str()), 1);
        EXPECT_EQ(test::readFileBytes(folder.file("cli.bmp")), test::readFileBytes(reference));
    }
}

// A full disk leaves the file that was at the output path as it was, and the command fails.
TEST(BarcodeCommand, AFailedWriteKeepsTheExistingFile) {
    test::TempFolder folder;
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    const std::string out = folder.write("label.bmp", old);
    EXPECT_EQ(test::runWithFileSizeLimit(100,
                                         [&] {
                                             return runBarcode({"SF1234567890", "-o", out});
                                         }),
              kExitFailed);
    EXPECT_EQ(test::readFileBytes(out), old);
}

TEST(BarcodeCommand, ReportsUsageErrorsAndFailures) {
    test::TempFolder folder;
    const std::string out = folder.file("x.bmp");
    struct Row {
        int row;
        Args args;
        int exitCode;
    };
    const std::vector<Row> rows = {
        {1, {}, kExitUsage},
        {2, {"ABC"}, kExitUsage},                          // no output file
        {3, {"-o", out}, kExitUsage},                      // no text
        {4, {"ABC", "-o"}, kExitUsage},                    // -o without a file
        {5, {"ABC", "DEF", "-o", out}, kExitUsage},        // two texts
        {6, {"ABC", "-o", out, "-o", out}, kExitUsage},    // two outputs
        {7, {"ABC", "-o", out, "--turn"}, kExitUsage},     // unknown option
        {8, {"\xFF\xFE", "-o", out}, kExitFailed},         // not UTF-8
        {9, {"\xF0\x9F\x98\x80", "-o", out}, kExitFailed}, // an emoji: not in GBK
        {10, {"ABC", "-o", folder.file("no/such/folder.bmp")}, kExitFailed},
    };
    for (const Row& r : rows)
        EXPECT_EQ(runBarcode(r.args), r.exitCode) << "row " << r.row;
}

} // namespace
} // namespace tav::cli
