#include "platform/win32/SysProfile.h"

#include <windows.h>

bool vxsys::ReadUserDword(const std::string &subKey, const std::string &name, uint32_t *value) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0, data = 0, size = sizeof data;
    const LSTATUS status = ::RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE *>(&data), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data)
        return false;
    *value = data;
    return true;
}

bool vxsys::WriteUserDword(const std::string &subKey, const std::string &name, uint32_t value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD data = value;
    const LSTATUS status = ::RegSetValueExA(key, name.c_str(), 0, REG_DWORD,
                                            reinterpret_cast<const BYTE *>(&data), sizeof data);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
