// Importing a .lab label into the open document: the label's page size is taken and its
// pictures, barcodes, QR codes and texts are added on top of what the document holds, through
// the document's own add operations (so barcodes and QR codes are drawn anew from their data).
#pragma once

#include "common/Status.h"
#include "editor/core/EditorDocument.h"

#include <cstdint>
#include <span>
#include <string>

namespace tav::editor {

enum class LabImportStatus {
    Imported,   // the code of a success
    CannotRead, // the file cannot be read
    BadLabel,   // wrong magic, or counts, offsets or lengths the file cannot hold
};

// What an import added.
struct LabImported {
    int added = 0;           // elements added
    int skippedPictures = 0; // pictures whose payload was not a packed picture
};

// The import, or why the file was refused (the text in English).
using LabImportResult = Result<LabImported, LabImportStatus>;

// Reads and imports `path`. Unless the import succeeds the document is unchanged. The last
// element added stays selected.
LabImportResult importLabFile(EditorDocument& document, const std::string& path);
// The same for a file already in memory.
LabImportResult importLabBytes(EditorDocument& document, std::span<const std::uint8_t> bytes);

} // namespace tav::editor
