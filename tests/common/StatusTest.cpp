// The shared outcome types: a failure keeps its code and its text, a success has neither.
#include "common/Status.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

enum class Reason { None, Missing, Broken };

TEST(Status, AFailureKeepsItsCodeAndText) {
    const auto ok = BasicStatus<Reason>::success();
    EXPECT_TRUE(ok.ok());
    EXPECT_EQ(ok.code(), Reason::None);
    EXPECT_EQ(ok.error(), "");

    const auto failed = BasicStatus<Reason>::failure(Reason::Broken, "the file is broken");
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.code(), Reason::Broken);
    EXPECT_EQ(failed.error(), "the file is broken");
    EXPECT_EQ(BasicStatus<Reason>::failure(Reason::Missing).error(), "");

    const Status general = Status::failure("no server");
    EXPECT_FALSE(general.ok());
    EXPECT_EQ(general.code(), GeneralError::Failed);
    EXPECT_EQ(general.error(), "no server");
}

TEST(Result, HoldsAValueOrTheFailure) {
    Result<int, Reason> value = 7;
    ASSERT_TRUE(value.ok());
    EXPECT_EQ(value.value(), 7);
    EXPECT_TRUE(value.status().ok());

    const auto failed = Result<int, Reason>::failure(Reason::Missing, "no such file");
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.code(), Reason::Missing);
    EXPECT_EQ(failed.error(), "no such file");

    const Result<std::string> text = Result<std::string>::failure("unreadable");
    EXPECT_FALSE(text.ok());
    EXPECT_EQ(text.code(), GeneralError::Failed);
    EXPECT_EQ(text.error(), "unreadable");
}

} // namespace
} // namespace tav
