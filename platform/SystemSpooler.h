// The print spooler of this system.
#pragma once

#include "platform/Spooler.h"

#include <memory>

namespace tav::platform {

// The CUPS scheduler that the CUPS client configuration names (CUPS_SERVER, client.conf, else
// the local scheduler). Creating it contacts nothing; each call connects anew, so a scheduler
// started later is found.
std::unique_ptr<Spooler> createCupsSpooler();

// The spooler the libraries print through: CUPS as above, winspool on Windows.
std::unique_ptr<Spooler> createSystemSpooler();

} // namespace tav::platform
