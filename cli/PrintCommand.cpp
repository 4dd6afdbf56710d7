#include "cli/PrintCommand.h"
#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/LoadedTemplate.h"
#include "dotgauge.h"
#include "platform/Charset.h"
#include "platform/SystemSpooler.h"
#include "platform/Utf8.h"
#include "printengine/PrintJob.h"
#include "printengine/PrinterSettings.h"
#include "printengine/QueueChoice.h"

#include <cstdlib>
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

// Text from a file or the environment that may be GBK, for the terminal.
std::string terminalText(const std::string& text) {
    return platform::isUtf8(text) ? text : platform::gbkToUtf8(text);
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

void reportSubstitution(const char* command, const engine::PrintTarget& target) {
    if (const std::string text = engine::describeSubstitution(target); !text.empty())
        std::cerr << "tavprint " << command << ": " << text << "\n";
}

int runPrint(const std::vector<std::string>& args) {
    CommandLine line({}, {"--printer", "--copies", "--job-name"}, {"--set"});
    Status parsed = line.parse(args);
    const Result<int> copiesGiven =
        parsed ? line.intValue("--copies", 1, 9999, 1) : Result<int>(std::move(parsed));
    if (!copiesGiven) {
        std::cerr << "tavprint print: " << copiesGiven.error() << "\n";
        return kExitUsage;
    }
    const int copies = copiesGiven.value();
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
    auto spooler = platform::createSystemSpooler();
    engine::PrintTarget used;
    const auto outcome = engine::printTemplate(tpl, request, *spooler, &used);
    reportSubstitution("print", used);
    if (!outcome.ok()) {
        std::cerr << "tavprint print: " << file << ": " << outcome.error() << "\n";
        return exitCodeFor(outcome.code());
    }
    return kExitOk;
}

int runPrinters(const std::vector<std::string>& args) {
    if (!args.empty()) {
        std::cerr << "tavprint printers: takes no arguments\n";
        return kExitUsage;
    }
    auto spooler = platform::createSystemSpooler();
    std::vector<platform::PrinterInfo> printers;
    const auto status = spooler->listPrinters(printers);
    if (status != platform::SpoolStatus::Ok) {
        std::cerr << "tavprint printers: " << platform::toString(status) << "\n";
        return status == platform::SpoolStatus::NoScheduler ? kExitNoSpooler : kExitFailed;
    }
    const auto settings = engine::PrinterSettings::load();
    for (const auto& printer : printers) {
        std::cout << (printer.isDefault ? "* " : "  ") << printer.name;
        if (!printer.description.empty() && printer.description != printer.name)
            std::cout << "\t" << printer.description;
        if (auto offset = settings.calibration(printer.name))
            std::cout << "\tcalibration " << offset->x << "," << offset->y;
        std::cout << "\n";
    }
    // Where the printer names of templates go: the mapping files, and TAV_PRINTER above them.
    if (const char* environment = std::getenv("TAV_PRINTER"); environment && *environment)
        std::cout << "\nTAV_PRINTER=" << terminalText(environment)
                  << ": every template prints there\n";
    if (!settings.mappings().empty()) {
        std::cout << "\nprinters.conf:\n";
        for (const auto& [name, queue] : settings.mappings()) {
            const auto choice = engine::chooseQueue(
                platform::isUtf8(name) ? platform::utf8ToGbk(name).value_or(name) : name, printers,
                settings, nullptr);
            std::cout << "  " << terminalText(name) << " = " << terminalText(queue);
            if (!choice || choice->match != engine::QueueMatch::Mapping)
                std::cout << "\t("
                          << (choice ? "printing on " + choice->queue + ": " +
                                           engine::toString(choice->match)
                                     : std::string("no such queue"))
                          << ")";
            std::cout << "\n";
        }
    }
    return kExitOk;
}

} // namespace tav::cli
