// Figures about the running process, for benchmarks and diagnostics.
#pragma once

#include <cstdint>

namespace tav::platform {

// The largest resident set size the process has had so far, in bytes.
std::uint64_t peakResidentBytes();

} // namespace tav::platform
