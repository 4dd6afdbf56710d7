/* Binds every export of libdotgauge by name, the way outside callers do, and calls each one once
 * through the pointer it got.
 * Usage: c_exports_binding LIBDOTGAUGE */
#include "support/c_binding.h"

#include <string.h>

typedef int(BOUND_CALL* NoArgFn)(void);
typedef int(BOUND_CALL* DeviceFn)(void*);
typedef int(BOUND_CALL* PixelsFn)(int);
typedef int(BOUND_CALL* PrintSizeFn)(int, int, int);

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s LIBDOTGAUGE\n", argv[0]);
        return 2;
    }
    void* dotgauge = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!dotgauge) {
        fprintf(stderr, "FAILED: dlopen: %s\n", dlerror());
        return 1;
    }

    NoArgFn getDpi;
    DeviceFn dpiX, dpiY;
    PixelsFn xmm, ymm;
    PrintSizeFn printSize;
    /* Function pointers from dlsym, copied through memcpy as POSIX allows. */
    void* p;
    p = bind(dotgauge, "GetDPI");
    memcpy(&getDpi, &p, sizeof p);
    p = bind(dotgauge, "GetPrinterDPIX");
    memcpy(&dpiX, &p, sizeof p);
    p = bind(dotgauge, "GetPrinterDPIY");
    memcpy(&dpiY, &p, sizeof p);
    p = bind(dotgauge, "GetXMM");
    memcpy(&xmm, &p, sizeof p);
    p = bind(dotgauge, "GetYMM");
    memcpy(&ymm, &p, sizeof p);
    p = bind(dotgauge, "GetPrintSize");
    memcpy(&printSize, &p, sizeof p);
    if (failures)
        return 1;

    /* The tests run without TAV_SCREEN_DPI: the screen is 96 dpi. */
    check(getDpi() == 96, "GetDPI is 96");
    check(dpiX(NULL) == 0 && dpiY(NULL) == 0, "a null device handle gives 0");
    check(dpiX((void*)&failures) == 0, "an unknown device handle gives 0");
    check(xmm(96) == 25 && ymm(100) == 26, "GetXMM and GetYMM convert at 96 dpi");
    check(printSize(12, 96, 96) == 11, "GetPrintSize(12, 96, 96) is 11");
    check(printSize(12, 96, 0) == 0, "GetPrintSize with divisor 0 is 0");

    dlclose(dotgauge);
    if (failures)
        return 1;
    puts("all exports bound and called");
    return 0;
}
