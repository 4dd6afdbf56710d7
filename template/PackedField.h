// The packed field of .tav files: int32 raw length, int32 packed length, then a zlib stream.
// Every string and picture payload of a template is stored this way.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct z_stream_s;

namespace tav::tpl {

// The largest value a packed field may unpack to; larger claims read as empty.
inline constexpr std::int64_t kMaxUnpackedBytes = 256LL * 1024 * 1024;
// zlib never expands a byte of stream into more than 1032 bytes: a raw length above that
// ratio cannot be genuine, so it is refused before anything is allocated.
inline constexpr std::int64_t kMaxInflateRatio = 1032;

// Unpacks packed fields, reusing one zlib state across calls (a template holds five fields per
// element, so setting zlib up anew for each would dominate loading).
class Unpacker {
public:
    Unpacker();
    ~Unpacker();
    Unpacker(const Unpacker&) = delete;
    Unpacker& operator=(const Unpacker&) = delete;

    // Unpacks `packed` into `out` as zlib's uncompress would with a buffer of `rawLength` bytes:
    // true with `out` holding the bytes the stream produced (possibly fewer than rawLength);
    // false, with `out` empty, when rawLength is below 1 or implausible, or the stream does not
    // end within rawLength bytes. Memory grows with the output, never ahead of it by more than
    // a small factor of the packed size.
    bool unpack(std::span<const std::uint8_t> packed, std::int32_t rawLength,
                std::vector<std::uint8_t>& out);

private:
    z_stream_s* m_stream;
    bool m_ready;
};

// Appends `value` to `out` as a packed field compressed exactly as zlib's compress() does at
// its default level. A value larger than kMaxUnpackedBytes, which no reader would unpack, or
// one that zlib fails to compress, is appended as the empty pair (0, 0) with no stream, and
// pack() returns false: a caller saving a document must not report that as saved.
class Packer {
public:
    Packer();
    ~Packer();
    Packer(const Packer&) = delete;
    Packer& operator=(const Packer&) = delete;

    bool pack(std::span<const std::uint8_t> value, std::vector<std::uint8_t>& out);

private:
    z_stream_s* m_stream;
    bool m_ready;
};

// Little-endian int32 appended to `out`.
void appendInt32(std::vector<std::uint8_t>& out, std::int32_t value);

} // namespace tav::tpl
