// tavprint calibrate: a calibration page for one queue, or storing the offset the user measured
// on it in printers.conf, where every print to that queue (TAVPrint, print, batch) finds it.
#include "cli/CalibrateCommand.h"
#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "platform/Charset.h"
#include "platform/SystemSpooler.h"
#include "printengine/CalibrationPage.h"
#include "printengine/PrintJob.h"
#include "printengine/PrinterSettings.h"

#include <cstdio>
#include <iostream>

namespace tav::cli {
namespace {

constexpr const char* kUsage =
    "usage: tavprint calibrate QUEUE [--paper WxH]   print a calibration page (sizes in mm)\n"
    "       tavprint calibrate QUEUE --offset X,Y   store the queue's offset (0.1 mm)\n";

bool parsePaper(const std::string& text, std::int32_t& width, std::int32_t& height) {
    int w = 0, h = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &end) != 2 || w < 20 || h < 20 || w > 2000 ||
        h > 2000)
        return false;
    width = w * 10;
    height = h * 10;
    return true;
}

int storeOffset(const std::string& queue, const std::string& text) {
    const auto offset = engine::parsePageOffset(text);
    if (!offset) {
        std::cerr << "tavprint calibrate: --offset takes X,Y in tenths of a millimetre (for "
                     "example 5,-3), each between -10000 and 10000\n";
        return kExitUsage;
    }
    // Stored under the name CUPS gives the queue when the scheduler knows it.
    std::string name = queue;
    std::vector<platform::PrinterInfo> queues;
    if (platform::createSystemSpooler()->listPrinters(queues) == platform::SpoolStatus::Ok) {
        const auto choice =
            engine::chooseQueue(platform::utf8ToGbk(queue).value_or(queue), queues, {}, nullptr);
        if (choice && choice->match == engine::QueueMatch::Named)
            name = choice->queue;
        else
            std::cerr << "tavprint calibrate: note: CUPS has no queue " << queue << "\n";
    }
    const std::string path = engine::userPrinterSettingsPath();
    if (path.empty()) {
        std::cerr << "tavprint calibrate: neither XDG_CONFIG_HOME nor HOME names a folder\n";
        return kExitFailed;
    }
    if (auto stored = engine::storeCalibration(path, name, *offset); !stored) {
        std::cerr << "tavprint calibrate: " << stored.error() << "\n";
        return kExitFailed;
    }
    std::cerr << "tavprint calibrate: " << name << " = " << offset->x << "," << offset->y
              << " stored in " << path << "\n";
    return kExitOk;
}

} // namespace

int runCalibrate(const std::vector<std::string>& args) {
    CommandLine line({}, {"--offset", "--paper"});
    if (const Status parsed = line.parse(args); !parsed) {
        std::cerr << "tavprint calibrate: " << parsed.error() << "\n" << kUsage;
        return kExitUsage;
    }
    if (line.positionals().size() != 1 || line.positionals().front().empty() ||
        (line.value("--offset") && line.value("--paper"))) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string& queue = line.positionals().front();
    if (auto offset = line.value("--offset"))
        return storeOffset(queue, *offset);

    std::int32_t width = 1000, height = 700;
    if (auto paper = line.value("--paper"); paper && !parsePaper(*paper, width, height)) {
        std::cerr << "tavprint calibrate: --paper takes WxH in whole millimetres, 20 to 2000\n";
        return kExitUsage;
    }
    const auto queueGbk = platform::utf8ToGbk(queue);
    if (!queueGbk) {
        std::cerr << "tavprint calibrate: the queue name is not UTF-8 or not GBK-representable\n";
        return kExitUsage;
    }
    auto spooler = platform::createSystemSpooler();
    tpl::Template page = engine::calibrationPage(width, height, queue, 0);
    engine::PrintTarget target;
    auto outcome = engine::findPrintTarget(page, *queueGbk, *spooler, target);
    if (outcome.ok() && target.match != engine::QueueMatch::Named) {
        std::cerr << "tavprint calibrate: there is no queue " << queue << "\n";
        return kExitNoPrinter;
    }
    if (outcome.ok()) {
        // The page shows where this printer puts things by itself: the stored offset is left
        // out, so that what is measured is the whole offset to store.
        target.originX -= target.calibration.x;
        target.originY -= target.calibration.y;
        page = engine::calibrationPage(width, height, target.queue, target.dpi);
        outcome = engine::printToTarget(page, target, *queueGbk + " calibration", 1, *spooler);
    }
    if (!outcome.ok()) {
        std::cerr << "tavprint calibrate: " << outcome.error() << "\n";
        return outcome.code() == engine::PrintStatus::NoScheduler ? kExitNoSpooler : kExitFailed;
    }
    std::cerr << "tavprint calibrate: printed on " << target.queue << " (" << target.dpi
              << " dpi). The square's top-left corner should lie 10 mm right of and 10 mm "
                 "below the rulers' origin; store how far it lies from there, in 0.1 mm, "
                 "with: tavprint calibrate "
              << target.queue << " --offset X,Y (negative: left, up)\n";
    return kExitOk;
}

} // namespace tav::cli
