// Internal pieces shared by the framework's Win32 bridge files: the window
// records, the handle registry, dispatch and the conversions between the
// drawing layer's icons and the system's.
//
// Every framework window is a real system window and its HWND is the
// system's handle. Windows made by CWnd::CreateEx belong to a class whose
// procedure is the framework's; dialogs and their controls are made by the
// system and adopted (subclassed), so that their messages reach the
// framework's dispatch functions too. A handler's default handling is the
// procedure the window had before (DefWindowProc for our own classes).
//
// Surface windows draw through the drawing layer into a backing bitmap in
// display format; the backend shows it with the system's DIB-to-device call
// when a paint ends and when a window DC is released.
#pragma once

#include "platform/afx/AfxWin.h"
#include "platform/afx/WindowSystem_p.h"
#include "platform/win/WinTypes.h"
#include "platform/win32/SysWindow.h"

#include <memory>
#include <string>

enum class VxWindowKind {
    Surface, // made by CreateEx: draws through its backing surface
    Dialog,  // a dialog built from a template
    Control, // a control of a dialog
    Foreign, // a window of another program, or one not adopted
    Desktop, // the screen
};

// A registered window class (AfxRegisterWndClass).
struct VxWindowClass {
    std::string systemName; // the class registered with the system
    UINT style = 0;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
};

struct VxWindowImpl {
    VxWindowKind kind = VxWindowKind::Surface;
    CWnd *wnd = nullptr;
    HWND hwnd = nullptr;
    const VxWindowClass *cls = nullptr;
    // The procedure the window had before it was adopted (null for windows
    // of our classes, whose default is DefWindowProc).
    void *previousProc = nullptr;
    bool adopted = false;

    bool frameworkOwned = false;  // the framework deletes `wnd` after the last message
    bool creationRefused = false; // WM_CREATE said -1: the creator keeps the object

    // Surface windows: the backing bitmap in display format (client size)
    // and the paint in progress, if any.
    HBITMAP backing = nullptr;
    vxsys::PaintState *paint = nullptr;

    // Dialogs: the modal loop's state.
    bool modal = false;
    bool modalEnded = false;
    int modalResult = -1;

    std::unique_ptr<CMenu> systemMenu;
};

// ---- handles ---------------------------------------------------------------------------
void VxRegisterHandle(HWND hwnd, CWnd *wnd);
void VxUnregisterHandle(HWND hwnd);

// Adopts a window the system made (a dialog, a control) as `wnd`: from now
// on its messages go through wnd->WindowProc, and the default handling is
// the procedure it had. The window's record is released after WM_NCDESTROY
// (or by VxReleaseWindow).
bool VxAdoptWindow(CWnd *wnd, HWND hwnd, VxWindowKind kind);
// Lets a window go without destroying it: its previous procedure comes
// back and the object no longer stands for it.
void VxReleaseWindow(CWnd *wnd);

// The message loop's hook: sees every message before it is dispatched
// (the modal dialogs' PreTranslateMessage); true means it was handled.
bool VxPreTranslateMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---- surfaces -----------------------------------------------------------------------------
// Gives a surface window a backing bitmap of that size (at least 1x1),
// keeping what the old one showed.
void VxResizeBacking(VxWindowImpl *impl, int width, int height);

// ---- screen ---------------------------------------------------------------------------------
// Where the screen the drawing calls see lies in the system's coordinates.
RECT VxScreenRect();
// The screen's picture is read once per start (on demand) and dropped once
// start-up is over.
void VxRefreshScreenSurface();
void VxReleaseScreenSurface();

// ---- icons and cursors ------------------------------------------------------------------------
// The system's icon or cursor for one of the drawing layer's (made once and
// kept for the process's life); null for null.
void *VxSystemIcon(HICON icon);
void *VxSystemCursor(HCURSOR cursor);

// ---- services installed at start
// ----------------------------------------------------------------- Message boxes over the system's
// own (the dialogs' file).
void VxInstallSystemMessageBoxes();
