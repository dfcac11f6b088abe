#include "platform/win32/SysModule.h"

#include <windows.h>

void *vxsys::OpenModule(const char *file) {
    // A missing module is an answer, not an occasion for a system error box.
    DWORD oldMode = 0;
    const bool quiet =
        ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode) != FALSE;
    HMODULE module = ::LoadLibraryA(file);
    if (quiet)
        ::SetThreadErrorMode(oldMode, nullptr);
    return module;
}

void *vxsys::ModuleEntry(void *module, const char *name) {
    return reinterpret_cast<void *>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

bool vxsys::CloseModule(void *module) {
    return ::FreeLibrary(static_cast<HMODULE>(module)) != FALSE;
}

std::string vxsys::SystemFolder() {
    char buffer[MAX_PATH + 1];
    const UINT n = ::GetSystemDirectoryA(buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer)
        return {};
    std::string folder(buffer, n);
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

bool vxsys::IsNtFamily() {
    // The top bit of the version marks the consumer family.
    return (::GetVersion() & 0x80000000u) == 0;
}
