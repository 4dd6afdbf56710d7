// A named pipe for tests of code that must refuse one instead of waiting on it. Opening a FIFO
// for reading blocks until a writer comes; a test of such code would hang, so the call under
// test runs on a thread and, should it still be waiting after a while, a writer is opened to
// release it and the test fails instead of hanging.
#pragma once

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tav::test {

inline bool makeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

// Runs `call`, which may open the FIFO at `fifo`; true when it returned by itself within two
// seconds, false when it had to be released by a writer.
inline bool returnsWithoutWaitingOn(const std::string& fifo, const std::function<void()>& call) {
    auto done = std::async(std::launch::async, call);
    if (done.wait_for(std::chrono::seconds(2)) == std::future_status::ready) {
        done.get();
        return true;
    }
    for (;;) {
        // Non-blocking: succeeds once the call waits in open() as the reader; a reader that
        // already has the pipe open sees the end of the data when this writer closes.
        int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            ::close(fd);
            if (done.wait_for(std::chrono::milliseconds(100)) == std::future_status::ready)
                break;
        } else if (done.wait_for(std::chrono::milliseconds(10)) == std::future_status::ready) {
            break;
        }
    }
    done.get();
    return false;
}

} // namespace tav::test
