#include "tests/win32/WindowProbe.h"

#include <windows.h>

namespace vxprobe {
uint32_t ShownPixel(void *hwnd, int x, int y) {
    HDC dc = GetDC(HWND(hwnd));
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(HWND(hwnd), dc);
    return colour;
}
} // namespace vxprobe
