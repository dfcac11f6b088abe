#include "app/Password.h"

#include "platform/afx/AfxWin.h"
#include "platform/afx/DesktopProfile.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Module.h"

#include <cstdio>

namespace {
using VerifyScreenSavePwdFn = BOOL (*)(HWND);
using PwdChangePasswordFn = DWORD (*)(LPCSTR, HWND, DWORD, DWORD);

// Every failure to consult the password machinery ends the same way: the
// user is told, and the saver is allowed to close rather than lock anyone out.
BOOL FailOpen(LPCSTR text) {
    MessageBoxA(nullptr, text, "ERROR", MB_OK);
    return TRUE;
}
} // namespace

BOOL VerifySaverPassword(HWND hwnd) {
    // Where the system checks the password itself (it locks the session as a
    // secure saver ends), it keeps neither this switch nor the component, and
    // asking would only report their absence at every close.
    if (VxSystemChecksSaverPassword())
        return TRUE;

    // 1. The desktop key that holds the password switch.
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS)
        return FailOpen("could not read control panel key");

    // 2. The switch, read as exactly four bytes whatever its type.
    DWORD usePassword = 0;
    DWORD size = sizeof usePassword;
    const LSTATUS status = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                                            reinterpret_cast<BYTE *>(&usePassword), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return FailOpen("Couldn't get pword value");

    // 3. Password off: nothing to ask.
    if (usePassword == 0)
        return TRUE;

    // 4. and 5. The verification component and its entry point.
    HMODULE module = LoadLibraryA("PASSWORD.CPL");
    if (!module)
        return FailOpen("Password CPL could not be found");
    auto verify =
        reinterpret_cast<VerifyScreenSavePwdFn>(GetProcAddress(module, "VerifyScreenSavePwd"));
    if (!verify) {
        FreeLibrary(module);
        return FailOpen("Could not get pword verify routine");
    }

    // 6. Its dialog decides; the answer goes back unchanged.
    const BOOL result = verify(hwnd);
    FreeLibrary(module);
    return result;
}

void ChangeSaverPassword(HWND owner) {
    HMODULE module = LoadLibraryA("MPR.DLL");
    if (!module) {
        MessageBoxA(owner, "Couldn't load MRP.DLL", "Error", MB_OK);
        return;
    }
    auto change =
        reinterpret_cast<PwdChangePasswordFn>(GetProcAddress(module, "PwdChangePasswordA"));
    if (!change) {
        MessageBoxA(owner, "Couldn't get PwdChangePassword", "ERROR", MB_OK);
        FreeLibrary(module);
        return;
    }
    change("SCRSAVE", owner, 0, 0); // the dialog reports its own outcome
    FreeLibrary(module);
}

HWND PasswordChangeOwner(int argc, char **argv) {
    if (argc > 2 && argv && argv[2]) {
        // "%i" semantics (decimal, 0x hexadecimal, 0 octal) read into 64 bits,
        // so that a window id above the int range cannot overflow.
        long long number = 0;
        if (std::sscanf(argv[2], "%lli", &number) == 1) {
            HWND candidate = reinterpret_cast<HWND>(static_cast<uintptr_t>(number));
            if (IsWindow(candidate))
                return candidate;
        }
    }
    return GetForegroundWindow();
}
