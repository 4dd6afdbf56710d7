// What importing a .lab label adds to a document: its page size and its elements in the
// designer's terms (boxes moved by the old designer's window offsets, texts' fonts taken from
// their descriptions, pictures unpacked). Barcode and QR code elements carry their data only;
// the designer draws their pictures anew.
#pragma once

#include "common/Units.h"
#include "labfile/LabReader.h"
#include "template/Template.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tav::lab {

// The old designer placed its page at this point of its window; stored boxes include it.
inline constexpr std::int32_t kLeftOffset = 24;
inline constexpr std::int32_t kTopOffset = 62;
// The QR symbol size the import gives every QR code.
inline constexpr std::int32_t kImportedQrSize = kDefaultQrSize;
// The number of '|'-separated fields of a text description.
inline constexpr std::size_t kDescriptionFields = 8;

struct LabImport {
    // The page width and height the label takes (other page fields are left zero); the
    // elements to add, in order: pictures, barcodes and QR codes in their table's order, then
    // the texts. Fields not set by the label keep the model's defaults.
    tpl::Template additions;
    // 'P' records whose payload did not unpack to a picture.
    int skippedPictures = 0;
    // Text records whose description did not have eight fields.
    int skippedTexts = 0;
};

LabImport labImport(const LabLabel& label);

// Splits a GBK description at '|' on character boundaries (0x7C is also a valid second byte of
// a double-byte character, which must not split it).
std::vector<std::string> splitDescription(const std::string& description);

} // namespace tav::lab
