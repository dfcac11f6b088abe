#include "platform/afx/Module.h"

#include <cstdlib>
#include <dlfcn.h>
#include <limits.h>
#include <strings.h>
#include <sys/auxv.h>
#include <unistd.h>

#ifndef VX_MODULE_RELDIR
#define VX_MODULE_RELDIR "../lib/vantorix"
#endif

namespace {

std::string WithoutTrailingSlashes(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

// The folder of the running executable, absolute, or empty when it cannot be
// known: /proc tells, and without /proc the path the program was started by
// serves when it is absolute (with links resolved, as /proc does: a host may
// start the program through a link in its own folder). A relative one would
// name a folder relative to wherever the process happens to be, which is not
// where the program is.
std::string ExecutableFolder() {
    std::string exe;
    char path[PATH_MAX];
    if (const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1); n > 0) {
        exe.assign(path, size_t(n));
    } else if (const auto *started = reinterpret_cast<const char *>(::getauxval(AT_EXECFN));
               started && started[0] == '/' && ::realpath(started, path)) {
        exe = path;
    }
    const size_t slash = exe.rfind('/');
    if (exe.empty() || exe[0] != '/' || slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : exe.substr(0, slash);
}

} // namespace

std::vector<std::string> VxModuleDirectories() {
    if (const char *dir = std::getenv("VANTORIX_MODULE_DIR"); dir && dir[0] == '/')
        return {WithoutTrailingSlashes(dir)};
    const std::string exe = ExecutableFolder();
    if (exe.empty())
        return {};
    return {exe, WithoutTrailingSlashes((exe == "/" ? "" : exe) + "/" VX_MODULE_RELDIR)};
}

std::string VxModuleFileFor(LPCSTR name) {
    if (!name)
        return {};
    if (::strcasecmp(name, "PASSWORD.CPL") != 0 && ::strcasecmp(name, "MPR.DLL") != 0)
        return name;
    std::string first;
    for (const std::string &dir : VxModuleDirectories()) {
        const std::string file = (dir == "/" ? "" : dir) + "/" + kVxPasswordModuleFile;
        if (::access(file.c_str(), F_OK) == 0)
            return file;
        if (first.empty())
            first = file;
    }
    return first;
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

BOOL VxSystemChecksSaverPassword() {
    return FALSE;
}
