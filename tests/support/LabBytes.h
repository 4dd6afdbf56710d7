// Builds .lab label files for tests: records are laid out in the order given, and every count,
// offset and length can be overridden to make truncated or lying files.
#pragma once

#include "template/PackedField.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tav::test {

struct LabObjectSpec {
    char type = 'B';
    std::int32_t left = 24, top = 62, width = 100, height = 50;
    std::string text = {};
    std::vector<std::uint8_t> payload = {};
    std::optional<std::int32_t> textLength = {};    // stored instead of text.size()
    std::optional<std::int32_t> payloadLength = {}; // stored instead of payload.size()
};

struct LabTextSpec {
    std::int32_t left = 24, top = 62;
    std::string description = {};
    std::optional<std::int32_t> length = {}; // stored instead of description.size()
};

struct LabLayout {
    std::int32_t width = 500, height = 300;
    std::vector<LabObjectSpec> objects = {};
    std::vector<LabTextSpec> texts = {};
    std::optional<std::int32_t> objectCount = {}; // stored instead of objects.size()
    std::optional<std::int32_t> textCount = {};   // stored instead of texts.size()
    std::vector<std::int32_t> offsetShift = {};   // added to the record offsets, by table entry
};

inline void putInt32(std::vector<std::uint8_t>& out, std::int32_t v) {
    tpl::appendInt32(out, v);
}

// The zlib stream of `bytes` (a packed field without its two lengths).
inline std::vector<std::uint8_t> zlibStream(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> field;
    tpl::Packer().pack(bytes, field);
    return {field.begin() + 8, field.end()};
}

inline std::vector<std::uint8_t> labBytes(const LabLayout& layout) {
    std::vector<std::uint8_t> area;
    std::vector<std::int32_t> offsets;
    for (const auto& o : layout.objects) {
        offsets.push_back(static_cast<std::int32_t>(area.size()));
        area.push_back(static_cast<std::uint8_t>(o.type));
        for (std::int32_t v : {o.left, o.top, o.width, o.height})
            putInt32(area, v);
        putInt32(area, o.textLength.value_or(static_cast<std::int32_t>(o.text.size())));
        putInt32(area, o.payloadLength.value_or(static_cast<std::int32_t>(o.payload.size())));
        area.insert(area.end(), o.text.begin(), o.text.end());
        area.insert(area.end(), o.payload.begin(), o.payload.end());
    }
    for (const auto& t : layout.texts) {
        offsets.push_back(static_cast<std::int32_t>(area.size()));
        for (std::int32_t v : {t.left, t.top, std::int32_t{0}, std::int32_t{0}})
            putInt32(area, v);
        putInt32(area, t.length.value_or(static_cast<std::int32_t>(t.description.size())));
        area.insert(area.end(), t.description.begin(), t.description.end());
    }
    std::vector<std::uint8_t> out = {'l', 'a', 'b', ' ', '1', '.', '0', ' ', '.', '.'};
    putInt32(out, layout.width);
    putInt32(out, layout.height);
    putInt32(out, layout.objectCount.value_or(static_cast<std::int32_t>(layout.objects.size())));
    putInt32(out, layout.textCount.value_or(static_cast<std::int32_t>(layout.texts.size())));
    for (std::size_t i = 0; i < offsets.size(); ++i)
        putInt32(out, offsets[i] + (i < layout.offsetShift.size() ? layout.offsetShift[i] : 0));
    out.insert(out.end(), area.begin(), area.end());
    return out;
}

// A text description of eight '|'-separated fields.
inline std::string labDescription(const std::string& angle, bool bold, const std::string& size,
                                  const std::string& face, const std::string& text) {
    const std::string t = "\xD5\xE6"; // 真
    const std::string f = "\xBC\xD9"; // 假
    return angle + "|" + (bold ? t : f) + "|" + f + "|" + f + "|" + f + "|" + size + "|" + face +
           "|" + text;
}

} // namespace tav::test
