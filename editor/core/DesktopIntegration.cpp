#include "editor/core/DesktopIntegration.h"

#include "editor/core/DesktopFiles.h"
#include "platform/File.h"
#include "platform/UserSession.h"

#include <cstdlib>
#include <filesystem>
#include <span>

namespace tav::editor {

namespace fs = std::filesystem;

namespace {

// Characters that make a desktop entry's argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters escaped with a backslash inside quotes.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string quoteArgument(const std::string& arg) {
    if (arg.find_first_of(kReserved) == std::string::npos)
        return arg;
    std::string quoted = "\"";
    for (char c : arg) {
        if (kEscapedInQuotes.find(c) != std::string_view::npos)
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// A value of a desktop entry is a string in which '\' escapes.
std::string escapeValue(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

Status writeText(const fs::path& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    if (auto saved = platform::writeFileAtomically(path.string(), std::span(data, text.size()));
        !saved)
        return Status::failure(path.string() + ": " + saved.error());
    return Status::success();
}

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

fs::path desktopFolder() {
    const auto run = platform::runProgram({"xdg-user-dir", "DESKTOP"});
    std::string folder = run.started && run.exitCode == 0 ? trimmed(run.output) : std::string();
    if (folder.empty() || folder[0] != '/') {
        const char* home = std::getenv("HOME");
        folder = std::string(home != nullptr ? home : "") + "/Desktop";
    }
    return folder;
}

} // namespace

std::string desktopExec(const std::string& program) {
    return quoteArgument(program) + " %f";
}

std::string desktopEntry(const std::string& program) {
    std::string entry = kDesktopEntryTemplate;
    const std::string placeholder = "@TAV_DESKTOP_EXEC@ %f";
    entry.replace(entry.find(placeholder), placeholder.size(), escapeValue(desktopExec(program)));
    return entry;
}

std::vector<std::string> expandDesktopExec(const std::string& execValue, const std::string& file) {
    // The string level first: "\\" is one backslash.
    std::string value;
    for (std::size_t i = 0; i < execValue.size(); ++i) {
        if (execValue[i] == '\\' && i + 1 < execValue.size() && execValue[i + 1] == '\\')
            ++i;
        value += execValue[i];
    }
    std::vector<std::string> fields;
    std::string field;
    bool inField = false, quoted = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quoted) {
            if (c == '\\' && i + 1 < value.size())
                field += value[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = inField = true;
        } else if (c == ' ') {
            if (inField)
                fields.push_back(field);
            field.clear();
            inField = false;
        } else {
            field += c;
            inField = true;
        }
    }
    if (inField)
        fields.push_back(field);
    std::vector<std::string> command;
    for (const auto& f : fields) {
        if (f == "%f") {
            if (!file.empty())
                command.push_back(file);
        } else {
            command.push_back(f);
        }
    }
    return command;
}

Status associateTavFiles(const std::string& program) {
    const std::string data = platform::userDataHome();
    if (data.empty())
        return Status::failure("the user's data folder is not known (no HOME)");
    const fs::path dataHome(data);
    const std::string entry = desktopEntry(program);
    const fs::path icon = dataHome / "icons" / "hicolor" / "scalable" / "apps" / "taveditor.svg";
    if (Status written = writeText(dataHome / "mime" / "packages" / "taveditor.xml", kMimeTypeXml);
        !written)
        return written;
    if (Status written = writeText(icon, kIconSvg); !written)
        return written;
    if (Status written = writeText(dataHome / "applications" / kDesktopEntryName, entry); !written)
        return written;
    platform::runProgram({"update-mime-database", (dataHome / "mime").string()});
    platform::runProgram({"update-desktop-database", (dataHome / "applications").string()});
    platform::runProgram({"xdg-mime", "default", kDesktopEntryName, kTavMimeType});

    // The shortcut: launchers start only entries on the desktop that are executable.
    const fs::path shortcut = desktopFolder() / kDesktopShortcutName;
    if (Status written = writeText(shortcut, entry); !written)
        return written;
    std::error_code ec;
    fs::permissions(shortcut,
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ec);
    return Status::success();
}

} // namespace tav::editor
