#include "cli/BatchCommand.h"

#include "cli/BatchProgress.h"
#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/InProcessPictureMaker.h"
#include "cli/LoadedTemplate.h"
#include "cli/RowSelection.h"
#include "datasource/CsvSource.h"
#include "datasource/MySqlSource.h"
#include "datasource/OdbcSource.h"
#include "datasource/XlsSource.h"
#include "dotgauge.h"
#include "platform/Charset.h"
#include "platform/SystemSpooler.h"
#include "printengine/BatchPrinter.h"

#include <iostream>

namespace tav::cli {
namespace {

constexpr const char* kUsage =
    "usage: tavprint batch FILE (--csv F | --xls F | --mysql CONNECTION --sql QUERY |\n"
    "       --odbc CONNECTION --sql QUERY) [--rows 1,3,5-9] [--printer NAME] [--delay-ms N]\n"
    "       [--output OUT.pdf [--dpi N]] [--set MARK=VALUE]...\n";

// The data source the options name; nothing, with a message printed, when they name none or
// several, or the connection string is wrong. Connection strings are never printed.
std::unique_ptr<data::DataSource> sourceFromOptions(const CommandLine& line, int& exitCode) {
    exitCode = kExitUsage;
    const char* kinds[] = {"--csv", "--xls", "--mysql", "--odbc"};
    int given = 0;
    for (const char* kind : kinds)
        given += line.value(kind) ? 1 : 0;
    if (given != 1) {
        std::cerr << "tavprint batch: name exactly one data source\n" << kUsage;
        return nullptr;
    }
    if (auto csv = line.value("--csv"))
        return std::make_unique<data::CsvSource>(*csv);
    if (auto xls = line.value("--xls"))
        return std::make_unique<data::XlsSource>(*xls);

    const auto sql = line.value("--sql");
    if (!sql) {
        std::cerr << "tavprint batch: a database source needs --sql QUERY\n";
        return nullptr;
    }
    auto sqlGbk = platform::utf8ToGbk(*sql);
    if (!sqlGbk) {
        std::cerr << "tavprint batch: --sql is not UTF-8 or holds a character GBK cannot "
                     "represent\n";
        return nullptr;
    }
    if (auto mysql = line.value("--mysql")) {
        auto params = data::MySqlParams::fromConnectionString(*mysql);
        if (!params) {
            std::cerr << "tavprint batch: --mysql: " << params.error() << "\n";
            return nullptr;
        }
        return std::make_unique<data::MySqlSource>(std::move(params.value()), std::move(*sqlGbk));
    }
    return std::make_unique<data::OdbcSource>(*line.value("--odbc"), std::move(*sqlGbk));
}

} // namespace

int runBatch(const std::vector<std::string>& args) {
    CommandLine line({},
                     {"--csv", "--xls", "--mysql", "--odbc", "--sql", "--rows", "--printer",
                      "--delay-ms", "--output", "--dpi"},
                     {"--set"});
    std::string error;
    int delayMs = 200;
    int dpi = 300;
    if (!line.parse(args, error) || !line.intValue("--delay-ms", 0, 60000, 200, delayMs, error) ||
        !line.intValue("--dpi", 1, 4800, 300, dpi, error)) {
        std::cerr << "tavprint batch: " << error << "\n";
        return kExitUsage;
    }
    if (line.positionals().size() != 1) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    RowSelection rows;
    if (auto text = line.value("--rows")) {
        auto parsed = RowSelection::parse(*text, error);
        if (!parsed) {
            std::cerr << "tavprint batch: " << error << "\n";
            return kExitUsage;
        }
        rows = *parsed;
    }
    const auto output = line.value("--output");
    if (output && (line.value("--printer") || line.value("--delay-ms"))) {
        std::cerr << "tavprint batch: --output writes a PDF file; --printer and --delay-ms are "
                     "for printing\n";
        return kExitUsage;
    }
    auto printer = platform::utf8ToGbk(line.value("--printer").value_or(""));
    if (!printer) {
        std::cerr << "tavprint batch: --printer is not UTF-8 or holds a character GBK cannot "
                     "represent\n";
        return kExitUsage;
    }
    int exitCode = kExitOk;
    auto source = sourceFromOptions(line, exitCode);
    if (!source)
        return exitCode;

    const std::string& file = line.positionals().front();
    tpl::Template tpl;
    if (int code = loadTemplateWithMarks("batch", file, line.values("--set"), tpl); code != kExitOk)
        return code;

    // Where the labels go; the printer is found before the first row is read, the screen's
    // resolution asked once for the whole batch.
    const int screenDpi = GetDPI();
    std::unique_ptr<platform::Spooler> spooler;
    std::unique_ptr<engine::LabelSink> sink;
    if (output) {
        sink = engine::PdfFileLabelSink::create(*output, tpl.page, dpi, screenDpi, error);
        if (!sink) {
            std::cerr << "tavprint batch: " << error << "\n";
            return kExitFailed;
        }
    } else {
        spooler = platform::createCupsSpooler();
        engine::PrintOutcome found;
        sink = engine::SpoolerLabelSink::create(*spooler, tpl, *printer, screenDpi,
                                                std::chrono::milliseconds(delayMs), found);
        if (!sink) {
            std::cerr << "tavprint batch: " << found.error << "\n";
            return found.status == engine::PrintStatus::NoScheduler ? kExitNoSpooler
                                                                    : kExitNoPrinter;
        }
    }

    InProcessPictureMaker pictures;
    engine::BatchPrinter batch(tpl, *sink, pictures);
    BatchProgress progress;
    std::size_t position = 0;
    data::RowHandler handler;
    handler.onTitles = [&](const std::vector<std::string>& titles) {
        batch.setTitles(titles);
        return true;
    };
    handler.onRow = [&](const std::vector<std::string>& cells) {
        ++position;
        if (rows.endsBefore(position))
            return false;
        if (!rows.contains(position))
            return true;
        const auto report = batch.printRow(position, cells);
        if (report.printed)
            progress.rowDone(position, true);
        else
            progress.rowFailed(position, report.error);
        return true;
    };
    const data::Status read = source->read(handler);
    source->close();
    progress.finish();
    const auto summary = [&](const std::string& where) {
        std::cerr << "tavprint batch: " << progress.printed() << " printed, " << progress.failed()
                  << " failed" << where << "\n";
    };
    if (!read.ok()) {
        // Jobs already sent stay sent; a document is not written (its temporary file goes).
        std::cerr << "tavprint batch: " << read.error() << "\n";
        summary(output ? ", no file written" : "");
        return kExitFailed;
    }
    if (output) {
        if (progress.printed() == 0) {
            summary(", no file written");
            return kExitFailed;
        }
        const auto finished = sink->finish();
        if (!finished.ok()) {
            std::cerr << "tavprint batch: " << *output << ": " << finished.error << "\n";
            return kExitFailed;
        }
    }
    summary(output ? " (into " + *output + ")" : "");
    return progress.failed() == 0 ? kExitOk : kExitFailed;
}

} // namespace tav::cli
