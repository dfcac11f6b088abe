// Modules over the system's loader. The two system module names the saver
// asks for, "PASSWORD.CPL" and "MPR.DLL" (any case), are loaded from the
// system folder only, never from the program's or the current folder, where
// a planted file of that name would otherwise be found first. Any other name
// is handed to the loader as given.
#include "platform/afx/Module.h"
#include "platform/win32/SysModule.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

bool IsSystemModuleName(LPCSTR name) {
    return _stricmp(name, "PASSWORD.CPL") == 0 || _stricmp(name, "MPR.DLL") == 0;
}

} // namespace

std::vector<std::string> VxModuleDirectories() {
    std::string folder = vxsys::SystemFolder();
    if (folder.empty())
        return {};
    return {folder};
}

std::string VxModuleFileFor(LPCSTR name) {
    if (!name)
        return {};
    if (!IsSystemModuleName(name))
        return name;
    const std::vector<std::string> folders = VxModuleDirectories();
    return folders.empty() ? std::string() : folders.front() + "\\" + name;
}

HMODULE LoadLibraryA(LPCSTR name) {
    const std::string file = VxModuleFileFor(name);
    if (file.empty())
        return nullptr;
    return static_cast<HMODULE>(vxsys::OpenModule(file.c_str()));
}

void *GetProcAddress(HMODULE module, LPCSTR name) {
    if (!module || !name)
        return nullptr;
    return vxsys::ModuleEntry(module, name);
}

BOOL FreeLibrary(HMODULE module) {
    if (!module)
        return FALSE;
    return vxsys::CloseModule(module) ? TRUE : FALSE;
}

BOOL VxSystemChecksSaverPassword() {
    if (!vxsys::IsNtFamily())
        return FALSE;
    std::error_code error;
    return std::filesystem::exists(VxModuleFileFor("PASSWORD.CPL"), error) ? FALSE : TRUE;
}
