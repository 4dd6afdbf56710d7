// Stand-ins for the picture libraries and the font measurement, so that document tests know
// exactly which pictures and extents to expect.
#pragma once

#include "editor/core/EditorDocument.h"
#include "support/BmpBytes.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tav::test {

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
