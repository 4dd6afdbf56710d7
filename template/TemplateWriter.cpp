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
    // `what` names the value for the message when it cannot be stored.
    void text(const std::string& value, const char* what) {
        check(m_packer.pack({reinterpret_cast<const std::uint8_t*>(value.data()), value.size()},
                            m_out),
              value.size(), what);
    }
    void bytes(const SharedBytes& value, const char* what) {
        check(m_packer.pack(value.span(), m_out), value.size(), what);
    }
    // The element whose values are being written (1-based), 0 for the page settings.
    void setElement(std::size_t number) { m_element = number; }
    const std::string& problem() const { return m_problem; }
    void raw(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        m_out.insert(m_out.end(), p, p + size);
    }
    std::vector<std::uint8_t> take() { return std::move(m_out); }

private:
    void check(bool packed, std::size_t size, const char* what) {
        if (packed || !m_problem.empty())
            return;
        m_problem = (m_element == 0 ? std::string("the page's ")
                                    : "element " + std::to_string(m_element) + ": its ") +
                    what + " (" + std::to_string(size) + " bytes) " +
                    (size > static_cast<std::size_t>(kMaxUnpackedBytes)
                         ? "is larger than a template can hold (256 MiB)"
                         : "could not be compressed");
    }

    std::vector<std::uint8_t> m_out;
    Packer m_packer;
    std::size_t m_element = 0;
    std::string m_problem;
};

} // namespace

std::vector<std::uint8_t> serializeTemplate(const Template& tpl, std::string* problem) {
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
    file.text(page.printerName, "printer name");

    std::size_t number = 0;
    for (const auto& e : tpl.elements) {
        ++number;
        if (!isWritten(e))
            continue;
        file.setElement(number);
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
        file.text(e.font.faceName, "font name");
        file.bytes(e.image.source, "source picture");
        file.bytes(e.image.shown, "picture as shown");
        file.int32(e.image.rotation);
        file.int32(e.image.qrSize);
        file.text(e.content, "content");
        file.text(e.mark, "mark");
    }
    if (problem)
        *problem = file.problem();
    return file.take();
}

Status writeTemplateFile(const std::string& path, const Template& tpl) {
    std::string problem;
    const auto image = serializeTemplate(tpl, &problem);
    if (!problem.empty())
        return Status::failure("cannot save " + path + ": " + problem);
    if (image.size() > platform::kMaxWholeFileBytes)
        return Status::failure("cannot save " + path + ": the template would be " +
                               std::to_string(image.size()) +
                               " bytes, more than a template file may hold (1 GiB)");
    return platform::writeFileAtomically(path, image);
}

} // namespace tav::tpl
