#pragma once

#include "printengine/PrintJob.h"

#include <string>
#include <vector>

namespace tav::cli {

// `tavprint print FILE [--printer NAME] [--copies N] [--job-name NAME] [--set MARK=VALUE]...`
int runPrint(const std::vector<std::string>& args);

// `tavprint printers`: the CUPS queues, the default one marked, their calibration, and the
// printer mapping of printers.conf.
int runPrinters(const std::vector<std::string>& args);

// Says on stderr which queue printed when it is not the one named ("tavprint COMMAND: ...").
void reportSubstitution(const char* command, const engine::PrintTarget& target);

} // namespace tav::cli
