// Clocks shared by the scene's benchmarks: this thread's CPU time, and the
// baseline every figure is divided by, one plain memcpy of a screen's worth
// of pixels measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <vector>

namespace vxbench {

// CPU time of this thread: the machine may be busy with other work, and the
// ratio should compare the work done, not the share of the processor given.
inline double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

inline double MemcpySeconds(size_t bytes, int repeats) {
    std::vector<unsigned char> from(bytes, 0x5A), to(bytes);
    std::memcpy(to.data(), from.data(), bytes); // touch both once
    const double start = ThreadSeconds();
    for (int i = 0; i < repeats; ++i) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    return (ThreadSeconds() - start) / repeats;
}

} // namespace vxbench
