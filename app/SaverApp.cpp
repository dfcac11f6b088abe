#include "app/SaverApp.h"

#include "app/HostWnd.h"
#include "app/Password.h"
#include "app/SaverWnd.h"
#include "app/SplashDlg.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "platform/afx/ScreenSaverHost.h"
#include "scene/SceneWnd.h"
#include "settings/SaverSettings.h"
#include "ui/ConfigDlg.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <strings.h>

namespace {
constexpr UINT kColorMessage = 59142;
constexpr UINT kColorCaption = 59143;

// The usage summary, one row per mode or option; a row without a text starts
// a section.
struct UsageRow {
    const char *option;
    const char *text;
};
constexpr UsageRow kUsage[] = {
    {"Usage: vantorix [MODE] [OPTION]...", nullptr},
    {"Modes (one leading - or /, any case):", nullptr},
    {"(none), -c", "open the configuration dialog"},
    {"-s", "run the saver full screen"},
    {"-p ID", "a preview in the X11 window ID (decimal or 0x...)"},
    {"-a [ID]", "set or change the screen-saver password (owner window ID)"},
    {"Screen-saver hosts (XScreenSaver, xsecurelock; - or --):", nullptr},
    {"--root", "draw into $XSCREENSAVER_WINDOW, else the root window"},
    {"--window-id ID", "draw into the X11 window ID (decimal or 0x...)"},
    {"", "no title card, no password (the host locks)"},
    {"Options for this run only (with -s or a host flag; - or --):", nullptr},
    {"--speed N", "jet speed, 1 (slow) to 10 (fast)"},
    {"--missiles N", "missile runs, 1 (rarely) to 10 (often)"},
    {"--sound MODE", "off, partial (first pass only) or full"},
    {"--background KIND", "snapshot (the desktop), black or wallpaper"},
    {"Options:", nullptr},
    {"-h, --help", "print this summary and exit"},
    {"--version", "print the version and exit"},
};

bool IsOneOf(const char *argument, std::initializer_list<const char *> names) {
    for (const char *name : names)
        if (std::strcmp(argument, name) == 0)
            return true;
    return false;
}
// "/c:1234": the configuration with its owner window attached, as the
// system's display settings ask for it. The owner is ignored as with "/c
// 1234"; without this the settings' button would do nothing at all.
bool IsConfigureWithAttachedOwner(const char *argument) {
    if (argument[0] == '-' || argument[0] == '/')
        ++argument;
    return (argument[0] == 'c' || argument[0] == 'C') && argument[1] == ':';
}
} // namespace

bool AnswerInformationRequest(int argc, char **argv, std::FILE *out) {
    for (int i = 1; i < argc && argv[i]; ++i) {
        if (IsOneOf(argv[i], {"--version", "-version"})) {
            std::fprintf(out, "vantorix %s\n", VX_VERSION);
            return true;
        }
        if (IsOneOf(argv[i], {"--help", "-help", "-h"})) {
            for (const UsageRow &row : kUsage) {
                if (!row.text)
                    std::fprintf(out, "%s%s\n", &row == kUsage ? "" : "\n", row.option);
                else
                    std::fprintf(out, "  %-24s %s\n", row.option, row.text);
            }
            return true;
        }
    }
    return false;
}

BOOL MatchSwitch(LPCSTR argument, LPCSTR letter) {
    if (!argument || !letter)
        return FALSE;
    if (argument[0] == '-' || argument[0] == '/')
        ++argument;
    return strcasecmp(argument, letter) == 0 ? TRUE : FALSE;
}

HWND PreviewParent(LPCSTR argument) {
    if (!argument)
        return nullptr;
    // A decimal id as atol reads it, but with a defined result for any text:
    // a number out of range comes out at the range's end, which names no
    // window. X11 tools write ids as 0x and hexadecimal digits. 64 bits where
    // long has only 32 (Windows), whose window handles use all 32.
    unsigned long hex = 0;
    const bool isHex = argument[0] == '0' && (argument[1] == 'x' || argument[1] == 'X');
    const long long number = isHex
                                 ? (ParseWindowId(argument, &hex) ? static_cast<long long>(hex) : 0)
                                 : std::strtoll(argument, nullptr, 10);
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<intptr_t>(number));
    return IsWindow(hwnd) ? hwnd : nullptr;
}

CSaverApp::CSaverApp() = default;
CSaverApp::~CSaverApp() = default;

BOOL CSaverApp::InitInstance() {
    Enable3dControls();
    SetRegistryKey("Quorvane Screen Savers");

    // The host's flags and the options for one run may stand anywhere; the
    // mode switch sees the rest of the command line as it was.
    const RunOptions options = ParseRunOptions(m_argc, m_argv);
    if (!options.error.empty())
        return Refuse(options.error);
    SaverRunOverrides() = options.overrides;
    if (options.HostMode())
        return RunHost(options);
    m_switchArgs = options.rest;
    m_switchArgv.clear();
    for (std::string &argument : m_switchArgs)
        m_switchArgv.push_back(argument.data());
    m_switchArgv.push_back(nullptr);
    m_argc = int(m_switchArgs.size());
    m_argv = m_switchArgv.data();

    if (m_argc < 2) {
        RunConfiguration();
        return FALSE;
    }
    const char *sw = m_argv[1];
    if (MatchSwitch(sw, "c") || IsConfigureWithAttachedOwner(sw)) {
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
    const HWND hParent = PreviewParent(m_argv[2]);
    CWnd *parent = hParent ? CWnd::FromHandle(hParent) : nullptr;
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

BOOL CSaverApp::Refuse(const std::string &problem) {
    std::fprintf(stderr, "%s: %s\n", m_pszAppName, problem.c_str());
    m_nExitCode = kExitBadArguments;
    return FALSE;
}

BOOL CSaverApp::RunHost(const RunOptions &options) {
    // The window: --window-id, else the one XScreenSaver or a screen locker
    // names in XSCREENSAVER_WINDOW (hexadecimal or decimal), else the root.
    unsigned long id = 0;
    std::string named;
    const char *given = std::getenv("XSCREENSAVER_WINDOW");
    if (!options.windowId.empty()) {
        ParseWindowId(options.windowId.c_str(), &id);
        named = "window " + options.windowId;
    } else if (given && *given) {
        if (!ParseWindowId(given, &id))
            return Refuse("XSCREENSAVER_WINDOW=\"" + std::string(given) + "\" is not a window id");
        named = "window " + std::string(given) + " (XSCREENSAVER_WINDOW)";
    } else {
        id = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(VxRootWindow()));
        if (id == 0)
            return Refuse("--root needs an X11 display or XSCREENSAVER_WINDOW");
        named = "the root window";
    }
    const HWND hHost = reinterpret_cast<HWND>(static_cast<uintptr_t>(id));
    CWnd *host = IsWindow(hHost) ? CWnd::FromHandle(hHost) : nullptr;
    if (!host)
        return Refuse(named + " does not exist");

    // The host ends the run with a signal; the loop then ends normally, so
    // the windows go and the sound stops.
    VxQuitOnTerminationSignals();
    CHostWnd *wnd = CHostWnd::StartIn(host);
    if (!wnd) {
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
    // The saver runs on the primary monitor in its device pixels; every
    // other monitor gets a window of its own.
    CSaverWnd *wnd = CSaverWnd::OpenOn(VxEnumMonitors().front(), nullptr);
    if (!wnd) {
        m_nExitCode = kExitNoWindow;
        return FALSE;
    }
    wnd->CoverOtherMonitors();
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
