#pragma once

#include <string>
#include <vector>

namespace tav::cli {

// `tavprint calibrate QUEUE [--offset X,Y] [--paper WxH]`: a calibration page, or storing the
// queue's calibration offset in the user's printers.conf.
int runCalibrate(const std::vector<std::string>& args);

} // namespace tav::cli
