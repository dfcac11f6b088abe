// Every file the generator makes, in the order it makes them.
#pragma once

#include "Formats.h"
#include "Image.h"

#include <string>
#include <vector>

namespace artgen {

struct Asset {
    std::string path; // relative to the output folder, e.g. "bitmaps/jet_2550.bmp"
    Bytes bytes;
    // Pictures keep their indexed form for the contact sheet and the
    // coverage masks; sounds leave it empty.
    IndexedImage picture;
    bool icon = false; // picture indices are VGA colours
};

// The sizes the application icon is drawn at for the desktop's icon theme.
inline constexpr int kAppIconSizes[] = {16, 32, 48, 64, 128, 256};

// Builds every bitmap, icon, the cursor and every sound.
std::vector<Asset> GenerateAll();

// The picture of a jet sprite row's shadow: silhouette of the jet halved (a
// shadow pixel is covered when any jet pixel of its 2 x 2 block is), drawn as
// a checkerboard of black (where x + y is even) and key.
IndexedImage MakeShadow(const IndexedImage &jet, int w, int h);

} // namespace artgen
