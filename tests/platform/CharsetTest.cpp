// GBK <-> UTF-8 (platform/Charset.h).
#include "platform/Charset.h"

#include <gtest/gtest.h>

namespace tav::platform {
namespace {

TEST(Charset, ConvertsBetweenGbkAndUtf8) {
    EXPECT_EQ(gbkToUtf8("\xCB\xCE\xCC\xE5"), "宋体");
    EXPECT_EQ(utf8ToGbk("宋体"), std::optional<std::string>("\xCB\xCE\xCC\xE5"));
    // A byte that starts no GBK character is shown as U+FFFD and the rest is kept.
    EXPECT_EQ(gbkToUtf8("A\xFF"
                        "B"),
              "A\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(gbkToUtf8("AB\xCB"), "AB\xEF\xBF\xBD"); // cut inside a character
    EXPECT_EQ(utf8ToGbk("\xC3\x28"), std::nullopt);   // not UTF-8
    EXPECT_EQ(utf8ToGbk("😀"), std::nullopt);          // no GBK form
}

} // namespace
} // namespace tav::platform
