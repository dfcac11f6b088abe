// What the saver needs from a screen-saver host that hands it a window to
// draw in (XScreenSaver's saver window or preview pane, a screen locker's
// window). The host owns that window, the input and the unlocking; the saver
// only draws into it until it is told to end.
#pragma once

#include "platform/win/WinTypes.h"

// The root window of the display (X11); null where there is none.
HWND VxRootWindow();

// The size of the display's screen in device pixels; FALSE when unknown.
BOOL VxScreenPixelSize(SIZE *size);

// Makes the screen the scene sees `size` pixels large: GetSystemMetrics and
// the screen's device context report that size from now on. The screen shows
// the desktop picture that XScreenSaver keeps for its hacks on `imageOf` (got
// through xscreensaver-getimage, scaled to the size), or black when `imageOf`
// is null, has no such picture or the picture cannot be had within a few
// seconds.
void VxUseHostScreen(SIZE size, HWND imageOf);

// The window draws at `drawing` size and is shown scaled to its real size
// with a smoothing filter: its client area, backing surface and device
// contexts have the drawing size. An empty size shows it 1:1 again.
BOOL VxSetDrawingSize(HWND hwnd, SIZE drawing);

// The window takes neither input nor the focus: pointer and keys go to the
// host's window beneath it. A window placed on the root window is kept away
// from the window manager. Call before the window is shown.
void VxMakePassive(HWND hwnd);

// SIGTERM, SIGINT, SIGHUP and SIGUSR1 end the message loop with exit code 0,
// so that the windows are destroyed and the sound is stopped on the way out.
void VxQuitOnTerminationSignals();
