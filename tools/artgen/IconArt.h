// The icons: the application's jet, three monitors, three speakers. Each is
// drawn on a 32-unit grid: at 32 pixels without smoothing in the 16 VGA
// colours, and at larger or smaller sizes as smooth true-colour pictures of
// the same design with outlines kept about a pixel wide.
#pragma once

#include "Image.h"

#include <QImage>

namespace artgen {

// One of the icon ids 128 and 144-149, drawn in the 16 VGA colours.
Image RenderIcon(int id);

// The same icon as a smooth `size` x `size` picture with alpha (straight,
// not premultiplied), for screens with more pixels per point and for the
// desktop's icon theme.
QImage RenderIconAt(int id, int size);

} // namespace artgen
