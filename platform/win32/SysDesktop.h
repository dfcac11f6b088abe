// The desktop's settings as the system keeps them, and the registry calls
// the password switch is read with.
#pragma once

#include <cstdint>
#include <string>

namespace vxsys {

// The wallpaper's path as the system reports it ("" for none); false when the
// system cannot tell.
bool DesktopWallpaper(std::string *path);

// A string value (REG_SZ or REG_EXPAND_SZ, unexpanded) of key
// HKEY_CURRENT_USER\<subKey>; false when missing, unreadable or of another type.
bool ReadUserString(const std::string &subKey, const std::string &name, std::string *value);

// The system's GetProfileStringA on its own profile (win.ini or its mapping).
uint32_t ReadProfileString(const char *section, const char *key, const char *defaultValue,
                           char *buffer, uint32_t size);

uint32_t SysColor(int index);

// The registry calls as the system makes them. A predefined root key arrives
// as its documented 32-bit value (0x80000001 for the current user) and is
// widened the way the system's headers widen it; every other key is a handle
// the system gave. Results are the system's status codes.
int32_t RegistryOpen(void *root, const char *subKey, void **result);
int32_t RegistryQuery(void *key, const char *name, uint32_t *reserved, uint32_t *type,
                      uint8_t *data, uint32_t *size);
int32_t RegistryClose(void *key);

} // namespace vxsys
