#include "printengine/RowSelection.h"

#include <gtest/gtest.h>

#include <vector>

namespace tav::engine {
namespace {

TEST(RowSelection, PicksPositionsAndRanges) {
    auto parsed = RowSelection::parse("1,3,5-7,12-");
    ASSERT_TRUE(parsed) << parsed.error();
    const RowSelection& selection = parsed.value();
    std::vector<std::size_t> picked;
    for (std::size_t i = 1; i <= 14; ++i)
        if (selection.contains(i))
            picked.push_back(i);
    EXPECT_EQ(picked, (std::vector<std::size_t>{1, 3, 5, 6, 7, 12, 13, 14}));
    EXPECT_FALSE(selection.endsBefore(1000));

    auto closed = RowSelection::parse("2,5-6");
    ASSERT_TRUE(closed);
    EXPECT_FALSE(closed.value().endsBefore(6));
    EXPECT_TRUE(closed.value().endsBefore(7));
    EXPECT_TRUE(RowSelection().contains(123456));

    for (const char* bad : {"", "0", "3-1", "a", "1,,2", "1-2-3", "-4", "1;2"}) {
        const auto refused = RowSelection::parse(bad);
        EXPECT_FALSE(refused) << bad;
        EXPECT_EQ(refused.error(), std::string("--rows takes positions and ranges such as 1,3,5-9 "
                                               "(rows count from 1), not '") +
                                       bad + "'");
    }
}

TEST(RowSelection, TicksPickTheirRowsAndNoTickPicksNone) {
    struct Case {
        std::vector<bool> ticks;
        std::vector<std::size_t> picked;
        std::size_t endsBefore; // the first position after the last tick
    };
    const Case cases[] = {
        {{false, true, false, false, true, false}, {2, 5}, 6},
        {{true}, {1}, 2},
        {{false, false}, {}, 1},
        {{}, {}, 1},
    };
    for (const Case& c : cases) {
        const RowSelection selection = RowSelection::ofTicks(c.ticks);
        std::vector<std::size_t> picked;
        for (std::size_t i = 0; i <= c.ticks.size() + 2; ++i)
            if (selection.contains(i))
                picked.push_back(i);
        EXPECT_EQ(picked, c.picked);
        if (c.endsBefore > 1) {
            EXPECT_FALSE(selection.endsBefore(c.endsBefore - 1));
        }
        EXPECT_TRUE(selection.endsBefore(c.endsBefore));
    }
}

} // namespace
} // namespace tav::engine
