// The .lab label files of the older label designer: a page size, a table of object records
// (pictures, barcodes, QR codes) and a table of text records, each record found through an
// offset into the record area. Every offset, count and length is checked against the file before
// it is used: a file that points outside itself is refused as a whole.
#pragma once

#include "common/Status.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tav::lab {

// The ten bytes every .lab file starts with.
inline constexpr char kLabMagic[] = "lab 1.0 ..";
inline constexpr std::size_t kLabMagicSize = 10;

// A box as stored: left and top still carry the old designer's window offsets.
struct LabBox {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
};

struct LabObjectRecord {
    char type = 0; // 'P' picture, 'B' barcode, 'D' QR code; others are ignored by the import
    LabBox box;
    std::string text;                  // GBK: the barcode's or QR code's data
    std::vector<std::uint8_t> payload; // the packed picture of a 'P' record
};

struct LabTextRecord {
    LabBox box;
    std::string description; // GBK: eight fields separated by '|'
};

struct LabLabel {
    std::int32_t pageWidth = 0;
    std::int32_t pageHeight = 0;
    std::vector<LabObjectRecord> objects; // in table order
    std::vector<LabTextRecord> texts;     // in table order
};

// The code of a read's outcome (Ok on success).
enum class LabReadStatus {
    Ok,
    BadMagic,  // not a .lab file
    Malformed, // a count, offset or length the file cannot hold
};

// The label, or the code and a text (in English) that says what does not fit.
using LabReadResult = Result<LabLabel, LabReadStatus>;

// Parses a whole file held in memory; never reads outside `bytes`.
LabReadResult readLabBytes(std::span<const std::uint8_t> bytes);

} // namespace tav::lab
