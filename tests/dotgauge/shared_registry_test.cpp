// A device registered anywhere in the process is seen by libdotgauge's exports, bound by name
// from the shared library as outside callers bind them: the registry lives in one shared object
// (libtavdevices), not in a copy per library.
// usage: shared_registry_test LIBDOTGAUGE
#include "platform/Device.h"

#include <dlfcn.h>

#include <cstdio>
#include <memory>

namespace {

struct LabelPrinter final : tav::platform::Device {
    int dpiX() const override { return 203; }
    int dpiY() const override { return 406; }
};

int failed = 0;
void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what);
    failed += ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: shared_registry_test LIBDOTGAUGE\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    using Query = int (*)(void*);
    auto dpiX = reinterpret_cast<Query>(dlsym(library, "GetPrinterDPIX"));
    auto dpiY = reinterpret_cast<Query>(dlsym(library, "GetPrinterDPIY"));
    check(dpiX != nullptr && dpiY != nullptr, "GetPrinterDPIX and GetPrinterDPIY are exported");
    if (dpiX == nullptr || dpiY == nullptr)
        return 1;
    void* handle = nullptr;
    {
        tav::platform::DeviceRegistration printer(std::make_shared<LabelPrinter>());
        handle = printer.handle();
        check(dpiX(handle) == 203, "GetPrinterDPIX answers for a device registered outside it");
        check(dpiY(handle) == 406, "GetPrinterDPIY answers for a device registered outside it");
    }
    check(dpiX(handle) == 0, "a released device is no longer found");
    dlclose(library);
    std::printf("%d failed\n", failed);
    return failed == 0 ? 0 : 1;
}
