// Exit codes of tavprint, as its --help lists them.
#pragma once

namespace tav::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // the work could not be done (unreadable template, ...)
inline constexpr int kExitUsage = 2;  // the command line is wrong

} // namespace tav::cli
