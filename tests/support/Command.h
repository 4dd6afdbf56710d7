// Running an outside program from a test (decoders, poppler's tools) and reading what it printed.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace tav::test {

struct CommandResult {
    int exitCode = -1; // -1 when the program could not be run or did not exit normally
    std::string output;
};

inline CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        result.output.append(chunk, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace tav::test
