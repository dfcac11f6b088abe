// The window system's side of the framework's Win32 backend: windows,
// messages, painting, the screen, cursors and icons, over user32 and gdi32.
#include "platform/win32/SysWindow.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace vxsys {
namespace {

WindowCallback g_callback = nullptr;

LRESULT CALLBACK FrameworkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_callback)
        return g_callback(hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HINSTANCE Instance() {
    return GetModuleHandleA(nullptr);
}

RECT ToSystem(const Rect &r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
Rect FromSystem(const RECT &r) {
    return Rect{int32_t(r.left), int32_t(r.top), int32_t(r.right), int32_t(r.bottom)};
}

static_assert(sizeof(PAINTSTRUCT) <= sizeof(PaintState::storage), "paint structure fits");

} // namespace

void SetWindowCallback(WindowCallback callback) {
    g_callback = callback;
}

intptr_t CallPrevious(void *previous, Handle hwnd, uint32_t message, uintptr_t wParam,
                      intptr_t lParam) {
    if (previous)
        return CallWindowProcA(reinterpret_cast<WNDPROC>(previous), HWND(hwnd), message, wParam,
                               lParam);
    return DefWindowProcA(HWND(hwnd), message, wParam, lParam);
}

void *Subclass(Handle hwnd) {
    return reinterpret_cast<void *>(
        SetWindowLongPtrA(HWND(hwnd), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameworkProc)));
}

void Unsubclass(Handle hwnd, void *previous) {
    if (previous && IsWindow(HWND(hwnd)))
        SetWindowLongPtrA(HWND(hwnd), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
}

// ---- window classes and windows ------------------------------------------------------------

std::string RegisterWindowClass(uint32_t classStyle, Handle cursor, Handle icon) {
    struct Key {
        uint32_t style;
        Handle cursor, icon;
        bool operator<(const Key &o) const { return std::memcmp(this, &o, sizeof(Key)) < 0; }
    };
    static std::map<Key, std::string> registered;
    Key key{};
    std::memset(&key, 0, sizeof key); // padding compares too
    key.style = classStyle;
    key.cursor = cursor;
    key.icon = icon;
    if (auto it = registered.find(key); it != registered.end())
        return it->second;
    const std::string name = "VantorixWnd" + std::to_string(registered.size());
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = &FrameworkProc;
    wc.hInstance = Instance();
    wc.hCursor = HCURSOR(cursor);
    wc.hIcon = HICON(icon);
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExA(&wc))
        return {};
    registered[key] = name;
    return name;
}

Handle MakeWindow(uint32_t exStyle, const std::string &className, const char *title, uint32_t style,
                  int x, int y, int width, int height, Handle parent, uintptr_t id) {
    return CreateWindowExA(exStyle, className.c_str(), title ? title : "", style, x, y, width,
                           height, HWND(parent), reinterpret_cast<HMENU>(id), Instance(), nullptr);
}

bool DestroyWindow(Handle hwnd) {
    return ::DestroyWindow(HWND(hwnd)) != FALSE;
}
bool IsWindow(Handle hwnd) {
    return hwnd && ::IsWindow(HWND(hwnd)) != FALSE;
}
bool IsChild(Handle parent, Handle hwnd) {
    return ::IsChild(HWND(parent), HWND(hwnd)) != FALSE;
}
intptr_t Send(Handle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return SendMessageA(HWND(hwnd), message, wParam, lParam);
}
bool Post(Handle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return PostMessageA(HWND(hwnd), message, wParam, lParam) != FALSE;
}
void PostQuit(int exitCode) {
    PostQuitMessage(exitCode);
}

namespace {
void Handle1(const MSG &msg, PreTranslate preTranslate) {
    if (preTranslate && preTranslate(msg.hwnd, msg.message, msg.wParam, msg.lParam))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}
} // namespace

int RunLoop(PreTranslate preTranslate) {
    MSG msg{};
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0)
            return int(msg.wParam);
        if (got < 0)
            return 1;
        Handle1(msg, preTranslate);
    }
}

bool PumpWaiting(PreTranslate preTranslate) {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return false;
        }
        Handle1(msg, preTranslate);
    }
    return true;
}

bool PumpOne(PreTranslate preTranslate) {
    MSG msg{};
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
        PostQuitMessage(int(msg.wParam)); // for the enclosing loop
        return false;
    }
    if (got > 0)
        Handle1(msg, preTranslate);
    return true;
}

uintptr_t SetTimer(Handle hwnd, uintptr_t id, uint32_t elapseMs) {
    return ::SetTimer(HWND(hwnd), id, elapseMs, nullptr);
}
bool KillTimer(Handle hwnd, uintptr_t id) {
    return ::KillTimer(HWND(hwnd), id) != FALSE;
}

