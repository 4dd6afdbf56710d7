// The terminal: whether a person is watching (progress is drawn only on a terminal), and asking
// that person for a secret.
#pragma once

#include <optional>
#include <string>

namespace tav::platform {

bool stderrIsTerminal();
bool stdinIsTerminal();

// Shows `prompt` on stderr and reads one line from stdin, a terminal, without echoing it; the
// terminal's settings are restored afterwards. Nothing when stdin is no terminal, its echo
// cannot be turned off, or no line comes (end of input, or the program is asked to stop).
std::optional<std::string> readSecretLine(const std::string& prompt);

} // namespace tav::platform
