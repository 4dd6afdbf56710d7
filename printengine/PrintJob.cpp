#include "printengine/PrintJob.h"

#include "platform/Charset.h"
#include "platform/Device.h"
#include "printengine/PageRenderer.h"
#include "printengine/PrinterSettings.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tav::engine {
namespace {

PrintStatus fromSpool(platform::SpoolStatus status) {
    switch (status) {
    case platform::SpoolStatus::Ok:
        return PrintStatus::Printed;
    case platform::SpoolStatus::NoScheduler:
        return PrintStatus::NoScheduler;
    case platform::SpoolStatus::UnknownPrinter:
        return PrintStatus::UnknownPrinter;
    case platform::SpoolStatus::NoDefaultPrinter:
        return PrintStatus::NoPrinter;
    case platform::SpoolStatus::PageFailed:
        return PrintStatus::RenderFailed;
    case platform::SpoolStatus::Refused:
        break;
    }
    return PrintStatus::Refused;
}

PrintOutcome failure(PrintStatus status, std::string error) {
    return PrintOutcome::failure(status, std::move(error));
}

class PrinterPage final : public platform::Device {
public:
    explicit PrinterPage(int dpi) : m_dpi(dpi) {}
    int dpiX() const override { return m_dpi; }
    int dpiY() const override { return m_dpi; }

private:
    int m_dpi;
};

} // namespace

std::string describeSubstitution(const PrintTarget& target) {
    if (target.match == QueueMatch::Named ||
        (target.named.empty() && target.match == QueueMatch::Default))
        return {};
    std::string text = "printing on " + target.queue;
    if (!target.named.empty())
        text += " for the printer \"" + target.named + "\"";
    return text + " (" + toString(target.match) + ")";
}

PrintOutcome findPrintTarget(const tpl::Template& tpl, const std::string& printer,
                             platform::Spooler& spooler, PrintTarget& target) {
    const std::string& name = printer.empty() ? tpl.page.printerName : printer;
    std::vector<platform::PrinterInfo> queues;
    if (const auto listed = spooler.listPrinters(queues); listed != platform::SpoolStatus::Ok)
        return failure(fromSpool(listed), platform::toString(listed));
    const char* environment = std::getenv("TAV_PRINTER");
    const PrinterSettings settings = PrinterSettings::load();
    const auto choice = chooseQueue(name, queues, settings, environment);
    target.named = platform::gbkToUtf8(name);
    if (!choice) {
        if (target.named.empty() && !(environment && *environment))
            return failure(PrintStatus::NoPrinter,
                           platform::toString(platform::SpoolStatus::NoDefaultPrinter));
        const std::string wanted = environment && *environment
                                       ? "TAV_PRINTER=" + platform::gbkToUtf8(environment)
                                       : "the printer \"" + target.named + "\"";
        return failure(PrintStatus::UnknownPrinter,
                       "no queue for " + wanted + " and no default printer instead");
    }
    target.queue = choice->queue;
    target.match = choice->match;

    const auto geometry = spooler.describeQueue(target.queue, tpl.page.paperWidth / 10.0,
                                                tpl.page.paperHeight / 10.0);
    target.dpi = geometry.dpi.value_or(kDefaultPrinterDpi);
    // Hundredths of a millimetre to tenths, to the nearest; a margin is at most a metre.
    auto tenths = [](int hundredths) {
        return static_cast<std::int32_t>((std::clamp(hundredths, 0, 100'000) + 5) / 10);
    };
    target.originX = geometry.margins ? tenths(geometry.margins->left) : 0;
    target.originY = geometry.margins ? tenths(geometry.margins->top) : 0;
    target.calibration = settings.calibration(target.queue).value_or(PageOffset{});
    target.originX += target.calibration.x;
    target.originY += target.calibration.y;
    return PrintOutcome::success();
}

std::string spoolerJobName(const std::string& jobName) {
    constexpr std::size_t kCupsNameBytes = 255;
    std::string name = platform::gbkToUtf8(jobName);
    if (name.size() > kCupsNameBytes) {
        std::size_t cut = kCupsNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return name;
}

PrintOutcome printToTarget(const tpl::Template& tpl, const PrintTarget& target,
                           const std::string& jobName, int copies, platform::Spooler& spooler) {
    if (tpl.elements.empty())
        return failure(PrintStatus::EmptyTemplate, "the template has no elements to print");
    if (tpl.page.paperWidth <= 0 || tpl.page.paperHeight <= 0)
        return failure(PrintStatus::BadPaper,
                       "the paper size " + std::to_string(tpl.page.paperWidth) + " x " +
                           std::to_string(tpl.page.paperHeight) + " (0.1 mm) cannot be printed");
    // The page is a device registered for the job, as a printer's device context would be: the
    // font height asks its resolution the way every caller of libdotgauge does.
    const platform::DeviceRegistration device(std::make_shared<PrinterPage>(target.dpi));
    RenderOptions options;
    options.deviceDpiY = target.dpi;
    options.device = device.handle();
    options.originX = target.originX;
    options.originY = target.originY;
    options.screenDpi = target.screenDpi;
    auto renderFailure = [](const RenderStatus& result) {
        return failure(PrintStatus::RenderFailed, result.error());
    };
    // Every picture is decoded before the job is begun: a page that cannot be finished never
    // reaches a printer.
    PreparedPage prepared;
    if (const RenderStatus result = preparePage(tpl, options, prepared); !result)
        return renderFailure(result);

    platform::JobSetup setup;
    setup.printer = target.queue;
    setup.title = spoolerJobName(jobName);
    setup.paperWidth = tpl.page.paperWidth;
    setup.paperHeight = tpl.page.paperHeight;
    setup.copies = copies;
    setup.dpi = target.dpi;
    auto job = spooler.beginJob(setup);
    if (!job.ok())
        return failure(fromSpool(job.code()),
                       job.error().empty() ? platform::toString(job.code()) : job.error());
    // An abandoned job (a return before commit) leaves nothing in the queue.
    platform::JobPage& page = *job.value();
    if (const RenderStatus result = checkPictures(prepared, page); !result)
        return renderFailure(result);
    drawPage(prepared, page, options);
    const platform::SpoolOutcome committed = page.commit();
    if (!committed.ok())
        return failure(fromSpool(committed.code()), committed.error().empty()
                                                        ? platform::toString(committed.code())
                                                        : committed.error());
    return PrintOutcome::success();
}

PrintOutcome printTemplate(const tpl::Template& tpl, const PrintRequest& request,
                           platform::Spooler& spooler, PrintTarget* used) {
    // Nothing to print touches no printer.
    if (tpl.elements.empty())
        return failure(PrintStatus::EmptyTemplate, "the template has no elements to print");
    PrintTarget target;
    target.screenDpi = request.screenDpi;
    auto found = findPrintTarget(tpl, request.printer, spooler, target);
    if (used)
        *used = target;
    if (!found.ok())
        return found;
    return printToTarget(tpl, target, request.jobName, request.copies, spooler);
}

} // namespace tav::engine
