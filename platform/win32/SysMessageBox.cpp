// The system side of message boxes.
#include "platform/win32/SysMessageBox.h"

#include <windows.h>

namespace vxsys {

int ShowMessageBox(void *owner, const char *text, const char *caption, uint32_t style) {
    HWND window = static_cast<HWND>(owner);
    if (window && !IsWindow(window))
        window = nullptr;
    if (!window)
        style |= MB_TOPMOST | MB_SETFOREGROUND;
    return MessageBoxA(window, text ? text : "", caption, style);
}

} // namespace vxsys
