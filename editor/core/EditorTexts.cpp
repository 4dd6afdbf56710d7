#include "editor/core/EditorTexts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tav::editor {
namespace {

// Leading and trailing blanks are forgiven; anything else that is not part of the number is not.
std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<double> parseNumber(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> truncatedTenths(double millimetres) {
    const double tenths = std::trunc(millimetres * 10.0);
    if (tenths < std::numeric_limits<std::int32_t>::min() ||
        tenths > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(tenths);
}

std::string twoDecimals(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

} // namespace

std::string formatMillimetres(std::int32_t tenths) {
    const std::int64_t t = tenths;
    const std::int64_t whole = t / 10, rest = t % 10;
    std::string text = (t < 0 && whole == 0) ? "-0" : std::to_string(whole);
    if (rest != 0) {
        // Two appends, not "." + ...: GCC 12 at -O3 reports a false overlap (-Wrestrict) there.
        text += '.';
        text += std::to_string(rest < 0 ? -rest : rest);
    }
    return text;
}

std::optional<std::int32_t> parseMillimetres(std::string_view text) {
    const auto value = parseNumber(text);
    return value ? truncatedTenths(*value) : std::nullopt;
}

std::optional<std::int32_t> parsePaperLength(std::string_view text) {
    constexpr double kMinimum = 1.0, kMaximum = 500.0, kTolerance = 1e-7;
    const auto value = parseNumber(text);
    if (!value || *value < kMinimum - kTolerance || *value > kMaximum + kTolerance)
        return std::nullopt;
    // A value taken within the tolerance is the limit itself: truncating 0.99999999 unclamped
    // would give 9 tenths, below the minimum just enforced.
    return truncatedTenths(std::clamp(*value, kMinimum, kMaximum));
}

std::optional<std::int32_t> parseInteger(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string positionText(double xMillimetres, double yMillimetres) {
    return "x = " + twoDecimals(xMillimetres) + " mm  y = " + twoDecimals(yMillimetres) + " mm";
}

std::string pointerText(double px, double py, double zoom) {
    return positionText(px / (10.0 * zoom), py / (10.0 * zoom));
}

std::string boxText(const tpl::ElementBox& box) {
    return positionText(box.x / 10.0, box.y / 10.0) + "  w = " + twoDecimals(box.width / 10.0) +
           " mm  h = " + twoDecimals(box.height / 10.0) + " mm";
}

std::string emptyPositionText() {
    return positionText(0, 0);
}

std::string emptyBoxText() {
    return boxText({});
}

std::string zoomChoiceText(int index) {
    return std::to_string((index + 1) * 10) + "%";
}

std::string windowCaption(const std::string& path) {
    return "TAVEditor - " + (path.empty() ? std::string("未命名.tav") : path);
}

} // namespace tav::editor
