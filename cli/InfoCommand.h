#pragma once

#include <string>
#include <vector>

namespace tav::cli {

// `tavprint info FILE [--editor] [--set MARK=VALUE]...`: prints the template as read, with the
// marks filled, as JSON on stdout.
int runInfo(const std::vector<std::string>& args);

} // namespace tav::cli
