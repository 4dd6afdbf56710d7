// Runs a piece of a test in a child process whose files cannot grow past a size, as on a full
// disk: writes beyond it fail with EFBIG instead of killing the child.
#pragma once

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tav::test {

// The value `body` returned in a child limited to files of `bytes` bytes; -1 when the child
// did not end normally.
inline int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace tav::test
