// Cost of composing one frame of the saver's scene (the real sprites, a jet
// and its shadow in mid-flight over an explosion) on a screen-sized surface,
// against one plain memcpy of a screen's worth of pixels in the same run.
// The counter "x_memcpy" is the frame's CPU time over the memcpy's.
#include "BenchClock.h"

#include "platform/gdi/Gdi.h"
#include "res/ResourceTable.h"
#include "tools/recorder/VirtualScene.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

using vxbench::MemcpySeconds;
using vxbench::ThreadSeconds;

void ComposeFrame(benchmark::State &state) {
    vxrec::VirtualSceneOptions o;
    o.width = int(state.range(0));
    o.height = int(state.range(1));
    o.depth = int(state.range(2));
    o.resources = VxModuleHandle(&g_vantorixResources);
    o.screen = vxrec::SyntheticDesktop(QSize(o.width, o.height));
    vxrec::VirtualScene scene(o);
    CSceneWnd *s = scene.scene();
    s->Tick(); // the first full frame, and the first pass
    s->m_nKind = 0;
    s->m_bArmed = FALSE;
    s->m_bMissileRun = FALSE;
    s->m_y = o.height / 3;
    s->m_nExplosionFrame = 3; // a fireball under the jet's path
    s->m_xExplosion = o.width / 2;
    s->m_yExplosion = o.height / 3 + 100;

    int x = o.width;
    double seconds = 0;
    int frames = 0;
    for (auto _ : state) {
        x = x < -300 ? o.width : x - 45;
        s->m_x = x;
        const double start = ThreadSeconds();
        s->ComposeFrame();
        seconds += ThreadSeconds() - start;
        ++frames;
    }
    const size_t bytes = size_t(o.width) * o.height * (o.depth == 8 ? 1 : 4);
    const double copy = MemcpySeconds(bytes, 50);
    state.counters["x_memcpy"] = (seconds / frames) / copy;
    state.counters["memcpy_ms"] = copy * 1e3;
}

void Memcpy(benchmark::State &state) {
    const size_t bytes = size_t(state.range(0)) * state.range(1) * 4;
    std::vector<unsigned char> from(bytes, 0x5A), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

} // namespace

BENCHMARK(Memcpy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(ComposeFrame)
    ->ArgNames({"w", "h", "bits"})
    ->Args({1920, 1080, 32})
    ->Args({3840, 2160, 32})
    ->Args({1920, 1080, 8})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    vxrec::EnsureApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
