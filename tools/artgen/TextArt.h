// Lettering from font outlines (DejaVu, loaded from its file so the result
// does not depend on the system's font set-up).
#pragma once

#include <QFont>
#include <QPainterPath>
#include <QString>

#include <vector>

namespace artgen {

enum class Face { Sans, SansBold, SansBoldOblique, SansCondensedBold };

// The font of a face at a pixel size; exits with a message when the font
// file cannot be loaded, since the output would otherwise differ.
QFont FontOf(Face face, double pixelSize);

// A plain font for the contact sheet's labels.
QFont LabelFont(int pixelSize);

// The outline of `text` with its baseline starting at (x, y).
QPainterPath TextPath(const QString &text, Face face, double pixelSize, double x, double y);

// Coverage (0..1) of a filled path over a w x h picture, rendered at `ss`
// times the resolution with antialiasing and averaged down.
std::vector<float> Coverage(const QPainterPath &path, int w, int h, int ss = 4);

} // namespace artgen
