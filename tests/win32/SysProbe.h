// What the system itself says about windows, for the window and dialog tests; plain
// types only, so that the tests need not include the system's headers.
#pragma once

#include <cstdint>
#include <string>

namespace vxprobe {

// The colour (0x00BBGGRR) the system shows at a point of a window's client
// area.
uint32_t ShownPixel(void *hwnd, int x, int y);

std::string ClassName(void *hwnd);
std::string Text(void *hwnd);
// The icon or bitmap a static picture control shows (null: none).
void *ShownPicture(void *control);
bool InsideClient(void *dialog, void *control);
// Removes a quit message waiting in this thread's queue; false if none was.
bool TakeQuit();

// The next message box this thread shows is ended with `command` once it is
// up; what it was like is kept for LastBox.
struct BoxFacts {
    bool seen = false;
    bool topmost = false;
    void *owner = nullptr;
    std::string caption;
};
void CloseNextBox(int command);
BoxFacts LastBox();

} // namespace vxprobe
