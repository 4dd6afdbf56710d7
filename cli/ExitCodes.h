// Exit codes of tavprint, as its --help lists them.
#pragma once

namespace tav::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // the work could not be done (unreadable template, ...)
inline constexpr int kExitUsage = 2;     // the command line is wrong
inline constexpr int kExitNoSpooler = 3; // no CUPS scheduler can be reached
inline constexpr int kExitNoPrinter = 4; // the printer is unknown, or none is named and no default

} // namespace tav::cli
