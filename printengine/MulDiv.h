// Windows' MulDiv: a * b / c computed without overflow and rounded half away from zero; -1 when
// c is 0 or the result does not fit in 32 bits. The font arithmetic of printing depends on
// exactly this rounding.
#pragma once

#include <cstdint>
#include <limits>

namespace tav::engine {

constexpr std::int32_t mulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::uint64_t magnitude =
        product < 0 ? static_cast<std::uint64_t>(-product) : static_cast<std::uint64_t>(product);
    const std::uint64_t divisor = c < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(c))
                                        : static_cast<std::uint64_t>(c);
    const std::uint64_t quotient = (magnitude + divisor / 2) / divisor;
    if (quotient > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return -1;
    const auto q = static_cast<std::int32_t>(quotient);
    return negative ? -q : q;
}

} // namespace tav::engine
