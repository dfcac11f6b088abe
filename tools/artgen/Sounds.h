// The saver's sounds, synthesised: two jet fly-bys and a missile explosion,
// as 8-bit unsigned PCM samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace artgen {

constexpr uint32_t kFlybyRate = 22050, kExplosionRate = 11025;
constexpr size_t kFlyby1Samples = 64208, kFlyby2Samples = 124210, kExplosionSamples = 36664;

// A fighter passing low and fast (variant 1) or a heavier jet passing
// slower and further away (variant 2).
std::vector<uint8_t> FlybySound(int variant);

// A boom with a rumbling, crackling tail.
std::vector<uint8_t> ExplosionSound();

} // namespace artgen
