/* QR code symbols as BMP files: the seven operations the print engine binds by name.
 *
 * The library keeps one set of settings for the whole process. Each setter changes its settings
 * and keeps them for later calls; QRSaveAsBMP encodes the current message with the current
 * settings and writes the picture. Calls must not overlap (the library takes no locks). Texts are
 * NUL-terminated strings in the GBK code page; a null pointer counts as the empty text. No call
 * shows a message or lets an error escape.
 *
 * Settings before the first call: empty message, back color white, bar color black,
 * QRConfigure(0, 0, 4), QRAppearance(0.15, 1, 0), QRSetSize(256, 256).
 *
 * The print engine makes every symbol with this sequence:
 *     QRSetMessage(content); QRSetBackColor(255, 255, 255); QRSetBarColor(0, 0, 0);
 *     QRConfigure(0, 0, 5); QRAppearance(0.2, 1, 0); QRSetSize(size, size); QRSaveAsBMP(path);
 * which gives the smallest symbol of error-correction level Q (25 % of it may be damaged) that
 * holds the content, drawn with whole-pixel modules, black on white, centered in a size x size
 * picture with a light border of at least 5 modules wherever the size leaves room for it. */
#ifndef QRCODE_H
#define QRCODE_H

#include "tav_api.h"

TAV_EXTERN_C_BEGIN

/* The text to encode, copied. The GBK bytes are converted to UTF-8 and the symbol holds the
 * UTF-8 bytes, the form that phones and common scanners read as text, Chinese included; each byte
 * that is no GBK character (a text cut in the middle of a character) becomes U+FFFD. A text
 * with any character beyond ASCII is encoded in byte mode behind an ECI designator for UTF-8
 * (ECI 26), so that readers do not guess another character set for short texts; pure ASCII
 * texts carry no designator. */
TAV_API void TAV_CALL QRSetMessage(const char* text);

/* The color of the light parts (background and quiet zone) and of the dark modules, as red,
 * green and blue from 0 to 255; values outside that range are clamped to it. */
TAV_API void TAV_CALL QRSetBackColor(int red, int green, int blue);
TAV_API void TAV_CALL QRSetBarColor(int red, int green, int blue);

/* encoding:  0 = automatic: digits, upper-case letters and the other bytes each in the mode that
 *                gives the shortest symbol (letters always keep their case);
 *            1 = every byte in byte mode. Any other value counts as 0.
 * version:   0 = the smallest version (1 to 40) that holds the message; 1 to 40 = at least this
 *            version, a larger one when the message needs it. Any other value counts as 0.
 * quietZone: width of the light border on each side, in modules. The standard asks for at least
 *            4; negative values count as 0. When the picture is too small for the whole border,
 *            the border shrinks to what is left around the symbol. */
TAV_API void TAV_CALL QRConfigure(int encoding, int version, int quietZone);

/* recovery:     the share of the symbol that may be damaged and still read, which picks the
 *               lowest error-correction level that restores at least that much:
 *               up to 0.07 = L, up to 0.15 = M, up to 0.25 = Q, more = H. A value that is not
 *               a number counts as 0.15.
 * wholeModules: 1 (or any value but 0) = every module is the same whole number of pixels and the
 *               symbol is centered, the pixels left over widening the border; 0 = the symbol and
 *               its border are stretched over the whole square, module edges rounded to pixels
 *               (modules then differ by up to one pixel).
 * negative:     0 = dark modules in the bar color on the back color; any other value swaps the
 *               two colors (light modules on a dark ground; not every scanner reads these). */
TAV_API void TAV_CALL QRAppearance(double recovery, int wholeModules, int negative);

/* The width and height of the picture in pixels. Values below 1 count as 256. The symbol fills
 * the largest square that fits and is centered in the picture. Sizes above 16384 make QRSaveAsBMP
 * fail. */
TAV_API void TAV_CALL QRSetSize(int width, int height);

/* Encodes the message and writes the picture to `path` as a BMP file: a BITMAPINFOHEADER picture
 * of 1 bit per pixel, stored bottom-up, with a two-entry color table (index 0 the back color,
 * index 1 the bar color; swapped when negative). A new or empty file is written directly; a file
 * that holds something is replaced through a temporary file beside it, renamed over it once
 * complete, so that a failed write (a full disk) leaves it as it was.
 * Returns 1 when the whole file was written. Returns 0, leaving no file written by this call,
 * when the message is empty, is too long for a version 40 symbol, when the
 * symbol does not fit in the picture at one pixel per module, when the size is too large, or
 * when the file cannot be created or written (a partly written file is removed). */
TAV_API int TAV_CALL QRSaveAsBMP(const char* path);

TAV_EXTERN_C_END

#endif
