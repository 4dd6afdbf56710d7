// Load time and peak memory of the print engine's template reader.
//
// Peak memory is the process's high-water mark, so run one benchmark per process for a clean
// figure, e.g.
//   build/bin/template_bench --benchmark_filter=TenThousand
//   build/bin/template_bench --benchmark_filter=Picture
#include "platform/File.h"
#include "platform/ProcessStats.h"
#include "template/TemplateReader.h"
#include "template/TemplateWriter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using namespace tav::tpl;

// A 10,000-element receipt: texts with marks, lines and rectangles, as the designer writes them.
Template manyElements() {
    Template tpl;
    tpl.page = {4999, 4999, 0, 0xFFFFFF, 96, 1.0f, "Receipt printer"};
    for (int i = 0; i < 10000; ++i) {
        TemplateElement e;
        e.box = {(i * 37) % 4000, (i * 53) % 4000, 300, 50};
        e.penWidth = 3;
        switch (i % 4) {
        case 0:
        case 1:
            e.kind = static_cast<std::int32_t>(ElementKind::Text);
            e.content = "Item " + std::to_string(i) + " \xBC\xDB\xB8\xF1 12.50";
            e.mark = "{ITEM" + std::to_string(i) + "}";
            break;
        case 2:
            e.kind = static_cast<std::int32_t>(ElementKind::HorizontalLine);
            break;
        default:
            e.kind = static_cast<std::int32_t>(ElementKind::RectOutline);
        }
        tpl.elements.push_back(e);
    }
    return tpl;
}

// One picture element holding a 20 MB picture file (incompressible, like a photograph).
Template bigPicture() {
    Template tpl;
    tpl.page = {1000, 1000, 0, 0xFFFFFF, 96, 1.0f, ""};
    std::vector<std::uint8_t> bytes(20u * 1024 * 1024);
    std::mt19937 random(42);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    TemplateElement e;
    e.kind = static_cast<std::int32_t>(ElementKind::Picture);
    e.box = {10, 10, 500, 500};
    e.image.source = SharedBytes(std::move(bytes));
    e.image.shown = e.image.source;
    tpl.elements.push_back(e);
    return tpl;
}

std::string writeScratch(const Template& tpl, const char* name) {
    std::string path = "/tmp/tav-bench-" + std::to_string(::getpid()) + "-" + name;
    if (auto saved = writeTemplateFile(path, tpl); !saved)
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), saved.error().c_str());
    return path;
}

void loadFile(benchmark::State& state, const Template& tpl, const char* name) {
    const std::string path = writeScratch(tpl, name);
    for (auto _ : state) {
        Template loaded;
        auto status = readTemplateFile(path, ReaderVariant::Engine, loaded);
        benchmark::DoNotOptimize(status);
        benchmark::DoNotOptimize(loaded.elements.data());
    }
    state.counters["elements"] = static_cast<double>(tpl.elements.size());
    state.counters["peak_rss_MB"] =
        static_cast<double>(tav::platform::peakResidentBytes()) / (1024.0 * 1024.0);
    std::remove(path.c_str());
}

void BM_LoadTenThousandElements(benchmark::State& state) {
    loadFile(state, manyElements(), "many.tav");
}
BENCHMARK(BM_LoadTenThousandElements)->Unit(benchmark::kMillisecond);

void BM_LoadTwentyMegabytePicture(benchmark::State& state) {
    loadFile(state, bigPicture(), "picture.tav");
}
BENCHMARK(BM_LoadTwentyMegabytePicture)->Unit(benchmark::kMillisecond);

void BM_SaveTenThousandElements(benchmark::State& state) {
    const Template tpl = manyElements();
    for (auto _ : state)
        benchmark::DoNotOptimize(serializeTemplate(tpl).size());
}
BENCHMARK(BM_SaveTenThousandElements)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
