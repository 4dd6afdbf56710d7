#include "template/Template.h"

#include <limits>

namespace tav::tpl {

const char* elementKindName(std::int32_t kind) {
    static constexpr const char* kNames[] = {
        "RectOutline",    "RectFilled",   "RoundedRect",  "EllipseOutline", "EllipseFilled",
        "HorizontalLine", "VerticalLine", "DiagonalDown", "DiagonalUp",     "BarcodeImage",
        "QrCodeImage",    "Picture",      "Text"};
    if (kind < 1 || kind > 13)
        return nullptr;
    return kNames[kind - 1];
}

void clearTemplate(Template& tpl) {
    tpl.page = PageSettings{};
    tpl.elements.clear();
    tpl.elements.shrink_to_fit();
}

void appendElementCopy(Template& tpl, const TemplateElement& element) {
    tpl.elements.push_back(element);
}

std::int32_t elementCount(const Template& tpl) {
    // The reader never holds more records than a file can carry, far below this bound.
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(tpl.elements.size(), kMax));
}

} // namespace tav::tpl
