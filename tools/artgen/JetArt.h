// The jet: its model, its finish, and the pictures made of it (the fifteen
// sprite rows, the About picture, the title card's jet).
#pragma once

#include "Image.h"
#include "Render3D.h"

#include <vector>

namespace artgen {

// Model space: x along the length (nose at +0.5), y to the left wing, z up.
Mesh BuildJet(bool withMissiles, bool motorsLit);
Mesh BuildMissile(bool motorLit);

// Colour of one rendered sample of a jet or missile.
Rgb ShadeJet(const Sample &s);

// Size of the sprite of a row (jets 0-14), at `scale` times the single size.
void JetSpriteSize(int row, int &w, int &h, int scale = 1);

// The jet sprite of a row, with coverage in alpha. At scale 2 it is the same
// view rendered at twice the resolution: twice the size, camera and margins.
Image RenderJetSprite(int row, int scale = 1);

// A jet seen from above with missiles, `lengthPx` pixels long, in a w x h
// picture, centred there or on (centreX, centreY) when those are given.
// `nozzles` receives where its two nozzles appear (picture pixels).
Image RenderTopView(int w, int h, double lengthPx, double yaw, double roll, double centreX = -1,
                    double centreY = -1, std::vector<Vec3> *nozzles = nullptr);

} // namespace artgen
