// The spooler on a CUPS scheduler, reached through libcups. Every call opens its own connection
// and closes it before returning.
#pragma once

#include "platform/Spooler.h"

#include <string>

namespace tav::platform {

class CupsSpooler final : public PdfSpooler {
public:
    // The scheduler the CUPS client configuration names.
    CupsSpooler() = default;
    // A given scheduler: a host name, or the path of its local socket ("/run/cups/cups.sock").
    CupsSpooler(std::string server, int port);

    SpoolStatus listPrinters(std::vector<PrinterInfo>& printers) override;
    SpoolStatus resolvePrinter(const std::string& name, std::string& queue) override;
    std::optional<int> resolutionDpi(const std::string& queue) override;
    QueueGeometry describeQueue(const std::string& queue, double widthMm, double heightMm) override;
    SpoolOutcome submit(const SpoolJob& job) override;

private:
    std::string m_server; // empty: cupsServer()
    int m_port = 0;       // 0: ippPort()
};

} // namespace tav::platform
