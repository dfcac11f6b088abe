// The eight explosion frames: shock ring, fireball turning to smoke, scorch.
#pragma once

#include "Image.h"

#include <cstdint>
#include <vector>

namespace artgen {

constexpr int kExplosionSize = 200;

struct ExplosionFrame {
    Image colour;                // straight colour in rgb, designed opacity in alpha
    std::vector<uint8_t> opaque; // the opacity after ordered dithering
};

// Frame 0: grey shock ring; 1-6: fireball growing and breaking up into
// smoke; 7: scorch mark.
// At scale 2 the same fields are sampled at twice the resolution.
ExplosionFrame RenderExplosion(int frame, int scale = 1);

// Turns a soft opacity into opaque and transparent pixels with an 8 x 8
// ordered-dither pattern, so soft edges stay soft over any background.
std::vector<uint8_t> DitherCoverage(const Image &img);

} // namespace artgen
