// The title card of the splash dialog and the About box's picture.
#pragma once

#include "Image.h"

namespace artgen {

constexpr int kSplashWidth = 359, kSplashHeight = 216;
constexpr int kAboutWidth = 120, kAboutHeight = 165;

Image RenderSplash();
Image RenderAbout();

} // namespace artgen
