// Makes the designer a desktop application for the user: the .tav file type (shared-mime-info),
// the designer's icon and desktop entry, the designer as the type's default application
// (xdg-mime), and a shortcut in the user's desktop folder.
#pragma once

#include "common/Status.h"

#include <string>
#include <vector>

namespace tav::editor {

inline constexpr const char* kTavMimeType = "application/x-tav";
inline constexpr const char* kDesktopEntryName = "taveditor.desktop";
inline constexpr const char* kDesktopShortcutName = "TAVEditor.desktop";

// The Exec value that starts `program` with the file opened: the path quoted as desktop entries
// require when it holds blanks or other reserved characters, then " %f".
std::string desktopExec(const std::string& program);
// The desktop entry that starts `program` (the shortcut carries the same entry).
std::string desktopEntry(const std::string& program);
// The command a launcher runs for `execValue` with `file` opened: the value's fields unquoted,
// %f replaced by the file (and dropped when there is none).
std::vector<std::string> expandDesktopExec(const std::string& execValue, const std::string& file);

// Writes the type, icon and entry under the user's data folder, refreshes their databases,
// makes the entry the default for the type and puts the shortcut on the desktop
// (xdg-user-dir DESKTOP). Helpers that cannot be run are skipped: only files that cannot be
// written make the outcome fail; its text names the file and why (English).
Status associateTavFiles(const std::string& program);

} // namespace tav::editor
