#include "template/Template.h"

#include <limits>

namespace tav::tpl {

void clearTemplate(Template& tpl) {
    tpl.page = PageSettings{};
    tpl.elements.clear();
    tpl.elements.shrink_to_fit();
}

std::int32_t elementCount(const Template& tpl) {
    // The reader never holds more records than a file can carry, far below this bound.
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(tpl.elements.size(), kMax));
}

} // namespace tav::tpl
