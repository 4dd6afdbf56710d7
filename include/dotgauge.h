/* Resolutions of the screen and of devices, and size conversions for printing.
 *
 * No function keeps state between calls; any thread may call any of them at any time. */
#ifndef TAV_DOTGAUGE_H
#define TAV_DOTGAUGE_H

#include "tav_api.h"

TAV_EXTERN_C_BEGIN

/* The screen's horizontal resolution in dots per inch. On Linux this is 96 unless the
 * environment variable TAV_SCREEN_DPI holds another positive decimal integer (digits only),
 * which is then used for both directions; it is read on every call. */
TAV_API int TAV_CALL GetDPI(void);

/* The horizontal / vertical resolution in dots per inch of the device behind `device`, a
 * device handle of this system's platform layer (for example a printer page opened by the
 * print engine). The handle is neither created nor released here. Returns 0 for a null,
 * unknown or already released handle; such a handle is never dereferenced. */
TAV_API int TAV_CALL GetPrinterDPIX(void* device);
TAV_API int TAV_CALL GetPrinterDPIY(void* device);

/* `pixels` on the screen in whole millimetres, across / down: pixels x 25.4 / dpi in double
 * precision with the screen's resolution (see GetDPI), truncated toward zero, so 96 pixels at
 * 96 dpi give 25 and -10 give -2. Returns 0 if the screen reports a resolution of 0. A result
 * beyond the range of int is held at INT_MIN or INT_MAX. */
TAV_API int TAV_CALL GetXMM(int pixels);
TAV_API int TAV_CALL GetYMM(int pixels);

/* Rescales the point size `size` by resolution / divisor, in double precision:
 *   t = |size / 72.0 x resolution|,
 *   m = t x 25.4 / divisor, rounded half up to two decimal places,
 *   result = m / 25.4 x 72.0, truncated toward zero.
 * The rounding to hundredths makes the result often one short of the exact ratio: 12 at
 * 96 / 96 gives 11, 72 at 600 / 600 gives 72, 10 at 96 / 300 gives 3. A negative size or
 * resolution gives the same result as its magnitude. Returns 0 when divisor is 0. A result
 * beyond the range of int is held at INT_MIN or INT_MAX. */
TAV_API int TAV_CALL GetPrintSize(int size, int resolution, int divisor);

TAV_EXTERN_C_END

#endif
