#include "template/PackedField.h"

#include <gtest/gtest.h>
#include <string>
#include <zlib.h>

namespace tav::tpl {
namespace {

std::vector<std::uint8_t> zlibCompress(const std::string& value) {
    uLongf size = compressBound(static_cast<uLong>(value.size()));
    std::vector<std::uint8_t> out(size);
    compress(out.data(), &size, reinterpret_cast<const Bytef*>(value.data()),
             static_cast<uLong>(value.size()));
    out.resize(size);
    return out;
}

std::string asText(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

struct UnpackCase {
    int row;
    const char* why;
    std::string value; // what the stream holds
    std::int32_t rawLength;
    bool ok;
    std::string expected;
};

TEST(PackedField, UnpacksLikeUncompressWithAFixedBuffer) {
    const std::string big(100000, 'x');
    const UnpackCase cases[] = {
        {1, "exact raw length", "hello", 5, true, "hello"},
        {2, "raw length above the unpacked size: the actual size is taken", "ABCD", 10, true,
         "ABCD"},
        {3, "raw length below the unpacked size: empty", "ABCD", 3, false, ""},
        {4, "raw length 0: empty, nothing unpacked", "ABCD", 0, false, ""},
        {5, "negative raw length: empty", "ABCD", -7, false, ""},
        {6, "the empty stream with raw length 1 gives no bytes", "", 1, true, ""},
        {7, "a value that outgrows the first buffer", big, 100000, true, big},
        {8, "a NUL inside a payload is kept", std::string("AB\0XY", 5), 5, true,
         std::string("AB\0XY", 5)},
    };
    Unpacker unpacker;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ": " << c.why);
        std::vector<std::uint8_t> out{42};
        EXPECT_EQ(unpacker.unpack(zlibCompress(c.value), c.rawLength, out), c.ok);
        EXPECT_EQ(asText(out), c.expected);
    }
}

TEST(PackedField, ImplausibleRawLengthsAreRefusedBeforeAllocating) {
    Unpacker unpacker;
    std::vector<std::uint8_t> out;
    const auto stream = zlibCompress(std::string(2000, 'a'));
    const auto ratioLimit = kMaxInflateRatio * static_cast<std::int64_t>(stream.size());
    EXPECT_TRUE(unpacker.unpack(stream, static_cast<std::int32_t>(ratioLimit), out));
    EXPECT_EQ(out.size(), 2000u);
    EXPECT_FALSE(unpacker.unpack(stream, static_cast<std::int32_t>(ratioLimit + 1), out));
    EXPECT_FALSE(unpacker.unpack(stream, 2147483647, out));
}

TEST(PackedField, BrokenStreamsReadAsEmpty) {
    Unpacker unpacker;
    std::vector<std::uint8_t> out;
    auto stream = zlibCompress("some text that is long enough");
    auto truncated = stream;
    truncated.resize(truncated.size() / 2);
    EXPECT_FALSE(unpacker.unpack(truncated, 100, out));
    auto corrupt = stream;
    corrupt[0] = 0x12; // not a zlib header
    EXPECT_FALSE(unpacker.unpack(corrupt, 100, out));
    EXPECT_FALSE(unpacker.unpack({}, 5, out)); // no stream at all
    EXPECT_TRUE(out.empty());
    // The unpacker is still usable after failures.
    EXPECT_TRUE(unpacker.unpack(stream, 100, out));
}

TEST(PackedField, PacksExactlyAsCompressDoes) {
    Packer packer;
    for (const std::string& value : {std::string(), std::string("宋体"), std::string(5000, 'z')}) {
        std::vector<std::uint8_t> out;
        packer.pack({reinterpret_cast<const std::uint8_t*>(value.data()), value.size()}, out);
        auto stream = zlibCompress(value);
        std::vector<std::uint8_t> expected;
        appendInt32(expected, static_cast<std::int32_t>(value.size()));
        appendInt32(expected, static_cast<std::int32_t>(stream.size()));
        expected.insert(expected.end(), stream.begin(), stream.end());
        EXPECT_EQ(out, expected);
    }
}

TEST(PackedField, EmptyValueIsTheSixteenByteField) {
    Packer packer;
    std::vector<std::uint8_t> out;
    packer.pack({}, out);
    const std::vector<std::uint8_t> expected = {0,    0,    0,    0,    8,    0,    0,    0,
                                                0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(out, expected);
}

} // namespace
} // namespace tav::tpl
