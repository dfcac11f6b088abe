// The application's profile calls over the registry. A setting lives at
//   HKEY_CURRENT_USER\Software\<registry key>\<application name>\<section>
// as a REG_DWORD named after its entry (without a registry key, the part is
// left out). A value that is missing, of another type or of another size
// reads as the caller's default, as an unreadable profile does on Linux.
#include "platform/afx/AfxWin.h"
#include "platform/win32/SysProfile.h"

#include <map>
#include <string>

namespace {

// The strings behind m_pszRegistryKey, per application object. A function
// static: the application object is itself a global and may be constructed
// before this file's globals.
std::map<const CWinApp *, std::string> &RegistryKeys() {
    static std::map<const CWinApp *, std::string> keys;
    return keys;
}

std::string SectionKey(const CWinApp &app, LPCSTR section) {
    std::string path = "Software";
    const char *appName = app.m_pszAppName && *app.m_pszAppName ? app.m_pszAppName : "vantorix";
    for (const char *part : {app.m_pszRegistryKey, appName, section}) {
        if (part && *part)
            path += std::string("\\") + part;
    }
    return path;
}

} // namespace

void CWinApp::SetRegistryKey(LPCSTR key) {
    std::string &stored = RegistryKeys()[this];
    stored = key ? key : "";
    m_pszRegistryKey = stored.c_str();
}

UINT CWinApp::GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue) {
    uint32_t value = 0;
    if (!vxsys::ReadUserDword(SectionKey(*this, section), entry ? entry : "", &value))
        return UINT(defaultValue);
    return UINT(value);
}

BOOL CWinApp::WriteProfileInt(LPCSTR section, LPCSTR entry, int value) {
    return vxsys::WriteUserDword(SectionKey(*this, section), entry ? entry : "", uint32_t(value))
               ? TRUE
               : FALSE;
}
