// Loading modules by name at run time, over the dynamic loader (on Windows,
// over the system's loader, from the system folder: see platform/win32).
//
// The two system module names the saver asks for, "PASSWORD.CPL" and
// "MPR.DLL" (any case), both name our password component, libvxpassword.so,
// looked for in absolute folders only, never the current one: the folder
// named by VANTORIX_MODULE_DIR when it holds an absolute path (tests point it
// at a folder of their own), otherwise the folder of the running executable
// and then, relative to it, the folder an installed tree keeps it in
// (<libdir>/vantorix, VX_MODULE_RELDIR). Any other name is handed to the
// dynamic loader as given.
//
// Modules stay mapped after FreeLibrary: the password component registers
// toolkit types that must outlive it.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

HMODULE LoadLibraryA(LPCSTR name);
void *GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);

// The folders the password component is looked for in, in order (absolute,
// no trailing slash); empty when none is known.
std::vector<std::string> VxModuleDirectories();

// The file a module name maps to: for the two system names the component in
// the first of those folders that has it (else in the first folder; empty
// without one), the name itself otherwise.
std::string VxModuleFileFor(LPCSTR name);

// TRUE where the system checks the screen-saver password itself when a saver
// ends and offers no component to check it with (NT-family Windows without
// "PASSWORD.CPL"): the saver then leaves the check to the system. FALSE here,
// where our own component does the check.
BOOL VxSystemChecksSaverPassword();

// File name of the password component.
inline constexpr const char *kVxPasswordModuleFile = "libvxpassword.so";
