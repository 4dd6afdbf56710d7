// Time for one full redraw of the designer's visible canvas (the view of a 1200 x 700 window,
// 800 x 560 pixels) with a shipped example open, at 100 % and 200 %: the page color, the page
// drawn by the renderer into the view's pixels, and the selection marks. The goal is 16 ms, so
// that the canvas keeps up with the pointer.
//   build/bin/editor_canvas_bench
#include "editor/app/PageView.h"
#include "editor/core/EditorDocument.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

namespace {

using tav::editor::EditorDocument;
using tav::editor::PageView;

void redraw(benchmark::State& state, const char* example) {
    EditorDocument document;
    const std::string path = std::string(TAV_SOURCE_DIR "/examples/") + example + ".tav";
    if (document.load(path) != tav::editor::LoadStatus::Loaded) {
        state.SkipWithError("the example cannot be opened");
        return;
    }
    PageView view;
    view.setTemplate(&document.templ());
    view.setZoomStep(static_cast<int>(state.range(0)));
    view.setMarks({document.templ().elements.front().box, {}, std::nullopt});
    QImage image(800, 560, QImage::Format_RGB32);
    // Scrolled: the view shows the page's bottom-right corner.
    QRect visible(0, 0, image.width(), image.height());
    if (state.range(1) != 0) {
        const double s = view.pixelsPerUnit();
        visible.moveBottomRight(QPoint(static_cast<int>(document.page().paperWidth * s),
                                       static_cast<int>(document.page().paperHeight * s)));
        visible.moveTopLeft(QPoint(std::max(0, visible.left()), std::max(0, visible.top())));
    }
    view.paintArea(image, {0, 0}, visible); // pictures decoded once, as on the first paint
    for (auto _ : state) {
        view.paintArea(image, {0, 0}, visible);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The largest page, 500 x 500 mm (10,000 pixels square at 200 %), with a frame, a text and a
// barcode in its far corner, viewed there: the view draws only what it shows.
void largestPage(benchmark::State& state) {
    EditorDocument document;
    tav::editor::PageChange page;
    page.paperWidth = 5000;
    page.paperHeight = 5000;
    document.setPage(page);
    document.addRect(10, 10, 4980, 4980, false);
    document.addText(4500, 4700, "TAV 1234567890");
    document.addBarcode(4400, 4800, 400, 100, "1234567890");
    PageView view;
    view.setTemplate(&document.templ());
    view.setZoomStep(static_cast<int>(state.range(0)));
    QImage image(800, 560, QImage::Format_RGB32);
    const int side = view.contentSize().width();
    const QRect visible(side - image.width(), side - image.height(), image.width(), image.height());
    view.paintArea(image, {0, 0}, visible);
    for (auto _ : state) {
        view.paintArea(image, {0, 0}, visible);
        benchmark::DoNotOptimize(image.constBits());
    }
}

} // namespace

BENCHMARK(largestPage)->ArgName("zoom")->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);
// Arguments: the zoom step (10 = 100 %), and 1 when scrolled to the page's bottom-right corner.
#define TAV_ZOOMS ArgsProduct({{10, 20}, {0, 1}})->ArgNames({"zoom", "scrolled"})
BENCHMARK_CAPTURE(redraw, shipping_label, "shipping-label")
    ->TAV_ZOOMS->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(redraw, price_tag, "price-tag")->TAV_ZOOMS->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(redraw, product_label, "product-label")->TAV_ZOOMS->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
