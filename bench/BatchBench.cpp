// Batches from CSV to one PDF, as `tavprint batch FILE --csv ROWS.csv --output OUT.pdf` runs
// them: labels per second, and the peak memory of the process (flat in the number of rows).
// Peak memory is the process's high-water mark: run one size per process for a clean figure,
//   build/bin/batch_bench --benchmark_filter='1000/'
//   build/bin/batch_bench --benchmark_filter='100000/'
// Whole tavprint runs, process start included: bench/batch_process.sh
#include "TypicalLabel.h"
#include "dotgauge.h"

#include "cli/DataSourceRows.h"
#include "datasource/CsvSource.h"
#include "platform/ProcessStats.h"
#include "printengine/BatchPrinter.h"
#include "printengine/BatchRun.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

using namespace tav;

class Unobserved final : public engine::BatchObserver {
public:
    void rowPrinted(std::size_t) override {}
    void rowFailed(std::size_t, const std::string&) override {}
    void warning(const std::string&) override {}
};

std::string writeRows(std::size_t rows) {
    const std::string path = "/tmp/tav-batch-bench-" + std::to_string(::getpid()) + ".csv";
    std::ofstream out(path);
    out << "NAME,{PRICE},CODE,QR\n";
    for (std::size_t n = 1; n <= rows; ++n)
        out << "Apple " << n << "," << (n % 100) << ".50," << bench::rowCode(n) << ","
            << bench::rowQr(n) << "\n";
    return path;
}

void BM_BatchCsvToPdf(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    const std::string csv = writeRows(rows);
    const std::string pdf = "/tmp/tav-batch-bench-" + std::to_string(::getpid()) + ".pdf";
    for (auto _ : state) {
        tpl::Template tpl = bench::typicalLabel();
        auto sink =
            std::move(engine::PdfFileLabelSink::create(pdf, tpl.page, 300, GetDPI()).value());
        engine::BatchPrinter batch(tpl, *sink, engine::libraryPictureMaker());
        data::CsvSource source(csv);
        cli::DataSourceRows sourceRows(source);
        Unobserved observer;
        const auto done = engine::runBatch(sourceRows, batch, engine::RowSelection(), observer);
        if (!done.readError.empty() || !done.finished) {
            state.SkipWithError("the batch failed");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(rows));
    state.counters["labels_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(rows),
                           benchmark::Counter::kIsRate);
    state.counters["peak_rss_MB"] =
        static_cast<double>(platform::peakResidentBytes()) / (1024.0 * 1024.0);
    std::remove(csv.c_str());
    std::remove(pdf.c_str());
}
BENCHMARK(BM_BatchCsvToPdf)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
