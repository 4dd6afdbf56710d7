// What the desktop setup commands need to know of the user's session and to run: the user's
// data folder, whether the program runs as the superuser, whether a folder can be written, and
// running a helper program (fc-cache, xdg-mime, ...) to its end.
#pragma once

#include <string>
#include <vector>

namespace tav::platform {

// True when the process runs with the superuser's rights.
bool isSuperuser();

// $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share; empty when neither is
// known.
std::string userDataHome();

// True when files can be created in `folder`, or, for a folder that does not exist yet, in its
// nearest existing ancestor (so that the folder can be made).
bool folderWritable(const std::string& folder);

struct ProgramRun {
    bool started = false; // false when the program could not be found or run
    int exitCode = -1;    // its exit code; -1 when it was ended by a signal
    std::string output;   // what it wrote on stdout
};

// Runs `argv[0]` (looked up in PATH) with the arguments and waits for it; stdin is empty and
// stderr is kept only when `keepErrors`.
ProgramRun runProgram(const std::vector<std::string>& argv, bool keepErrors = false);

} // namespace tav::platform
