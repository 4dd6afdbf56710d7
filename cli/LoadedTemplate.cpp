#include "cli/LoadedTemplate.h"

#include "cli/ExitCodes.h"
#include "template/TemplateReader.h"

#include <iostream>

namespace tav::cli {

int loadTemplateWithMarks(const std::string& command, const std::string& file,
                          const std::vector<std::string>& setOptions, tpl::Template& tpl) {
    std::vector<MarkAssignment> marks;
    for (const auto& option : setOptions) {
        auto mark = parseMarkAssignment(option);
        if (!mark) {
            std::cerr << "tavprint " << command << ": " << mark.error() << "\n";
            return kExitUsage;
        }
        marks.push_back(std::move(mark.value()));
    }
    const auto read = tpl::readTemplateFile(file, tpl::ReaderVariant::Engine, tpl);
    if (!read) {
        std::cerr << "tavprint: cannot read " << file << ": " << read.error() << "\n";
        return kExitFailed;
    }
    return applyMarkAssignments(tpl, marks) ? kExitOk : kExitFailed;
}

} // namespace tav::cli
