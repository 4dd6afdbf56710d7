// The texts the designer shows about lengths and positions: property fields in millimetres,
// the status bar, the zoom choices, the window caption. UTF-8, for the widgets.
#pragma once

#include "editor/core/CanvasScale.h"
#include "template/Template.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tav::editor {

// A length of tenths of a millimetre as millimetres without trailing zeros: 125 -> "12.5",
// 100 -> "10", -5 -> "-0.5".
std::string formatMillimetres(std::int32_t tenths);
// Millimetres typed into a field as tenths, x 10 truncated toward zero ("499.9" -> 4999);
// nothing when the text is not a number.
std::optional<std::int32_t> parseMillimetres(std::string_view text);
// A paper width or height typed in millimetres: accepted when 1 <= value <= 500 (within 1e-7,
// a value within it counting as the limit: "0.99999999" -> 10), as tenths; nothing otherwise.
std::optional<std::int32_t> parsePaperLength(std::string_view text);
// An integer typed into a field (pen width, corner, QR size, print scale); nothing when the
// text is not one.
std::optional<std::int32_t> parseInteger(std::string_view text);

// "x = 1.25 mm  y = 3.00 mm": a position in millimetres, each rounded to two decimals.
std::string positionText(double xMillimetres, double yMillimetres);
// The status bar's pointer position for a pointer at canvas pixels (px, py) at `zoom`.
std::string pointerText(double px, double py, double zoom);
// "x = 1.00 mm  y = 2.00 mm  w = 10.00 mm  h = 10.00 mm": a box, as the status bar shows the
// selected element.
std::string boxText(const tpl::ElementBox& box);
// What both status bar fields show at first, and the box field when nothing is selected.
std::string emptyPositionText();
std::string emptyBoxText();

// The zoom choices "10%" .. "200%"; index 0..kZoomChoices - 1 (slider position - 1).
std::string zoomChoiceText(int index);

// "TAVEditor - " + path, or "TAVEditor - 未命名.tav" for an untitled document.
std::string windowCaption(const std::string& path);

} // namespace tav::editor
