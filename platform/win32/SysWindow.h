// The window system's calls the framework's Win32 backend needs, in plain
// types only. The backend's bridge files (W32*.cpp) include the framework's
// declarations and this header; the system files (Sys*.cpp) include the
// system's headers and this one. The two never meet in one file, because
// both name their handles and constants alike.
//
// A window handle travels as `void *`; it is the system's handle, and the
// framework's HWND for the same window is the same value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vxsys {

using Handle = void *;

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// ---- window procedures -------------------------------------------------------------
// Every window the framework makes or adopts runs this procedure. It is
// called for each message; returning false with `handled` left false lets
// the previous procedure (or the default one) have the message.
using WindowCallback = intptr_t (*)(Handle hwnd, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);
void SetWindowCallback(WindowCallback callback);
// The procedure to pass messages on to for a window made by the framework
// (null: DefWindowProc) or adopted from the system (its previous procedure).
intptr_t CallPrevious(void *previous, Handle hwnd, uint32_t message, uintptr_t wParam,
                      intptr_t lParam);
// Routes an existing window's messages through the callback; returns the
// procedure it had (for CallPrevious). Restore puts that one back.
void *Subclass(Handle hwnd);
void Unsubclass(Handle hwnd, void *previous);

// ---- window classes and windows ------------------------------------------------------
// Registers a class whose windows run the callback; returns its name (the
// same name for the same combination). `cursor` and `icon` are system
// handles (null: none).
std::string RegisterWindowClass(uint32_t classStyle, Handle cursor, Handle icon);
Handle MakeWindow(uint32_t exStyle, const std::string &className, const char *title, uint32_t style,
                  int x, int y, int width, int height, Handle parent, uintptr_t id);
bool DestroyWindow(Handle hwnd);
bool IsWindow(Handle hwnd);
bool IsChild(Handle parent, Handle hwnd);
intptr_t Send(Handle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);
bool Post(Handle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PostQuit(int exitCode);
// Runs the message loop until the quit message; returns its exit code.
// `preTranslate` sees each message first; true means it was handled.
using PreTranslate = bool (*)(Handle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);
int RunLoop(PreTranslate preTranslate);
// Handles the messages waiting now (a quit message is put back and ends it:
// false then).
bool PumpWaiting(PreTranslate preTranslate);
// Waits for the next message and handles it; false on the quit message,
// which is put back so that the enclosing loop ends as well.
bool PumpOne(PreTranslate preTranslate);

uintptr_t SetTimer(Handle hwnd, uintptr_t id, uint32_t elapseMs);
bool KillTimer(Handle hwnd, uintptr_t id);

Rect ClientRect(Handle hwnd);
Rect WindowRect(Handle hwnd);
// Insert-after: 0 top, 1 top-most, 2 not top-most, -1 keep the order.
bool SetPosition(Handle hwnd, int insertAfter, int x, int y, int cx, int cy, uint32_t flags);
bool IsTopmost(Handle hwnd);
bool Show(Handle hwnd, int command);
bool SetForeground(Handle hwnd);
Handle Foreground();
bool IsVisible(Handle hwnd);
bool IsIconic(Handle hwnd);
bool Enable(Handle hwnd, bool enable); // returns whether it was disabled
bool IsEnabled(Handle hwnd);
Handle Parent(Handle hwnd);
Handle Owner(Handle hwnd);
void SetOwner(Handle hwnd, Handle owner);
Handle DialogItem(Handle hwnd, int id);
int ControlId(Handle hwnd);
void SetText(Handle hwnd, const char *text);
uint32_t Style(Handle hwnd);
uint32_t ExStyle(Handle hwnd);
void SetExStyle(Handle hwnd, uint32_t exStyle);
Rect WorkArea(); // of the primary monitor
void AppendSystemMenu(Handle hwnd, uint32_t flags, uintptr_t id, const char *text);

// ---- painting ----------------------------------------------------------------------------
// Invalidates part of the window (null: all of it).
void Invalidate(Handle hwnd, const Rect *rect, bool erase);
void Update(Handle hwnd);
void Validate(Handle hwnd);
// One paint: BeginPaint gives the area to paint; EndPaint ends it.
struct PaintState {
    Handle dc = nullptr;
    Rect area;
    bool erase = false;
    uint8_t storage[128]{}; // the system's paint structure
};
bool BeginPaint(Handle hwnd, PaintState *state);
void EndPaint(Handle hwnd, PaintState *state);
// Pixels to show: rows top-down, `stride` bytes apart, 32 bpp (0x00RRGGBB)
// or 8 bpp with a colour table of 256 0x00RRGGBB entries.
struct Pixels {
    int width = 0, height = 0, stride = 0, bitsPixel = 32;
    const void *bits = nullptr;
    const uint32_t *colors = nullptr;
};
// Shows `area` of the pixels at the same place of the window's client area,
// through `dc` when given (a paint), else through a DC of its own.
void Present(Handle hwnd, Handle dc, const Pixels &pixels, const Rect &area);

// ---- screen ----------------------------------------------------------------------------------
int Metric(int index);
struct Monitor {
    Rect rect;
    bool primary = false;
};
std::vector<Monitor> Monitors();
Rect VirtualScreen();
// What the screen shows now, all monitors: 32 bpp rows top-down of the
// virtual screen's size; empty when it cannot be read.
std::vector<uint32_t> GrabScreen(int *width, int *height);
// Asks the system to handle the process's windows in device pixels.
void UseDevicePixels();

// ---- cursors and icons -------------------------------------------------------------------------
Handle ArrowCursor();
Handle SetCursor(Handle cursor);
// An icon or cursor from 32 bpp pixels with alpha (0xAARRGGBB, rows
// top-down); null when it cannot be made.
Handle MakeIcon(bool isIcon, int hotX, int hotY, int width, int height, const uint32_t *argb);
void SetWindowIcon(Handle hwnd, Handle icon);

} // namespace vxsys
