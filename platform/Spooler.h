// The print spooler: which printers there are, and printing one page as one job on one of them.
// The engine never changes the system's default printer; it names the queue of every job.
#pragma once

#include "common/Status.h"
#include "platform/Canvas.h"

#include <cstdint>
#include <memory>
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

// A whole job for a spooler that takes finished documents.
struct SpoolJob {
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

enum class SpoolStatus {
    Ok,
    NoScheduler,
    UnknownPrinter,
    NoDefaultPrinter,
    Refused,
    PageFailed, // the page could not be made (the document or the device failed while drawing)
};

const char* toString(SpoolStatus status);

// Accepted, or why not: the status and a text for people (UTF-8).
using SpoolOutcome = BasicStatus<SpoolStatus>;

// What a job of one page is set up with before the page is drawn.
struct JobSetup {
    std::string printer;          // the queue; must exist
    std::string title;            // the job name the spooler shows (UTF-8)
    std::int32_t paperWidth = 0;  // tenths of a millimetre
    std::int32_t paperHeight = 0; // tenths of a millimetre
    int copies = 1;
    int dpi = 0; // the resolution the page is drawn for
};

// The page of a job in progress, drawn in tenths of a millimetre from the paper's top-left
// corner. commit() hands the job over whole; a page destroyed without it is abandoned and
// nothing of the job is printed.
class JobPage : public Canvas {
public:
    virtual SpoolOutcome commit() = 0;
};

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
    // Starts a job of one page on `setup.printer`. Everything that can fail before drawing
    // (the pictures decoded, the paper checked) is done before this call: a job begun on a
    // printer is visible in its queue until it is committed or abandoned.
    virtual Result<std::unique_ptr<JobPage>, SpoolStatus> beginJob(const JobSetup& setup) = 0;
};

// A spooler that takes each job as one finished PDF document: the page is drawn into a PDF
// (the cairo backend), and committing it submits the document.
class PdfSpooler : public Spooler {
public:
    Result<std::unique_ptr<JobPage>, SpoolStatus> beginJob(const JobSetup& setup) override;
    // Submits the whole job at once; accepted only when the spooler took all of it. On failure
    // no part of the job is left in the spooler.
    virtual SpoolOutcome submit(const SpoolJob& job) = 0;
};

} // namespace tav::platform
