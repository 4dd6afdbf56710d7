#pragma once

#include <string>
#include <vector>

namespace tav::cli {

// `tavprint batch FILE SOURCE [--rows ...] [--printer NAME] [--delay-ms N] [--output OUT.pdf]`:
// one label per data row, each column filling the mark its title names.
int runBatch(const std::vector<std::string>& args);

} // namespace tav::cli
