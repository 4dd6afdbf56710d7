// Printing a template as one job: the page is rendered completely into a PDF document first,
// then handed to the spooler in one piece, so that a failure never leaves half a job behind.
// The job goes to the named queue directly; the system's default printer is never changed.
#pragma once

#include "platform/Spooler.h"
#include "printengine/PageRenderer.h"
#include "template/Template.h"

#include <string>

namespace tav::engine {

struct PrintRequest {
    std::string printer; // GBK queue name; empty: the template's printer, else the default
    std::string jobName; // GBK, as the spooler is to show it
    int copies = 1;
    int screenDpi = kStandardScreenDpi; // see RenderOptions::screenDpi
};

enum class PrintStatus {
    Printed,
    EmptyTemplate,  // nothing to print; no printer was touched
    NoScheduler,    // the spooler cannot be reached
    UnknownPrinter, // no queue of that name
    NoPrinter,      // no queue named and no default queue
    BadPaper,       // the paper has no positive size
    RenderFailed,   // an element could not be drawn (a picture missing or undecodable)
    Refused,        // the spooler did not accept the job
};

struct PrintOutcome {
    PrintStatus status = PrintStatus::Printed;
    std::string error; // UTF-8, for people; empty when printed
    bool ok() const { return status == PrintStatus::Printed; }
};

// The resolution assumed for a printer that reports none, dots per inch.
inline constexpr int kDefaultPrinterDpi = 300;

PrintOutcome printTemplate(const tpl::Template& tpl, const PrintRequest& request,
                           platform::Spooler& spooler);

// The two halves of printTemplate, for printing one template many times (batches): the queue
// and its resolution are found once, then each job goes straight to them.
struct PrintTarget {
    // The caller's, not the queue's (findPrintTarget leaves it): see RenderOptions::screenDpi.
    int screenDpi = kStandardScreenDpi;
    std::string queue; // as the spooler names it (UTF-8)
    int dpi = kDefaultPrinterDpi;
};

// The queue `printer` (GBK; empty: the template's printer, else the default) stands for.
PrintOutcome findPrintTarget(const tpl::Template& tpl, const std::string& printer,
                             platform::Spooler& spooler, PrintTarget& target);

// Renders the whole page, then submits it as one job named `jobName` (GBK).
PrintOutcome printToTarget(const tpl::Template& tpl, const PrintTarget& target,
                           const std::string& jobName, int copies, platform::Spooler& spooler);

} // namespace tav::engine
