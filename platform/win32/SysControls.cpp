// The system side of the trackbar and the tooltip control.
#include "platform/win32/SysControls.h"

#include <windows.h>

#include <commctrl.h>

namespace vxsys {

namespace {

HWND Window(Handle hwnd) {
    return static_cast<HWND>(hwnd);
}

// The version-5 size of the tool record: accepted by every version of the
// controls, with or without a manifest asking for version 6.
TTTOOLINFOA ToolRecord(HWND tool) {
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    return info;
}

} // namespace

void InitControlClasses() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{};
        init.dwSize = sizeof init;
        init.dwICC = ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

void SetTrackbarRange(Handle trackbar, int minimum, int maximum, bool redraw) {
    // The two-word form of TBM_SETRANGE holds only 16-bit limits.
    SendMessageA(Window(trackbar), TBM_SETRANGEMIN, FALSE, minimum);
    SendMessageA(Window(trackbar), TBM_SETRANGEMAX, redraw, maximum);
}

void SetTrackbarPos(Handle trackbar, int position) {
    SendMessageA(Window(trackbar), TBM_SETPOS, TRUE, position);
}

int TrackbarPos(Handle trackbar) {
    return int(SendMessageA(Window(trackbar), TBM_GETPOS, 0, 0));
}

int TrackbarMin(Handle trackbar) {
    return int(SendMessageA(Window(trackbar), TBM_GETRANGEMIN, 0, 0));
}

int TrackbarMax(Handle trackbar) {
    return int(SendMessageA(Window(trackbar), TBM_GETRANGEMAX, 0, 0));
}

Handle CreateToolTip(Handle owner, uint32_t style) {
    InitControlClasses();
    HWND tip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | style,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(owner),
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    if (tip)
        SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return tip;
}

void DestroyToolTip(Handle tip) {
    if (tip && IsWindow(Window(tip)))
        DestroyWindow(Window(tip));
}

bool AddTool(Handle tip, Handle tool, const std::string &text) {
    if (!tip || !tool || !IsWindow(Window(tool)))
        return false;
    TTTOOLINFOA info = ToolRecord(Window(tool));
    info.lpszText = const_cast<char *>(text.c_str()); // the control keeps a copy
    TTTOOLINFOA existing = ToolRecord(Window(tool));
    if (SendMessageA(Window(tip), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&existing))) {
        SendMessageA(Window(tip), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
        return true;
    }
    return SendMessageA(Window(tip), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void ActivateToolTip(Handle tip, bool active) {
    SendMessageA(Window(tip), TTM_ACTIVATE, active, 0);
}

void RelayToolTipEvent(Handle tip, Handle hwnd, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
    MSG msg{};
    msg.hwnd = Window(hwnd);
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = DWORD(GetMessageTime());
    const DWORD pos = GetMessagePos();
    msg.pt = {short(LOWORD(pos)), short(HIWORD(pos))};
    SendMessageA(Window(tip), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

int ToolCount(Handle tip) {
    return int(SendMessageA(Window(tip), TTM_GETTOOLCOUNT, 0, 0));
}

std::string ToolText(Handle tip, Handle tool) {
    if (!tip || !tool)
        return {};
    char text[1024] = {};
    TTTOOLINFOA info = ToolRecord(Window(tool));
    if (!SendMessageA(Window(tip), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)))
        return {};
    info.lpszText = text;
    SendMessageA(Window(tip), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    return text;
}

} // namespace vxsys
