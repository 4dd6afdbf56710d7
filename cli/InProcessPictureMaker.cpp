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
    // What the engine's fixed calls set, argument by argument.
    const auto& a = engine::kQrCall;
    qr::QrSettings settings;
    settings.message = content;
    settings.backColor = qr::clampedColor(a.back[0], a.back[1], a.back[2]);
    settings.barColor = qr::clampedColor(a.bar[0], a.bar[1], a.bar[2]);
    settings.encoding = qr::encodingFromArgument(a.configure[0]);
    settings.version = qr::versionFromArgument(a.configure[1]);
    settings.quietZone = qr::quietZoneFromArgument(a.configure[2]);
    settings.level = qr::levelFromRecovery(a.recovery);
    settings.wholeModules = a.wholeModules != 0;
    settings.negative = a.negative != 0;
    settings.width = settings.height = qr::sideFromArgument(size);
    qr::QrError error = qr::QrError::None;
    auto bmp = qr::renderQrBmp(settings, error);
    return bmp ? tpl::SharedBytes(std::move(*bmp)) : tpl::SharedBytes();
}

std::optional<tpl::SharedBytes> InProcessPictureMaker::pictureFile(const std::string& path) {
    return engine::libraryPictureMaker().pictureFile(path);
}

} // namespace tav::cli
