#include "cli/InProcessPictureMaker.h"

#include "qrcode/QrSymbol.h"

namespace tav::cli {

tpl::SharedBytes InProcessPictureMaker::barcode(const std::string& content) {
    // As the engine asks GetBarcode: horizontal, and nothing when no picture can be made.
    if (!m_barcodes.make(content, false))
        return {};
    const auto bmp = m_barcodes.bmp();
    return tpl::SharedBytes(bmp.data(), bmp.size());
}

tpl::SharedBytes InProcessPictureMaker::qrCode(const std::string& content, std::int32_t size) {
    // The engine's fixed calls: black on white, QRConfigure(0, 0, 5),
    // QRAppearance(0.2, 1, 0), QRSetSize(size, size).
    qr::QrSettings settings;
    settings.message = content;
    settings.backColor = qr::clampedColor(255, 255, 255);
    settings.barColor = qr::clampedColor(0, 0, 0);
    settings.encoding = qr::encodingFromArgument(0);
    settings.version = qr::versionFromArgument(0);
    settings.quietZone = qr::quietZoneFromArgument(5);
    settings.level = qr::levelFromRecovery(0.2);
    settings.wholeModules = true;
    settings.negative = false;
    settings.width = settings.height = qr::sideFromArgument(size);
    qr::QrError error = qr::QrError::None;
    auto bmp = qr::renderQrBmp(settings, error);
    return bmp ? tpl::SharedBytes(std::move(*bmp)) : tpl::SharedBytes();
}

std::optional<tpl::SharedBytes> InProcessPictureMaker::pictureFile(const std::string& path) {
    return engine::libraryPictureMaker().pictureFile(path);
}

} // namespace tav::cli
