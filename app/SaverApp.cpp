#include "app/SaverApp.h"

#include "app/Password.h"
#include "app/SaverWnd.h"
#include "app/SplashDlg.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "scene/SceneWnd.h"
#include "settings/SaverSettings.h"
#include "ui/ConfigDlg.h"

#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace {
constexpr UINT kColorMessage = 59142;
constexpr UINT kColorCaption = 59143;
} // namespace

BOOL MatchSwitch(LPCSTR argument, LPCSTR letter) {
    if (!argument || !letter)
        return FALSE;
    if (argument[0] == '-' || argument[0] == '/')
        ++argument;
    return strcasecmp(argument, letter) == 0 ? TRUE : FALSE;
}

CSaverApp::CSaverApp() = default;
CSaverApp::~CSaverApp() = default;

BOOL CSaverApp::InitInstance() {
    Enable3dControls();
    SetRegistryKey("Quorvane Screen Savers");

    if (m_argc < 2) {
        RunConfiguration();
        return FALSE;
    }
    const char *sw = m_argv[1];
    if (MatchSwitch(sw, "c")) {
        RunConfiguration();
        return FALSE;
    }
    if (MatchSwitch(sw, "p"))
        return RunPreview();
    if (MatchSwitch(sw, "s"))
        return RunSaver();
    if (MatchSwitch(sw, "a")) {
        ChangeSaverPassword(PasswordChangeOwner(m_argc, m_argv));
        return FALSE;
    }
    return FALSE; // an unknown switch does nothing at all
}

BOOL CSaverApp::RunPreview() {
    // The host gives its window as a decimal number; without one that names a
    // window there is nothing to draw into.
    if (m_argc < 3) {
        std::fprintf(stderr, "%s: -p needs the id of the preview window\n", m_pszAppName);
        m_nExitCode = kExitBadPreviewHandle;
        return FALSE;
    }
    const HWND hParent = reinterpret_cast<HWND>(static_cast<intptr_t>(std::atol(m_argv[2])));
    CWnd *parent = IsWindow(hParent) ? CWnd::FromHandle(hParent) : nullptr;
    if (!parent) {
        std::fprintf(stderr, "%s: \"%s\" is not a window\n", m_pszAppName, m_argv[2]);
        m_nExitCode = kExitBadPreviewHandle;
        return FALSE;
    }
    auto *wnd = new CSceneWnd(TRUE, TRUE);
    RECT rc;
    parent->GetClientRect(&rc);
    if (!wnd->Create(0, WS_CHILD | WS_VISIBLE, rc, parent)) {
        delete wnd;
        m_nExitCode = kExitNoWindow;
        return FALSE;
    }
    m_pMainWnd = wnd;
    return TRUE;
}

BOOL CSaverApp::RunSaver() {
    CSplashDlg splash(nullptr);
    splash.DoModal();

    if (!HasEnoughColors()) {
        char text[256], caption[256];
        LoadStringA(AfxGetResourceHandle(), kColorMessage, text, 255);
        LoadStringA(AfxGetResourceHandle(), kColorCaption, caption, 255);
        MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
        return FALSE;
    }
    auto *wnd = new CSaverWnd;
    wnd->CreateFullScreen();
    if (!wnd->GetSafeHwnd()) {
        delete wnd;
        m_nExitCode = kExitNoWindow;
        return FALSE;
    }
    m_pMainWnd = wnd;
    return TRUE;
}

BOOL CSaverApp::HasEnoughColors() {
    CDC dc;
    dc.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    const int bits = dc.GetDeviceCaps(BITSPIXEL);
    dc.DeleteDC();
    return bits >= 8 ? TRUE : FALSE;
}

void CSaverApp::RunConfiguration() {
    CConfigDlg dlg(nullptr);
    dlg.m_settings.Load(this);
    m_pMainWnd = &dlg;
    if (dlg.DoModal() == IDOK)
        dlg.m_settings.Save(this);
    // The dialog object goes with this scope; nothing may point at it.
    if (m_pMainWnd == &dlg)
        m_pMainWnd = nullptr;
}
