// Whether a person is watching: progress is drawn only on a terminal.
#pragma once

namespace tav::platform {

bool stderrIsTerminal();

} // namespace tav::platform
