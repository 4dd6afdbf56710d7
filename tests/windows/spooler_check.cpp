// The winspool spooler's answers that a caller of TAVPrint cannot see: the default printer (to
// check it is never changed), a job on an unknown printer, and a job abandoned after its page
// was begun, which must leave nothing in the queue.
// Usage: spooler_check default            prints the default printer's name
//        spooler_check unknown TITLE      0 when a job on "NoSuchPrinter" is refused as unknown
//        spooler_check abandon QUEUE TITLE  begins a job on QUEUE, draws, and drops it
#include "platform/SystemSpooler.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    using namespace tav::platform;
    auto spooler = createSystemSpooler();
    if (argc == 2 && std::strcmp(argv[1], "default") == 0) {
        std::vector<PrinterInfo> printers;
        if (spooler->listPrinters(printers) != SpoolStatus::Ok)
            return 1;
        for (const PrinterInfo& p : printers)
            if (p.isDefault)
                std::printf("%s\n", p.name.c_str());
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "unknown") == 0) {
        auto job = spooler->beginJob({"NoSuchPrinter", argv[2], 600, 400, 1, 300});
        return !job.ok() && job.code() == SpoolStatus::UnknownPrinter ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "abandon") == 0) {
        auto job = spooler->beginJob({argv[2], argv[3], 600, 400, 1, 300});
        if (!job.ok())
            return 1;
        job.value()->setPen({5, 0});
        job.value()->drawLine(50, 50, 550, 350);
        return 0; // dropped uncommitted
    }
    std::fprintf(stderr, "usage: spooler_check default | unknown TITLE | abandon QUEUE TITLE\n");
    return 2;
}
