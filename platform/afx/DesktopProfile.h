// The desktop's own settings, read only: the wallpaper, its tiling, the
// desktop colour and the screen-saver password switch. They live in one
// per-user INI file of the platform,
//   $XDG_CONFIG_HOME/vantorix/desktop.ini   (~/.config when unset)
// with built-in defaults when the file does not exist:
//   [Desktop]                 Wallpaper=            (none)
//                             TileWallpaper=0       (centred)
//   [Colors]                  Background=0 0 0      (R G B, 0..255 each)
//   [Control Panel\Desktop]   ScreenSaveUsePassword=0
// On Windows they are the system's own (platform/win32/W32Desktop.cpp): the
// wallpaper the desktop reports, TileWallpaper and the switch under
// HKEY_CURRENT_USER\Control Panel\Desktop, the system's desktop colour; there
// is no file, and VxDesktopProfilePath() is empty.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

// Path of the desktop settings file (whether or not it exists).
std::string VxDesktopProfilePath();

// Reads `key` of `section` ("Desktop") as a string: copies at most size-1
// characters and a NUL into `buffer`, the default when the value or the file
// is missing; returns the number of characters copied.
DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size);

// The desktop colour, COLOR_BACKGROUND: [Colors] Background, black by default.
DWORD GetSysColor(int index);

// Registry-style access to the password switch under "Control Panel\Desktop".
using HKEY = struct HKEY__ *;
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t(0x80000001));
using LSTATUS = LONG;
constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_DATA = 13;
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr DWORD REG_DWORD = 4;
LSTATUS RegOpenKeyA(HKEY root, LPCSTR subKey, HKEY *result);
LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, DWORD *reserved, DWORD *type, BYTE *data,
                         DWORD *size);
LSTATUS RegCloseKey(HKEY key);
