#include "template/TemplateReader.h"

#include "platform/File.h"
#include "template/ByteCursor.h"
#include "template/PackedField.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace tav::tpl {
namespace {

enum class Version { V20, V30, V31 };

std::optional<Version> versionOf(std::span<const std::uint8_t> magic, ReaderVariant variant) {
    auto is = [&](const char* text) {
        return magic.size() == kMagicSize && std::memcmp(magic.data(), text, kMagicSize) == 0;
    };
    if (is(kMagic31))
        return Version::V31;
    if (variant == ReaderVariant::Editor && is(kMagic30))
        return Version::V30;
    if (variant == ReaderVariant::Editor && is(kMagic20))
        return Version::V20;
    return std::nullopt;
}

class RecordReader {
public:
    explicit RecordReader(ByteCursor& cursor) : m_cursor(cursor) {}

    // A packed field: its raw length and its packed bytes. A packed length that runs past the
    // end of the file takes the rest of the file, and the field is empty.
    struct PackedRef {
        std::int32_t rawLength = 0;
        std::span<const std::uint8_t> packed;
        bool truncated = false;
        bool operator==(const PackedRef& o) const {
            return rawLength == o.rawLength && !truncated && !o.truncated &&
                   std::equal(packed.begin(), packed.end(), o.packed.begin(), o.packed.end());
        }
    };

    PackedRef readPackedRef() {
        PackedRef ref;
        ref.rawLength = m_cursor.readInt32();
        const std::int32_t packedLength = m_cursor.readInt32();
        if (packedLength >= 1) {
            const auto wanted = static_cast<std::size_t>(packedLength);
            ref.truncated = wanted > m_cursor.remaining();
            ref.packed = m_cursor.take(wanted);
        }
        return ref;
    }

    bool readPacked(std::vector<std::uint8_t>& out) { return unpack(readPackedRef(), out); }

    bool unpack(const PackedRef& ref, std::vector<std::uint8_t>& out) {
        if (ref.truncated) {
            out.clear();
            return false;
        }
        return m_unpacker.unpack(ref.packed, ref.rawLength, out);
    }

    std::string readText() {
        if (!readPacked(m_scratch))
            return {};
        auto end = std::find(m_scratch.begin(), m_scratch.end(), std::uint8_t{0});
        return std::string(m_scratch.begin(), end);
    }

    SharedBytes readPayload(const PackedRef& ref) {
        std::vector<std::uint8_t> bytes;
        if (!unpack(ref, bytes))
            return {};
        bytes.shrink_to_fit();
        return SharedBytes(std::move(bytes));
    }

    TemplateElement readElement() {
        TemplateElement e;
        e.kind = m_cursor.readInt32();
        e.box.x = m_cursor.readInt32();
        e.box.y = m_cursor.readInt32();
        e.box.width = m_cursor.readInt32();
        e.box.height = m_cursor.readInt32();
        e.cornerSize = m_cursor.readInt32();
        e.textColor = m_cursor.readInt32();
        e.penColor = m_cursor.readInt32();
        e.penWidth = m_cursor.readInt32();
        e.fillColor = m_cursor.readInt32();
        e.font.angle = m_cursor.readInt32();
        e.font.bold = m_cursor.readBool32();
        e.font.italic = m_cursor.readBool32();
        e.font.strikeout = m_cursor.readBool32();
        e.font.underline = m_cursor.readBool32();
        e.font.size = m_cursor.readInt32();
        e.font.faceName = readText();
        // A picture that is not turned is stored twice; the second copy shares the first's
        // storage instead of being unpacked again.
        const PackedRef source = readPackedRef();
        e.image.source = readPayload(source);
        const PackedRef shown = readPackedRef();
        e.image.shown = shown == source ? e.image.source : readPayload(shown);
        e.image.rotation = m_cursor.readInt32();
        e.image.qrSize = m_cursor.readInt32();
        e.content = readText();
        e.mark = readText();
        return e;
    }

private:
    ByteCursor& m_cursor;
    Unpacker m_unpacker;
    std::vector<std::uint8_t> m_scratch;
};

bool liesOnPaper(const TemplateElement& e, const PageSettings& page) {
    return e.box.x >= 0 && e.box.x < page.paperWidth && e.box.y >= 0 && e.box.y < page.paperHeight;
}

} // namespace

const char* toString(ReadStatus status) {
    switch (status) {
    case ReadStatus::Loaded:
        return "loaded";
    case ReadStatus::NoFile:
        return "no such file";
    case ReadStatus::CannotOpen:
        return "the file cannot be read";
    case ReadStatus::BadMagic:
        return "not a template file of a version this program reads";
    }
    return "unknown";
}

namespace {

ReadOutcome failed(ReadStatus status) {
    return ReadOutcome::failure(status, toString(status));
}

} // namespace

ReadOutcome readTemplateBytes(std::span<const std::uint8_t> bytes, ReaderVariant variant,
                              Template& tpl) {
    clearTemplate(tpl);
    ByteCursor cursor(bytes);
    const auto version = versionOf(cursor.take(kMagicSize), variant);
    if (!version)
        return failed(ReadStatus::BadMagic);

    RecordReader reader(cursor);
    const std::int32_t count = cursor.readInt32();
    PageSettings& page = tpl.page;
    page.paperWidth = cursor.readInt32();
    page.paperHeight = cursor.readInt32();
    page.orientation = cursor.readInt32();
    page.paperColor = cursor.readInt32();
    page.printScale = *version == Version::V20 ? 0 : cursor.readInt32();
    page.zoom = *version == Version::V31 ? cursor.readFloat32() : 1.0f;
    page.printerName = reader.readText();

    // Records are read while bytes remain; the one in which the file ends is completed with
    // zeros. A count larger than the file can hold therefore costs nothing.
    for (std::int32_t i = 0; i < count && !cursor.atEnd(); ++i) {
        TemplateElement element = reader.readElement();
        if (variant == ReaderVariant::Editor || liesOnPaper(element, page))
            tpl.elements.push_back(std::move(element));
    }
    return ReadOutcome::success();
}

ReadOutcome readTemplateFile(const std::string& path, ReaderVariant variant, Template& tpl) {
    std::vector<std::uint8_t> bytes;
    switch (platform::readWholeFile(path, bytes)) {
    case platform::FileReadStatus::Read:
        return readTemplateBytes(bytes, variant, tpl);
    case platform::FileReadStatus::NotFound:
        return failed(ReadStatus::NoFile); // the template stays as it was
    case platform::FileReadStatus::CannotOpen:
        break;
    }
    clearTemplate(tpl);
    return failed(ReadStatus::CannotOpen);
}

} // namespace tav::tpl
