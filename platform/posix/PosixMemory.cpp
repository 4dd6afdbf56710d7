#include "platform/Memory.h"

#include <cstdlib> // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tav::platform {

void keepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    static const bool tuned = [] {
        mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 8 * 1024 * 1024);
        return true;
    }();
    (void)tuned;
#endif
}

} // namespace tav::platform
