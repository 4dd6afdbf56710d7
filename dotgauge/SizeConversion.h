// Converting between pixels, points and millimetres at a given resolution.
#pragma once

namespace tav::dotgauge {

// The result of a conversion whose divisor is 0 (a zero divisor, or a device that reports 0
// dots per inch): no size can be computed, and 0 is what these functions also give when a
// device cannot report its resolution.
inline constexpr int kNoSize = 0;

// `pixels` at `dpi` dots per inch in whole millimetres: pixels x 25.4 / dpi in double
// precision, truncated toward zero. kNoSize when dpi is 0; a result beyond the range of int
// is held at INT_MIN or INT_MAX.
int pixelsToMillimetres(int pixels, int dpi);

// Rescales a point size by resolution / divisor the way the print engine scales font sizes:
// t = |size / 72 x resolution|, m = t x 25.4 / divisor rounded half up to hundredths, result
// = m / 25.4 x 72 truncated toward zero, all in double precision. The rounding to hundredths
// of a millimetre makes the result often one short of the exact ratio (12 at 96/96 gives 11).
// kNoSize when divisor is 0; a result beyond the range of int is held at INT_MIN or INT_MAX.
int printSize(int size, int resolution, int divisor);

} // namespace tav::dotgauge
