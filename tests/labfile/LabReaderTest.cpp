// The .lab reader: what a well-formed label holds, and every way a file can be cut short or lie
// about its counts, offsets and lengths (refused as a whole, never read beyond).
#include "labfile/LabReader.h"
#include "support/LabBytes.h"

#include <gtest/gtest.h>

#include <climits>

namespace tav::lab {
namespace {

using test::LabLayout;
using test::LabObjectSpec;
using test::LabTextSpec;

LabLayout twoRecordLabel() {
    LabLayout layout;
    layout.width = 700;
    layout.height = 400;
    layout.objects.push_back({.type = 'D', .left = 30, .top = 70, .text = "QR", .payload = {1, 2}});
    layout.texts.push_back({.left = 40, .top = 80, .description = "a|b"});
    return layout;
}

TEST(LabReaderTest, AWellFormedLabelIsReadRecordByRecord) {
    const auto bytes = test::labBytes(twoRecordLabel());
    const LabReadResult read = readLabBytes(bytes);
    ASSERT_EQ(read.code(), LabReadStatus::Ok) << read.error();
    EXPECT_EQ(read.value().pageWidth, 700);
    EXPECT_EQ(read.value().pageHeight, 400);
    ASSERT_EQ(read.value().objects.size(), 1u);
    const auto& o = read.value().objects[0];
    EXPECT_EQ(o.type, 'D');
    EXPECT_EQ(o.box.left, 30);
    EXPECT_EQ(o.box.top, 70);
    EXPECT_EQ(o.box.width, 100);
    EXPECT_EQ(o.box.height, 50);
    EXPECT_EQ(o.text, "QR");
    EXPECT_EQ(o.payload, (std::vector<std::uint8_t>{1, 2}));
    ASSERT_EQ(read.value().texts.size(), 1u);
    EXPECT_EQ(read.value().texts[0].box.left, 40);
    EXPECT_EQ(read.value().texts[0].description, "a|b");
}

TEST(LabReaderTest, RecordsAreFoundThroughTheirOffsetsInTableOrder) {
    // Two objects stored in reverse: the table points at the second first.
    LabLayout layout;
    layout.objects.push_back({.type = 'B', .text = "first"});
    layout.objects.push_back({.type = 'B', .text = "second"});
    auto bytes = test::labBytes(layout);
    // Swap the two table entries.
    std::swap_ranges(bytes.begin() + 26, bytes.begin() + 30, bytes.begin() + 30);
    const LabReadResult read = readLabBytes(bytes);
    ASSERT_EQ(read.code(), LabReadStatus::Ok);
    EXPECT_EQ(read.value().objects[0].text, "second");
    EXPECT_EQ(read.value().objects[1].text, "first");
}

struct RefusedCase {
    const char* name;
    LabLayout layout;
    std::size_t cutTo = SIZE_MAX; // the file is truncated to this many bytes
    LabReadStatus status = LabReadStatus::Malformed;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class LabReaderRefusalTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(LabReaderRefusalTest, IsRefusedWithoutReadingBeyondTheFile) {
    const RefusedCase& c = GetParam();
    auto bytes = test::labBytes(c.layout);
    if (c.cutTo < bytes.size())
        bytes.resize(c.cutTo);
    // An exact-size copy, so that AddressSanitizer sees any read past the end.
    const std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
    const LabReadResult read = readLabBytes(exact);
    EXPECT_EQ(read.code(), c.status) << c.name;
    EXPECT_FALSE(read.error().empty());
}

LabLayout withObject(LabObjectSpec o) {
    LabLayout layout;
    layout.objects.push_back(std::move(o));
    return layout;
}
LabLayout withText(LabTextSpec t) {
    LabLayout layout;
    layout.texts.push_back(std::move(t));
    return layout;
}
LabLayout withCounts(std::int32_t objects, std::int32_t texts) {
    LabLayout layout;
    layout.objectCount = objects;
    layout.textCount = texts;
    return layout;
}
LabLayout shifted(LabLayout layout, std::int32_t shift) {
    layout.offsetShift = {shift};
    return layout;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LabReaderRefusalTest,
    testing::Values(
        RefusedCase{"1 empty file", LabLayout{}, 0, LabReadStatus::BadMagic},
        RefusedCase{"2 magic cut short", LabLayout{}, 9, LabReadStatus::BadMagic},
        RefusedCase{"3 header cut short", LabLayout{}, 25},
        RefusedCase{"4 negative object count", withCounts(-1, 0)},
        RefusedCase{"5 negative text count", withCounts(0, -1)},
        RefusedCase{"6 more objects than the table holds", withCounts(1, 0)},
        RefusedCase{"7 counts whose table size wraps 32 bits", withCounts(INT32_MAX, INT32_MAX)},
        RefusedCase{"8 object offset past the end", shifted(withObject({.text = "x"}), 1000)},
        RefusedCase{"9 negative object offset", shifted(withObject({.text = "x"}), -1)},
        RefusedCase{"10 object cut inside its fixed fields", withObject({.text = "x"}), 40},
        RefusedCase{"11 object text longer than the file",
                    withObject({.text = "abc", .textLength = 4})},
        RefusedCase{"12 payload longer than the file",
                    withObject({.payload = {1, 2}, .payloadLength = 3})},
        RefusedCase{"13 negative text length", withObject({.text = "abc", .textLength = -1})},
        RefusedCase{"14 lengths whose sum wraps",
                    withObject({.textLength = INT32_MAX, .payloadLength = INT32_MAX})},
        RefusedCase{"15 text record past the end", shifted(withText({.description = "a"}), 5)},
        RefusedCase{"16 description longer than the file",
                    withText({.description = "a|b", .length = 4})},
        RefusedCase{"17 negative description length", withText({.description = "a", .length = -5})},
        RefusedCase{"18 truncated description", withText({.description = "abcdef"}), 50}),
    [](const testing::TestParamInfo<RefusedCase>& row) {
        std::string name = row.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(LabReaderTest, ARecordEndingExactlyAtTheEndOfTheFileIsAccepted) {
    const auto bytes = test::labBytes(withText({.description = "last"}));
    EXPECT_EQ(readLabBytes(bytes).code(), LabReadStatus::Ok);
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.end() - 1);
    EXPECT_EQ(readLabBytes(cut).code(), LabReadStatus::Malformed);
}

} // namespace
} // namespace tav::lab
