#include "editor/core/FontInstall.h"

#include "platform/File.h"
#include "platform/PageCanvas.h"
#include "platform/UserSession.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace tav::editor {

namespace fs = std::filesystem;

std::vector<std::string> fontSourceFolders(const std::string& programFolder) {
    const fs::path program(programFolder);
    return {(program / "Fonts").string(),
            (program.parent_path() / "share" / "taveditor" / "Fonts").lexically_normal().string()};
}

namespace {

bool isTrueType(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".ttf";
}

} // namespace

std::vector<std::string> findFontFiles(const std::vector<std::string>& folders) {
    std::set<std::string> names;
    std::vector<std::pair<std::string, std::string>> found; // name, path
    for (const auto& folder : folders) {
        std::error_code ec;
        std::vector<std::pair<std::string, std::string>> here;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path& path = it->path();
            std::error_code typeError;
            if (!isTrueType(path) || !it->is_regular_file(typeError))
                continue;
            here.emplace_back(path.filename().string(), path.string());
        }
        for (auto& entry : here)
            if (names.insert(entry.first).second)
                found.push_back(std::move(entry));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& entry : found)
        paths.push_back(std::move(entry.second));
    return paths;
}

std::string fontTargetFolder() {
    if (platform::isSuperuser())
        return "/usr/local/share/fonts";
    const std::string data = platform::userDataHome();
    return data.empty() ? std::string() : data + "/fonts";
}

bool canInstallFontsInto(const std::string& folder) {
    return !folder.empty() && platform::folderWritable(folder);
}

bool installFontFile(const std::string& source, const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::vector<std::uint8_t> bytes;
    if (platform::readWholeFile(source, bytes) != platform::FileReadStatus::Read)
        return false;
    return platform::writeFileAtomically((fs::path(folder) / fs::path(source).filename()).string(),
                                         bytes)
        .ok();
}

bool refreshFonts(const std::string& folder) {
    const platform::ProgramRun run = platform::runProgram({"fc-cache", "-f", folder});
    platform::reloadEngineFonts();
    return run.started && run.exitCode == 0;
}

} // namespace tav::editor
