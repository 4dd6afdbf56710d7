#include "dotgauge/SizeConversion.h"

#include <cmath>
#include <limits>

namespace tav::dotgauge {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;

// Truncates toward zero; converting a double outside the range of int would be undefined.
int truncateToInt(double value) {
    if (std::isnan(value))
        return kNoSize;
    const double truncated = std::trunc(value);
    if (truncated >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (truncated <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(truncated);
}

} // namespace

int pixelsToMillimetres(int pixels, int dpi) {
    if (dpi == 0)
        return kNoSize;
    return truncateToInt(static_cast<double>(pixels) * kMillimetresPerInch /
                         static_cast<double>(dpi));
}

int printSize(int size, int resolution, int divisor) {
    if (divisor == 0)
        return kNoSize;
    double t = static_cast<double>(size) / kPointsPerInch * static_cast<double>(resolution);
    t = std::fabs(t);
    double m = t * kMillimetresPerInch / static_cast<double>(divisor);
    m = std::floor(m * 100.0 + 0.5) / 100.0;
    return truncateToInt(m / kMillimetresPerInch * kPointsPerInch);
}

} // namespace tav::dotgauge
