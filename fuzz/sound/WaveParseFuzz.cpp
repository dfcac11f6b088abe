// Fuzzes the wave parser: any input must be rejected or yield samples lying
// wholly inside the input, with a format the output can play.
#include "platform/afx/WaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // A private copy sized exactly to the input, so a read past it is caught.
    std::vector<uint8_t> image(data, data + size);
    WaveSound w;
    if (ParseWave(image.data(), image.size(), &w) != WaveError::None)
        return 0;
    const uint8_t *begin = image.data(), *end = begin + image.size();
    if (w.samples < begin || w.samples > end || w.sampleBytes > size_t(end - w.samples))
        std::abort();
    if (w.sampleBytes == 0 || w.sampleBytes % w.format.blockAlign != 0)
        std::abort();
    if (w.format.formatTag != WAVE_FORMAT_PCM ||
        (w.format.channels != 1 && w.format.channels != 2) ||
        (w.format.bitsPerSample != 8 && w.format.bitsPerSample != 16) ||
        w.format.sampleRate < kMinWaveRate || w.format.sampleRate > kMaxWaveRate)
        std::abort();
    // Touch every sample: the sanitizer checks the whole range is readable.
    unsigned sum = 0;
    for (DWORD i = 0; i < w.sampleBytes; ++i)
        sum += w.samples[i];
    return sum == 0xFFFFFFFFu ? 1 : 0;
}
