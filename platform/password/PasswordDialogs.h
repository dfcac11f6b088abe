// The password component's two dialogs, on Qt. They run modally on the
// caller's thread inside the running QApplication.
#pragma once

#include "platform/win/WinTypes.h"

namespace vxpw {

// Status values of the change dialog.
constexpr DWORD kStatusOk = 0;
constexpr DWORD kStatusNotSupported = 50; // no application to show a dialog in
constexpr DWORD kStatusBadProvider = 1204;
constexpr DWORD kStatusCancelled = 1223;

// Asks for the screen-saver password. TRUE when the typed password is right,
// and also when no check is possible (no password set, an unreadable or
// corrupt password file), after a message saying so: a broken file must never
// lock the user out. FALSE after a wrong password or Cancel.
BOOL RunVerifyDialog(HWND owner);

// Sets, changes or removes the screen-saver password (the old one is asked
// for when one is set; the new one twice). Returns kStatusOk or
// kStatusCancelled.
DWORD RunChangeDialog(HWND owner);

} // namespace vxpw
