// Modules of the system, loaded by file at run time.
#pragma once

#include <string>

namespace vxsys {

void *OpenModule(const char *file); // null when it cannot be loaded
void *ModuleEntry(void *module, const char *name);
bool CloseModule(void *module);

// The system folder (no trailing backslash); "" when the system cannot tell.
std::string SystemFolder();

// Whether the system is of the NT family, which checks the screen-saver
// password itself when a saver ends.
bool IsNtFamily();

} // namespace vxsys
