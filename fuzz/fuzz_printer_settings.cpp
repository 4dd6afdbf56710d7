// Feeds arbitrary bytes to the printers.conf reader and to the rewrite that stores a
// calibration: nothing may crash or leak, and after the rewrite the reader finds the offset
// that was stored, whatever the file held before.
#include "printengine/PrinterSettings.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tav::engine;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    PrinterSettings settings;
    settings.addText(text);
    for (const auto& [name, queue] : settings.mappings())
        (void)settings.mappedQueue(name);
    for (const auto& [queue, value] : settings.calibrations())
        (void)settings.calibration(queue);
    (void)parsePageOffset(text);

    const std::string rewritten = withCalibration(text, "FUZZ-QUEUE-7", {12, -34});
    PrinterSettings again;
    again.addText(rewritten);
    if (again.calibration("FUZZ-QUEUE-7") != PageOffset{12, -34})
        std::abort();
    return 0;
}
