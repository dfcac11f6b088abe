// Per-user 32-bit values in the system's registry, under HKEY_CURRENT_USER.
#pragma once

#include <cstdint>
#include <string>

namespace vxsys {

// Reads value `name` of key HKEY_CURRENT_USER\<subKey>. false when the key or
// the value is missing, cannot be read, or is not a REG_DWORD of four bytes.
bool ReadUserDword(const std::string &subKey, const std::string &name, uint32_t *value);

// Stores `value` as a REG_DWORD, creating the key and its parents as needed.
bool WriteUserDword(const std::string &subKey, const std::string &name, uint32_t value);

} // namespace vxsys
