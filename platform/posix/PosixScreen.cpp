#include "platform/Device.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace tav::platform {

int screenDpi() {
    constexpr int kDefaultDpi = 96;
    const char* text = std::getenv("TAV_SCREEN_DPI");
    if (text == nullptr || *text < '0' || *text > '9')
        return kDefaultDpi;
    const char* end = text + std::strlen(text);
    int value = 0;
    auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end || value <= 0)
        return kDefaultDpi;
    return value;
}

} // namespace tav::platform
