#include "platform/Terminal.h"

#include <unistd.h>

namespace tav::platform {

bool stderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace tav::platform
