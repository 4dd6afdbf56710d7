/* dlopen, dlsym, dlclose, dlerror and mkdtemp over their Windows equivalents, so that the plain
 * C programs that bind the libraries by name run unchanged against the DLLs. BOUND_CALL is the
 * calling convention of the exports (__stdcall on 32-bit Windows). */
#ifndef TAV_TESTS_WIN32_DLFCN_H
#define TAV_TESTS_WIN32_DLFCN_H

#include <direct.h>
#include <io.h>
#include <stdio.h>
#include <string.h>
#define WIN32_LEAN_AND_MEAN /* no winsock: its bind() is not ours */
#include <windows.h>

#ifdef _WIN64
#define BOUND_CALL
#else
#define BOUND_CALL __stdcall
#endif

#define RTLD_NOW 0
#define RTLD_LOCAL 0
#define RTLD_NODELETE 0

static inline void* dlopen(const char* path, int flags) {
    (void)flags;
    return (void*)LoadLibraryA(path);
}

static inline void* dlsym(void* library, const char* name) {
    FARPROC address = GetProcAddress((HMODULE)library, name);
    void* pointer;
    memcpy(&pointer, &address, sizeof pointer);
    return pointer;
}

static inline int dlclose(void* library) {
    return FreeLibrary((HMODULE)library) ? 0 : -1;
}

static inline const char* dlerror(void) {
    static char text[48];
    snprintf(text, sizeof text, "Windows error %lu", (unsigned long)GetLastError());
    return text;
}

static inline char* mkdtemp(char* pattern) {
    if (_mktemp(pattern) == NULL || _mkdir(pattern) != 0)
        return NULL;
    return pattern;
}

#endif
