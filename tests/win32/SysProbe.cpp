#include "tests/win32/SysProbe.h"

#include <windows.h>

namespace vxprobe {

namespace {
HWND Window(void *hwnd) {
    return static_cast<HWND>(hwnd);
}

int g_command = 0;
BoxFacts g_box;

void CALLBACK CloseBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = GetActiveWindow();
    char className[16] = {};
    if (!box || !GetClassNameA(box, className, sizeof className) ||
        lstrcmpA(className, "#32770") != 0)
        return; // not up yet
    KillTimer(nullptr, timer);
    g_box.seen = true;
    g_box.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    g_box.owner = GetWindow(box, GW_OWNER);
    char caption[256] = {};
    GetWindowTextA(box, caption, sizeof caption);
    g_box.caption = caption;
    PostMessageA(box, WM_COMMAND, WPARAM(g_command), 0);
}
} // namespace

uint32_t ShownPixel(void *hwnd, int x, int y) {
    HDC dc = GetDC(Window(hwnd));
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(Window(hwnd), dc);
    return colour;
}

std::string ClassName(void *hwnd) {
    char name[64] = {};
    GetClassNameA(Window(hwnd), name, sizeof name);
    return name;
}

std::string Text(void *hwnd) {
    char text[256] = {};
    GetWindowTextA(Window(hwnd), text, sizeof text);
    return text;
}

void *ShownPicture(void *control) {
    const LONG style = GetWindowLongA(Window(control), GWL_STYLE) & SS_TYPEMASK;
    if (style == SS_ICON)
        return reinterpret_cast<void *>(SendMessageA(Window(control), STM_GETICON, 0, 0));
    return reinterpret_cast<void *>(SendMessageA(Window(control), STM_GETIMAGE, IMAGE_BITMAP, 0));
}

bool InsideClient(void *dialog, void *control) {
    RECT item{}, client{};
    GetWindowRect(Window(control), &item);
    MapWindowPoints(nullptr, Window(dialog), reinterpret_cast<POINT *>(&item), 2);
    GetClientRect(Window(dialog), &client);
    return item.left >= 0 && item.top >= 0 && item.right <= client.right &&
           item.bottom <= client.bottom;
}

bool TakeQuit() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

void CloseNextBox(int command) {
    g_command = command;
    g_box = {};
    SetTimer(nullptr, 0, 50, CloseBox);
}

BoxFacts LastBox() {
    return g_box;
}

} // namespace vxprobe
