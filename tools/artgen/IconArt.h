// The 32 x 32 icons: the application's jet, three monitors, three speakers.
#pragma once

#include "Image.h"

namespace artgen {

// One of the icon ids 128 and 144-149, drawn in the 16 VGA colours.
Image RenderIcon(int id);

} // namespace artgen
