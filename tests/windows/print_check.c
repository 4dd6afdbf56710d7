/* Prints a template through TAVPrint.dll as a caller does: TAVLoad, an optional picture mark
 * set to a file, TAVPrint under the given job name. The printer is the template's, or the one
 * TAV_PRINTER names. Exit status: 0 printed, 1 TAVPrint failed, 3 TAVLoad failed, 4 SetMark
 * failed.
 * Usage: print_check TEMPLATE JOBNAME [PICTURE_FILE]  (PICTURE_FILE fills the mark "图片") */
#include "tavprint.h"

#include <stdio.h>

int main(int argc, char** argv) {
    /* "图片" in GBK, as the shipped product label names its picture mark. */
    static const char kPictureMark[] = "\xCD\xBC\xC6\xAC";
    if (argc < 3 || argc > 4) {
        fprintf(stderr, "usage: print_check TEMPLATE JOBNAME [PICTURE_FILE]\n");
        return 2;
    }
    if (!TAVLoad(argv[1]))
        return 3;
    if (argc == 4 && !SetMark(kPictureMark, argv[3]))
        return 4;
    return TAVPrint(argv[2]) ? 0 : 1;
}
