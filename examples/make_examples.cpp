// Writes the example templates shipped in examples/. The committed .tav files are this
// program's output; a test checks that they still are.
//
// usage: make_examples OUTPUT_FOLDER
#include "platform/Bmp.h"
#include "platform/Charset.h"
#include "printengine/Marks.h"
#include "template/TemplateWriter.h"

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

using tav::tpl::ElementKind;
using tav::tpl::Template;
using tav::tpl::TemplateElement;

std::string gbk(const char* utf8) {
    return tav::platform::utf8ToGbk(utf8).value();
}

TemplateElement element(ElementKind kind, int x, int y, int width, int height) {
    TemplateElement e;
    e.kind = static_cast<std::int32_t>(kind);
    e.box = {x, y, width, height};
    e.penWidth = 3;
    return e;
}

TemplateElement text(int x, int y, int width, int height, const char* content, const char* mark,
                     int size, bool bold = false) {
    auto e = element(ElementKind::Text, x, y, width, height);
    e.content = gbk(content);
    e.mark = gbk(mark);
    e.font.size = size;
    e.font.bold = bold;
    return e;
}

Template newDocument(int width, int height) {
    Template tpl;
    tpl.page.paperWidth = width;
    tpl.page.paperHeight = height;
    tpl.page.paperColor = 0xFFFFFF;
    tpl.page.printScale = 96;
    tpl.page.zoom = 1.0f;
    return tpl;
}

// 100 x 60 mm shipping label: frame, sender and recipient, a tracking barcode and a QR code.
Template shippingLabel() {
    Template tpl = newDocument(1000, 600);
    auto& els = tpl.elements;
    els.push_back(element(ElementKind::RectOutline, 20, 20, 960, 560));
    els.push_back(text(40, 40, 600, 60, "收件人：{NAME}", "收件人：{NAME}", 14, true));
    els.push_back(text(40, 110, 900, 50, "地址：{ADDRESS}", "地址：{ADDRESS}", 10));
    els.push_back(text(40, 170, 600, 50, "电话：{PHONE}", "电话：{PHONE}", 10));
    els.push_back(element(ElementKind::HorizontalLine, 20, 240, 960, 10));
    // Scanners need a quiet zone of ten modules beside a barcode: keep it clear of the frame
    // and the dividing line.
    auto barcode = element(ElementKind::BarcodeImage, 100, 270, 500, 180);
    barcode.content = "SF1234567890";
    barcode.mark = "TRACKING";
    els.push_back(barcode);
    els.push_back(text(100, 470, 500, 50, "SF1234567890", "TRACKING_TEXT", 12));
    auto qr = element(ElementKind::QrCodeImage, 740, 270, 220, 220);
    qr.content = "https://example.com/track/SF1234567890";
    qr.mark = "QR";
    qr.image.qrSize = 256;
    els.push_back(qr);
    els.push_back(element(ElementKind::VerticalLine, 700, 250, 10, 330));
    return tpl;
}

// 60 x 40 mm shelf price tag: product name, price, unit, a product barcode, rounded frame.
Template priceTag() {
    Template tpl = newDocument(600, 400);
    auto& els = tpl.elements;
    auto frame = element(ElementKind::RoundedRect, 10, 10, 580, 380);
    frame.cornerSize = 40;
    frame.fillColor = 0xFFFFFF;
    els.push_back(frame);
    els.push_back(text(30, 30, 540, 60, "{PRODUCT}", "{PRODUCT}", 12, true));
    els.push_back(text(30, 100, 300, 90, "￥{PRICE}", "￥{PRICE}", 24, true));
    els.push_back(text(340, 130, 230, 50, "单位：{UNIT}", "单位：{UNIT}", 9));
    els.push_back(element(ElementKind::HorizontalLine, 20, 195, 560, 10));
    auto barcode = element(ElementKind::BarcodeImage, 60, 220, 360, 130);
    barcode.content = "6901234567892";
    barcode.mark = "EAN";
    els.push_back(barcode);
    auto circle = element(ElementKind::EllipseFilled, 470, 230, 100, 100);
    circle.fillColor = 0x0000FF;
    circle.penColor = 0x0000FF;
    els.push_back(circle);
    auto sale = text(485, 262, 80, 40, "特价", "SALE", 9, true);
    sale.textColor = 0xFFFFFF;
    els.push_back(sale);
    return tpl;
}

// A 24 x 24 one-bit BMP: a framed diamond, standing in for a shop's logo.
tav::tpl::SharedBytes logoBmp() {
    constexpr std::uint32_t kSize = 24;
    tav::platform::OneBitPicture logo;
    logo.reset(kSize, kSize);
    for (std::uint32_t row = 0; row < kSize; ++row) {
        for (std::uint32_t col = 0; col < kSize; ++col) {
            const bool frame = row < 2 || row >= kSize - 2 || col < 2 || col >= kSize - 2;
            const int r = static_cast<int>(row) - 11, c = static_cast<int>(col) - 11;
            if (frame || std::abs(r) + std::abs(c) <= 6)
                logo.setInk(col, row);
        }
    }
    std::vector<std::uint8_t> bmp;
    tav::platform::writeOneBitBmp(logo, {0xFFFFFF, 0x000000, true, false}, bmp);
    return tav::tpl::SharedBytes(std::move(bmp));
}

// 50 x 30 mm product label for batches: its marks are the column titles of a product table
// (名称, 序号, 条码, 图片); "编号：序号" shows that a mark may hold the title inside a text.
Template productLabel() {
    Template tpl = newDocument(500, 300);
    auto& els = tpl.elements;
    els.push_back(text(20, 20, 360, 50, "名称", "名称", 11, true));
    els.push_back(text(20, 75, 360, 40, "编号：序号", "编号：序号", 8));
    auto logo = element(ElementKind::Picture, 400, 20, 80, 80);
    logo.mark = gbk("图片");
    logo.image.source = logoBmp();
    logo.image.shown = logo.image.source;
    els.push_back(logo);
    auto barcode = element(ElementKind::BarcodeImage, 60, 130, 380, 150);
    barcode.content = "TAV00000";
    barcode.mark = gbk("条码");
    els.push_back(barcode);
    return tpl;
}

// Barcode and QR elements hold the pictures of their content, as the designer saves them, so
// that the examples print as they are; marks fill them anew.
void makePictures(Template& tpl) {
    for (auto& e : tpl.elements) {
        if (e.kind != static_cast<std::int32_t>(ElementKind::BarcodeImage) &&
            e.kind != static_cast<std::int32_t>(ElementKind::QrCodeImage))
            continue;
        Template single;
        single.elements.push_back(e);
        single.elements[0].mark = "\x01";
        tav::engine::setMark(single, "\x01", e.content, tav::engine::libraryPictureMaker());
        e.image = single.elements[0].image;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_examples OUTPUT_FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    std::pair<const char*, Template> examples[] = {{"shipping-label.tav", shippingLabel()},
                                                   {"price-tag.tav", priceTag()},
                                                   {"product-label.tav", productLabel()}};
    for (auto& [name, tpl] : examples) {
        makePictures(tpl);
        std::string error;
        if (!tav::tpl::writeTemplateFile(folder + "/" + name, tpl, error)) {
            std::cerr << "make_examples: " << error << "\n";
            return 1;
        }
    }
    return 0;
}
