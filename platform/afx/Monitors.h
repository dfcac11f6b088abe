// The monitors of the desktop, and which of them the drawing calls take for
// "the screen".
//
// Windows are placed in device-independent coordinates; a monitor with a
// device-pixel ratio of 2 shows twice as many pixels each way. A scene that
// runs on one monitor sees that monitor as the screen, in its device pixels:
// its size, its part of the screen's picture and the rectangle of a window
// that covers it.
#pragma once

#include "platform/win/WinTypes.h"

#include <vector>

struct VxMonitorInfo {
    RECT rcMonitor{}; // where it lies, in the coordinates windows are placed in
    SIZE szPixels{};  // its size in device pixels
    BOOL bPrimary = FALSE;
};

// The same monitor: same place, same size in both measures (whichever is
// primary).
bool operator==(const VxMonitorInfo &a, const VxMonitorInfo &b);

// The monitors connected now, the primary one first; never empty (without
// any, one of the size the toolkit assumes). The first call also starts
// watching for monitors that come, go or change their size: every top-level
// window is then posted WM_DISPLAYCHANGE (once for a burst of changes).
std::vector<VxMonitorInfo> VxEnumMonitors();

// Makes `monitor` the screen: GetSystemMetrics(SM_CXSCREEN, SM_CYSCREEN)
// report its size in device pixels, a screen DC shows its part of the
// picture this start takes of the whole desktop (one picture for every
// monitor, at device resolution; black once start-up is over), and a
// top-level window created with a rectangle in these coordinates covers the
// matching part of the monitor, drawing in device pixels. Null: the screen
// is the primary monitor in device-independent pixels again.
void VxUseMonitorAsScreen(const VxMonitorInfo *monitor);
