/* Binds the print engine's exports by name, as outside programs do, and checks the load rules.
 * usage: c_api_test PATH/TO/libtavprint.so SCRATCH_FOLDER [QUEUE JOB_NAME]
 * With a queue it also prints through it: a template naming that queue is printed once with a
 * barcode that has no picture yet (TAVPrint must refuse), then once with the barcode filled in,
 * as the job JOB_NAME (GBK bytes as given); the caller checks what reached the queue. */
#ifdef _WIN32
#include "win32_dlfcn.h"
#else
#include <dlfcn.h>
#define BOUND_CALL
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int(BOUND_CALL* LoadFn)(const char*);
typedef void(BOUND_CALL* DestroyFn)(void);
typedef int(BOUND_CALL* TotalFn)(void);
typedef int(BOUND_CALL* SetMarkFn)(const char*, const char*);
typedef const char*(BOUND_CALL* GetMarkFn)(const char*);
typedef int(BOUND_CALL* GetSameFn)(const char*);
typedef int(BOUND_CALL* PrintFn)(const char*);

static int failures = 0;
static int passes = 0;

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (cond) {                                                                                \
            ++passes;                                                                              \
        } else {                                                                                   \
            ++failures;                                                                            \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);               \
        }                                                                                          \
    } while (0)

static void put32(FILE* f, int v) {
    unsigned u = (unsigned)v;
    unsigned char b[4] = {(unsigned char)u, (unsigned char)(u >> 8), (unsigned char)(u >> 16),
                          (unsigned char)(u >> 24)};
    fwrite(b, 1, 4, f);
}

