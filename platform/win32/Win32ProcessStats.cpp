#include "platform/ProcessStats.h"

#include <windows.h>
// After windows.h, which it needs; K32GetProcessMemoryInfo lives in kernel32.
#include <psapi.h>

namespace tav::platform {

std::uint64_t peakResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

} // namespace tav::platform
