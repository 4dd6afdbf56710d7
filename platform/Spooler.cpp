#include "platform/Spooler.h"

namespace tav::platform {

const char* toString(SpoolStatus status) {
    switch (status) {
    case SpoolStatus::Ok:
        return "accepted";
    case SpoolStatus::NoScheduler:
        return "no CUPS scheduler can be reached (is cupsd running?)";
    case SpoolStatus::UnknownPrinter:
        return "no such printer";
    case SpoolStatus::NoDefaultPrinter:
        return "no printer named and no default printer set";
    case SpoolStatus::Refused:
        return "the spooler refused the job";
    case SpoolStatus::PageFailed:
        return "the page could not be made";
    }
    return "unknown spooler status";
}

} // namespace tav::platform
