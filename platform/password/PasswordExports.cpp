// The component's entry points, looked up by name by the saver.
#include "platform/password/PasswordDialogs.h"

#include <strings.h>

#define VX_EXPORT extern "C" __attribute__((visibility("default")))

// The saver window `hwnd` wants to close: nonzero when it may.
VX_EXPORT BOOL VerifyScreenSavePwd(HWND hwnd) {
    return vxpw::RunVerifyDialog(hwnd);
}

// Runs the change dialog of a password provider; only the screen-saver
// provider "SCRSAVE" exists here.
VX_EXPORT DWORD PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD, DWORD) {
    if (!provider || ::strcasecmp(provider, "SCRSAVE") != 0)
        return vxpw::kStatusBadProvider;
    return vxpw::RunChangeDialog(owner);
}
