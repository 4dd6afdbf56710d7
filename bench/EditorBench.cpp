// The designer's document core: opening a large template, and one undo snapshot of a document
// holding a large picture (its cost must not grow with the picture).
//   build/bin/editor_bench
#include "editor/core/EditorDocument.h"
#include "editor/core/UndoHistory.h"
#include "platform/ScratchFile.h"
#include "template/TemplateWriter.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>

namespace {

using namespace tav;

// A 10,000-element receipt: texts with marks, lines and rectangles, as the designer writes them.
tpl::Template manyElements() {
    tpl::Template t;
    t.page = {4999, 4999, 0, 0xFFFFFF, 96, 1.0f, "Receipt printer"};
    for (int i = 0; i < 10000; ++i) {
        tpl::TemplateElement e;
        e.box = {(i * 37) % 4000, (i * 53) % 4000, 300, 50};
        e.penWidth = 3;
        switch (i % 4) {
        case 0:
        case 1:
            e.kind = static_cast<std::int32_t>(tpl::ElementKind::Text);
            e.content = "Item " + std::to_string(i) + " \xBC\xDB\xB8\xF1 12.50";
            e.mark = "{ITEM" + std::to_string(i) + "}";
            break;
        case 2:
            e.kind = static_cast<std::int32_t>(tpl::ElementKind::HorizontalLine);
            break;
        default:
            e.kind = static_cast<std::int32_t>(tpl::ElementKind::RectOutline);
        }
        t.elements.push_back(e);
    }
    return t;
}

void openTenThousandElements(benchmark::State& state) {
    const auto path = platform::createScratchFile();
    if (!path || !tpl::writeTemplateFile(*path, manyElements())) {
        state.SkipWithError("cannot write the template");
        return;
    }
    for (auto _ : state) {
        editor::EditorDocument doc;
        benchmark::DoNotOptimize(doc.load(*path));
    }
    platform::removeFile(*path);
}
BENCHMARK(openTenThousandElements)->Unit(benchmark::kMillisecond);

// The template handed to the renderer on every redraw (deleted elements left out).
void drawnTemplateOfTenThousand(benchmark::State& state) {
    editor::EditorDocument doc;
    const auto path = platform::createScratchFile();
    if (!path || !tpl::writeTemplateFile(*path, manyElements()) ||
        doc.load(*path) != editor::LoadStatus::Loaded) {
        state.SkipWithError("cannot write the template");
        return;
    }
    platform::removeFile(*path);
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.drawnTemplate());
}
BENCHMARK(drawnTemplateOfTenThousand)->Unit(benchmark::kMillisecond);

// A label with a picture of state.range(0) MB (incompressible, like a photograph) and a few
// other elements; one arrow-key move and its commit per iteration.
void commitWithPicture(benchmark::State& state) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(state.range(0)) * 1024 * 1024);
    std::mt19937 random(42);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    editor::EditorDocument doc;
    doc.select(doc.addPicture(10, 10, 500, 500, tpl::SharedBytes(std::move(bytes))));
    for (int i = 0; i < 20; ++i)
        doc.addRect(i * 10, i * 10, 100, 100, i % 2 == 0);
    doc.select(2);
    editor::UndoHistory history(doc);
    int step = 0;
    for (auto _ : state) {
        history.current().moveSelected(++step % 2 ? editor::Direction::Right
                                                  : editor::Direction::Left);
        history.commit();
    }
}
BENCHMARK(commitWithPicture)->Arg(1)->Arg(20)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
