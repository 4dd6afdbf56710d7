/* Binds every export of libqrcode by name, the way outside callers do, and makes a symbol with
 * the print engine's call sequence. Argument: the path of libqrcode.so. Exit code 0 when all
 * checks pass. */
#include "support/c_binding.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

typedef void(BOUND_CALL* SetMessageFn)(const char*);
typedef void(BOUND_CALL* SetColorFn)(int, int, int);
typedef void(BOUND_CALL* ConfigureFn)(int, int, int);
typedef void(BOUND_CALL* AppearanceFn)(double, int, int);
typedef void(BOUND_CALL* SetSizeFn)(int, int);
typedef int(BOUND_CALL* SaveFn)(const char*);

static unsigned long le32(const unsigned char* p) {
    return p[0] | (unsigned long)p[1] << 8 | (unsigned long)p[2] << 16 | (unsigned long)p[3] << 24;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s LIBQRCODE\n", argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    /* dlsym returns an object pointer; converting it through memcpy keeps ISO C happy. */
    SetMessageFn setMessage;
    SetColorFn setBackColor, setBarColor;
    ConfigureFn configure;
    AppearanceFn appearance;
    SetSizeFn setSize;
    SaveFn save;
    void* p;
    p = bind(library, "QRSetMessage"), memcpy(&setMessage, &p, sizeof p);
    p = bind(library, "QRSetBackColor"), memcpy(&setBackColor, &p, sizeof p);
    p = bind(library, "QRSetBarColor"), memcpy(&setBarColor, &p, sizeof p);
    p = bind(library, "QRConfigure"), memcpy(&configure, &p, sizeof p);
    p = bind(library, "QRAppearance"), memcpy(&appearance, &p, sizeof p);
    p = bind(library, "QRSetSize"), memcpy(&setSize, &p, sizeof p);
    p = bind(library, "QRSaveAsBMP"), memcpy(&save, &p, sizeof p);
    if (failures)
        return 1;

    char folder[] = "/tmp/qrcode-c-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    char path[64];
    snprintf(path, sizeof path, "%s/symbol", folder);

    setMessage("Hello from C");
    setBackColor(255, 255, 255);
    setBarColor(0, 0, 0);
    configure(0, 0, 5);
    appearance(0.2, 1, 0);
    setSize(256, 256);
    check(save(path) == 1, "the engine's sequence saves a symbol");

    unsigned char header[62] = {0};
    FILE* file = fopen(path, "rb");
    check(file != NULL && fread(header, 1, sizeof header, file) == sizeof header,
          "the file holds a whole BMP header");
    if (file)
        fclose(file);
    check(header[0] == 'B' && header[1] == 'M', "the file is a BMP");
    check(le32(header + 18) == 256 && le32(header + 22) == 256, "the picture is 256 x 256");
    check(header[28] == 1, "one bit per pixel");
    unlink(path);

    setMessage(NULL);
    check(save(path) == 0, "a null message is empty and saves nothing");
    check(access(path, F_OK) != 0, "no file after a failed save");
    setMessage("x");
    check(save(NULL) == 0, "a null path saves nothing");

    rmdir(folder);
    dlclose(library);
    if (failures == 0)
        printf("qrcode C binding: all checks passed\n");
    return failures == 0 ? 0 : 1;
}
