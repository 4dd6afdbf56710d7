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

/* Reads the template file at `path` into the engine.
 * Returns 1 when loaded (also when the file was short or elements lay outside the paper and
 * were dropped). Returns 0 when no file exists at `path` (the previous template stays loaded),
 * or when the file cannot be opened or is not a "TAV 3.1..." file (the engine is left empty). */
TAV_API int TAV_CALL TAVLoad(const char* path);

/* Empties the loaded template. */
TAV_API void TAV_CALL TAVDestroy(void);

/* The number of elements of the loaded template; 0 when none is loaded. */
TAV_API int TAV_CALL GetTotal(void);

TAV_EXTERN_C_END

#endif
