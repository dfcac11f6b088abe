#include "platform/win32/SysDesktop.h"

#include <windows.h>

namespace {

// Predefined keys are 32-bit values with the top bit set; the system's
// headers sign-extend them to pointer width (0xFFFFFFFF80000001 on 64 bits),
// and only that form names the root.
HKEY SystemKey(void *key) {
    const auto value = reinterpret_cast<uintptr_t>(key);
    if (value >= 0x80000000u && value <= 0x800000FFu)
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(uint32_t(value))));
    return static_cast<HKEY>(key);
}

} // namespace

bool vxsys::DesktopWallpaper(std::string *path) {
    char buffer[MAX_PATH + 1] = {};
    if (!::SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, buffer, 0))
        return false;
    *path = buffer;
    return true;
}

bool vxsys::ReadUserString(const std::string &subKey, const std::string &name, std::string *value) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    // A desktop string is short; a longer one is not a setting of the desktop.
    char data[1024];
    DWORD type = 0, size = sizeof data;
    const LSTATUS status = ::RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE *>(data), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    // The stored string need not end in a NUL; it ends at the first one.
    value->assign(data, size);
    if (const size_t nul = value->find('\0'); nul != std::string::npos)
        value->resize(nul);
    return true;
}

uint32_t vxsys::ReadProfileString(const char *section, const char *key, const char *defaultValue,
                                  char *buffer, uint32_t size) {
    return ::GetProfileStringA(section, key, defaultValue, buffer, size);
}

uint32_t vxsys::SysColor(int index) {
    return ::GetSysColor(index);
}

int32_t vxsys::RegistryOpen(void *root, const char *subKey, void **result) {
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyA(SystemKey(root), subKey, result ? &key : nullptr);
    if (result)
        *result = key;
    return status;
}

int32_t vxsys::RegistryQuery(void *key, const char *name, uint32_t *reserved, uint32_t *type,
                             uint8_t *data, uint32_t *size) {
    DWORD reservedWord = reserved ? *reserved : 0, typeWord = 0, sizeWord = size ? *size : 0;
    const LSTATUS status =
        ::RegQueryValueExA(SystemKey(key), name, reserved ? &reservedWord : nullptr,
                           type ? &typeWord : nullptr, data, size ? &sizeWord : nullptr);
    if (type)
        *type = typeWord;
    if (size)
        *size = sizeWord;
    return status;
}

int32_t vxsys::RegistryClose(void *key) {
    return ::RegCloseKey(SystemKey(key));
}
