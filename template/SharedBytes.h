// An immutable block of bytes shared between copies: copying a SharedBytes copies a reference,
// and "changing" one means assigning a new block. Copies of a document therefore never copy
// picture payloads, yet behave exactly as deep copies.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tav::tpl {

class SharedBytes {
public:
    SharedBytes() = default;
    explicit SharedBytes(std::vector<std::uint8_t> bytes)
        : m_bytes(bytes.empty()
                      ? nullptr
                      : std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes))) {}
    SharedBytes(const std::uint8_t* data, std::size_t size)
        : SharedBytes(std::vector<std::uint8_t>(data, data + size)) {}

    std::size_t size() const { return m_bytes ? m_bytes->size() : 0; }
    bool empty() const { return size() == 0; }
    const std::uint8_t* data() const { return m_bytes ? m_bytes->data() : nullptr; }
    std::span<const std::uint8_t> span() const { return {data(), size()}; }

    // True when both refer to the same stored block (used to check that copies share).
    bool sharesStorageWith(const SharedBytes& other) const {
        return m_bytes && m_bytes == other.m_bytes;
    }

    friend bool operator==(const SharedBytes& a, const SharedBytes& b) {
        return a.m_bytes == b.m_bytes ||
               std::equal(a.span().begin(), a.span().end(), b.span().begin(), b.span().end());
    }

private:
    std::shared_ptr<const std::vector<std::uint8_t>> m_bytes;
};

} // namespace tav::tpl
