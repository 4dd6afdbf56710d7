/* A program that links the DLLs through their import libraries and public headers, as a C or
 * C++ caller's build does: on 32-bit Windows the headers' __stdcall names (_GetBarcode@12) must
 * reach the DLLs' plain exports. Run, it calls a few functions through those imports. */
#include "barcode.h"
#include "dotgauge.h"
#include "qrcode.h"
#ifdef TAV_HAVE_TAVPRINT
#include "tavprint.h"
#endif

#include <stdio.h>

static int failures = 0;

static void check(int ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

int main(void) {
    check(GetPrintSize(12, 96, 96) == 11, "GetPrintSize(12, 96, 96) is 11");
    check(GetDPI() > 0, "GetDPI answers");
    check(GetPrinterDPIX(NULL) == 0 && GetPrinterDPIY(NULL) == 0, "a null device gives 0");
    check(GetXMM(0) == 0 && GetYMM(0) == 0, "no pixels are no millimetres");
    check(GetBarcode(NULL, 0, NULL) == 0, "GetBarcode without a path fails");
    QRSetMessage(NULL);
    QRSetBackColor(255, 255, 255);
    QRSetBarColor(0, 0, 0);
    QRConfigure(0, 0, 4);
    QRAppearance(0.2, 1, 0);
    QRSetSize(100, 100);
    check(QRSaveAsBMP(NULL) == 0, "QRSaveAsBMP without a path fails");
#ifdef TAV_HAVE_TAVPRINT
    {
        /* Bound through the import library; the print engine's behaviour is c_api_test's. */
        int(TAV_CALL* volatile load)(const char*) = TAVLoad;
        void(TAV_CALL* volatile destroy)(void) = TAVDestroy;
        int(TAV_CALL* volatile total)(void) = GetTotal;
        int(TAV_CALL* volatile setMark)(const char*, const char*) = SetMark;
        const char*(TAV_CALL* volatile getMark)(const char*) = GetMark;
        int(TAV_CALL* volatile same)(const char*) = GetSame;
        int(TAV_CALL* volatile print)(const char*) = TAVPrint;
        check(load && destroy && total && setMark && getMark && same && print,
              "every export of TAVPrint.dll is bound");
    }
#endif
    if (failures)
        return 1;
    puts("import libraries: all checks passed");
    return 0;
}
