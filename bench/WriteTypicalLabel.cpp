// Writes the benchmarks' typical label (bench/TypicalLabel.h) as a template file, for measuring
// whole `tavprint batch` runs (bench/batch_process.sh).
#include "TypicalLabel.h"

#include "template/TemplateWriter.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: write_typical_label OUT.tav\n";
        return 2;
    }
    if (auto saved = tav::tpl::writeTemplateFile(argv[1], tav::bench::typicalLabel()); !saved) {
        std::cerr << "write_typical_label: " << saved.error() << "\n";
        return 1;
    }
    return 0;
}
