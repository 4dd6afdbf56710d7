// Code 128 pictures per second (items_per_second): our encoder to BMP bytes in memory and
// GetBarcode to a file (measured in wall-clock time, since the file system's work counts), beside
// libzint's Code 128 doing the same work on the same texts (its raster buffer in memory, its BMP
// writer to a file). Every picture has bars only, no text.
#include "barcode.h"

#include "barcode/BarcodeMaker.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#ifdef TAV_BENCH_WITH_ZINT
#include <zint.h>
#endif

namespace {

// Twelve characters each: letters, digit runs of several lengths, punctuation.
constexpr std::array<std::string_view, 8> kTexts = {
    "ABC123456789", "SN-2026-0042", "LOT12345ABCD", "123456789012",
    "HELLO,WORLD!", "X7Y8Z9W0Q1R2", "abcdefghijkl", "0042-XY/7789",
};

std::string scratchFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void finish(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void tavInMemory(benchmark::State& state) {
    tav::barcode::BarcodeMaker maker;
    std::size_t i = 0;
    for (auto _ : state) {
        const bool made = maker.make(kTexts[i++ % kTexts.size()], false);
        benchmark::DoNotOptimize(made);
        benchmark::DoNotOptimize(maker.bmp().data());
    }
    finish(state);
}
BENCHMARK(tavInMemory)->Name("memory/tav");

void tavToFile(benchmark::State& state) {
    const std::string path = scratchFile("tav-bench-barcode.bmp");
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string_view text = kTexts[i++ % kTexts.size()];
        if (GetBarcode(text.data(), 0, path.c_str()) != 1) {
            state.SkipWithError("GetBarcode failed");
            break;
        }
    }
    std::remove(path.c_str());
    finish(state);
}
BENCHMARK(tavToFile)->Name("file/tav")->UseRealTime();

#ifdef TAV_BENCH_WITH_ZINT
zint_symbol* zintSymbol() {
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 0; // bars only, like ours
    return symbol;
}

const unsigned char* bytesOf(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

void zintInMemory(benchmark::State& state) {
    zint_symbol* symbol = zintSymbol();
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string_view text = kTexts[i++ % kTexts.size()];
        ZBarcode_Clear(symbol);
        if (ZBarcode_Encode_and_Buffer(symbol, bytesOf(text), static_cast<int>(text.size()), 0) >=
            ZINT_ERROR) {
            state.SkipWithError(symbol->errtxt);
            break;
        }
        benchmark::DoNotOptimize(symbol->bitmap);
    }
    ZBarcode_Delete(symbol);
    finish(state);
}
BENCHMARK(zintInMemory)->Name("memory/zint");

void zintToFile(benchmark::State& state) {
    const std::string path = scratchFile("zint-bench-barcode.bmp");
    zint_symbol* symbol = zintSymbol();
    std::snprintf(symbol->outfile, sizeof symbol->outfile, "%s", path.c_str());
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string_view text = kTexts[i++ % kTexts.size()];
        ZBarcode_Clear(symbol);
        if (ZBarcode_Encode_and_Print(symbol, bytesOf(text), static_cast<int>(text.size()), 0) >=
            ZINT_ERROR) {
            state.SkipWithError(symbol->errtxt);
            break;
        }
    }
    ZBarcode_Delete(symbol);
    std::remove(path.c_str());
    finish(state);
}
BENCHMARK(zintToFile)->Name("file/zint")->UseRealTime();
#endif

} // namespace

BENCHMARK_MAIN();
