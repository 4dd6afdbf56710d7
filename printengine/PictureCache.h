// Decoded pictures kept between pages. A batch prints the same template again and again, and
// most of its pictures (a logo, a QR code whose mark is not filled) do not change between rows:
// each is decoded once. Pictures are recognised by their shared storage, so a picture that a
// mark rebuilds is a new picture.
#pragma once

#include "platform/ImageCodec.h"
#include "template/SharedBytes.h"

#include <memory>
#include <vector>

namespace tav::engine {

class PictureCache {
public:
    explicit PictureCache(std::size_t capacity = 32) : m_capacity(capacity) {}

    // The decoded picture of `bytes`, decoding it on first use; null when it cannot be decoded.
    std::shared_ptr<const platform::DecodedImage> decode(const tpl::SharedBytes& bytes);

private:
    struct Entry {
        tpl::SharedBytes bytes; // holds the storage, so its address cannot be reused meanwhile
        std::shared_ptr<const platform::DecodedImage> image;
    };
    std::size_t m_capacity;
    std::vector<Entry> m_entries; // most recently used last
};

} // namespace tav::engine
