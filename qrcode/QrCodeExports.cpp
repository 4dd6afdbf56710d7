// The C exports of libqrcode. The settings live for the whole process: a caller sets the message,
// colors and size in separate calls, then saves; every export copies its arguments, and those
// that can throw run through guardExport, which lets nothing escape.
#define TAV_BUILDING_LIBRARY
#include "qrcode.h"

#include "common/ExportGuard.h"
#include "platform/File.h"
#include "qrcode/QrSymbol.h"

namespace {

tav::qr::QrSettings& settings() {
    static tav::qr::QrSettings instance;
    return instance;
}

} // namespace

extern "C" {

TAV_API void TAV_CALL QRSetMessage(const char* text) {
    tav::guardExport([&] { settings().message = text ? text : ""; },
                     // Out of memory: an empty message makes the next save fail instead of using
                     // stale text.
                     [] { settings().message.clear(); });
}

TAV_API void TAV_CALL QRSetBackColor(int red, int green, int blue) {
    settings().backColor = tav::qr::clampedColor(red, green, blue);
}

TAV_API void TAV_CALL QRSetBarColor(int red, int green, int blue) {
    settings().barColor = tav::qr::clampedColor(red, green, blue);
}

TAV_API void TAV_CALL QRConfigure(int encoding, int version, int quietZone) {
    settings().encoding = tav::qr::encodingFromArgument(encoding);
    settings().version = tav::qr::versionFromArgument(version);
    settings().quietZone = tav::qr::quietZoneFromArgument(quietZone);
}

TAV_API void TAV_CALL QRAppearance(double recovery, int wholeModules, int negative) {
    settings().level = tav::qr::levelFromRecovery(recovery);
    settings().wholeModules = wholeModules != 0;
    settings().negative = negative != 0;
}

TAV_API void TAV_CALL QRSetSize(int width, int height) {
    settings().width = tav::qr::sideFromArgument(width);
    settings().height = tav::qr::sideFromArgument(height);
}

TAV_API int TAV_CALL QRSaveAsBMP(const char* path) {
    return tav::guardExport([&] {
        if (!path || !*path)
            return tav::Status::failure("no file was named");
        const auto bmp = tav::qr::renderQrBmp(settings());
        if (!bmp)
            return tav::Status::failure(bmp.error());
        if (!tav::platform::replaceWholeFile(path, bmp.value()))
            return tav::Status::failure("the picture cannot be written");
        return tav::Status::success();
    });
}

} // extern "C"
