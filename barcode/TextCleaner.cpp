#include "barcode/TextCleaner.h"

namespace tav::barcode {

void cleanText(std::string_view text, std::string& cleaned) {
    cleaned.clear();
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte != 0x20)
                cleaned.push_back(text[i]);
            continue;
        }
        if (i + 1 == n) {
            cleaned.push_back(text[i]);
            break;
        }
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (byte != 0xA1 || trail != 0xA1) {
            cleaned.push_back(text[i]);
            cleaned.push_back(text[i + 1]);
        }
        ++i;
    }
}

} // namespace tav::barcode
