/* Binds every export of libbarcode by name, the way outside callers do, and calls each one once
 * through the pointer it got.
 * Usage: c_exports_binding LIBBARCODE SCRATCH_FILE */
#include "support/c_binding.h"

#include <string.h>

typedef int(BOUND_CALL* GetBarcodeFn)(const char*, int, const char*);

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s LIBBARCODE SCRATCH_FILE\n", argv[0]);
        return 2;
    }
    void* barcode = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!barcode) {
        fprintf(stderr, "FAILED: dlopen: %s\n", dlerror());
        return 1;
    }

    GetBarcodeFn getBarcode;
    /* Function pointers from dlsym, copied through memcpy as POSIX allows. */
    void* p = bind(barcode, "GetBarcode");
    memcpy(&getBarcode, &p, sizeof p);
    if (failures)
        return 1;

    check(getBarcode("ABC", 0, argv[2]) == 1, "GetBarcode writes a file");
    FILE* file = fopen(argv[2], "rb");
    unsigned char header[2] = {0, 0};
    check(file && fread(header, 1, 2, file) == 2 && header[0] == 'B' && header[1] == 'M',
          "the file is a BMP");
    if (file)
        fclose(file);
    check(getBarcode(NULL, 0, NULL) == 0, "GetBarcode without a path fails");

    dlclose(barcode);
    if (failures)
        return 1;
    puts("all exports bound and called");
    return 0;
}
