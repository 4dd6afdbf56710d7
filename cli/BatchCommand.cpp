#include "cli/BatchCommand.h"

#include "cli/BatchProgress.h"
#include "cli/CommandLine.h"
#include "cli/DataSourceRows.h"
#include "cli/DatabasePassword.h"
#include "cli/ExitCodes.h"
#include "cli/LoadedTemplate.h"
#include "cli/OutputPath.h"
#include "cli/PrintCommand.h"
#include "datasource/ConnectionString.h"
#include "datasource/CsvSource.h"
#include "datasource/MySqlSource.h"
#include "datasource/OdbcSource.h"
#include "datasource/XlsSource.h"
#include "dotgauge.h"
#include "platform/Charset.h"
#include "platform/Interruption.h"
#include "platform/SystemSpooler.h"
#include "printengine/BatchPrinter.h"
#include "printengine/BatchRun.h"
#include "printengine/InProcessPictureMaker.h"
#include "printengine/RowSelection.h"

#include <iostream>

namespace tav::cli {
namespace {

constexpr const char* kUsage =
    "usage: tavprint batch FILE (--csv F | --xls F | --mysql CONNECTION --sql QUERY |\n"
    "       --odbc CONNECTION --sql QUERY [--config sqldata.conf]) [--rows 1,3,5-9]\n"
    "       [--printer NAME] [--delay-ms N] [--output OUT.pdf [--dpi N]] [--set MARK=VALUE]...\n"
    "       [--replace-unprintable] [--encoding utf-8|gbk]\n"
    "A row whose cells hold characters GBK cannot hold (emoji, rare characters) fails, unless\n"
    "--replace-unprintable prints them as '?'.\n";

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
    const auto encodingName = line.value("--encoding");
    if (encodingName && !line.value("--csv")) {
        std::cerr << "tavprint batch: --encoding is for --csv files\n";
        return nullptr;
    }
    if (auto csv = line.value("--csv")) {
        auto encoding = data::CsvEncoding::Detect;
        if (encodingName == "utf-8" || encodingName == "UTF-8")
            encoding = data::CsvEncoding::Utf8;
        else if (encodingName == "gbk" || encodingName == "GBK")
            encoding = data::CsvEncoding::Gbk;
        else if (encodingName) {
            std::cerr << "tavprint batch: --encoding is utf-8 or gbk\n";
            return nullptr;
        }
        auto source = std::make_unique<data::CsvSource>(*csv, encoding);
        source->setNoteHandler(
            [](const std::string& note) { std::cerr << "tavprint batch: " << note << "\n"; });
        return source;
    }
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
    const auto mysql = line.value("--mysql");
    std::string connection = mysql ? *mysql : *line.value("--odbc");
    std::optional<data::MySqlParams> params;
    if (mysql) {
        auto parsed = data::MySqlParams::fromConnectionString(connection);
        if (!parsed) {
            std::cerr << "tavprint batch: --mysql: " << parsed.error() << "\n";
            return nullptr;
        }
        params = std::move(parsed.value());
    }
    // The password from outside the command line, where it can be.
    auto password = findDatabasePassword(mysql ? DatabaseKind::MySql : DatabaseKind::Odbc,
                                         connection, line.value("--config"));
    for (const auto& warning : password.warnings)
        std::cerr << "tavprint batch: " << warning << "\n";
    if (!password.error.empty() || password.interrupted) {
        if (!password.error.empty())
            std::cerr << "tavprint batch: " << password.error << "\n";
        exitCode = line.value("--config") && !password.error.empty() ? kExitUsage : kExitFailed;
        return nullptr;
    }
    if (mysql) {
        if (password.password)
            params->password = *password.password;
        return std::make_unique<data::MySqlSource>(std::move(*params), std::move(*sqlGbk));
    }
    if (password.password) {
        if (!connection.empty() && connection.back() != ';')
            connection += ';';
        connection += data::connectionPair("PWD", *password.password);
    }
    return std::make_unique<data::OdbcSource>(std::move(connection), std::move(*sqlGbk));
}

// Names the rows whose cells held characters GBK cannot hold, before the summary.
void reportUnprintableRows(const std::vector<std::size_t>& positions, bool replaced) {
    if (positions.empty())
        return;
    constexpr std::size_t kNamed = 20;
    std::string list;
    for (std::size_t i = 0; i < positions.size() && i < kNamed; ++i)
        list += (i ? ", " : "") + std::to_string(positions[i]);
    if (positions.size() > kNamed)
        list += ", ...";
    std::cerr << "tavprint batch: " << positions.size()
              << (positions.size() == 1 ? " row holds" : " rows hold")
              << " characters GBK cannot hold (row " << list << "); "
              << (replaced ? "printed with '?' in their place\n"
                           : "not printed; --replace-unprintable prints them with '?'\n");
}

} // namespace

