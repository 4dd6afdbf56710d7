/* Loads a template through the installed print engine and prints its element count. */
#include <stdio.h>
#include <tavprint.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    if (TAVLoad(argv[1]) != 1)
        return 1;
    printf("%d\n", GetTotal());
    TAVDestroy();
    return 0;
}
