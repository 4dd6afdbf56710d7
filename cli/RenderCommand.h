#pragma once

#include <string>
#include <vector>

namespace tav::cli {

// `tavprint render FILE -o OUT.pdf|OUT.png [--dpi N] [--set MARK=VALUE]...`
int runRender(const std::vector<std::string>& args);

} // namespace tav::cli
