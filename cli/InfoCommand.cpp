#include "cli/InfoCommand.h"

#include "cli/ExitCodes.h"
#include "cli/MarkAssignments.h"
#include "cli/TemplateJson.h"
#include "labfile/LabElements.h"
#include "platform/File.h"
#include "template/TemplateReader.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>

namespace tav::cli {

namespace {

bool hasLabExtension(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".lab";
}

// A .lab label: the page size an import takes and the elements it would add.
int showLabImport(const std::string& file) {
    std::vector<std::uint8_t> bytes;
    if (platform::readWholeFile(file, bytes) != platform::FileReadStatus::Read) {
        std::cerr << "tavprint: cannot read " << file << "\n";
        return kExitFailed;
    }
    const lab::LabReadResult read = lab::readLabBytes(bytes);
    if (!read) {
        std::cerr << "tavprint: " << file << " is not a valid .lab label: " << read.error() << "\n";
        return kExitFailed;
    }
    const lab::LabImport import = lab::labImport(read.value());
    if (import.skippedPictures > 0)
        std::cerr << "tavprint: " << import.skippedPictures
                  << " picture(s) of the label are not pictures and would be skipped\n";
    std::cout << templateToJson(import.additions);
    std::cout.flush();
    return std::cout ? kExitOk : kExitFailed;
}

} // namespace

int runInfo(const std::vector<std::string>& args) {
    std::optional<std::string> file;
    auto variant = tpl::ReaderVariant::Engine;
    std::vector<MarkAssignment> marks;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--set") {
            if (i + 1 == args.size()) {
                std::cerr << "tavprint info: --set needs MARK=VALUE\n";
                return kExitUsage;
            }
            auto mark = parseMarkAssignment(args[++i]);
            if (!mark) {
                std::cerr << "tavprint info: " << mark.error() << "\n";
                return kExitUsage;
            }
            marks.push_back(std::move(mark.value()));
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

    if (hasLabExtension(*file)) {
        if (!marks.empty() || variant != tpl::ReaderVariant::Engine) {
            std::cerr << "tavprint info: --set and --editor do not apply to a .lab label\n";
            return kExitUsage;
        }
        return showLabImport(*file);
    }

    tpl::Template tpl;
    const auto read = tpl::readTemplateFile(*file, variant, tpl);
    if (!read) {
        std::cerr << "tavprint: cannot read " << *file << ": " << read.error() << "\n";
        return kExitFailed;
    }
    // A mark that cannot be set is reported; the template is still shown as it stands.
    applyMarkAssignments(tpl, marks);
    std::cout << templateToJson(tpl);
    std::cout.flush();
    return std::cout ? kExitOk : kExitFailed;
}

} // namespace tav::cli
