// Time to draw one typical label on the cairo canvases and finish the document: three lines, a
// rounded frame, two texts (Chinese in 宋体, Latin in bold) and a 1-bit barcode picture.
//   build/bin/render_bench
// PdfLabelDocument is what one print job costs (a whole PDF per label); PdfLabelPages is a batch
// of labels as pages of one PDF; PngLabel is a preview picture at 300 dpi.
#include "platform/ImageCodec.h"
#include "platform/PageCanvas.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

using namespace tav::platform;

constexpr std::int32_t kWidth = 600; // 60 x 40 mm
constexpr std::int32_t kHeight = 400;

// A Code 128-like picture: 1-bit, one pixel per module, 180 modules wide.
DecodedImage barcode() {
    DecodedImage image;
    image.width = 180;
    image.height = 1;
    image.oneBit = true;
    for (int x = 0; x < image.width; ++x) {
        bool bar = ((x * 7) % 11) < 5 || x < 4 || x >= 176;
        image.argb.push_back(bar ? 0xFF000000u : 0xFFFFFFFFu);
    }
    return image;
}

void drawLabel(Canvas& canvas, const DecodedImage& picture, int serial) {
    canvas.setPen({3, 0});
    canvas.setBrush({0xFFFFFF});
    canvas.drawRoundRect(10, 10, 590, 390, 30, 30);
    canvas.setPen({0, 0});
    canvas.drawLine(10, 105, 590, 105);
    canvas.drawLine(10, 205, 590, 205);
    canvas.drawLine(300, 105, 300, 205);

    canvas.setTextColor(0);
    canvas.setFont({"\xCB\xCE\xCC\xE5", 45, 0, false, false, false, false}); // 宋体
    std::string name =
        "\xC6\xBB\xB9\xFB \xB2\xFA\xB5\xD8\xA3\xBA\xC9\xBD\xB6\xAB"; // 苹果 产地：山东
    canvas.measureText(name);
    canvas.drawText(30, 30, name);
    canvas.setFont({"DejaVu Sans", 50, 0, true, false, false, false});
    canvas.drawText(30, 130, "No. " + std::to_string(100000 + serial));

    canvas.drawImage(picture, 40, 220, 560, 370);
}

void PdfLabelDocument(benchmark::State& state) {
    DecodedImage picture = barcode();
    int serial = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto canvas = createPdfCanvas(kWidth, kHeight, 300);
        drawLabel(*canvas, picture, serial++);
        std::vector<std::uint8_t> pdf = canvas->finish();
        bytes = pdf.size();
        benchmark::DoNotOptimize(pdf.data());
    }
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PdfLabelDocument)->Unit(benchmark::kMicrosecond);

void PdfLabelPages(benchmark::State& state) {
    const int labels = static_cast<int>(state.range(0));
    DecodedImage picture = barcode();
    for (auto _ : state) {
        auto canvas = createPdfCanvas(kWidth, kHeight, 300);
        for (int i = 0; i < labels; ++i) {
            if (i > 0) {
                canvas->newPage();
            }
            drawLabel(*canvas, picture, i);
        }
        std::vector<std::uint8_t> pdf = canvas->finish();
        benchmark::DoNotOptimize(pdf.data());
    }
    state.SetItemsProcessed(state.iterations() * labels);
}
BENCHMARK(PdfLabelPages)->Arg(100)->Unit(benchmark::kMillisecond);

void PngLabel(benchmark::State& state) {
    DecodedImage picture = barcode();
    for (auto _ : state) {
        auto canvas = createImageCanvas(kWidth, kHeight, 300);
        drawLabel(*canvas, picture, 1);
        std::vector<std::uint8_t> png = canvas->finish();
        benchmark::DoNotOptimize(png.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PngLabel)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
