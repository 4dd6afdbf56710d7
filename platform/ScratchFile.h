// Scratch files through which libraries hand pictures to each other.
#pragma once

#include <optional>
#include <string>

namespace tav::platform {

// Creates a new, empty file with a name no other call or process can get, in the temporary
// folder ($TMPDIR, else /tmp), and returns its path; nothing when it cannot be created.
std::optional<std::string> createScratchFile();

// Removes the file at `path`; true when it is gone.
bool removeFile(const std::string& path);

} // namespace tav::platform
