/* Binding a shared library's exports by name from plain C, the way outside callers do, and
 * counting the checks that fail. For the plain-C test programs of each library, on Linux and,
 * through win32_dlfcn.h, against the Windows DLLs. Function pointer types of the exports are
 * declared with BOUND_CALL, their calling convention. */
#pragma once

#ifdef _WIN32
#include "win32_dlfcn.h"
#else
#include <dlfcn.h>
#define BOUND_CALL
#endif
#include <stdio.h>

static int failures = 0;

static void check(int condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

static void* bind(void* library, const char* name) {
    void* symbol = dlsym(library, name);
    if (!symbol) {
        fprintf(stderr, "FAILED: %s is not exported\n", name);
        ++failures;
    }
    return symbol;
}
