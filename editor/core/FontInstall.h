// Installing the barcode fonts shipped with the designer: the TrueType files of the Fonts
// folders go into the user's font folder (the system's local one for the superuser), and the
// font cache of that folder is refreshed, so that other programs and this one draw with them.
#pragma once

#include <string>
#include <vector>

namespace tav::editor {

// The folders searched for fonts: "Fonts" beside the program, then the installed share folder
// (<prefix>/share/taveditor/Fonts, with the program in <prefix>/bin).
std::vector<std::string> fontSourceFolders(const std::string& programFolder);

// The TrueType files (*.ttf, any case) of the folders, sorted by name; a name found in an earlier
// folder hides the same name in a later one. Missing folders give nothing.
std::vector<std::string> findFontFiles(const std::vector<std::string>& folders);

// Where fonts are installed: $XDG_DATA_HOME/fonts (or ~/.local/share/fonts) for a user,
// /usr/local/share/fonts for the superuser; empty when the user's data folder is unknown.
std::string fontTargetFolder();

// True when fonts can be written into `folder` (it exists and is writable, or can be made).
bool canInstallFontsInto(const std::string& folder);

// Copies one font file into `folder` (made when missing) under its own name, atomically; an
// existing file of that name is replaced. False when the font could not be written.
bool installFontFile(const std::string& source, const std::string& folder);

// Refreshes the font cache of `folder` (fc-cache) and makes the engine read the fonts anew, so
// that this process draws with the new fonts at once. False when fc-cache could not be run or
// failed (the fonts are still found, only more slowly).
bool refreshFonts(const std::string& folder);

} // namespace tav::editor
