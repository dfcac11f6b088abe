// The wave output over the system's asynchronous in-memory playback.
#pragma once

#include "platform/afx/WaveFormat.h"

#include <vector>

// A RIFF wave image of `sound`: a 16-byte PCM format chunk and the samples in
// one data chunk (padded to an even length), as the system's player reads it.
std::vector<BYTE> VxWaveImage(const WaveSound &sound);
