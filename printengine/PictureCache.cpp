#include "printengine/PictureCache.h"

#include <algorithm>

namespace tav::engine {

std::shared_ptr<const platform::DecodedImage> PictureCache::decode(const tpl::SharedBytes& bytes) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const Entry& e) { return e.bytes.sharesStorageWith(bytes); });
    if (it != m_entries.end()) {
        std::rotate(it, it + 1, m_entries.end());
        return m_entries.back().image;
    }
    auto decoded = platform::decodeImage(bytes.span());
    std::shared_ptr<const platform::DecodedImage> image =
        decoded ? std::make_shared<const platform::DecodedImage>(std::move(*decoded)) : nullptr;
    if (image && m_capacity > 0 && !bytes.empty()) {
        if (m_entries.size() == m_capacity)
            m_entries.erase(m_entries.begin());
        m_entries.push_back({bytes, image});
    }
    return image;
}

} // namespace tav::engine
