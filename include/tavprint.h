/* The print engine: loads one .tav template per process, fills its data marks and prints it.
 *
 * Every text crosses this interface as a NUL-terminated string in the GBK code page. A null
 * pointer counts as the empty text. The engine copies each argument on entry and never keeps
 * or writes to the caller's buffers. The engine holds one template for the whole process and
 * takes no locks: calls must not overlap. */
#ifndef TAVPRINT_H
#define TAVPRINT_H

#include "tav_api.h"

TAV_EXTERN_C_BEGIN

/* Reads the template file at `path` into the engine. `path` is GBK like every text here; where
 * the file system names files in UTF-8 the path is tried as given first, then converted.
 * Returns 1 when loaded (also when the file was short or elements lay outside the paper and
 * were dropped). Returns 0 when no file exists at `path` (the previous template stays loaded),
 * or when what is there cannot be opened, is not a regular file (a folder, a FIFO, a device:
 * never waited on) or is not a "TAV 3.1..." file (the engine is left empty). */
TAV_API int TAV_CALL TAVLoad(const char* path);

/* Empties the loaded template. */
TAV_API void TAV_CALL TAVDestroy(void);

/* The number of elements of the loaded template; 0 when none is loaded. */
TAV_API int TAV_CALL GetTotal(void);

/* Puts `value` into the first element whose mark contains `name` (compared byte for byte, on
 * GBK character boundaries). When the mark equals the name the content becomes the value;
 * otherwise it is the mark with every occurrence of the name replaced by the value, so a mark
 * such as "Price: {P}" becomes "Price: 12.50". Barcode and QR elements get a new symbol, picture
 * elements the picture file that `value` names; pictures are then turned by the element's
 * rotation (uncompressed BMPs, OS/2 ones included; compressed BMPs such as RLE and other
 * formats are shown unturned). Returns 1 when done; 0 when no mark contains `name` (nothing
 * changes), or when a picture element's file cannot be read (the content has changed, the
 * picture has not). When a symbol cannot be made the element is left without a picture and
 * TAVPrint will refuse the job. */
TAV_API int TAV_CALL SetMark(const char* name, const char* value);

/* The content of the first element whose mark equals `name`, or "" when there is none. The text
 * belongs to the engine and stays valid until the next GetMark call; do not free or change it. */
TAV_API const char* TAV_CALL GetMark(const char* name);

/* The number of elements whose mark equals `name`; an empty name counts the elements without a
 * mark. */
TAV_API int TAV_CALL GetSame(const char* name);

/* Prints the template, with its marks as they stand, as one job of one page named
 * `documentName` (cut on a character boundary to the 255 bytes of UTF-8 that CUPS keeps) on the
 * template's printer. That name is looked for as a queue of that name, then with the characters
 * CUPS refuses in queue names replaced by "_", then as a queue's description, then in the
 * "[printers]" mapping of $XDG_CONFIG_HOME/tav/printers.conf and /etc/tav/printers.conf; the
 * environment variable TAV_PRINTER, when set, names the queue instead. When no queue is found,
 * or the template names none, the default printer prints. Positions are measured from the
 * top-left corner of the printer's printable area, moved by the queue's calibration
 * ("[calibration]" in printers.conf). The page is rendered completely before anything is sent,
 * and the system's default printer is never changed. Returns 1 when the spooler accepted the
 * job; 0 when there is nothing to print, no printer can be found or reached, or an element
 * cannot be drawn (a barcode, QR code or picture that is missing, cannot be decoded, or is
 * larger than a page draws: more than 32,767 pixels a side, or a barcode of more than 32,767
 * modules) - then no job is left in the spooler.
 * On glibc the first page drawn asks the allocator to keep blocks below 4 MB in the heap and up
 * to 8 MB of free heap for reuse: returning the blocks a label is drawn with to the system after
 * every label makes printing several times slower. */
TAV_API int TAV_CALL TAVPrint(const char* documentName);

TAV_EXTERN_C_END

#endif
