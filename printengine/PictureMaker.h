// Where the pictures of barcode, QR and picture elements come from when a data mark changes
// them. The engine's own maker calls the barcode and QR libraries (libraryPictureMaker); a
// program that links the encoders can call them directly (InProcessPictureMaker.h); tests use
// fakes. Both real makers give the same bytes, with the QR settings of qr::kEngineQrCall.
#pragma once

#include "template/SharedBytes.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tav::engine {

class PictureMaker {
public:
    virtual ~PictureMaker() = default;
    // The BMP of a horizontal Code 128 symbol of `content` (GBK); empty when it cannot be made.
    virtual tpl::SharedBytes barcode(const std::string& content) = 0;
    // The BMP of a QR symbol of `content` (GBK), `size` x `size` pixels; empty when it cannot
    // be made.
    virtual tpl::SharedBytes qrCode(const std::string& content, std::int32_t size) = 0;
    // All bytes of the picture file at `path` (GBK, as a caller passed it); nothing when no file
    // exists there or it cannot be read.
    virtual std::optional<tpl::SharedBytes> pictureFile(const std::string& path) = 0;
};

// The maker the engine uses: GetBarcode of libbarcode and the QR operations of libqrcode, each
// writing a BMP to a scratch file of its own that is read and deleted at once.
PictureMaker& libraryPictureMaker();

} // namespace tav::engine
