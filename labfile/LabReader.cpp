#include "labfile/LabReader.h"

#include <cstring>

namespace tav::lab {

namespace {

constexpr std::size_t kHeaderSize = 26;
constexpr std::size_t kObjectFixedSize = 25;
constexpr std::size_t kTextFixedSize = 20;

// Reads little-endian fields from a bounded buffer. Callers check room() first; every read
// below is within the range they checked.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    static std::int32_t int32At(std::span<const std::uint8_t> bytes, std::size_t at) {
        const std::uint32_t v = static_cast<std::uint32_t>(bytes[at]) |
                                static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
                                static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
                                static_cast<std::uint32_t>(bytes[at + 3]) << 24;
        return static_cast<std::int32_t>(v);
    }
    // True when [at, at + length) lies inside the buffer; computed in 64 bits so that no sum
    // of file values can wrap.
    bool holds(std::uint64_t at, std::uint64_t length) const {
        return at <= m_bytes.size() && length <= m_bytes.size() - at;
    }
    std::int32_t int32(std::size_t at) const { return int32At(m_bytes, at); }
    std::span<const std::uint8_t> slice(std::size_t at, std::size_t length) const {
        return m_bytes.subspan(at, length);
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

LabBox boxAt(const Cursor& in, std::size_t at) {
    return {in.int32(at), in.int32(at + 4), in.int32(at + 8), in.int32(at + 12)};
}

LabReadResult malformed(std::string problem) {
    return LabReadResult::failure(LabReadStatus::Malformed, std::move(problem));
}

std::string indexed(const char* what, std::size_t i) {
    return std::string(what) + " " + std::to_string(i + 1);
}

} // namespace

LabReadResult readLabBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kLabMagicSize || std::memcmp(bytes.data(), kLabMagic, kLabMagicSize) != 0) {
        return LabReadResult::failure(LabReadStatus::BadMagic, "not a .lab file");
    }
    const Cursor in(bytes);
    if (!in.holds(0, kHeaderSize))
        return malformed("the header is cut short");

    LabLabel label;
    label.pageWidth = in.int32(10);
    label.pageHeight = in.int32(14);
    const std::int32_t objectCount = in.int32(18);
    const std::int32_t textCount = in.int32(22);
    if (objectCount < 0 || textCount < 0)
        return malformed("a record count is negative");
    const std::uint64_t tableBytes =
        4 * (static_cast<std::uint64_t>(objectCount) + static_cast<std::uint64_t>(textCount));
    if (!in.holds(kHeaderSize, tableBytes))
        return malformed("the record tables run past the end of the file");
    const std::uint64_t recordArea = kHeaderSize + tableBytes;

    // The start of the record whose offset is entry `i` of the tables, if `fixed` bytes fit.
    auto recordStart = [&](std::size_t entry, std::size_t fixed, std::size_t& start) {
        const std::int32_t offset = in.int32(kHeaderSize + 4 * entry);
        if (offset < 0 || !in.holds(recordArea + static_cast<std::uint64_t>(offset), fixed))
            return false;
        start = static_cast<std::size_t>(recordArea + static_cast<std::uint64_t>(offset));
        return true;
    };

    label.objects.reserve(static_cast<std::size_t>(objectCount));
    for (std::size_t i = 0; i < static_cast<std::size_t>(objectCount); ++i) {
        std::size_t at = 0;
        if (!recordStart(i, kObjectFixedSize, at))
            return malformed(indexed("object record", i) + " lies outside the file");
        LabObjectRecord record;
        record.type = static_cast<char>(bytes[at]);
        record.box = boxAt(in, at + 1);
        const std::int32_t textLength = in.int32(at + 17);
        const std::int32_t payloadLength = in.int32(at + 21);
        if (textLength < 0 || payloadLength < 0 ||
            !in.holds(at + kObjectFixedSize, static_cast<std::uint64_t>(textLength) +
                                                 static_cast<std::uint64_t>(payloadLength)))
            return malformed(indexed("object record", i) + " claims more bytes than the file has");
        const auto text = in.slice(at + kObjectFixedSize, static_cast<std::size_t>(textLength));
        const auto payload =
            in.slice(at + kObjectFixedSize + text.size(), static_cast<std::size_t>(payloadLength));
        record.text.assign(text.begin(), text.end());
        record.payload.assign(payload.begin(), payload.end());
        label.objects.push_back(std::move(record));
    }

    label.texts.reserve(static_cast<std::size_t>(textCount));
    for (std::size_t i = 0; i < static_cast<std::size_t>(textCount); ++i) {
        std::size_t at = 0;
        if (!recordStart(static_cast<std::size_t>(objectCount) + i, kTextFixedSize, at))
            return malformed(indexed("text record", i) + " lies outside the file");
        LabTextRecord record;
        record.box = boxAt(in, at);
        const std::int32_t length = in.int32(at + 16);
        if (length < 0 || !in.holds(at + kTextFixedSize, static_cast<std::uint64_t>(length)))
            return malformed(indexed("text record", i) + " claims more bytes than the file has");
        const auto text = in.slice(at + kTextFixedSize, static_cast<std::size_t>(length));
        record.description.assign(text.begin(), text.end());
        label.texts.push_back(std::move(record));
    }
    return label;
}

} // namespace tav::lab