/* The empty packed field: raw length 0 and the zlib stream of no bytes. */
static void putEmpty(FILE* f) {
    static const unsigned char stream[8] = {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
    put32(f, 0);
    put32(f, 8);
    fwrite(stream, 1, 8, f);
}

/* A packed text of up to 255 bytes, stored uncompressed inside a zlib stream. */
static void putText(FILE* f, const char* text) {
    unsigned char stream[300];
    size_t n = strlen(text), i;
    unsigned long a = 1, b = 0; /* Adler-32 */
    for (i = 0; i < n; ++i) {
        a = (a + (unsigned char)text[i]) % 65521;
        b = (b + a) % 65521;
    }
    stream[0] = 0x78;
    stream[1] = 0x01;
    stream[2] = 0x01; /* final stored block */
    stream[3] = (unsigned char)n;
    stream[4] = 0;
    stream[5] = (unsigned char)~n;
    stream[6] = 0xFF;
    memcpy(stream + 7, text, n);
    stream[7 + n] = (unsigned char)(b >> 8);
    stream[8 + n] = (unsigned char)b;
    stream[9 + n] = (unsigned char)(a >> 8);
    stream[10 + n] = (unsigned char)a;
    put32(f, (int)n);
    put32(f, (int)(n + 11));
    fwrite(stream, 1, n + 11, f);
}

/* A template of `count` line elements on 50 x 50 mm paper, under the given magic; element i
 * carries the mark "M<i / 2>", so marks come in pairs. */
static int writeTemplate(const char* path, const char* magic, int count) {
    FILE* f = fopen(path, "wb");
    int i, k;
    if (!f)
        return 0;
    fwrite(magic, 1, 10, f);
    put32(f, count);
    put32(f, 500); /* width */
    put32(f, 500); /* height */
    put32(f, 0);
    put32(f, 0xFFFFFF);
    put32(f, 0);
    put32(f, 0x3F800000); /* zoom 1.0 */
    putEmpty(f);
    for (i = 0; i < count; ++i) {
        put32(f, 6);      /* kind */
        put32(f, i * 10); /* x */
        put32(f, i * 10); /* y */
        for (k = 0; k < 13; ++k)
            put32(f, 0);
        for (k = 0; k < 3; ++k)
            putEmpty(f);
        put32(f, 0);
        put32(f, 0);
        putEmpty(f);
        {
            char mark[16];
            snprintf(mark, sizeof mark, "M%d", i / 2);
            putText(f, mark);
        }
    }
    return fclose(f) == 0;
}

/* dlsym returns an object pointer; copying it into the function pointer is the portable way. */
static void bind(void* lib, const char* name, void* fn, size_t size) {
    void* address = dlsym(lib, name);
    if (!address)
        fprintf(stderr, "export %s not found\n", name);
    memcpy(fn, &address, size);
}

/* A 60 x 40 mm label for `queue`: a line, then a barcode element marked CODE whose picture has
 * not been made. */
static int writePrintableTemplate(const char* path, const char* queue) {
    FILE* f = fopen(path, "wb");
    int k, e;
    if (!f)
        return 0;
    fwrite("TAV 3.1...", 1, 10, f);
    put32(f, 2);
    put32(f, 600);
    put32(f, 400);
    put32(f, 0);
    put32(f, 0xFFFFFF);
    put32(f, 96);
    put32(f, 0x3F800000);
    putText(f, queue);
    for (e = 0; e < 2; ++e) {
        put32(f, e == 0 ? 6 : 10); /* a horizontal line, then a barcode */
        put32(f, 20);
        put32(f, e == 0 ? 20 : 60);
        put32(f, 500);
        put32(f, e == 0 ? 10 : 200);
        put32(f, 0);
        put32(f, 0);
        put32(f, 0);
        put32(f, 3); /* pen width */
        for (k = 0; k < 7; ++k)
            put32(f, 0);
        putEmpty(f); /* face */
        putEmpty(f); /* source */
        putEmpty(f); /* shown */
        put32(f, 0);
        put32(f, 0);
        putEmpty(f);                      /* content */
        putText(f, e == 0 ? "" : "CODE"); /* mark */
    }
    return fclose(f) == 0;
}

int main(int argc, char** argv) {
    char good[4096], old[4096], missing[4096];
    void* lib;
    LoadFn load;
    DestroyFn destroy;
    TotalFn total;
    SetMarkFn setMark;
    GetMarkFn getMark;
    GetSameFn getSame;
    const char* result;

    if (argc != 3 && argc != 5) {
        fprintf(stderr, "usage: c_api_test LIBRARY SCRATCH_FOLDER [QUEUE JOB_NAME]\n");
        return 2;
    }
    /* Under LeakSanitizer the library stays mapped after dlclose: the system libraries it pulls
     * in (GLib, fontconfig) keep allocations for the whole process, which LeakSanitizer would
     * report as leaks once their module is gone. */
    lib = dlopen(argv[1],
                 RTLD_NOW | RTLD_LOCAL | (getenv("TAV_KEEP_LIBRARY_LOADED") ? RTLD_NODELETE : 0));
    if (!lib) {
        fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    bind(lib, "TAVLoad", &load, sizeof load);
    bind(lib, "TAVDestroy", &destroy, sizeof destroy);
    bind(lib, "GetTotal", &total, sizeof total);
    bind(lib, "SetMark", &setMark, sizeof setMark);
    bind(lib, "GetMark", &getMark, sizeof getMark);
    bind(lib, "GetSame", &getSame, sizeof getSame);
    CHECK(load && destroy && total && setMark && getMark && getSame);
    if (!load || !destroy || !total || !setMark || !getMark || !getSame)
        return 1;

    snprintf(good, sizeof good, "%s/c_api_good.tav", argv[2]);
    snprintf(old, sizeof old, "%s/c_api_old.tav", argv[2]);
    snprintf(missing, sizeof missing, "%s/c_api_missing.tav", argv[2]);
    remove(missing);
    CHECK(writeTemplate(good, "TAV 3.1...", 3));
    CHECK(writeTemplate(old, "TAV 3.0...", 3));

    CHECK(total() == 0); /* empty when the library has just been loaded */
    destroy();
    CHECK(total() == 0);
    CHECK(load(NULL) == 0);
    CHECK(load("") == 0);

    CHECK(load(good) == 1);
    CHECK(total() == 3);
    CHECK(load(missing) == 0); /* a missing file keeps the previous template */
    CHECK(total() == 3);
    CHECK(load(old) == 0); /* a wrong magic empties it */
    CHECK(total() == 0);
    CHECK(load(good) == 1);
    CHECK(getSame("M0") == 2);
    CHECK(getSame("M1") == 1);
    CHECK(setMark("M1", "filled") == 1);
    CHECK(setMark("nothing", "x") == 0);
    result = getMark("M1");
    CHECK(result && strcmp(result, "filled") == 0);
    destroy();
    CHECK(total() == 0);
    CHECK(strcmp(result, "filled") == 0); /* the last GetMark result outlives the template */
    CHECK(getSame("M0") == 0);

    remove(good);
    remove(old);

    if (argc == 5) {
        PrintFn print;
        char printable[4096];
        bind(lib, "TAVPrint", &print, sizeof print);
        CHECK(print != NULL);
        if (!print)
            return 1;
        snprintf(printable, sizeof printable, "%s/c_api_printable.tav", argv[2]);
        CHECK(writePrintableTemplate(printable, argv[3]));
        destroy();
        CHECK(print("nothing loaded") == 0);
        CHECK(load(printable) == 1);
        CHECK(print("barcode not made") == 0); /* refused: nothing reaches the queue */
        CHECK(setMark("CODE", "TAV-E2E-42") == 1);
        CHECK(print(argv[4]) == 1);
        destroy();
        remove(printable);
    }
    CHECK(dlclose(lib) == 0);
    printf("%d passed, %d failed\n", passes, failures);
    return failures == 0 ? 0 : 1;
}
