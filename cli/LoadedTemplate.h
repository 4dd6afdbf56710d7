// Loading the template a command works on, as the print engine loads it, and filling the marks
// given with --set. Problems are reported on stderr.
#pragma once

#include "cli/MarkAssignments.h"
#include "template/Template.h"

#include <string>
#include <vector>

namespace tav::cli {

// Reads `file` with the engine's reader, then parses and fills `setOptions` ("MARK=VALUE").
// Returns an exit code: kExitOk, kExitUsage for a malformed --set, kExitFailed when the file
// cannot be read or a mark cannot be set (so that a label is never printed with data the user
// did not mean).
int loadTemplateWithMarks(const std::string& command, const std::string& file,
                          const std::vector<std::string>& setOptions, tpl::Template& tpl);

} // namespace tav::cli
