// The engine per label: filling a barcode and a QR mark (SetMark), rendering a label to a PDF
// page, and handing a job to CUPS.
//   build/bin/engine_bench
// BM_SubmitToCups needs the test queue CAPTURE (scripts/services); without it, it is skipped.
#include "TypicalLabel.h"
#include "dotgauge.h"

#include "platform/PageCanvas.h"
#include "platform/SystemSpooler.h"
#include "printengine/Marks.h"
#include "printengine/PageRenderer.h"
#include "printengine/PrintJob.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tav;

void BM_SetMarkBarcode12(benchmark::State& state) {
    tpl::Template tpl = bench::typicalLabel();
    std::size_t n = 0;
    for (auto _ : state) {
        const bool set =
            engine::setMark(tpl, "CODE", bench::rowCode(++n), engine::libraryPictureMaker()).ok();
        benchmark::DoNotOptimize(set);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_SetMarkBarcode12)->Unit(benchmark::kMicrosecond);

void BM_SetMarkQr30(benchmark::State& state) {
    tpl::Template tpl = bench::typicalLabel();
    tpl.elements[5].image.qrSize = 256;
    std::size_t n = 0;
    for (auto _ : state) {
        const std::string text = bench::rowQr(++n) + "/abcdefg"; // 30 characters
        const bool set = engine::setMark(tpl, "QR", text, engine::libraryPictureMaker()).ok();
        benchmark::DoNotOptimize(set);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_SetMarkQr30)->Unit(benchmark::kMicrosecond);

tpl::Template filledLabel(std::size_t n) {
    tpl::Template tpl = bench::typicalLabel();
    auto& maker = engine::libraryPictureMaker();
    engine::setMark(tpl, "NAME", "Apple " + std::to_string(n), maker);
    engine::setMark(tpl, "{PRICE}", "12.50", maker);
    engine::setMark(tpl, "CODE", bench::rowCode(n), maker);
    engine::setMark(tpl, "QR", bench::rowQr(n), maker);
    return tpl;
}

// Rendering only: the marks are filled before the timing, a new PDF document per label.
void BM_RenderLabelToPdf(benchmark::State& state) {
    const tpl::Template tpl = filledLabel(1);
    for (auto _ : state) {
        auto canvas = platform::createPdfCanvas(tpl.page.paperWidth, tpl.page.paperHeight, 300);
        engine::renderTemplate(tpl, *canvas, {.deviceDpiY = 300, .screenDpi = GetDPI()});
        benchmark::DoNotOptimize(canvas->finish().size());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_RenderLabelToPdf)->Unit(benchmark::kMicrosecond);

// A whole label as TAVPrint makes it: marks filled, rendered, submitted to a CUPS queue.
void BM_SubmitToCups(benchmark::State& state) {
    auto spooler = platform::createSystemSpooler();
    std::string queue;
    if (spooler->resolvePrinter("CAPTURE", queue) != platform::SpoolStatus::Ok) {
        state.SkipWithError("no CUPS queue CAPTURE (run scripts/services)");
        return;
    }
    std::size_t n = 0;
    for (auto _ : state) {
        const tpl::Template tpl = filledLabel(++n);
        auto outcome =
            engine::printTemplate(tpl, {"CAPTURE", "engine_bench", 1, GetDPI()}, *spooler);
        if (!outcome.ok()) {
            state.SkipWithError(outcome.error().c_str());
            return;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_SubmitToCups)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
