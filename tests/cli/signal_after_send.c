/* A stand-in for a slow network, loaded with LD_PRELOAD: once a program has sent
 * TAV_TEST_SIGNAL_AFTER_BYTES bytes through send(), it receives SIGTERM, so that the signal
 * arrives in the middle of an upload, at a known point, however fast the upload runs. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/types.h>

__attribute__((visibility("default"))) ssize_t send(int fd, const void* buffer, size_t length, int flags) {
    static ssize_t (*real)(int, const void*, size_t, int);
    static unsigned long long total;
    static int raised;
    if (real == NULL)
        *(void**)&real = dlsym(RTLD_NEXT, "send"); /* the POSIX way to take a function */
    const ssize_t sent = real(fd, buffer, length, flags);
    const char* limit = getenv("TAV_TEST_SIGNAL_AFTER_BYTES");
    if (sent > 0 && limit != NULL && !raised) {
        total += (unsigned long long)sent;
        if (total >= strtoull(limit, NULL, 10)) {
            raised = 1;
            raise(SIGTERM);
        }
    }
    return sent;
}
