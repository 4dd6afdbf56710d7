// The designer's tool box: the select tool and one tool per element kind, numbered as the
// buttons are ordered (tool n creates an element of kind n).
#pragma once

#include <cstdint>

namespace tav::editor {

enum class Tool : std::int32_t {
    Select = 0,
    RectOutline = 1,
    RectFilled = 2,
    RoundedRect = 3,
    EllipseOutline = 4,
    EllipseFilled = 5,
    HorizontalLine = 6,
    VerticalLine = 7,
    DiagonalDown = 8,
    DiagonalUp = 9,
    Barcode = 10,
    QrCode = 11,
    Picture = 12,
    Text = 13,
};
inline constexpr int kToolCount = 14;

// What the tools give a new element.
inline constexpr std::int32_t kNewShapeSize = 100;    // 10 mm square
inline constexpr std::int32_t kNewBarcodeWidth = 200; // 20 x 10 mm
inline constexpr std::int32_t kNewBarcodeHeight = 100;
inline constexpr std::int32_t kNewCornerSize = 30;       // rounded rectangles
inline constexpr std::int32_t kNewQrSize = 256;          // pixels
inline constexpr const char* kNewContent = "1234567890"; // barcodes, QR codes, texts

} // namespace tav::editor
