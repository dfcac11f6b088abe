// A PNG showing every generated picture at twice its size, for review.
#pragma once

#include "Assets.h"

#include <string>
#include <vector>

namespace artgen {

bool WriteContactSheet(const std::vector<Asset> &assets, const std::string &pngPath, int scale = 2);

} // namespace artgen
