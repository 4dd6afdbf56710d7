/* Binds every export of libbarcode and libdotgauge by name, the way outside callers do, and
 * calls each one once through the pointer it got.
 * Usage: c_exports_binding LIBBARCODE LIBDOTGAUGE SCRATCH_FILE */
#ifdef _WIN32
#include "win32_dlfcn.h"
#else
#include <dlfcn.h>
#define BOUND_CALL
#endif
#include <stdio.h>
#include <string.h>

typedef int(BOUND_CALL* GetBarcodeFn)(const char*, int, const char*);
typedef int(BOUND_CALL* NoArgFn)(void);
typedef int(BOUND_CALL* DeviceFn)(void*);
typedef int(BOUND_CALL* PixelsFn)(int);
typedef int(BOUND_CALL* PrintSizeFn)(int, int, int);

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

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s LIBBARCODE LIBDOTGAUGE SCRATCH_FILE\n", argv[0]);
        return 2;
    }
    void* barcode = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    void* dotgauge = dlopen(argv[2], RTLD_NOW | RTLD_LOCAL);
    if (!barcode || !dotgauge) {
        fprintf(stderr, "FAILED: dlopen: %s\n", dlerror());
        return 1;
    }

    GetBarcodeFn getBarcode;
    NoArgFn getDpi;
    DeviceFn dpiX, dpiY;
    PixelsFn xmm, ymm;
    PrintSizeFn printSize;
    /* Function pointers from dlsym, copied through memcpy as POSIX allows. */
    void* p;
    p = bind(barcode, "GetBarcode");
    memcpy(&getBarcode, &p, sizeof p);
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

    check(getBarcode("ABC", 0, argv[3]) == 1, "GetBarcode writes a file");
    FILE* file = fopen(argv[3], "rb");
    unsigned char header[2] = {0, 0};
    check(file && fread(header, 1, 2, file) == 2 && header[0] == 'B' && header[1] == 'M',
          "the file is a BMP");
    if (file)
        fclose(file);
    check(getBarcode(NULL, 0, NULL) == 0, "GetBarcode without a path fails");

    /* The tests run without TAV_SCREEN_DPI: the screen is 96 dpi. */
    check(getDpi() == 96, "GetDPI is 96");
    check(dpiX(NULL) == 0 && dpiY(NULL) == 0, "a null device handle gives 0");
    check(dpiX((void*)&failures) == 0, "an unknown device handle gives 0");
    check(xmm(96) == 25 && ymm(100) == 26, "GetXMM and GetYMM convert at 96 dpi");
    check(printSize(12, 96, 96) == 11, "GetPrintSize(12, 96, 96) is 11");
    check(printSize(12, 96, 0) == 0, "GetPrintSize with divisor 0 is 0");

    dlclose(dotgauge);
    dlclose(barcode);
    if (failures)
        return 1;
    puts("all exports bound and called");
    return 0;
}
