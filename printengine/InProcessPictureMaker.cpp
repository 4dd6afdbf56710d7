#include "printengine/InProcessPictureMaker.h"

#include "qrcode/QrSymbol.h"

namespace tav::engine {

tpl::SharedBytes InProcessPictureMaker::barcode(const std::string& content) {
    // As the engine asks GetBarcode: horizontal, and nothing when no picture can be made.
    if (!m_barcodes.make(content, false))
        return {};
    const auto bmp = m_barcodes.bmp();
    return tpl::SharedBytes(bmp.data(), bmp.size());
}

tpl::SharedBytes InProcessPictureMaker::qrCode(const std::string& content, std::int32_t size) {
    qr::QrError error = qr::QrError::None;
    auto bmp = qr::renderQrBmp(qr::settingsFromCall(qr::kEngineQrCall, content, size), error);
    return bmp ? tpl::SharedBytes(std::move(*bmp)) : tpl::SharedBytes();
}

std::optional<tpl::SharedBytes> InProcessPictureMaker::pictureFile(const std::string& path) {
    return libraryPictureMaker().pictureFile(path);
}

} // namespace tav::engine
