// A picture maker for batch tests that makes no pictures and finds no files.
#pragma once

#include "printengine/PictureMaker.h"

namespace tav::test {

class NoPictures : public engine::PictureMaker {
public:
    tpl::SharedBytes barcode(const std::string&) override { return {}; }
    tpl::SharedBytes qrCode(const std::string&, std::int32_t) override { return {}; }
    std::optional<tpl::SharedBytes> pictureFile(const std::string&) override {
        return std::nullopt;
    }
};

} // namespace tav::test
