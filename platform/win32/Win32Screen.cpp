#include "platform/Device.h"

#include <windows.h>

namespace tav::platform {

int screenDpi() {
    // The logical resolution Windows gives the screen (96 unless the user scaled it).
    constexpr int kDefaultDpi = 96;
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr)
        return kDefaultDpi;
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

} // namespace tav::platform
