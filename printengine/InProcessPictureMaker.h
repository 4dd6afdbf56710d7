// Pictures for programs that link the encoders (tavprint's batches), made by the encoders the
// barcode and QR libraries use, called directly. The scratch-file protocol between the libraries
// exists for outside callers of the C interfaces; inside one program it only costs two file
// creations and deletions per label, a quarter of a batch's time. The bytes are the same as through
// the libraries (tested).
#pragma once

#include "barcode/BarcodeMaker.h"
#include "printengine/PictureMaker.h"

namespace tav::engine {

class InProcessPictureMaker final : public PictureMaker {
public:
    tpl::SharedBytes barcode(const std::string& content) override;
    tpl::SharedBytes qrCode(const std::string& content, std::int32_t size) override;
    std::optional<tpl::SharedBytes> pictureFile(const std::string& path) override;

private:
    barcode::BarcodeMaker m_barcodes;
};

} // namespace tav::engine
