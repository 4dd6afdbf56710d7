#include "cli/OutputPath.h"

#include "platform/File.h"

#include <algorithm>
#include <cctype>

namespace tav::cli {
namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string joined(std::initializer_list<std::string_view> extensions) {
    std::string out;
    for (std::string_view extension : extensions) {
        if (!out.empty())
            out += " or ";
        out += extension;
    }
    return out;
}

} // namespace

std::string outputPathProblem(const std::string& path,
                              std::initializer_list<std::string_view> extensions,
                              const std::vector<std::string>& inputs) {
    const bool named = std::any_of(extensions.begin(), extensions.end(), [&](auto extension) {
        return endsWithIgnoringCase(path, extension);
    });
    if (!named)
        return "the output must end in " + joined(extensions) + ": " + path;
    switch (platform::pathKind(path)) {
    case platform::PathKind::Missing:
    case platform::PathKind::RegularFile:
        break;
    case platform::PathKind::SymbolicLink:
        return "the output " + path + " is a symbolic link; name the file itself";
    case platform::PathKind::Directory:
        return "the output " + path + " is a folder";
    case platform::PathKind::Other:
        return "the output " + path + " is not a regular file (a device or a pipe)";
    }
    for (const std::string& input : inputs)
        if (platform::sameFile(path, input))
            return "the output " + path + " is the input file " + input;
    return {};
}

} // namespace tav::cli
