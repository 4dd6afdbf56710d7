#include "labfile/LabElements.h"

#include "platform/ImageCodec.h"
#include "template/PackedField.h"

#include <algorithm>
#include <charconv>

namespace tav::lab {

namespace {

using tpl::ElementKind;

// "真" in GBK: the value of a true flag.
constexpr const char* kTrue = "\xD5\xE6";

std::int32_t leadingInteger(const std::string& field) {
    std::int32_t value = 0;
    const char* begin = field.data();
    while (begin != field.data() + field.size() && *begin == ' ')
        ++begin;
    std::from_chars(begin, field.data() + field.size(), value);
    return value;
}

tpl::TemplateElement placed(ElementKind kind, const LabBox& box, bool sized) {
    tpl::TemplateElement e;
    e.kind = static_cast<std::int32_t>(kind);
    // In 64 bits: a stored left of INT32_MIN must not wrap.
    auto shift = [](std::int32_t v, std::int32_t by) {
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{v} - by, INT32_MIN, INT32_MAX));
    };
    e.box.x = shift(box.left, kLeftOffset);
    e.box.y = shift(box.top, kTopOffset);
    if (sized) {
        e.box.width = box.width;
        e.box.height = box.height;
    }
    return e;
}

// The picture a 'P' payload holds: a zlib stream of a picture file. Nothing when it does not
// unpack, or unpacks to something that is not a picture.
std::optional<std::vector<std::uint8_t>> unpackPicture(tpl::Unpacker& unpacker,
                                                       const std::vector<std::uint8_t>& payload) {
    if (payload.empty())
        return std::nullopt;
    const std::int64_t limit = std::min<std::int64_t>(
        tpl::kMaxUnpackedBytes, static_cast<std::int64_t>(payload.size()) * tpl::kMaxInflateRatio);
    std::vector<std::uint8_t> bytes;
    if (!unpacker.unpack(payload, static_cast<std::int32_t>(limit), bytes) || bytes.empty())
        return std::nullopt;
    if (!platform::decodeImage(bytes))
        return std::nullopt;
    return bytes;
}

} // namespace

std::vector<std::string> splitDescription(const std::string& description) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < description.size(); ++i) {
        const auto byte = static_cast<unsigned char>(description[i]);
        if (byte >= 0x81 && byte <= 0xFE && i + 1 < description.size()) {
            fields.back() += description.substr(i, 2);
            ++i;
        } else if (byte == '|') {
            fields.emplace_back();
        } else {
            fields.back() += static_cast<char>(byte);
        }
    }
    return fields;
}

LabImport labImport(const LabLabel& label) {
    LabImport out;
    out.additions.page.paperWidth = label.pageWidth;
    out.additions.page.paperHeight = label.pageHeight;
    auto& elements = out.additions.elements;

    tpl::Unpacker unpacker;
    for (const auto& record : label.objects) {
        switch (record.type) {
        case 'P': {
            auto picture = unpackPicture(unpacker, record.payload);
            if (!picture) {
                ++out.skippedPictures;
                break;
            }
            auto e = placed(ElementKind::Picture, record.box, true);
            e.image.source = tpl::SharedBytes(std::move(*picture));
            e.image.shown = e.image.source;
            elements.push_back(std::move(e));
            break;
        }
        case 'B':
        case 'D': {
            const bool barcode = record.type == 'B';
            auto e = placed(barcode ? ElementKind::BarcodeImage : ElementKind::QrCodeImage,
                            record.box, true);
            e.content = record.text;
            e.mark = record.text;
            if (!barcode)
                e.image.qrSize = kImportedQrSize;
            elements.push_back(std::move(e));
            break;
        }
        default:
            break;
        }
    }

    for (const auto& record : label.texts) {
        const auto fields = splitDescription(record.description);
        if (fields.size() != kDescriptionFields) {
            ++out.skippedTexts;
            continue;
        }
        auto e = placed(ElementKind::Text, record.box, false);
        e.font.angle = leadingInteger(fields[0]);
        e.font.bold = fields[1] == kTrue;
        e.font.italic = fields[2] == kTrue;
        e.font.strikeout = fields[3] == kTrue;
        e.font.underline = fields[4] == kTrue;
        e.font.size = leadingInteger(fields[5]);
        e.font.faceName = fields[6];
        e.content = fields[7];
        e.mark = fields[7];
        elements.push_back(std::move(e));
    }
    return out;
}

} // namespace tav::lab
