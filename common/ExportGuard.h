// How the C exports answer. Each export runs its body through guardExport, which keeps every
// exception on this side of the C interface and turns the body's outcome into the export's
// documented result. Inside the libraries operations report through Status and Result; the
// exports are the only place where an outcome becomes 1 or 0.
#pragma once

#include "common/Status.h"

#include <type_traits>
#include <utility>

namespace tav {

// An export's result for an outcome: 1 for success, 0 for a failure. A number the export hands
// back as it is (a count, a resolution) passes through.
template <typename Code> int exportResult(const BasicStatus<Code>& status) {
    return status.ok() ? 1 : 0;
}
template <typename T, typename Code> int exportResult(const Result<T, Code>& result) {
    return result.ok() ? 1 : 0;
}
inline int exportResult(int value) {
    return value;
}

// Runs an export's body. What the body returns becomes the export's result through
// exportResult; a body that returns nothing gives nothing. An exception (out of memory, in
// practice) runs `onException`, which must not throw, and gives 0.
template <typename Body, typename OnException>
auto guardExport(Body&& body, OnException&& onException) noexcept {
    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
        try {
            body();
        } catch (...) {
            onException();
        }
    } else {
        try {
            return exportResult(body());
        } catch (...) {
            onException();
            return 0;
        }
    }
}

template <typename Body> auto guardExport(Body&& body) noexcept {
    return guardExport(std::forward<Body>(body), [] {});
}

} // namespace tav
