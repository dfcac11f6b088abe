// The system side of message boxes.
#include "platform/win32/SysMessageBox.h"

#include <windows.h>

namespace vxsys {

namespace {

thread_local HHOOK t_raiseHook = nullptr;

// Raises the box above top-most windows as it is activated: not every
// system honours MB_TOPMOST. The box is the first window the call activates.
LRESULT CALLBACK RaiseBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_raiseHook) {
        SetWindowPos(reinterpret_cast<HWND>(wParam), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        UnhookWindowsHookEx(t_raiseHook);
        t_raiseHook = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int ShowMessageBox(void *owner, const char *text, const char *caption, uint32_t style) {
    HWND window = static_cast<HWND>(owner);
    if (window && !IsWindow(window))
        window = nullptr;
    if (!window) {
        style |= MB_TOPMOST | MB_SETFOREGROUND;
        if (!t_raiseHook)
            t_raiseHook = SetWindowsHookExA(WH_CBT, RaiseBox, nullptr, GetCurrentThreadId());
    }
    const int result = MessageBoxA(window, text ? text : "", caption, style);
    if (t_raiseHook) { // the box never came up
        UnhookWindowsHookEx(t_raiseHook);
        t_raiseHook = nullptr;
    }
    return result;
}

} // namespace vxsys
