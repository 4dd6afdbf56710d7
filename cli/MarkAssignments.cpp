#include "cli/MarkAssignments.h"

#include "platform/Charset.h"
#include "printengine/Marks.h"

#include <iostream>

namespace tav::cli {

Result<MarkAssignment> parseMarkAssignment(const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0)
        return Result<MarkAssignment>::failure("--set takes MARK=VALUE, got '" + text + "'");
    auto name = platform::utf8ToGbk(text.substr(0, eq));
    auto value = platform::utf8ToGbk(text.substr(eq + 1));
    if (!name || !value)
        return Result<MarkAssignment>::failure("--set " + text +
                                               ": not UTF-8, or a character GBK cannot hold");
    return MarkAssignment{std::move(*name), std::move(*value)};
}

bool applyMarkAssignments(tpl::Template& tpl, const std::vector<MarkAssignment>& marks) {
    bool allSet = true;
    for (const auto& mark : marks) {
        const engine::MarkStatus set =
            engine::setMark(tpl, mark.name, mark.value, engine::libraryPictureMaker());
        if (set)
            continue;
        allSet = false;
        std::cerr << "tavprint: mark " << platform::gbkToUtf8(mark.name)
                  << " not set: " << set.error() << "\n";
    }
    return allSet;
}

} // namespace tav::cli
