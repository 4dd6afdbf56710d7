#include "template/TemplateWriter.h"

#include "platform/File.h"
#include "template/PackedField.h"
#include "template/TemplateReader.h"

#include <cstring>

namespace tav::tpl {
namespace {

bool isWritten(const TemplateElement& e) {
    return !e.deleted && e.box.x >= 0 && e.box.x <= kMaxWrittenPosition && e.box.y >= 0 &&
           e.box.y <= kMaxWrittenPosition;
}

class FileImage {
public:
    void int32(std::int32_t value) { appendInt32(m_out, value); }
    void bool32(bool value) { int32(value ? 1 : 0); }
    void float32(float value) {
        std::int32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        int32(bits);
    }
    void text(const std::string& value) {
        m_packer.pack({reinterpret_cast<const std::uint8_t*>(value.data()), value.size()}, m_out);
    }
    void bytes(const SharedBytes& value) { m_packer.pack(value.span(), m_out); }
    void raw(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        m_out.insert(m_out.end(), p, p + size);
    }
    std::vector<std::uint8_t> take() { return std::move(m_out); }

private:
    std::vector<std::uint8_t> m_out;
    Packer m_packer;
};

} // namespace

std::vector<std::uint8_t> serializeTemplate(const Template& tpl) {
    FileImage file;
    std::int32_t count = 0;
    for (const auto& e : tpl.elements)
        count += isWritten(e) ? 1 : 0;

    file.raw(kMagic31, kMagicSize);
    file.int32(count);
    const PageSettings& page = tpl.page;
    file.int32(page.paperWidth);
    file.int32(page.paperHeight);
    file.int32(page.orientation);
    file.int32(page.paperColor);
    file.int32(page.printScale);
    file.float32(page.zoom);
    file.text(page.printerName);

    for (const auto& e : tpl.elements) {
        if (!isWritten(e))
            continue;
        file.int32(e.kind);
        file.int32(e.box.x);
        file.int32(e.box.y);
        file.int32(e.box.width);
        file.int32(e.box.height);
        file.int32(e.cornerSize);
        file.int32(e.textColor);
        file.int32(e.penColor);
        file.int32(e.penWidth);
        file.int32(e.fillColor);
        file.int32(e.font.angle);
        file.bool32(e.font.bold);
        file.bool32(e.font.italic);
        file.bool32(e.font.strikeout);
        file.bool32(e.font.underline);
        file.int32(e.font.size);
        file.text(e.font.faceName);
        file.bytes(e.image.source);
        file.bytes(e.image.shown);
        file.int32(e.image.rotation);
        file.int32(e.image.qrSize);
        file.text(e.content);
        file.text(e.mark);
    }
    return file.take();
}

bool writeTemplateFile(const std::string& path, const Template& tpl, std::string& error) {
    const auto image = serializeTemplate(tpl);
    return platform::writeFileAtomically(path, image, error);
}

} // namespace tav::tpl
