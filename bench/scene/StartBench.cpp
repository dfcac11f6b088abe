// Cost of starting the saver, from the title card's end to the first frame
// on screen: the screen grab (a virtual screen's picture made display
// format), the catalogue with its 38 masks, the background and work surfaces,
// the full-screen window, the first tick's full frame and the toolkit's
// paint of it. Reported as this thread's CPU time and against one plain
// memcpy of a screen's worth of pixels measured in the same run
// ("x_memcpy"); teardown is not counted. Under a real X display of the same
// size (QT_QPA_PLATFORM=xcb in Xvfb) each start also takes one real grab of
// the screen, timed on the wall clock since the X server does that work, and
// "total_ms" is the whole start: our CPU time plus that grab.
#include "BenchClock.h"

#include "platform/gdi/Gdi.h"
#include "platform/qt/QtWindowImpl.h"
#include "platform/qt/ScreenService.h"
#include "res/ResourceTable.h"
#include "tools/recorder/VirtualScene.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

// One grab of the real screen, made display format, as the first read of the
// desktop DC at start takes it. Returns its wall time in seconds.
double GrabRealScreen() {
    const auto start = std::chrono::steady_clock::now();
    VxRefreshScreenSurface();
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    benchmark::DoNotOptimize(GetPixel(screen, 0, 0)); // the first read grabs
    DeleteDC(screen);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    VxReleaseScreenSurface();
    return seconds;
}

void StartUp(benchmark::State &state) {
    vxrec::VirtualSceneOptions o;
    o.width = int(state.range(0));
    o.height = int(state.range(1));
    o.resources = VxModuleHandle(&g_vantorixResources);
    o.screen = vxrec::SyntheticDesktop(QSize(o.width, o.height));
    const bool realGrab = QGuiApplication::platformName() == "xcb" &&
                          VxScreenService().Geometry().size() == QSize(o.width, o.height);
    double seconds = 0, grabSeconds = 0;
    int starts = 0;
    for (auto _ : state) {
        if (realGrab)
            grabSeconds += GrabRealScreen();
        const double start = vxbench::ThreadSeconds();
        {
            vxrec::VirtualScene scene(o); // grab, catalogue, masks, background, window
            scene.Tick();                 // the first frame, full screen
            if (QWidget *w = scene.scene()->m_impl->widget())
                w->repaint(); // into the toolkit's image of the window
            seconds += vxbench::ThreadSeconds() - start;
            state.PauseTiming();
        }
        VxReleaseScreenSurface();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
        ++starts;
    }
    const double copy = vxbench::MemcpySeconds(size_t(o.width) * o.height * 4, 20);
    state.counters["start_ms"] = seconds / starts * 1e3;
    state.counters["x_memcpy"] = (seconds / starts) / copy;
    state.counters["memcpy_ms"] = copy * 1e3;
    if (realGrab) {
        state.counters["grab_ms"] = grabSeconds / starts * 1e3;
        state.counters["total_ms"] = (seconds + grabSeconds) / starts * 1e3;
    }
}

// One grab of the real screen through the platform's screen service, made
// display format, as the first read of the screen at start takes it. Under
// X (QT_QPA_PLATFORM=xcb, e.g. in Xvfb) this is the real grab the start path
// pays for; the X server's share of it is wall time, so that is reported.
void ScreenGrab(benchmark::State &state) {
    const QSize size = VxScreenService().Geometry().size();
    double seconds = 0;
    int grabs = 0;
    for (auto _ : state) {
        seconds += GrabRealScreen();
        ++grabs;
    }
    const double copy =
        vxbench::MemcpySeconds(size_t(size.width()) * size_t(size.height()) * 4, 20);
    state.counters["grab_ms"] = seconds / grabs * 1e3;
    state.counters["x_memcpy"] = (seconds / grabs) / copy;
    state.counters["w"] = size.width();
    state.counters["h"] = size.height();
}

} // namespace

BENCHMARK(ScreenGrab)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StartUp)
    ->ArgNames({"w", "h"})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);
