#include "cli/InfoCommand.h"

#include "cli/ExitCodes.h"
#include "cli/MarkAssignments.h"
#include "cli/TemplateJson.h"
#include "template/TemplateReader.h"

#include <cstdio>
#include <iostream>
#include <optional>

namespace tav::cli {

int runInfo(const std::vector<std::string>& args) {
    std::optional<std::string> file;
    auto variant = tpl::ReaderVariant::Engine;
    std::vector<MarkAssignment> marks;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--set") {
            std::string error;
            MarkAssignment mark;
            if (i + 1 == args.size() || !parseMarkAssignment(args[++i], mark, error)) {
                std::cerr << "tavprint info: " << (error.empty() ? "--set needs MARK=VALUE" : error)
                          << "\n";
                return kExitUsage;
            }
            marks.push_back(std::move(mark));
        } else if (arg == "--editor") {
            variant = tpl::ReaderVariant::Editor;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            std::cerr << "tavprint info: unknown option " << arg << "\n";
            return kExitUsage;
        } else if (file) {
            std::cerr << "tavprint info: only one template file may be given\n";
            return kExitUsage;
        } else {
            file = arg;
        }
    }
    if (!file) {
        std::cerr << "tavprint info: no template file given (see tavprint --help)\n";
        return kExitUsage;
    }

    tpl::Template tpl;
    const auto status = tpl::readTemplateFile(*file, variant, tpl);
    if (status != tpl::ReadStatus::Loaded) {
        std::cerr << "tavprint: cannot read " << *file << ": " << tpl::toString(status) << "\n";
        return kExitFailed;
    }
    // A mark that cannot be set is reported; the template is still shown as it stands.
    applyMarkAssignments(tpl, marks);
    std::cout << templateToJson(tpl);
    std::cout.flush();
    return std::cout ? kExitOk : kExitFailed;
}

} // namespace tav::cli
