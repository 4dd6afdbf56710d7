// Builds .tav file images byte by byte for reader tests, so that every field, including broken
// ones, can be set exactly.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

namespace tav::test {

class TavBytes {
public:
    TavBytes& magic(const std::string& text = "TAV 3.1...") {
        raw(text.data(), text.size());
        return *this;
    }
    TavBytes& int32(std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
        return *this;
    }
    TavBytes& float32(float f) {
        std::int32_t bits;
        std::memcpy(&bits, &f, 4);
        return int32(bits);
    }
    TavBytes& raw(const void* data, std::size_t size) {
        auto* p = static_cast<const std::uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), p, p + size);
        return *this;
    }
    // A packed field made with zlib's compress(), with the raw length stated as given (or the
    // true length when rawLength is negative).
    TavBytes& packed(const std::string& value, std::int64_t rawLength = -1) {
        uLongf size = compressBound(static_cast<uLong>(value.size()));
        std::vector<Bytef> out(size);
        compress(out.data(), &size, reinterpret_cast<const Bytef*>(value.data()),
                 static_cast<uLong>(value.size()));
        int32(static_cast<std::int32_t>(rawLength < 0 ? value.size() : rawLength));
        int32(static_cast<std::int32_t>(size));
        return raw(out.data(), size);
    }
    // The fixed header of a "TAV 3.1..." file.
    TavBytes& header(std::int32_t count, std::int32_t width, std::int32_t height,
                     const std::string& printer = "", std::int32_t printScale = 0,
                     float zoom = 1.0f) {
        magic().int32(count).int32(width).int32(height).int32(0).int32(0xFFFFFF);
        int32(printScale).float32(zoom);
        return packed(printer);
    }
    // A record with all-empty texts and payloads, identified by its kind and position.
    TavBytes& record(std::int32_t kind, std::int32_t x, std::int32_t y,
                     const std::string& content = "", const std::string& mark = "") {
        int32(kind).int32(x).int32(y);
        for (int i = 0; i < 13; ++i)
            int32(0); // width .. size
        packed("").packed("").packed("");
        int32(0).int32(0);
        return packed(content).packed(mark);
    }
    std::size_t size() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    std::vector<std::uint8_t> truncated(std::size_t size) const {
        return {m_bytes.begin(),
                m_bytes.begin() + static_cast<std::ptrdiff_t>(std::min(size, m_bytes.size()))};
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace tav::test
