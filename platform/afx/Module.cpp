#include "platform/afx/Module.h"

#include <cstdlib>
#include <dlfcn.h>
#include <limits.h>
#include <strings.h>
#include <unistd.h>

std::string VxModuleDirectory() {
    if (const char *dir = std::getenv("VANTORIX_MODULE_DIR"); dir && *dir) {
        std::string d = dir;
        while (d.size() > 1 && d.back() == '/')
            d.pop_back();
        return d;
    }
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string exe(path, size_t(n));
    const size_t slash = exe.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string VxModuleFileFor(LPCSTR name) {
    if (!name)
        return {};
    if (::strcasecmp(name, "PASSWORD.CPL") == 0 || ::strcasecmp(name, "MPR.DLL") == 0) {
        std::string dir = VxModuleDirectory();
        if (dir.back() != '/')
            dir += '/';
        return dir + kVxPasswordModuleFile;
    }
    return name;
}

HMODULE LoadLibraryA(LPCSTR name) {
    const std::string file = VxModuleFileFor(name);
    if (file.empty())
        return nullptr;
    void *handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    return reinterpret_cast<HMODULE>(handle);
}

void *GetProcAddress(HMODULE module, LPCSTR name) {
    if (!module || !name)
        return nullptr;
    return ::dlsym(reinterpret_cast<void *>(module), name);
}

BOOL FreeLibrary(HMODULE module) {
    if (!module)
        return FALSE;
    return ::dlclose(reinterpret_cast<void *>(module)) == 0 ? TRUE : FALSE;
}
