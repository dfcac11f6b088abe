// The desktop's settings from the system itself: the wallpaper as the desktop
// reports it, the tile flag from the user's desktop key, the desktop colour,
// and the registry for the password switch. There is no settings file of our
// own on Windows.
#include "platform/afx/DesktopProfile.h"
#include "platform/win32/SysDesktop.h"

#include <cstring>

std::string VxDesktopProfilePath() {
    return {}; // the settings are the system's own, in no file of ours
}

DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size) {
    if (!buffer || size == 0)
        return 0;
    std::string value = defaultValue ? defaultValue : "";
    const bool desktop = section && key && _stricmp(section, "Desktop") == 0;
    if (desktop && _stricmp(key, "Wallpaper") == 0) {
        // The desktop's own answer: on current systems the profile's entry no
        // longer follows the wallpaper the user picks.
        std::string path;
        if (vxsys::DesktopWallpaper(&path))
            value = path;
    } else if (desktop && _stricmp(key, "TileWallpaper") == 0) {
        std::string flag;
        if (vxsys::ReadUserString("Control Panel\\Desktop", "TileWallpaper", &flag))
            value = flag;
    } else if (section && key) {
        return vxsys::ReadProfileString(section, key, value.c_str(), buffer, size);
    }
    const size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return DWORD(n);
}

DWORD GetSysColor(int index) {
    return vxsys::SysColor(index);
}

LSTATUS RegOpenKeyA(HKEY root, LPCSTR subKey, HKEY *result) {
    void *key = nullptr;
    const LSTATUS status = vxsys::RegistryOpen(root, subKey, result ? &key : nullptr);
    if (result)
        *result = static_cast<HKEY>(key);
    return status;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, DWORD *reserved, DWORD *type, BYTE *data,
                         DWORD *size) {
    return vxsys::RegistryQuery(key, name, reserved, type, data, size);
}

LSTATUS RegCloseKey(HKEY key) {
    return vxsys::RegistryClose(key);
}
