#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/LoadedTemplate.h"
#include "cli/PrintCommands.h"
#include "dotgauge.h"
#include "platform/Charset.h"
#include "platform/SystemSpooler.h"
#include "printengine/PrintJob.h"

#include <iostream>

namespace tav::cli {
namespace {

int exitCodeFor(engine::PrintStatus status) {
    switch (status) {
    case engine::PrintStatus::Printed:
        return kExitOk;
    case engine::PrintStatus::NoScheduler:
        return kExitNoSpooler;
    case engine::PrintStatus::UnknownPrinter:
    case engine::PrintStatus::NoPrinter:
        return kExitNoPrinter;
    default:
        return kExitFailed;
    }
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int runPrint(const std::vector<std::string>& args) {
    CommandLine line({}, {"--printer", "--copies", "--job-name"}, {"--set"});
    std::string error;
    int copies = 1;
    if (!line.parse(args, error) || !line.intValue("--copies", 1, 9999, 1, copies, error)) {
        std::cerr << "tavprint print: " << error << "\n";
        return kExitUsage;
    }
    if (line.positionals().size() != 1) {
        std::cerr << "tavprint print: usage: tavprint print FILE [--printer NAME] [--copies N] "
                     "[--job-name NAME] [--set MARK=VALUE]...\n";
        return kExitUsage;
    }
    const std::string& file = line.positionals().front();
    engine::PrintRequest request;
    request.copies = copies;
    request.screenDpi = GetDPI();
    // Names come in UTF-8 and go to the engine as GBK, as a template would hold them.
    const auto printer = platform::utf8ToGbk(line.value("--printer").value_or(""));
    const auto jobName = platform::utf8ToGbk(line.value("--job-name").value_or(baseName(file)));
    if (!printer || !jobName) {
        std::cerr << "tavprint print: " << (printer ? "--job-name" : "--printer")
                  << " is not UTF-8 or holds a character GBK cannot represent\n";
        return kExitUsage;
    }
    request.printer = *printer;
    request.jobName = *jobName;

    tpl::Template tpl;
    if (int code = loadTemplateWithMarks("print", file, line.values("--set"), tpl); code != kExitOk)
        return code;
    auto spooler = platform::createCupsSpooler();
    const auto outcome = engine::printTemplate(tpl, request, *spooler);
    if (!outcome.ok()) {
        std::cerr << "tavprint print: " << file << ": " << outcome.error << "\n";
        return exitCodeFor(outcome.status);
    }
    return kExitOk;
}

int runPrinters(const std::vector<std::string>& args) {
    if (!args.empty()) {
        std::cerr << "tavprint printers: takes no arguments\n";
        return kExitUsage;
    }
    auto spooler = platform::createCupsSpooler();
    std::vector<platform::PrinterInfo> printers;
    const auto status = spooler->listPrinters(printers);
    if (status != platform::SpoolStatus::Ok) {
        std::cerr << "tavprint printers: " << platform::toString(status) << "\n";
        return status == platform::SpoolStatus::NoScheduler ? kExitNoSpooler : kExitFailed;
    }
    for (const auto& printer : printers) {
        std::cout << (printer.isDefault ? "* " : "  ") << printer.name;
        if (!printer.description.empty() && printer.description != printer.name)
            std::cout << "\t" << printer.description;
        std::cout << "\n";
    }
    return kExitOk;
}

} // namespace tav::cli