int runBatch(const std::vector<std::string>& args) {
    CommandLine line({"--replace-unprintable"},
                     {"--csv", "--xls", "--mysql", "--odbc", "--sql", "--config", "--rows",
                      "--printer", "--delay-ms", "--output", "--dpi", "--encoding"},
                     {"--set"});
    auto usageError = [](const std::string& error) {
        std::cerr << "tavprint batch: " << error << "\n";
        return kExitUsage;
    };
    if (const Status parsed = line.parse(args); !parsed)
        return usageError(parsed.error());
    const Result<int> delayGiven =
        line.intValue("--delay-ms", 0, 60000, static_cast<int>(engine::kPauseBetweenJobs.count()));
    if (!delayGiven)
        return usageError(delayGiven.error());
    const Result<int> dpiGiven = line.intValue("--dpi", 1, 4800, 300);
    if (!dpiGiven)
        return usageError(dpiGiven.error());
    const int delayMs = delayGiven.value();
    const int dpi = dpiGiven.value();
    if (line.positionals().size() != 1) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    engine::RowSelection rows;
    if (auto text = line.value("--rows")) {
        auto parsed = engine::RowSelection::parse(*text);
        if (!parsed) {
            std::cerr << "tavprint batch: " << parsed.error() << "\n";
            return kExitUsage;
        }
        rows = parsed.value();
    }
    const auto output = line.value("--output");
    if (output && (line.value("--printer") || line.value("--delay-ms"))) {
        std::cerr << "tavprint batch: --output writes a PDF file; --printer and --delay-ms are "
                     "for printing\n";
        return kExitUsage;
    }
    if (output) {
        std::vector<std::string> inputs = {line.positionals().front()};
        for (const char* data : {"--csv", "--xls"})
            if (auto path = line.value(data))
                inputs.push_back(*path);
        if (auto problem = outputPathProblem(*output, {".pdf"}, inputs); !problem.empty()) {
            std::cerr << "tavprint batch: " << problem << "\n";
            return kExitUsage;
        }
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
        auto created = engine::PdfFileLabelSink::create(*output, tpl.page, dpi, screenDpi);
        if (!created) {
            std::cerr << "tavprint batch: " << created.error() << "\n";
            return kExitFailed;
        }
        sink = std::move(created.value());
    } else {
        spooler = platform::createSystemSpooler();
        engine::PrintOutcome found = engine::PrintOutcome::success();
        sink = engine::SpoolerLabelSink::create(*spooler, tpl, *printer, screenDpi,
                                                std::chrono::milliseconds(delayMs), found);
        if (!sink) {
            std::cerr << "tavprint batch: " << found.error() << "\n";
            return found.code() == engine::PrintStatus::NoScheduler ? kExitNoSpooler
                                                                    : kExitNoPrinter;
        }
        reportSubstitution("batch", static_cast<engine::SpoolerLabelSink&>(*sink).target());
    }

    engine::InProcessPictureMaker pictures;
    engine::BatchPrinter batch(tpl, *sink, pictures);
    BatchProgress progress;
    const bool database = line.value("--mysql") || line.value("--odbc");
    DataSourceRows sourceRows(*source, database && !output ? RowReading::WholeResultFirst
                                                           : RowReading::Streamed);
    engine::BatchOptions options;
    options.replaceUnprintable = line.has("--replace-unprintable");
    const engine::BatchSummary done = engine::runBatch(sourceRows, batch, rows, progress, options);
    progress.finish();
    reportUnprintableRows(done.unprintableRows, options.replaceUnprintable);
    const auto summary = [&](const std::string& where) {
        std::cerr << "tavprint batch: " << done.printed << " printed, " << done.failed << " failed"
                  << where << "\n";
    };
    if (platform::interruptionSignal() != 0) {
        // The label being sent was withdrawn and the document's temporary file is gone.
        summary(output ? ", interrupted, no file written" : ", interrupted");
        return kExitFailed;
    }
    if (done.refused) {
        std::cerr << "tavprint batch: no column title names a data mark of the template, so "
                     "every label would be the template's own sample; nothing printed\n";
        return kExitFailed;
    }
    if (done.stoppedBy != engine::PrintStatus::Printed) {
        // Every later row would have failed the same way; the jobs already sent stay sent.
        summary(output ? ", stopped, no file written" : ", stopped");
        return done.stoppedBy == engine::PrintStatus::NoScheduler ? kExitNoSpooler : kExitFailed;
    }
    if (!done.readError.empty()) {
        // Jobs already sent stay sent; a document is not written (its temporary file goes).
        std::cerr << "tavprint batch: " << done.readError << "\n";
        summary(output ? ", no file written" : "");
        return kExitFailed;
    }
    if (output) {
        if (done.printed == 0) {
            summary(", no file written");
            return kExitFailed;
        }
        if (!done.finished) {
            std::cerr << "tavprint batch: " << *output << ": " << done.finishError << "\n";
            return kExitFailed;
        }
    }
    summary(output ? " (into " + *output + ")" : "");
    return done.failed == 0 ? kExitOk : kExitFailed;
}

} // namespace tav::cli
