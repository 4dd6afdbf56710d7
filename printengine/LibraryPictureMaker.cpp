// Pictures made by the barcode and QR libraries. Each picture goes through a scratch file of
// its own: the library writes a BMP there, the engine reads it and deletes it at once.
#include "printengine/PictureMaker.h"

#include "barcode.h"
#include "platform/Charset.h"
#include "platform/File.h"
#include "platform/ScratchFile.h"
#include "qrcode.h"
#include "qrcode/QrSymbol.h"

#include <functional>

namespace tav::engine {
namespace {

// Runs `write` on a fresh scratch path and returns what it wrote; empty when writing failed.
tpl::SharedBytes throughScratchFile(const std::function<int(const char* path)>& write) {
    const auto path = platform::createScratchFile();
    if (!path)
        return {};
    std::vector<std::uint8_t> bytes;
    const bool ok = write(path->c_str()) == 1 &&
                    platform::readWholeFile(*path, bytes) == platform::FileReadStatus::Read;
    platform::removeFile(*path);
    return ok ? tpl::SharedBytes(std::move(bytes)) : tpl::SharedBytes();
}

class LibraryPictureMaker final : public PictureMaker {
public:
    tpl::SharedBytes barcode(const std::string& content) override {
        return throughScratchFile(
            [&](const char* path) { return GetBarcode(content.c_str(), 0, path); });
    }

    tpl::SharedBytes qrCode(const std::string& content, std::int32_t size) override {
        return throughScratchFile([&](const char* path) {
            QRSetMessage(content.c_str());
            const auto& a = qr::kEngineQrCall;
            QRSetBackColor(a.back[0], a.back[1], a.back[2]);
            QRSetBarColor(a.bar[0], a.bar[1], a.bar[2]);
            QRConfigure(a.configure[0], a.configure[1], a.configure[2]);
            QRAppearance(a.recovery, a.wholeModules, a.negative);
            QRSetSize(size, size);
            return QRSaveAsBMP(path);
        });
    }

    std::optional<tpl::SharedBytes> pictureFile(const std::string& path) override {
        std::vector<std::uint8_t> bytes;
        if (platform::readWholeFile(path, bytes) == platform::FileReadStatus::Read)
            return tpl::SharedBytes(std::move(bytes));
        // Callers pass GBK paths; the file system here names files in UTF-8.
        const std::string utf8 = platform::gbkToUtf8(path);
        if (utf8 != path && platform::readWholeFile(utf8, bytes) == platform::FileReadStatus::Read)
            return tpl::SharedBytes(std::move(bytes));
        return std::nullopt;
    }
};

} // namespace

PictureMaker& libraryPictureMaker() {
    static LibraryPictureMaker maker;
    return maker;
}

} // namespace tav::engine
