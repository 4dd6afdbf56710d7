// The print spooler of this system.
#pragma once

#include "platform/Spooler.h"

#include <memory>

namespace tav::platform {

// The spooler the libraries and programs print through: on Linux the CUPS scheduler that the
// CUPS client configuration names (CUPS_SERVER, client.conf, else the local scheduler), on
// Windows winspool. Creating it contacts nothing; each call connects anew, so a scheduler
// started later is found.
std::unique_ptr<Spooler> createSystemSpooler();

} // namespace tav::platform
