#include "platform/afx/MessageBox.h"

#include <cstdio>
#include <string>

namespace {
IMessageBoxService *g_service = nullptr;
std::string g_appName = "vantorix";
HWND g_mainWindow = nullptr;
} // namespace

IMessageBoxService *VxSetMessageBoxService(IMessageBoxService *service) {
    IMessageBoxService *old = g_service;
    g_service = service;
    return old;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    if (g_service)
        return g_service->Show(owner, text ? text : "", caption ? caption : "Error", style);
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "Error", text ? text : "");
    return IDOK;
}

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
    return MessageBoxA(g_mainWindow, text, g_appName.c_str(), type);
}

const char *AfxGetAppName() { return g_appName.c_str(); }
void VxSetAppName(const char *name) { g_appName = name ? name : ""; }
void VxSetMainWindowHandle(HWND hwnd) { g_mainWindow = hwnd; }
HWND VxGetMainWindowHandle() { return g_mainWindow; }
