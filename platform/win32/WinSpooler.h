// The spooler on Windows through winspool: the printers the system knows, and each job drawn
// through GDI on the printer's device context between StartDoc and EndDoc, with the label's
// paper size and orientation in the job's device mode. The system default printer is only read.
#pragma once

#include "platform/Spooler.h"

namespace tav::platform::win32 {

class WinSpooler final : public Spooler {
public:
    SpoolStatus listPrinters(std::vector<PrinterInfo>& printers) override;
    SpoolStatus resolvePrinter(const std::string& name, std::string& queue) override;
    std::optional<int> resolutionDpi(const std::string& queue) override;
    QueueGeometry describeQueue(const std::string& queue, double widthMm, double heightMm) override;
    Result<std::unique_ptr<JobPage>, SpoolStatus> beginJob(const JobSetup& setup) override;
};

} // namespace tav::platform::win32
