#include "printengine/PrintJob.h"

#include "platform/Charset.h"
#include "platform/PageSurfaces.h"
#include "printengine/PageRenderer.h"

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
    case platform::SpoolStatus::Refused:
        break;
    }
    return PrintStatus::Refused;
}

PrintOutcome failure(PrintStatus status, std::string error) {
    return {status, std::move(error)};
}

} // namespace

PrintOutcome findPrintTarget(const tpl::Template& tpl, const std::string& printer,
                             platform::Spooler& spooler, PrintTarget& target) {
    const std::string wanted =
        platform::gbkToUtf8(printer.empty() ? tpl.page.printerName : printer);
    const auto resolved = spooler.resolvePrinter(wanted, target.queue);
    if (resolved != platform::SpoolStatus::Ok) {
        std::string what = platform::toString(resolved);
        if (resolved == platform::SpoolStatus::UnknownPrinter)
            what += ": " + wanted;
        return failure(fromSpool(resolved), what);
    }
    target.dpi = spooler.resolutionDpi(target.queue).value_or(kDefaultPrinterDpi);
    return {};
}

PrintOutcome printToTarget(const tpl::Template& tpl, const PrintTarget& target,
                           const std::string& jobName, int copies, platform::Spooler& spooler) {
    if (tpl.elements.empty())
        return failure(PrintStatus::EmptyTemplate, "the template has no elements to print");
    auto canvas = platform::createPdfCanvas(tpl.page.paperWidth, tpl.page.paperHeight, target.dpi);
    if (!canvas)
        return failure(PrintStatus::BadPaper,
                       "the paper size " + std::to_string(tpl.page.paperWidth) + " x " +
                           std::to_string(tpl.page.paperHeight) + " (0.1 mm) cannot be printed");
    const RenderResult rendered =
        renderTemplate(tpl, *canvas, {.deviceDpiY = target.dpi, .screenDpi = target.screenDpi});
    if (!rendered.ok)
        return failure(PrintStatus::RenderFailed, "element " +
                                                      std::to_string(rendered.failedElement + 1) +
                                                      ": " + rendered.error);
    const std::vector<std::uint8_t> pdf = canvas->finish();
    if (pdf.empty())
        return failure(PrintStatus::RenderFailed, "the page could not be rendered");

    platform::PrintJob job;
    job.printer = target.queue;
    job.title = platform::gbkToUtf8(jobName);
    job.pageWidthMm = tpl.page.paperWidth / 10.0;
    job.pageHeightMm = tpl.page.paperHeight / 10.0;
    job.copies = copies;
    job.pdf = pdf;
    std::string error;
    const auto submitted = spooler.submit(job, error);
    if (submitted != platform::SpoolStatus::Ok)
        return failure(fromSpool(submitted), error.empty() ? platform::toString(submitted) : error);
    return {};
}

PrintOutcome printTemplate(const tpl::Template& tpl, const PrintRequest& request,
                           platform::Spooler& spooler) {
    // Nothing to print touches no printer.
    if (tpl.elements.empty())
        return failure(PrintStatus::EmptyTemplate, "the template has no elements to print");
    PrintTarget target;
    target.screenDpi = request.screenDpi;
    if (auto found = findPrintTarget(tpl, request.printer, spooler, target); !found.ok())
        return found;
    return printToTarget(tpl, target, request.jobName, request.copies, spooler);
}

} // namespace tav::engine
