// What the system itself shows of a window, for the window tests; plain
// types only, so that the tests need not include the system's headers.
#pragma once

#include <cstdint>

namespace vxprobe {
// The colour (0x00BBGGRR) the system shows at a point of a window's client
// area.
uint32_t ShownPixel(void *hwnd, int x, int y);
} // namespace vxprobe
