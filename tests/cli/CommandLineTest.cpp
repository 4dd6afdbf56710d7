#include "cli/CommandLine.h"
#include "cli/MarkAssignments.h"

#include <gtest/gtest.h>

namespace tav::cli {
namespace {

TEST(CommandLine, ParsesFlagsOptionsAndPositionals) {
    CommandLine line({"--editor"}, {"-o", "--dpi"}, {"--set"});
    const Status parsed = line.parse({"a.tav", "--set", "A=1", "-o", "x.pdf", "--editor", "--set",
                                      "B=", "--", "--not-an-option"});
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_TRUE(line.has("--editor"));
    EXPECT_EQ(line.value("-o"), std::optional<std::string>("x.pdf"));
    EXPECT_EQ(line.values("--set"), (std::vector<std::string>{"A=1", "B="}));
    EXPECT_EQ(line.positionals(), (std::vector<std::string>{"a.tav", "--not-an-option"}));
    const Result<int> dpi = line.intValue("--dpi", 1, 4800, 300);
    ASSERT_TRUE(dpi);
    EXPECT_EQ(dpi.value(), 300);
}

TEST(CommandLine, ReportsWhatIsWrong) {
    struct Case {
        int row;
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {1, {"--bogus"}, "unknown option --bogus"},
        {2, {"-o"}, "-o needs a value"},
        {3, {"-o", "a", "-o", "b"}, "-o may be given only once"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row);
        CommandLine line({}, {"-o"});
        const Status parsed = line.parse(c.args);
        EXPECT_FALSE(parsed);
        EXPECT_EQ(parsed.error(), c.message);
    }
    for (const char* bad : {"0", "12x", "-3", "99999", ""}) {
        CommandLine l({}, {"--dpi"});
        ASSERT_TRUE(l.parse({"--dpi", bad}));
        const Result<int> dpi = l.intValue("--dpi", 1, 4800, 300);
        EXPECT_FALSE(dpi) << bad;
        EXPECT_EQ(dpi.error(),
                  "--dpi takes a whole number from 1 to 4800, not '" + std::string(bad) + "'");
    }
    CommandLine given({}, {"--dpi"});
    ASSERT_TRUE(given.parse({"--dpi", "600"}));
    EXPECT_EQ(given.intValue("--dpi", 1, 4800, 300).value(), 600);
}

TEST(MarkAssignment, SplitsAtTheFirstEqualsSignOrSaysWhy) {
    const auto parsed = parseMarkAssignment("NAME=a=b");
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_EQ(parsed.value().name, "NAME");
    EXPECT_EQ(parsed.value().value, "a=b");
    const auto empty = parseMarkAssignment("NAME=");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty.value().value, "");

    EXPECT_EQ(parseMarkAssignment("NAME").error(), "--set takes MARK=VALUE, got 'NAME'");
    EXPECT_EQ(parseMarkAssignment("=x").error(), "--set takes MARK=VALUE, got '=x'");
    EXPECT_EQ(parseMarkAssignment("A=\xff").error(),
              "--set A=\xff: not UTF-8, or a character GBK cannot hold");
}

} // namespace
} // namespace tav::cli
