// The C exports of libdotgauge. None of them can fail in a way that throws, but the device
// queries still run through guardExport, which keeps any exception on this side of the
// interface.
#define TAV_BUILDING_LIBRARY
#include "dotgauge.h"

#include "common/ExportGuard.h"
#include "dotgauge/SizeConversion.h"
#include "platform/Device.h"

namespace {

template <typename Query> int deviceQuery(void* handle, Query query) {
    return tav::guardExport([&] {
        auto device = tav::platform::findDevice(handle);
        return device ? query(*device) : 0;
    });
}

int screenDpi() {
    return tav::guardExport([] { return tav::platform::screenDpi(); });
}

} // namespace

extern "C" {

TAV_API int TAV_CALL GetDPI(void) {
    return screenDpi();
}

TAV_API int TAV_CALL GetPrinterDPIX(void* device) {
    return deviceQuery(device, [](const tav::platform::Device& d) { return d.dpiX(); });
}

TAV_API int TAV_CALL GetPrinterDPIY(void* device) {
    return deviceQuery(device, [](const tav::platform::Device& d) { return d.dpiY(); });
}

TAV_API int TAV_CALL GetXMM(int pixels) {
    return tav::dotgauge::pixelsToMillimetres(pixels, screenDpi());
}

TAV_API int TAV_CALL GetYMM(int pixels) {
    return tav::dotgauge::pixelsToMillimetres(pixels, screenDpi());
}

TAV_API int TAV_CALL GetPrintSize(int size, int resolution, int divisor) {
    return tav::dotgauge::printSize(size, resolution, divisor);
}

} // extern "C"
