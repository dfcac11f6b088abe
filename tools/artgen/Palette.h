// The shared 256-entry colour table of every bitmap and the reduction of
// painted images to it.
#pragma once

#include "Image.h"

#include <array>
#include <cstdint>

namespace artgen {

struct PaletteEntry {
    uint8_t r, g, b;
};

using ColourTable = std::array<PaletteEntry, 256>;

// Index of the transparent key colour, RGB(0, 128, 0).
constexpr int kKeyIndex = 2;

// The 16 standard VGA colours in icon order (black, dark red, dark green,
// dark yellow, dark blue, dark magenta, dark cyan, light grey, grey, red,
// green, yellow, blue, magenta, cyan, white).
const std::array<PaletteEntry, 16> &VgaColours();

// Entries 0-7 and 248-255 hold the VGA colours; 8-247 the artwork's ramps.
const ColourTable &SharedColourTable();

// How opaque artwork is reduced to palette indices.
enum class Dither {
    None,          // nearest colour
    ErrorDiffusion // serpentine Floyd-Steinberg, confined to covered pixels
};

// Reduces `img` to the shared table. Pixels whose coverage is at least
// `threshold` are opaque and never take the key colour; all others become
// the key. Opaque colours are unpremultiplied first, so edge pixels keep the
// artwork's colour instead of fading towards black.
IndexedImage Quantise(const Image &img, Dither dither, float threshold = 0.5f);

// As Quantise, but a pixel is opaque where `opaque` says so (used where the
// artwork's edge is dithered against the background rather than cut).
IndexedImage QuantiseWithMask(const Image &img, const std::vector<uint8_t> &opaque, Dither dither);

// Reduces a 32 x 32 icon picture to the 16 VGA colours (indices 0-15).
IndexedImage QuantiseIcon(const Image &img);

} // namespace artgen
