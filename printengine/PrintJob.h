// Printing a template as one job: every picture is decoded first, then the page is drawn on a
// job page of the spooler (platform/Spooler.h), which hands the job over only when the page is
// complete, so that a failure never leaves half a job behind.
// The job goes to the queue the printer name stands for (QueueChoice.h), the default queue when
// none does; the system's default printer is never changed.
#pragma once

#include "common/Status.h"
#include "platform/Spooler.h"
#include "printengine/PageRenderer.h"
#include "printengine/QueueChoice.h"
#include "template/Template.h"

#include <cstdint>
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
    WriteFailed,    // the document's file cannot be written (a full disk)
};

// Printed, or why not: the status as the code and a text for people (UTF-8).
using PrintOutcome = BasicStatus<PrintStatus>;

// The resolution assumed for a printer that reports none, dots per inch.
inline constexpr int kDefaultPrinterDpi = 300;

// `used`, when given, receives the queue the job went to (or was meant for).
PrintOutcome printTemplate(const tpl::Template& tpl, const PrintRequest& request,
                           platform::Spooler& spooler, struct PrintTarget* used = nullptr);

// The two halves of printTemplate, for printing one template many times (batches): the queue
// and its resolution are found once, then each job goes straight to them.
struct PrintTarget {
    // The caller's, not the queue's (findPrintTarget leaves it): see RenderOptions::screenDpi.
    int screenDpi = kStandardScreenDpi;
    std::string queue; // as the spooler names it (UTF-8)
    int dpi = kDefaultPrinterDpi;
    // Where the template's (0, 0) lies on the paper, tenths of a millimetre: the top-left corner
    // of the printable area, moved by the queue's calibration.
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    PageOffset calibration;               // the part of the origin that is calibration
    std::string named;                    // the printer name asked for (UTF-8); empty: none
    QueueMatch match = QueueMatch::Named; // how the queue was found for it
};

// "the printer NAME is printed on QUEUE (how)" when the queue is not the one named; empty when
// it is, or when no printer was named and the default printed.
std::string describeSubstitution(const PrintTarget& target);

// The queue `printer` (GBK; empty: the template's printer, else the default) stands for, found
// as chooseQueue does (QueueChoice.h), with its resolution, printable area and calibration
// (printers.conf).
PrintOutcome findPrintTarget(const tpl::Template& tpl, const std::string& printer,
                             platform::Spooler& spooler, PrintTarget& target);

// The job name the spooler is given for `jobName` (GBK): UTF-8, cut on a character boundary to
// the 255 bytes that CUPS keeps (a longer name would be shown as "Untitled").
std::string spoolerJobName(const std::string& jobName);

// Prints the page as one job named `jobName` (GBK): the pictures decoded, then the page drawn
// on the spooler's job page and committed; nothing reaches the queue when a step fails.
PrintOutcome printToTarget(const tpl::Template& tpl, const PrintTarget& target,
                           const std::string& jobName, int copies, platform::Spooler& spooler);

} // namespace tav::engine
