// Little-endian fields of file formats (BMP, GIF, TIFF), read and written byte by byte so that
// neither the host's byte order nor the alignment of the field matters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tav::platform {

// The caller has checked that the field lies within `bytes`.
inline std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

inline std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

inline void writeLe16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void writeLe32(std::uint8_t* at, std::uint32_t value) {
    writeLe16(at, value);
    writeLe16(at + 2, value >> 16);
}

} // namespace tav::platform
