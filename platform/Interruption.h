// Stopping when asked to: SIGINT (Ctrl-C), SIGTERM (kill, a service manager) and SIGHUP (the
// terminal went away).
//
// While an InterruptionGuard lives, such a signal does not end the process at once. The handler
// notes the signal and removes every file registered with RemovedOnInterruption (documents being
// written); the work looks at interruptionSignal() where it can stop cleanly (between labels,
// between the blocks of a job being sent), stops, takes back what it half sent, and the program
// exits with 128 + the signal. The handlers do not restart interrupted system calls, so a wait
// on a terminal or a socket returns early. A second signal, or a run that has not ended
// kInterruptionGraceSeconds after the first, ends the process there and then, with the same
// exit code and the registered files already removed.
#pragma once

#include <string>

namespace tav::platform {

inline constexpr unsigned kInterruptionGraceSeconds = 5;

class InterruptionGuard {
public:
    // Installs the handlers. A signal the program was started with ignored (nohup, a
    // background job of a script) stays ignored.
    InterruptionGuard();
    // Puts the previous handlers back and forgets a signal that was noted.
    ~InterruptionGuard();
    InterruptionGuard(const InterruptionGuard&) = delete;
    InterruptionGuard& operator=(const InterruptionGuard&) = delete;
};

// The signal that asked the program to stop; 0 while none did.
int interruptionSignal();

// Registers the file at `path` for removal when the program is asked to stop, for as long as
// this object lives. Only a few paths are held at a time; one that does not fit is not
// registered (its writer still removes it when it is destroyed).
class RemovedOnInterruption {
public:
    RemovedOnInterruption() = default;
    explicit RemovedOnInterruption(const std::string& path);
    ~RemovedOnInterruption();
    RemovedOnInterruption(const RemovedOnInterruption&) = delete;
    RemovedOnInterruption& operator=(const RemovedOnInterruption&) = delete;

    // Registers `path` instead of what was registered before.
    void reset(const std::string& path = {});

private:
    int m_slot = -1;
};

} // namespace tav::platform
