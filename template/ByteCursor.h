// Sequential little-endian reading over a file's bytes. Reading past the end never fails: the
// bytes that are missing count as zero, as the template format requires.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace tav::tpl {

class ByteCursor {
public:
    explicit ByteCursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t remaining() const { return m_bytes.size() - m_pos; }
    bool atEnd() const { return m_pos == m_bytes.size(); }

    std::uint32_t readUint32() {
        std::uint32_t value = 0;
        const std::size_t n = std::min<std::size_t>(4, remaining());
        for (std::size_t i = 0; i < n; ++i)
            value |= static_cast<std::uint32_t>(m_bytes[m_pos + i]) << (8 * i);
        m_pos += n;
        return value;
    }
    std::int32_t readInt32() { return static_cast<std::int32_t>(readUint32()); }
    // Only a stored 1 is true; 2, -1 and every other value are false.
    bool readBool32() { return readInt32() == 1; }
    float readFloat32() {
        const std::uint32_t bits = readUint32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // Takes up to `count` bytes; fewer when the file ends first.
    std::span<const std::uint8_t> take(std::size_t count) {
        const std::size_t n = std::min(count, remaining());
        auto part = m_bytes.subspan(m_pos, n);
        m_pos += n;
        return part;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

} // namespace tav::tpl
