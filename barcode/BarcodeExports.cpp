// The C export of libbarcode: copies the arguments and makes the picture through guardExport,
// which turns every outcome, an exception included, into the documented result.
#define TAV_BUILDING_LIBRARY
#include "barcode.h"

#include "barcode/BarcodeMaker.h"
#include "common/ExportGuard.h"

#include <string>

extern "C" {

TAV_API int TAV_CALL GetBarcode(const char* content, int rotate, const char* path) {
    return tav::guardExport([&] {
        const std::string text = content ? content : "";
        const std::string file = path ? path : "";
        return tav::barcode::writeBarcodeFile(text, rotate, file);
    });
}

} // extern "C"
