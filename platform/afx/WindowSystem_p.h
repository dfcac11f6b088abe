// What each window system layer (platform/qt, platform/win32) provides to
// the framework members they share (AfxWnd.cpp), and what those give back.
// For the layers' own files only.
#pragma once

#include "platform/afx/AfxWin.h"
#include "platform/afx/DialogTemplate.h"

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
