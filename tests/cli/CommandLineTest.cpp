#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace tav::cli {
namespace {

TEST(CommandLine, ParsesFlagsOptionsAndPositionals) {
    CommandLine line({"--editor"}, {"-o", "--dpi"}, {"--set"});
    std::string error;
    ASSERT_TRUE(line.parse({"a.tav", "--set", "A=1", "-o", "x.pdf", "--editor", "--set", "B=", "--",
                            "--not-an-option"},
                           error))
        << error;
    EXPECT_TRUE(line.has("--editor"));
    EXPECT_EQ(line.value("-o"), std::optional<std::string>("x.pdf"));
    EXPECT_EQ(line.values("--set"), (std::vector<std::string>{"A=1", "B="}));
    EXPECT_EQ(line.positionals(), (std::vector<std::string>{"a.tav", "--not-an-option"}));
    int dpi = 0;
    EXPECT_TRUE(line.intValue("--dpi", 1, 4800, 300, dpi, error));
    EXPECT_EQ(dpi, 300);
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
        std::string error;
        EXPECT_FALSE(line.parse(c.args, error));
        EXPECT_EQ(error, c.message);
    }
    CommandLine line({}, {"--dpi"});
    std::string error;
    int dpi = 0;
    for (const char* bad : {"0", "12x", "-3", "99999", ""}) {
        CommandLine l({}, {"--dpi"});
        ASSERT_TRUE(l.parse({"--dpi", bad}, error));
        EXPECT_FALSE(l.intValue("--dpi", 1, 4800, 300, dpi, error)) << bad;
    }
}

} // namespace
} // namespace tav::cli
