#pragma once

#include <string>
#include <vector>

namespace tav::cli {

// `tavprint barcode TEXT -o FILE.bmp [--rotate]`: writes the Code 128 picture of TEXT (UTF-8,
// converted to GBK) to FILE, the same file GetBarcode writes.
int runBarcode(const std::vector<std::string>& args);

} // namespace tav::cli
