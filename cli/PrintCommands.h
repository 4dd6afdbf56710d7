#pragma once

#include <string>
#include <vector>

namespace tav::cli {

// `tavprint render FILE -o OUT.pdf|OUT.png [--dpi N] [--set MARK=VALUE]...`
int runRender(const std::vector<std::string>& args);

// `tavprint print FILE [--printer NAME] [--copies N] [--job-name NAME] [--set MARK=VALUE]...`
int runPrint(const std::vector<std::string>& args);

// `tavprint printers`: the CUPS queues, the default one marked.
int runPrinters(const std::vector<std::string>& args);

} // namespace tav::cli
