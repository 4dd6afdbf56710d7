// Stand-ins for the picture libraries and the font measurement, so that document tests know
// exactly which pictures and extents to expect.
#pragma once

#include "editor/core/EditorDocument.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tav::test {

// A 24-bit bottom-up BMP of width x height pixels whose pixels all differ, so that any turn of
// it is a different byte image.
inline std::vector<std::uint8_t> makeBmp(std::int32_t width, std::int32_t height) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
    std::vector<std::uint8_t> b(54 + imageSize, 0);
    auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, static_cast<std::uint32_t>(b.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, imageSize, 4);
    for (std::int32_t r = 0; r < height; ++r)
        for (std::int32_t c = 0; c < width; ++c)
            for (int k = 0; k < 3; ++k)
                b[54 + r * stride + c * 3 + k] = static_cast<std::uint8_t>(r * 31 + c * 7 + k);
    return b;
}

// Answers with small BMPs and writes down what it was asked for.
class FakePictureMaker final : public engine::PictureMaker {
public:
    tpl::SharedBytes barcode(const std::string& content) override {
        barcodes.push_back(content);
        if (fail)
            return {};
        return tpl::SharedBytes(makeBmp(static_cast<std::int32_t>(content.size()) + 1, 2));
    }
    tpl::SharedBytes qrCode(const std::string& content, std::int32_t size) override {
        qrCodes.push_back({content, size});
        if (fail)
            return {};
        return tpl::SharedBytes(makeBmp(3, static_cast<std::int32_t>(content.size()) + 1));
    }
    std::optional<tpl::SharedBytes> pictureFile(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        return tpl::SharedBytes(it->second);
    }

    struct QrCall {
        std::string content;
        std::int32_t size;
        bool operator==(const QrCall&) const = default;
    };
    std::vector<std::string> barcodes;
    std::vector<QrCall> qrCodes;
    std::map<std::string, std::vector<std::uint8_t>> files;
    bool fail = false;
};

// Each byte is as wide as the font's size and a line twice as high, in tenths of a millimetre.
class FixedTextMeasurer final : public editor::TextMeasurer {
public:
    platform::TextExtent measure(const tpl::ElementFont& font, std::int32_t,
                                 std::string_view text) override {
        return {static_cast<std::int32_t>(text.size()) * font.size, font.size * 2};
    }
};

// A document on the fakes.
struct FakeServices {
    FakePictureMaker pictures;
    FixedTextMeasurer text;
    editor::DocumentServices services() { return {&pictures, &text}; }
};

} // namespace tav::test
