// CWinApp over Win32: the process entry and the message loop. The profile
// (registry) members are in W32Profile.cpp.
#include "platform/win32/W32Framework_p.h"
#include "platform/win32/W32Services.h"

#include "platform/afx/MessageBox.h"
#include "platform/gdi/Gdi.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

CWinApp *g_app = nullptr;

// The string behind m_pszAppName, per application object. A function
// static: the application object is itself a global and may be constructed
// before this file's globals.
std::map<const CWinApp *, std::string> &Names() {
    static std::map<const CWinApp *, std::string> names;
    return names;
}

int DisplayDepthFromEnvironment() {
    const char *value = std::getenv("VANTORIX_DISPLAY_DEPTH");
    if (!value || !*value || std::strcmp(value, "32") == 0 || std::strcmp(value, "24") == 0)
        return 32;
    if (std::strcmp(value, "8") == 0)
        return 8;
    if (std::strcmp(value, "4") == 0)
        return 4;
    return 32;
}

} // namespace

CWinApp::CWinApp() {
    g_app = this;
    std::string &name = Names()[this];
    name = "vantorix";
    m_pszAppName = name.c_str();
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
    Names().erase(this);
}

CWinApp *AfxGetApp() {
    return g_app;
}

CWnd *AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    return vxsys::RunLoop(nullptr);
}

void CWinApp::SetAppName(LPCSTR modulePath) {
    std::string &name = Names()[this];
    name = VxAppNameFromPath(modulePath);
    m_pszAppName = name.c_str();
    if (g_app == this)
        VxSetAppName(m_pszAppName);
}

int AfxWinMain(int argc, char **argv) {
    VxSetDisplayDepth(DisplayDepthFromEnvironment());
    // Windows are placed and drawn in device pixels on every monitor.
    vxsys::UseDevicePixels();

    CWinApp *app = AfxGetApp();
    if (!app)
        return 1;
    app->SetAppName(argc > 0 ? argv[0] : nullptr);
    app->m_argc = argc;
    app->m_argv = argv;

    VxInstallSystemMessageBoxes();
    VxInstallSystemSoundOutput();
    VxRefreshScreenSurface();

    // Start-up has built what it needs from the screen's picture once the
    // main window exists.
    const int exitCode = VxRunApplication(app, &VxReleaseScreenSurface);
    VxReleaseScreenSurface();
    app->m_argv = nullptr;
    app->m_argc = 0;
    return exitCode;
}
