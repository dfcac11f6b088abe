// Loading modules by name at run time, over the dynamic loader.
//
// The two system module names the saver asks for, "PASSWORD.CPL" and
// "MPR.DLL" (any case), both name our password component, libvxpassword.so,
// in the module directory: the folder of the running executable, or the
// folder named by the environment variable VANTORIX_MODULE_DIR when it is set
// and not empty (tests point it at a folder of their own). Any other name is
// handed to the dynamic loader as given.
//
// Modules stay mapped after FreeLibrary: the password component registers
// toolkit types that must outlive it.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

HMODULE LoadLibraryA(LPCSTR name);
void *GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

// The folder the password component is loaded from (no trailing slash).
std::string VxModuleDirectory();

// The file a module name maps to: the component's full path for the two
// system names, the name itself otherwise.
std::string VxModuleFileFor(LPCSTR name);

// File name of the password component.
inline constexpr const char *kVxPasswordModuleFile = "libvxpassword.so";
