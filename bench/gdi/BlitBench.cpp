// Screen-sized copies against memcpy of the same bytes, measured in the same
// run, and the three-blit masked sprite draw. Prints the copy/memcpy ratios
// after the table.
#include "platform/gdi/Gdi.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Surface {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    Surface(int w, int h, bool mono = false) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = mono ? CreateBitmap(w, h, 1, 1, nullptr) : VxCreateDisplayBitmap(w, h);
        previous = SelectObject(dc, bitmap);
        VxBitmapView v{};
        VxGetBitmapView(bitmap, &v);
        for (int i = 0; i < v.stride * v.height; ++i)
            v.pixels[i] = mono ? uint8_t(i * 37) : uint8_t(i % 4 == 3 ? 0 : i * 13);
    }
    ~Surface() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

void BM_Memcpy(benchmark::State &state) {
    const size_t bytes = size_t(state.range(0)) * size_t(state.range(1)) * 4;
    std::unique_ptr<uint8_t[]> a(new uint8_t[bytes]), b(new uint8_t[bytes]);
    std::memset(a.get(), 1, bytes);
    std::memset(b.get(), 2, bytes);
    for (auto _ : state) {
        std::memcpy(b.get(), a.get(), bytes);
        benchmark::DoNotOptimize(b.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void BM_SrcCopy(benchmark::State &state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    Surface src(w, h), dst(w, h);
    for (auto _ : state) {
        BitBlt(dst.dc, 0, 0, w, h, src.dc, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
}

void BM_MaskedSprite(benchmark::State &state) {
    Surface work(1920, 1080), sprite(275, 200), mask(275, 200, true);
    for (auto _ : state) {
        BitBlt(work.dc, 800, 400, 275, 200, sprite.dc, 0, 0, SRCINVERT);
        BitBlt(work.dc, 800, 400, 275, 200, mask.dc, 0, 0, SRCAND);
        BitBlt(work.dc, 800, 400, 275, 200, sprite.dc, 0, 0, SRCINVERT);
        benchmark::ClobberMemory();
    }
}

void BM_ShrinkToWindow(benchmark::State &state) {
    Surface screen(1920, 1080), window(320, 180);
    for (auto _ : state) {
        StretchBlt(window.dc, 0, 0, 320, 180, screen.dc, 0, 0, 1920, 1080, SRCCOPY);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_Memcpy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SrcCopy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MaskedSprite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShrinkToWindow)->Unit(benchmark::kMicrosecond);

// Remembers each run's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            // The fastest repetition (the least disturbed by other work), or
            // the median when only aggregates are reported.
            const bool iteration = r.run_type == Run::RT_Iteration && r.iterations > 0;
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (!iteration && !median)
                continue;
            const std::string name = r.run_name.str();
            const double t = r.GetAdjustedRealTime();
            if (median || !times.count(name) || t < times[name])
                times[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char *size : {"1920/1080", "3840/2160"}) {
        const auto copy = reporter.times.find(std::string("BM_SrcCopy/") + size);
        const auto base = reporter.times.find(std::string("BM_Memcpy/") + size);
        if (copy != reporter.times.end() && base != reporter.times.end() && base->second > 0)
            std::printf("SRCCOPY %s / memcpy: %.2fx\n", size, copy->second / base->second);
    }
    benchmark::Shutdown();
    return 0;
}