Rect ClientRect(Handle hwnd) {
    RECT r{};
    GetClientRect(HWND(hwnd), &r);
    return FromSystem(r);
}
Rect WindowRect(Handle hwnd) {
    RECT r{};
    GetWindowRect(HWND(hwnd), &r);
    return FromSystem(r);
}

bool SetPosition(Handle hwnd, int insertAfter, int x, int y, int cx, int cy, uint32_t flags) {
    HWND after = nullptr;
    switch (insertAfter) {
    case 0:
        after = HWND_TOP;
        break;
    case 1:
        after = HWND_TOPMOST;
        break;
    case 2:
        after = HWND_NOTOPMOST;
        break;
    default:
        flags |= SWP_NOZORDER;
        break;
    }
    return SetWindowPos(HWND(hwnd), after, x, y, cx, cy, flags) != FALSE;
}

bool IsTopmost(Handle hwnd) {
    return (GetWindowLongA(HWND(hwnd), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}
bool Show(Handle hwnd, int command) {
    return ShowWindow(HWND(hwnd), command) != FALSE;
}
bool SetForeground(Handle hwnd) {
    return SetForegroundWindow(HWND(hwnd)) != FALSE;
}
Handle Foreground() {
    return GetForegroundWindow();
}
bool IsVisible(Handle hwnd) {
    return IsWindowVisible(HWND(hwnd)) != FALSE;
}
bool IsIconic(Handle hwnd) {
    return ::IsIconic(HWND(hwnd)) != FALSE;
}
bool Enable(Handle hwnd, bool enable) {
    return EnableWindow(HWND(hwnd), enable ? TRUE : FALSE) != FALSE;
}
bool IsEnabled(Handle hwnd) {
    return IsWindowEnabled(HWND(hwnd)) != FALSE;
}
Handle Parent(Handle hwnd) {
    // The parent of a child window; GetParent would also answer the owner.
    return (GetWindowLongA(HWND(hwnd), GWL_STYLE) & WS_CHILD) ? GetAncestor(HWND(hwnd), GA_PARENT)
                                                              : nullptr;
}
Handle Owner(Handle hwnd) {
    return GetWindow(HWND(hwnd), GW_OWNER);
}
void SetOwner(Handle hwnd, Handle owner) {
    SetWindowLongPtrA(HWND(hwnd), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}
Handle DialogItem(Handle hwnd, int id) {
    return GetDlgItem(HWND(hwnd), id);
}
int ControlId(Handle hwnd) {
    return GetDlgCtrlID(HWND(hwnd));
}
void SetText(Handle hwnd, const char *text) {
    SetWindowTextA(HWND(hwnd), text ? text : "");
}
uint32_t Style(Handle hwnd) {
    return uint32_t(GetWindowLongA(HWND(hwnd), GWL_STYLE));
}
uint32_t ExStyle(Handle hwnd) {
    return uint32_t(GetWindowLongA(HWND(hwnd), GWL_EXSTYLE));
}
void SetExStyle(Handle hwnd, uint32_t exStyle) {
    SetWindowLongA(HWND(hwnd), GWL_EXSTYLE, LONG(exStyle));
}

Rect WorkArea() {
    RECT r{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0))
        r = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return FromSystem(r);
}

void AppendSystemMenu(Handle hwnd, uint32_t flags, uintptr_t id, const char *text) {
    if (HMENU menu = GetSystemMenu(HWND(hwnd), FALSE))
        AppendMenuA(menu, flags, id, text);
}

// ---- painting -----------------------------------------------------------------------------------

void Invalidate(Handle hwnd, const Rect *rect, bool erase) {
    RECT r{};
    if (rect)
        r = ToSystem(*rect);
    InvalidateRect(HWND(hwnd), rect ? &r : nullptr, erase ? TRUE : FALSE);
}
void Update(Handle hwnd) {
    UpdateWindow(HWND(hwnd));
}
void Validate(Handle hwnd) {
    ValidateRect(HWND(hwnd), nullptr);
}

bool BeginPaint(Handle hwnd, PaintState *state) {
    auto *ps = reinterpret_cast<PAINTSTRUCT *>(state->storage);
    state->dc = ::BeginPaint(HWND(hwnd), ps);
    state->area = FromSystem(ps->rcPaint);
    state->erase = ps->fErase != FALSE;
    return state->dc != nullptr;
}

void EndPaint(Handle hwnd, PaintState *state) {
    if (state->dc)
        ::EndPaint(HWND(hwnd), reinterpret_cast<PAINTSTRUCT *>(state->storage));
    state->dc = nullptr;
}

void Present(Handle hwnd, Handle dc, const Pixels &pixels, const Rect &area) {
    if (!pixels.bits || pixels.width <= 0 || pixels.height <= 0)
        return;
    const int left = std::max<int>(0, area.left), top = std::max<int>(0, area.top);
    const int right = std::min<int>(pixels.width, area.right);
    const int bottom = std::min<int>(pixels.height, area.bottom);
    if (right <= left || bottom <= top)
        return;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biPlanes = 1;
    info.header.biCompression = BI_RGB;
    info.header.biBitCount = WORD(pixels.bitsPixel);
    // The rows from `top` to `bottom` as a top-down DIB of their own: a
    // negative height, and the stride as the width the system expects.
    const int perPixel = pixels.bitsPixel / 8;
    info.header.biWidth = pixels.stride / perPixel;
    info.header.biHeight = -(bottom - top);
    if (pixels.bitsPixel == 8 && pixels.colors) {
        info.header.biClrUsed = 256;
        std::memcpy(info.colors, pixels.colors, sizeof info.colors);
    }
    const auto *rows = static_cast<const BYTE *>(pixels.bits) + size_t(top) * pixels.stride;
    HDC target = HDC(dc);
    const bool own = !target;
    if (own)
        target = GetDC(HWND(hwnd));
    if (!target)
        return;
    SetDIBitsToDevice(target, left, top, DWORD(right - left), DWORD(bottom - top), left, 0, 0,
                      UINT(bottom - top), rows, reinterpret_cast<const BITMAPINFO *>(&info),
                      DIB_RGB_COLORS);
    if (own)
        ReleaseDC(HWND(hwnd), target);
}

// ---- screen
// -----------------------------------------------------------------------------------------

int Metric(int index) {
    return GetSystemMetrics(index);
}

std::vector<Monitor> Monitors() {
    std::vector<Monitor> found;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoA(monitor, &info)) {
                Monitor m;
                m.rect = FromSystem(info.rcMonitor);
                m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
                reinterpret_cast<std::vector<Monitor> *>(data)->push_back(m);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

Rect VirtualScreen() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return Rect{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<uint32_t> GrabScreen(int *width, int *height) {
    *width = *height = 0;
    const Rect area = VirtualScreen();
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0)
        return {};
    HDC screen = GetDC(nullptr);
    if (!screen)
        return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint32_t> pixels;
    if (section && bits) {
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, section);
        if (BitBlt(memory, 0, 0, w, h, screen, area.left, area.top, SRCCOPY | CAPTUREBLT)) {
            GdiFlush();
            const auto *from = static_cast<const uint32_t *>(bits);
            pixels.assign(from, from + size_t(w) * h);
            for (uint32_t &p : pixels)
                p &= 0x00FFFFFFu;
            *width = w;
            *height = h;
        }
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    if (section)
        DeleteObject(section);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void UseDevicePixels() {
    SetProcessDPIAware();
}

// ---- cursors and icons
// ------------------------------------------------------------------------------

Handle ArrowCursor() {
    return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
}

Handle SetCursor(Handle cursor) {
    return ::SetCursor(HCURSOR(cursor));
}

Handle MakeIcon(bool isIcon, int hotX, int hotY, int width, int height, const uint32_t *argb) {
    if (width <= 0 || height <= 0 || !argb)
        return nullptr;
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = width;
    header.bV5Height = -height;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    HDC screen = GetDC(nullptr);
    void *bits = nullptr;
    HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO *>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!colour || !bits) {
        if (colour)
            DeleteObject(colour);
        return nullptr;
    }
    std::memcpy(bits, argb, size_t(width) * height * 4);
    // The mask says which pixels are transparent, for displays that ignore
    // the alpha channel: a set bit where alpha is zero.
    const int maskStride = ((width + 15) / 16) * 2;
    std::vector<BYTE> maskBits(size_t(maskStride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((argb[size_t(y) * width + x] >> 24) == 0)
                maskBits[size_t(y) * maskStride + x / 8] |= BYTE(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(width, height, 1, 1, maskBits.data());
    ICONINFO info{};
    info.fIcon = isIcon ? TRUE : FALSE;
    info.xHotspot = DWORD(hotX);
    info.yHotspot = DWORD(hotY);
    info.hbmMask = mask;
    info.hbmColor = colour;
    HICON icon = mask ? CreateIconIndirect(&info) : nullptr;
    if (mask)
        DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

void SetWindowIcon(Handle hwnd, Handle icon) {
    SendMessageA(HWND(hwnd), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(HWND(hwnd), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

} // namespace vxsys
