#include "editor/core/LabImport.h"

#include "labfile/LabElements.h"
#include "platform/File.h"

namespace tav::editor {

LabImportResult importLabBytes(EditorDocument& document, std::span<const std::uint8_t> bytes) {
    const lab::LabReadResult read = lab::readLabBytes(bytes);
    if (!read)
        return LabImportResult::failure(LabImportStatus::BadLabel, read.error());
    const lab::LabImport import = lab::labImport(read.value());
    LabImported imported;
    imported.skippedPictures = import.skippedPictures;

    PageChange page;
    page.paperWidth = import.additions.page.paperWidth;
    page.paperHeight = import.additions.page.paperHeight;
    document.setPage(page);

    using tpl::ElementKind;
    for (const auto& e : import.additions.elements) {
        const auto& b = e.box;
        std::int32_t index = kPlaceholderIndex;
        switch (static_cast<ElementKind>(e.kind)) {
        case ElementKind::Picture:
            index = document.addPicture(b.x, b.y, b.width, b.height, e.image.source);
            document.select(index);
            break;
        case ElementKind::BarcodeImage:
            index = document.addBarcode(b.x, b.y, b.width, b.height, e.content);
            document.select(index);
            document.setMark(e.mark);
            break;
        case ElementKind::QrCodeImage:
            index = document.addQrCode(b.x, b.y, b.width, b.height, e.content, e.image.qrSize);
            document.select(index);
            document.setMark(e.mark);
            break;
        case ElementKind::Text:
            index = document.addText(b.x, b.y, e.content);
            document.select(index);
            document.setMark(e.mark);
            document.setFont(e.font);
            break;
        default:
            continue;
        }
        ++imported.added;
    }
    return imported;
}

LabImportResult importLabFile(EditorDocument& document, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (platform::readWholeFile(path, bytes) != platform::FileReadStatus::Read)
        return LabImportResult::failure(LabImportStatus::CannotRead, "the file cannot be read");
    return importLabBytes(document, bytes);
}

} // namespace tav::editor
