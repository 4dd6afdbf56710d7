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

// A Result is a value or a failure, never neither: building one from a success status and
// reading the value of a failed one are program faults that stop the program.
void buildFromSuccess() {
    const Result<int, Reason> neither(BasicStatus<Reason>::success());
    (void)neither;
}
void readMissingValue() {
    const auto failed = Result<std::string>::failure("unreadable");
    (void)failed.value();
}
void writeMissingValue() {
    auto failed = Result<int, Reason>::failure(Reason::Broken);
    failed.value() = 1;
}

TEST(ResultDeathTest, RefusesASuccessWithoutValueAndAMissingValue) {
    EXPECT_DEATH(buildFromSuccess(), "built from a success status without a value");
    EXPECT_DEATH(readMissingValue(), "value of a failed Result");
    EXPECT_DEATH(writeMissingValue(), "value of a failed Result");
}

} // namespace
} // namespace tav
