#include "platform/afx/Resources.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

HINSTANCE g_resourceHandle = nullptr;

const ResourceModule *ModuleOf(HMODULE module) {
    if (!module)
        module = g_resourceHandle;
    return reinterpret_cast<const ResourceModule *>(module);
}

// Splits a name into an integer id (when it is one) or a string.
bool IntegerOf(LPCSTR name, WORD *id) {
    if (IS_INTRESOURCE(name)) {
        *id = WORD(reinterpret_cast<uintptr_t>(name));
        return true;
    }
    if (name[0] == '#') {
        char *end = nullptr;
        const unsigned long v = std::strtoul(name + 1, &end, 10);
        if (end != name + 1 && *end == '\0' && v <= 0xFFFF) {
            *id = WORD(v);
            return true;
        }
    }
    return false;
}

bool SameType(LPCSTR a, LPCSTR b) {
    WORD ia = 0, ib = 0;
    const bool inta = IntegerOf(a, &ia), intb = IntegerOf(b, &ib);
    if (inta || intb)
        return inta && intb && ia == ib;
    return strcasecmp(a, b) == 0;
}

} // namespace

HINSTANCE VxModuleHandle(const ResourceModule *module) {
    return reinterpret_cast<HINSTANCE>(const_cast<ResourceModule *>(module));
}

HINSTANCE AfxGetResourceHandle() { return g_resourceHandle; }
void AfxSetResourceHandle(HINSTANCE module) { g_resourceHandle = module; }

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    const ResourceModule *m = ModuleOf(module);
    WORD id = 0;
    if (!m || !name || !type || !IntegerOf(name, &id))
        return nullptr; // every resource of ours has an integer id
    for (size_t i = 0; i < m->count; ++i) {
        const ResourceEntry &e = m->entries[i];
        if (e.id == id && SameType(e.type, type))
            return reinterpret_cast<HRSRC>(const_cast<ResourceEntry *>(&e));
    }
    return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC res) {
    if (!res)
        return nullptr;
    return reinterpret_cast<HGLOBAL>(res);
}

LPVOID LockResource(HGLOBAL res) {
    if (!res)
        return nullptr;
    return const_cast<void *>(reinterpret_cast<const ResourceEntry *>(res)->data);
}

DWORD SizeofResource(HMODULE, HRSRC res) {
    if (!res)
        return 0;
    return reinterpret_cast<const ResourceEntry *>(res)->size;
}

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int max) {
    if (!buffer || max <= 0)
        return 0;
    buffer[0] = '\0';
    if (id > 0xFFFF)
        return 0;
    HRSRC r = FindResourceA(module, MAKEINTRESOURCEA(WORD(id)), RT_STRING);
    if (!r)
        return 0;
    const char *text = static_cast<const char *>(LockResource(LoadResource(module, r)));
    const size_t len = std::min<size_t>(SizeofResource(module, r), size_t(max - 1));
    std::memcpy(buffer, text, len);
    buffer[len] = '\0';
    return int(len);
}
