#pragma once

#include <string>
#include <vector>

namespace tav::cli {

// `tavprint info FILE [--editor]`: prints the template as read, as JSON on stdout.
int runInfo(const std::vector<std::string>& args);

} // namespace tav::cli
