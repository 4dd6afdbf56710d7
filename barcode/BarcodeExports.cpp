// The C export of libbarcode: copies the arguments, makes the picture and turns every outcome,
// an exception included, into the documented result.
#define TAV_BUILDING_LIBRARY
#include "barcode.h"

#include "barcode/BarcodeMaker.h"

#include <string>

extern "C" {

TAV_API int TAV_CALL GetBarcode(const char* content, int rotate, const char* path) {
    try {
        const std::string text = content ? content : "";
        const std::string file = path ? path : "";
        return tav::barcode::writeBarcodeFile(text, rotate, file) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

} // extern "C"
