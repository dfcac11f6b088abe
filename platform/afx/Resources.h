// The module's resource table and the lookup calls over it.
//
// A module is a table of entries, each a (type, id) pair with its bytes. The
// executable's own table is compiled in (res/); tests build small tables of
// their own. A module handle (HINSTANCE) points at a ResourceModule.
//
// Payloads by type:
//   RT_BITMAP        a packed DIB (info or core header, colour table, bits)
//   "WAVE"           a complete RIFF wave file image
//   RT_GROUP_ICON    a complete .ico file image (one or more images)
//   RT_GROUP_CURSOR  a complete .cur file image
//   RT_STRING        the string's characters, NUL-terminated (size without NUL)
//   RT_DIALOG        a DialogTemplate (DialogTemplate.h), size = sizeof it
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

struct ResourceEntry {
    LPCSTR type; // integer type (RT_BITMAP, ...) or a type name ("WAVE")
    WORD id;
    const void *data;
    DWORD size;
};

struct ResourceModule {
    const ResourceEntry *entries;
    size_t count;
};

// The handle of a module table.
HINSTANCE VxModuleHandle(const ResourceModule *module);

// The framework's current resource module (the executable's table once the
// application has started; null before). Tests may install their own.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// Lookup. `name` and `type` are integer resources (MAKEINTRESOURCE) or names;
// names compare case-insensitively, "#123" names the integer id 123.
// A null module means the current resource module.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC res);
LPVOID LockResource(HGLOBAL res);
DWORD SizeofResource(HMODULE module, HRSRC res);

// String table: copies at most max-1 characters and a NUL; returns the number
// of characters copied, 0 when the id is missing.
int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int max);
