// Running an outside program from a test (tavprint, decoders, poppler's tools, scripts) and
// reading what it printed. The one process runner of the tests: runCommand through the shell,
// runProgram with an argument list and no shell.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

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

struct ProgramOptions {
    bool withErrors = false;  // standard error into the output too (else it goes to the test's)
    int timeoutSeconds = 180; // then the program is killed and the exit code is -1
};

// Runs argv[0] (looked up in PATH) with the rest as its arguments; the output is its standard
// output, read to the end.
inline CommandResult runProgram(const std::vector<std::string>& argv, ProgramOptions options = {}) {
    CommandResult result;
    int pipeEnds[2];
    if (argv.empty() || ::pipe(pipeEnds) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    if (options.withErrors)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t child = -1;
    const int spawned = ::posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return result;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    bool timedOut = false;
    char chunk[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{pipeEnds[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0) {
            timedOut = true;
            ::kill(child, SIGKILL);
            break;
        }
        const ssize_t n = ::read(pipeEnds[0], chunk, sizeof chunk);
        if (n > 0)
            result.output.append(chunk, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = !timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace tav::test
