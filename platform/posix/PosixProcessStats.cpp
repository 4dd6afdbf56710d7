#include "platform/ProcessStats.h"

#include <sys/resource.h>

namespace tav::platform {

std::uint64_t peakResidentBytes() {
    rusage usage{};
    if (::getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024; // Linux reports KiB
}

} // namespace tav::platform
