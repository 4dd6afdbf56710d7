/* Code 128 barcodes as 1-bit BMP pictures.
 *
 * Texts cross this interface as NUL-terminated strings in the GBK code page; a null pointer
 * counts as the empty text. The library copies its arguments on entry and keeps no state a
 * caller could see between calls. Calls must not overlap on the same output path. */
#ifndef TAV_BARCODE_H
#define TAV_BARCODE_H

#include "tav_api.h"

TAV_EXTERN_C_BEGIN

/* Draws `content` as a Code 128 symbol (code sets B and C, switching between them
 * automatically) and writes it as a BMP file to `path`, creating the file or replacing an
 * existing one.
 *
 * Spaces and full-width spaces (GBK A1 A1) are left out of the symbol. Every other byte is
 * kept; a byte that Code 128 set B cannot carry (a control byte, DEL, or a byte of a two-byte
 * GBK character) is encoded as "?" (symbol value 31), so the symbol always scans and its check
 * symbol counts that value.
 *
 * The picture has bars only: modules 3 pixels wide, 2 white pixels left and right, 112 rows of
 * which rows 1 to 110 carry the bars; 1 bit per pixel, palette black then white. With
 * `rotate` equal to 1 it is turned 90 degrees clockwise (the start of the symbol at the top);
 * any other value leaves it horizontal.
 *
 * A file that exists and holds something is replaced through a temporary file beside it,
 * renamed over it once complete, so that a failed write (a full disk) leaves it as it was.
 *
 * Returns 1 when the whole file was written. Returns 0 when the file cannot be created or
 * written (a partly written new file is removed, an existing one is kept), and when the text is
 * too long for a BMP picture (the file is then left empty). */
TAV_API int TAV_CALL GetBarcode(const char* content, int rotate, const char* path);

TAV_EXTERN_C_END

#endif
