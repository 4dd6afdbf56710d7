// The print spooler: which printers there are, and handing one finished job to one of them.
// The engine never changes the system's default printer; it names the queue of every job.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tav::platform {

struct PrinterInfo {
    std::string name; // the queue name, as the spooler knows it (UTF-8)
    bool isDefault = false;
    std::string description;
};

struct PrintJob {
    std::string printer; // the queue; must exist
    std::string title;   // the job name the spooler shows (UTF-8)
    double pageWidthMm = 0;
    double pageHeightMm = 0;
    int copies = 1;
    std::span<const std::uint8_t> pdf; // the whole document, already complete
};

// The edges of the paper a printer cannot print on, in hundredths of a millimetre.
struct PaperMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What a page is drawn for on one queue.
struct QueueGeometry {
    std::optional<int> dpi; // vertical dots per inch; nothing when the queue reports none
    std::optional<PaperMargins> margins; // for the paper asked about; nothing when unknown
};

enum class SpoolStatus { Ok, NoScheduler, UnknownPrinter, NoDefaultPrinter, Refused };

const char* toString(SpoolStatus status);

class Spooler {
public:
    virtual ~Spooler() = default;

    // Every queue, the default one marked.
    virtual SpoolStatus listPrinters(std::vector<PrinterInfo>& printers) = 0;
    // The name of the queue that `name` stands for: `name` itself when that queue exists, the
    // default queue when `name` is empty.
    virtual SpoolStatus resolvePrinter(const std::string& name, std::string& queue) = 0;
    // The printer's default resolution in dots per inch, vertically; nothing when it reports
    // none.
    virtual std::optional<int> resolutionDpi(const std::string& queue) = 0;
    // The resolution and, for paper of widthMm x heightMm, the unprintable margins of `queue`,
    // asked together. Spoolers that know no margins report the resolution alone.
    virtual QueueGeometry describeQueue(const std::string& queue, double widthMm, double heightMm) {
        (void)widthMm;
        (void)heightMm;
        return {resolutionDpi(queue), std::nullopt};
    }
    // Submits the whole job at once; Ok only when the spooler accepted all of it. On failure
    // no part of the job is left in the spooler. `error` says why it failed.
    virtual SpoolStatus submit(const PrintJob& job, std::string& error) = 0;
};

} // namespace tav::platform
