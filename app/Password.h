// The screen-saver password: the check before the saver closes and the
// change dialog of the "a" mode. Both ask the password component, loaded by
// name at run time; the saver itself stores and compares no password.
#pragma once

#include "platform/win/WinTypes.h"

// TRUE when the window may close: the password is off, the user gave the
// right password, or the password machinery could not be consulted (after a
// message saying why). FALSE after a wrong or cancelled password.
BOOL VerifySaverPassword(HWND hwnd);

// Runs the component's password-change dialog owned by `owner`; failures to
// reach it are reported with a message box owned by `owner`.
void ChangeSaverPassword(HWND owner);

// The owner of the change dialog from the command line: argument 2 read as a
// number (decimal, 0x hexadecimal or 0 octal) when it names a window,
// otherwise the foreground window.
HWND PasswordChangeOwner(int argc, char **argv);
