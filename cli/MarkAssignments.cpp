#include "cli/MarkAssignments.h"

#include "platform/Charset.h"
#include "printengine/Marks.h"

#include <iostream>

namespace tav::cli {

bool parseMarkAssignment(const std::string& text, MarkAssignment& out, std::string& error) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) {
        error = "--set takes MARK=VALUE, got '" + text + "'";
        return false;
    }
    auto name = platform::utf8ToGbk(text.substr(0, eq));
    auto value = platform::utf8ToGbk(text.substr(eq + 1));
    if (!name || !value) {
        error = "--set " + text + ": not UTF-8, or a character GBK cannot hold";
        return false;
    }
    out = {std::move(*name), std::move(*value)};
    return true;
}

bool applyMarkAssignments(tpl::Template& tpl, const std::vector<MarkAssignment>& marks) {
    bool allSet = true;
    for (const auto& mark : marks) {
        if (engine::setMark(tpl, mark.name, mark.value, engine::libraryPictureMaker()) == 1)
            continue;
        allSet = false;
        std::cerr << "tavprint: mark " << platform::gbkToUtf8(mark.name)
                  << " not set: no element's mark contains it, or its picture file cannot be "
                     "read\n";
    }
    return allSet;
}

} // namespace tav::cli
