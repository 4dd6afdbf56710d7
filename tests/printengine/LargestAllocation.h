// Records the largest single allocation made through operator new, so that a test can tell that
// a header's claims were never allocated. Linked into one test program only.
#pragma once

#include <cstddef>

namespace tav::test {

void resetLargestAllocation();
std::size_t largestAllocation();

} // namespace tav::test
