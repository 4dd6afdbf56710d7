// The page a user prints to calibrate a printer: millimetre rulers along the top and left edges
// from the origin, a 50 mm square whose top-left corner is 10 mm right of and below the origin,
// and the queue's name and resolution. Measured on paper, the square's corner tells how far the
// printer's prints land from where they should.
#pragma once

#include "template/Template.h"

#include <cstdint>
#include <string>

namespace tav::engine {

// Where the square starts and how large it is, tenths of a millimetre.
inline constexpr std::int32_t kCalibrationSquareAt = 100;
inline constexpr std::int32_t kCalibrationSquareSide = 500;

// A template of paperWidth x paperHeight tenths of a millimetre; `queue` is UTF-8.
tpl::Template calibrationPage(std::int32_t paperWidth, std::int32_t paperHeight,
                              const std::string& queue, int dpi);

} // namespace tav::engine
