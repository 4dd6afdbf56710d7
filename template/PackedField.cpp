#include "template/PackedField.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace tav::tpl {

Unpacker::Unpacker() : m_stream(new z_stream{}), m_ready(inflateInit(m_stream) == Z_OK) {}

Unpacker::~Unpacker() {
    if (m_ready)
        inflateEnd(m_stream);
    delete m_stream;
}

bool Unpacker::unpack(std::span<const std::uint8_t> packed, std::int32_t rawLength,
                      std::vector<std::uint8_t>& out) {
    out.clear();
    if (rawLength < 1 || !m_ready)
        return false;
    const auto raw = static_cast<std::int64_t>(rawLength);
    if (raw > kMaxUnpackedBytes ||
        raw > kMaxInflateRatio * static_cast<std::int64_t>(packed.size()))
        return false;
    if (inflateReset(m_stream) != Z_OK)
        return false;

    const auto limit = static_cast<std::size_t>(raw);
    // Start from what the packed size makes likely and grow towards the claimed size only as
    // the stream really produces output.
    std::size_t capacity = std::min(limit, std::max<std::size_t>(4096, packed.size() * 4));
    out.resize(capacity);
    m_stream->next_in = const_cast<Bytef*>(packed.data());
    m_stream->avail_in = static_cast<uInt>(packed.size());
    m_stream->next_out = out.data();
    m_stream->avail_out = static_cast<uInt>(capacity);

    for (;;) {
        int ret = inflate(m_stream, Z_NO_FLUSH);
        if (ret == Z_STREAM_END) {
            out.resize(m_stream->total_out);
            return true;
        }
        bool outputFull = m_stream->avail_out == 0;
        if ((ret != Z_OK && ret != Z_BUF_ERROR) || (!outputFull && m_stream->avail_in == 0) ||
            (!outputFull && ret == Z_BUF_ERROR) || (outputFull && capacity == limit)) {
            out.clear();
            return false;
        }
        if (outputFull) {
            std::size_t used = capacity;
            capacity = std::min(limit, capacity * 2);
            out.resize(capacity);
            m_stream->next_out = out.data() + used;
            m_stream->avail_out = static_cast<uInt>(capacity - used);
        }
    }
}

Packer::Packer()
    : m_stream(new z_stream{}), m_ready(deflateInit(m_stream, Z_DEFAULT_COMPRESSION) == Z_OK) {}

Packer::~Packer() {
    if (m_ready)
        deflateEnd(m_stream);
    delete m_stream;
}

bool Packer::pack(std::span<const std::uint8_t> value, std::vector<std::uint8_t>& out) {
    if (value.empty()) {
        // Most fields of a template are empty; compress() always turns them into this stream.
        static constexpr std::uint8_t kEmptyField[] = {
            0, 0, 0, 0, 8, 0, 0, 0, 0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
        out.insert(out.end(), std::begin(kEmptyField), std::end(kEmptyField));
        return true;
    }
    const std::size_t headerAt = out.size();
    appendInt32(out, 0);
    appendInt32(out, 0);
    if (!m_ready || value.size() > kMaxUnpackedBytes || deflateReset(m_stream) != Z_OK)
        return false;
    const uLong bound = compressBound(static_cast<uLong>(value.size()));
    out.resize(headerAt + 8 + bound);
    m_stream->next_in = const_cast<Bytef*>(value.data());
    m_stream->avail_in = static_cast<uInt>(value.size());
    m_stream->next_out = out.data() + headerAt + 8;
    m_stream->avail_out = static_cast<uInt>(bound);
    if (deflate(m_stream, Z_FINISH) != Z_STREAM_END) {
        out.resize(headerAt + 8);
        return false;
    }
    const auto packedSize = static_cast<std::int32_t>(m_stream->total_out);
    out.resize(headerAt + 8 + static_cast<std::size_t>(packedSize));
    const auto rawSize = static_cast<std::int32_t>(value.size());
    std::uint8_t header[8];
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(rawSize) >> (8 * i));
        header[4 + i] =
            static_cast<std::uint8_t>(static_cast<std::uint32_t>(packedSize) >> (8 * i));
    }
    std::memcpy(out.data() + headerAt, header, sizeof header);
    return true;
}

void appendInt32(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    out.push_back(static_cast<std::uint8_t>(u));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
    out.push_back(static_cast<std::uint8_t>(u >> 16));
    out.push_back(static_cast<std::uint8_t>(u >> 24));
}

} // namespace tav::tpl
