// What each window system layer (platform/qt, platform/win32) provides to
// the framework members they share (AfxWnd.cpp), and what those give back.
// For the layers' own files only.
#pragma once

#include "platform/afx/AfxWin.h"
#include "platform/afx/DialogTemplate.h"

#include <string>

// The layer's record of a window (CWnd::m_impl).
struct VxWindowImpl;

// ---- provided by each layer -----------------------------------------------------------
CWnd *VxLookupHandle(HWND hwnd); // framework windows only
// Presents the part of a window's backing surface that was drawn.
void VxPresent(VxWindowImpl *impl, const RECT &rect);

// ---- shared ---------------------------------------------------------------------------
// Sends a message through the window's dispatch function, recording it as
// the message being handled (for CWnd::Default).
LRESULT VxDispatch(CWnd *wnd, UINT message, WPARAM wParam, LPARAM lParam);
// A window object going away is no longer the target of a dispatch in
// progress (CWnd::Default then does nothing for it).
void VxForgetDispatches(CWnd *wnd);

// The application's life once the toolkit runs: InitInstance, then, when it
// made a live main window, `startUpOver` and the message loop; whatever
// main window is left is destroyed. Returns the process exit code (the
// application's own, or 1 when there is no main window to run).
int VxRunApplication(CWinApp *app, void (*startUpOver)());

// The dialog template of that id in the current resource module; null when
// there is none.
const DialogTemplate *VxFindDialogTemplate(UINT id);

// ---- backing surfaces -----------------------------------------------------------------
// A window's backing surface at a new size (at least 1x1): the same bitmap
// when it has that size already, else a new display-format bitmap showing
// the old picture (black where there was none), the old one deleted. When
// no new bitmap can be made the old one stays (null stays null).
HBITMAP VxResizedBacking(HBITMAP backing, int width, int height);
// Copies what the screen shows at (x, y) into a backing surface: a new
// window without a background brush starts out showing what was under it
// (the screen's picture of this start, grabbed now if nothing read it yet).
void VxCopyFromScreen(HBITMAP backing, int x, int y, int width, int height);

// The application name a module path gives: the file name without folder
// and last extension ("/usr/bin/Vantorix.scr" gives "Vantorix"; on
// Windows a backslash and ":" end a folder too); "vantorix" when nothing is left.
std::string VxAppNameFromPath(const char *path);
