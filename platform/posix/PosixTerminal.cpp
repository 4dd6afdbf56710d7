#include "platform/Terminal.h"

#include "platform/Interruption.h"

#include <cerrno>
#include <termios.h>
#include <unistd.h>

namespace tav::platform {

bool stderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool stdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<std::string> readSecretLine(const std::string& prompt) {
    termios saved{};
    if (!stdinIsTerminal() || ::tcgetattr(STDIN_FILENO, &saved) != 0)
        return std::nullopt;
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    if (::tcsetattr(STDIN_FILENO, TCSANOW, &quiet) != 0)
        return std::nullopt;
    (void)!::write(STDERR_FILENO, prompt.data(), prompt.size());
    std::string line;
    bool complete = false;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR && interruptionSignal() == 0)
            continue;
        if (n <= 0)
            break;
        if (c == '\n') {
            complete = true;
            break;
        }
        line += c;
    }
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    if (!complete) {
        (void)!::write(STDERR_FILENO, "\n", 1);
        return std::nullopt;
    }
    return line;
}

} // namespace tav::platform
