// Replaces the global operator new and delete of the test program. Kept in its own file so that
// the compiler does not inline the pair into callers.
#include "LargestAllocation.h"

#include <cstdlib>
#include <new>

namespace {
std::size_t g_largest = 0;
}

namespace tav::test {
void resetLargestAllocation() {
    g_largest = 0;
}
std::size_t largestAllocation() {
    return g_largest;
}
} // namespace tav::test

void* operator new(std::size_t size) {
    if (size > g_largest)
        g_largest = size;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
