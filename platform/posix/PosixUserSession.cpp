#include "platform/UserSession.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace tav::platform {

bool isSuperuser() {
    return ::geteuid() == 0;
}

std::string userDataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return std::string(home) + "/.local/share";
    return {};
}

bool folderWritable(const std::string& folder) {
    std::filesystem::path path(folder);
    std::error_code ec;
    while (!path.empty()) {
        if (std::filesystem::exists(path, ec))
            return std::filesystem::is_directory(path, ec) &&
                   ::access(path.c_str(), W_OK | X_OK) == 0;
        if (!path.has_parent_path() || path.parent_path() == path)
            return false;
        path = path.parent_path();
    }
    return false;
}

ProgramRun runProgram(const std::vector<std::string>& argv, bool keepErrors) {
    ProgramRun run;
    if (argv.empty())
        return run;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    if (!keepErrors)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        return run;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) {
            run.output.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // posix_spawnp reports a program it cannot find through exit code 127 of the child.
    run.started = !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace tav::platform
