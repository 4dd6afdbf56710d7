// Which CUPS queue a template's printer name means. Stored templates name the Windows printer
// they were designed on ("ZDesigner GK888t (EPL)", "\\server\label"), which is rarely a queue
// name here, so the name is looked for in this order:
//   1. a queue of exactly that name (without regard to ASCII case, as CUPS matches names);
//   2. the name with every character CUPS refuses in queue names made "_";
//   3. a queue whose description (printer-info) is the name;
//   4. the user's mapping (PrinterSettings), whose queue is looked for as in 1 to 3.
// TAV_PRINTER in the environment stands before all of them, for programs that cannot change
// their templates. When nothing matches, or no name is given, the default queue prints, as
// when a named printer cannot be selected. Nothing here talks to the spooler.
#pragma once

#include "platform/Spooler.h"
#include "printengine/PrinterSettings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav::engine {

enum class QueueMatch {
    Named,       // a queue of the name itself
    SafeName,    // the name with the characters CUPS refuses made "_"
    Description, // a queue described by the name
    Mapping,     // the user's printers.conf
    Environment, // TAV_PRINTER
    Default,     // nothing matched (or nothing was named): the default queue
};

// For messages: "a queue of that name", "the user's printer mapping", ...
const char* toString(QueueMatch match);

struct QueueChoice {
    std::string queue; // as the spooler names it (UTF-8)
    QueueMatch match = QueueMatch::Named;
};

// `name` with each character that CUPS does not take in a queue name (control characters,
// space, DEL, / \ ? ' " # and @, which separates a server) replaced by "_".
std::string cupsSafeQueueName(std::string_view name);

// The queue for `printerName` (GBK, as templates hold it; empty: none named) among `queues`.
// `environment` is the value of TAV_PRINTER (null or empty: not set). Nothing when no queue
// matches and there is no default queue.
std::optional<QueueChoice> chooseQueue(const std::string& printerName,
                                       const std::vector<platform::PrinterInfo>& queues,
                                       const PrinterSettings& settings, const char* environment);

} // namespace tav::engine
