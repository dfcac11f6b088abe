// CWnd over real system windows: the handle registry, the procedure every
// framework window runs, dispatch and default handling, creation and
// destruction, geometry, visibility, owners, the dialog-item helpers, the
// system menu, window classes and windows the framework did not make.
#include "platform/win32/W32Framework_p.h"

#include "platform/afx/MessageBox.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <vector>

const CWnd CWnd::wndTop;
const CWnd CWnd::wndTopMost;
const CWnd CWnd::wndNoTopMost;

namespace {

constexpr UINT kStmSetIcon = 0x0170;
constexpr UINT kStmSetImage = 0x0172;
constexpr UINT kWmQueryDragIcon = WM_QUERYDRAGICON;
constexpr UINT kWmCtlColorFirst = 0x0132; // WM_CTLCOLORMSGBOX
constexpr UINT kWmCtlColorLast = 0x0138;  // WM_CTLCOLORSTATIC
constexpr WPARAM kImageIcon = 1;

std::unordered_map<HWND, CWnd *> &Registry() {
    static std::unordered_map<HWND, CWnd *> registry;
    return registry;
}

// The object whose window CreateEx is making: the system sends the first
// messages before CreateWindowEx returns the handle.
CWnd *g_creating = nullptr;
int g_createWidth = 0, g_createHeight = 0;

void Attach(CWnd *wnd, HWND hwnd, VxWindowKind kind) {
    auto impl = std::make_unique<VxWindowImpl>();
    impl->kind = kind;
    impl->wnd = wnd;
    impl->hwnd = hwnd;
    wnd->m_impl = std::move(impl);
    wnd->m_hWnd = hwnd;
    VxRegisterHandle(hwnd, wnd);
}

// What is left to do once a window has had its last message.
void Finish(CWnd *wnd) {
    const HWND hwnd = wnd->m_hWnd;
    std::unique_ptr<VxWindowImpl> gone = std::move(wnd->m_impl);
    wnd->m_hWnd = nullptr;
    VxUnregisterHandle(hwnd);
    if (gone->backing)
        DeleteObject(gone->backing);
    const bool frameworkOwned = gone->frameworkOwned;
    const bool creationRefused = gone->creationRefused;
    gone.reset();
    if (frameworkOwned)
        delete wnd;
    else if (!creationRefused)
        wnd->PostNcDestroy(); // may delete the object
}

// Runs a surface window's erase through a DC of the drawing layer, so that
// handlers and the default handling draw into the backing surface.
LRESULT EraseBackground(CWnd *wnd) {
    VxWindowImpl *impl = wnd->m_impl.get();
    if (!impl->backing)
        return 1;
    HDC dc = VxCreateSurfaceDC(impl->backing);
    if (!dc)
        return 1;
    const LRESULT result = VxDispatch(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    VxDeleteSurfaceDC(dc);
    return result ? result : 1;
}

intptr_t FrameworkCallback(void *system, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const HWND hwnd = static_cast<HWND>(system);
    CWnd *wnd = VxLookupHandle(hwnd);
    if (!wnd && g_creating && !g_creating->m_hWnd) {
        wnd = g_creating;
        Attach(wnd, hwnd, VxWindowKind::Surface);
        VxResizeBacking(wnd->m_impl.get(), g_createWidth, g_createHeight);
    }
    if (!wnd || !wnd->m_impl)
        return vxsys::CallPrevious(nullptr, system, message, wParam, lParam);
    VxWindowImpl *impl = wnd->m_impl.get();
    switch (message) {
    case WM_ERASEBKGND:
        // The system's DC is not one of the drawing layer's.
        if (impl->kind == VxWindowKind::Surface)
            return EraseBackground(wnd);
        return vxsys::CallPrevious(impl->previousProc, system, message, wParam, lParam);
    case WM_ICONERASEBKGND:
        return vxsys::CallPrevious(impl->previousProc, system, message, wParam, lParam);
    case WM_SIZE:
        if (impl->kind == VxWindowKind::Surface)
            VxResizeBacking(impl, LOWORD(uintptr_t(lParam)), HIWORD(uintptr_t(lParam)));
        break;
    case kWmQueryDragIcon:
        return reinterpret_cast<intptr_t>(
            VxSystemIcon(reinterpret_cast<HICON>(VxDispatch(wnd, message, wParam, lParam))));
    case WM_NCDESTROY: {
        void *previous = impl->previousProc;
        const bool adopted = impl->adopted;
        const LRESULT result = VxDispatch(wnd, message, wParam, lParam);
        // The system's own handling of the last message comes last, as for
        // any window.
        if (adopted)
            vxsys::Unsubclass(system, previous);
        vxsys::CallPrevious(previous, system, message, wParam, lParam);
        if (VxLookupHandle(hwnd) == wnd && wnd->m_impl)
            Finish(wnd);
        return result;
    }
    default:
        if (message >= kWmCtlColorFirst && message <= kWmCtlColorLast)
            return vxsys::CallPrevious(impl->previousProc, system, message, wParam, lParam);
        break;
    }
    const LRESULT result = VxDispatch(wnd, message, wParam, lParam);
    if (message == WM_CREATE && result == -1 && wnd->m_impl)
        wnd->m_impl->creationRefused = true;
    return result;
}

struct CallbackInstaller {
    CallbackInstaller() { vxsys::SetWindowCallback(&FrameworkCallback); }
} g_installer;

// Windows of other programs, and of this one that the framework did not
// make, wrapped on demand; kept until the window is gone.
std::unordered_map<HWND, std::unique_ptr<CWnd>> &Wrappers() {
    static std::unordered_map<HWND, std::unique_ptr<CWnd>> wrappers;
    return wrappers;
}

CWnd &Desktop() {
    static CWnd *desktop = [] {
        auto *wnd = new CWnd; // lives until exit
        wnd->m_impl = std::make_unique<VxWindowImpl>();
        wnd->m_impl->kind = VxWindowKind::Desktop;
        wnd->m_impl->wnd = wnd;
        return wnd;
    }();
    return *desktop;
}

vxsys::Handle Sys(HWND hwnd) {
    return hwnd;
}

} // namespace

// ---- registry ---------------------------------------------------------------------------------

void VxRegisterHandle(HWND hwnd, CWnd *wnd) {
    Registry()[hwnd] = wnd;
}
void VxUnregisterHandle(HWND hwnd) {
    Registry().erase(hwnd);
}
CWnd *VxLookupHandle(HWND hwnd) {
    auto it = Registry().find(hwnd);
    return it == Registry().end() ? nullptr : it->second;
}

bool VxAdoptWindow(CWnd *wnd, HWND hwnd, VxWindowKind kind) {
    if (!wnd || !hwnd || wnd->m_hWnd || VxLookupHandle(hwnd) || !vxsys::IsWindow(hwnd))
        return false;
    Wrappers().erase(hwnd);
    Attach(wnd, hwnd, kind);
    wnd->m_impl->adopted = true;
    wnd->m_impl->previousProc = vxsys::Subclass(hwnd);
    return true;
}

void VxReleaseWindow(CWnd *wnd) {
    if (!wnd || !wnd->m_impl)
        return;
    if (wnd->m_impl->adopted)
        vxsys::Unsubclass(wnd->m_hWnd, wnd->m_impl->previousProc);
    VxUnregisterHandle(wnd->m_hWnd);
    wnd->m_impl.reset();
    wnd->m_hWnd = nullptr;
}

void PostQuitMessage(int exitCode) {
    vxsys::PostQuit(exitCode);
}

// ---- window classes ----------------------------------------------------------------------------

namespace {
std::map<std::string, VxWindowClass> &Classes() {
    static std::map<std::string, VxWindowClass> classes;
    return classes;
}
// The registered class of that name; null for an atom or a name never
// registered (the default class).
const VxWindowClass *FindClass(LPCSTR name) {
    if (!name || IS_INTRESOURCE(name))
        return nullptr;
    auto it = Classes().find(name);
    return it == Classes().end() ? nullptr : &it->second;
}
} // namespace

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    const std::string systemName =
        vxsys::RegisterWindowClass(classStyle, VxSystemCursor(cursor), VxSystemIcon(icon));
    if (systemName.empty())
        return nullptr;
    // The background is the framework's to draw into the backing surface,
    // so classes that differ only in it share the system's class.
    const std::string name =
        systemName + ":" + std::to_string(reinterpret_cast<uintptr_t>(background));
    auto [it, added] = Classes().try_emplace(name);
    if (added)
        it->second = VxWindowClass{systemName, classStyle, cursor, background, icon};
    return it->first.c_str();
}

namespace {
const VxWindowClass &DefaultClass() {
    static const VxWindowClass cls{
        vxsys::RegisterWindowClass(CS_HREDRAW | CS_VREDRAW, vxsys::ArrowCursor(), nullptr),
        CS_HREDRAW | CS_VREDRAW, LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr};
    return cls;
}
} // namespace

// ---- windows the framework did not make ----------------------------------------------------

CWnd *CWnd::FromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    if (CWnd *wnd = VxLookupHandle(hwnd))
        return wnd;
    auto &wrappers = Wrappers();
    if (auto it = wrappers.find(hwnd); it != wrappers.end()) {
        if (vxsys::IsWindow(hwnd))
            return it->second.get();
        wrappers.erase(it);
        return nullptr;
    }
    if (!vxsys::IsWindow(hwnd))
        return nullptr;
    auto wnd = std::make_unique<CWnd>();
    wnd->m_impl = std::make_unique<VxWindowImpl>();
    wnd->m_impl->kind = VxWindowKind::Foreign;
    wnd->m_impl->wnd = wnd.get();
    wnd->m_impl->hwnd = hwnd;
    wnd->m_hWnd = hwnd;
    CWnd *raw = wnd.get();
    wrappers[hwnd] = std::move(wnd);
    return raw;
}

CWnd *CWnd::GetDesktopWindow() {
    CWnd &desktop = Desktop();
    if (!desktop.m_hWnd) {
        desktop.m_hWnd = reinterpret_cast<HWND>(desktop.m_impl.get());
        desktop.m_impl->hwnd = desktop.m_hWnd;
        VxRegisterHandle(desktop.m_hWnd, &desktop);
    }
    return &desktop;
}

BOOL IsWindow(HWND hwnd) {
    if (CWnd *wnd = VxLookupHandle(hwnd))
        return wnd->m_impl && (wnd->m_impl->kind == VxWindowKind::Desktop || vxsys::IsWindow(hwnd));
    return vxsys::IsWindow(hwnd) ? TRUE : FALSE;
}

HWND GetForegroundWindow() {
    return static_cast<HWND>(vxsys::Foreground());
}

// ---- CWnd
// ------------------------------------------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd() {
    VxForgetDispatches(this);
    if (m_hWnd && m_impl && VxLookupHandle(m_hWnd) == this) {
        if (m_impl->kind == VxWindowKind::Surface || m_impl->kind == VxWindowKind::Dialog) {
            // A window must not outlive its object; the object must not be
            // deleted a second time by the last message.
            m_impl->frameworkOwned = false;
            m_impl->creationRefused = true;
            vxsys::DestroyWindow(m_hWnd);
        }
    }
    if (m_hWnd && VxLookupHandle(m_hWnd) == this)
        VxReleaseWindow(this);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    VxWindowImpl *impl = m_impl.get();
    if (!impl || impl->kind == VxWindowKind::Desktop || impl->kind == VxWindowKind::Foreign)
        return 0;
    switch (message) {
    case WM_PAINT:
        if (impl->kind == VxWindowKind::Surface) {
            CPaintDC paint(this); // shows the backing surface
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        // wParam is a DC of the drawing layer over the backing surface.
        if (impl->kind == VxWindowKind::Surface) {
            if (impl->cls && impl->cls->background && wParam) {
                RECT client;
                GetClientRect(&client);
                FillRect(reinterpret_cast<HDC>(wParam), &client, impl->cls->background);
            }
            return 1;
        }
        break;
    case WM_NCDESTROY:
        if (VxGetMainWindowHandle() == m_hWnd)
            VxSetMainWindowHandle(nullptr);
        // The process ends with its main window.
        if (CWinApp *app = AfxGetApp(); app && app->m_pMainWnd == this) {
            app->m_pMainWnd = nullptr;
            PostQuitMessage(0);
        }
        return 0;
    default:
        break;
    }
    return vxsys::CallPrevious(impl->previousProc, Sys(m_hWnd), message, wParam, lParam);
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd || !m_impl)
        return 0;
    // Icons given to controls are the drawing layer's; the system gets its own.
    if (message == kStmSetIcon)
        wParam = reinterpret_cast<WPARAM>(VxSystemIcon(reinterpret_cast<HICON>(wParam)));
    else if (message == kStmSetImage && wParam == kImageIcon)
        lParam = reinterpret_cast<LPARAM>(VxSystemIcon(reinterpret_cast<HICON>(lParam)));
    if (m_impl->kind == VxWindowKind::Desktop)
        return 0;
    return vxsys::Send(Sys(m_hWnd), message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd || !m_impl || m_impl->kind == VxWindowKind::Desktop)
        return FALSE;
    return vxsys::Post(Sys(m_hWnd), message, wParam, lParam) ? TRUE : FALSE;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void *) {
    if (!m_hWnd || !m_impl)
        return 0;
    return vxsys::SetTimer(Sys(m_hWnd), id, elapseMs);
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    return m_hWnd && vxsys::KillTimer(Sys(m_hWnd), id) ? TRUE : FALSE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, LPVOID) {
    if (m_hWnd || g_creating)
        return FALSE;
    if ((style & WS_CHILD) && (!parent || !::IsWindow(parent)))
        return FALSE;
    const VxWindowClass *cls = FindClass(className);
    if (!cls)
        cls = &DefaultClass();
    if (cls->systemName.empty())
        return FALSE;
    // A top-level window's rectangle is in the coordinates of the screen the
    // drawing calls see (one monitor when one was chosen).
    if (!(style & WS_CHILD)) {
        const RECT screen = VxScreenRect();
        x += screen.left;
        y += screen.top;
    }
    g_creating = this;
    g_createWidth = std::max(1, width);
    g_createHeight = std::max(1, height);
    // Made hidden and shown once it has drawn its first picture: a top-level
    // window starts out showing the screen under it.
    const HWND self = static_cast<HWND>(vxsys::MakeWindow(
        exStyle, cls->systemName, windowName, style & ~WS_VISIBLE, x, y, width, height, parent,
        (style & WS_CHILD) ? reinterpret_cast<uintptr_t>(menu) : 0));
    g_creating = nullptr;
    if (!self || VxLookupHandle(self) != this || !m_impl) {
        if (m_hWnd && !m_impl)
            m_hWnd = nullptr;
        return FALSE;
    }
    m_impl->cls = cls;
    if (style & WS_VISIBLE) {
        // A window that takes no activation is shown without it: showing
        // would otherwise activate it, away from the window that has it.
        constexpr int kShowNoActivate = 8; // SW_SHOWNA
        ShowWindow((exStyle & WS_EX_NOACTIVATE) ? kShowNoActivate : SW_SHOW);
        if (VxLookupHandle(self) != this)
            return FALSE;
        if (!(exStyle & WS_EX_NOACTIVATE) && !(style & WS_CHILD))
            vxsys::SetForeground(self);
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd || !m_impl || VxLookupHandle(m_hWnd) != this)
        return FALSE;
    if (m_impl->kind == VxWindowKind::Foreign || m_impl->kind == VxWindowKind::Desktop)
        return FALSE;
    return vxsys::DestroyWindow(Sys(m_hWnd)) ? TRUE : FALSE;
}

void CWnd::GetClientRect(LPRECT rect) const {
    if (!rect)
        return;
    SetRect(rect, 0, 0, 0, 0);
    if (!m_impl)
        return;
    if (m_impl->kind == VxWindowKind::Desktop) {
        const RECT screen = VxScreenRect();
        SetRect(rect, 0, 0, screen.right - screen.left, screen.bottom - screen.top);
        return;
    }
    const vxsys::Rect r = vxsys::ClientRect(Sys(m_hWnd));
    SetRect(rect, r.left, r.top, r.right, r.bottom);
}

void CWnd::GetWindowRect(LPRECT rect) const {
    if (!rect)
        return;
    SetRect(rect, 0, 0, 0, 0);
    if (!m_impl)
        return;
    if (m_impl->kind == VxWindowKind::Desktop) {
        GetClientRect(rect);
        return;
    }
    const vxsys::Rect r = vxsys::WindowRect(Sys(m_hWnd));
    SetRect(rect, r.left, r.top, r.right, r.bottom);
}

BOOL CWnd::SetWindowPos(const CWnd *insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!m_impl || m_impl->kind == VxWindowKind::Desktop)
        return FALSE;
    int order = -1;
    if (insertAfter == &wndTop)
        order = 0;
    else if (insertAfter == &wndTopMost)
        order = 1;
    else if (insertAfter == &wndNoTopMost)
        order = 2;
    return vxsys::SetPosition(Sys(m_hWnd), order, x, y, cx, cy, flags) ? TRUE : FALSE;
}

BOOL CWnd::IsTopmost() const {
    return m_impl && vxsys::IsTopmost(Sys(m_hWnd)) ? TRUE : FALSE;
}

BOOL CWnd::ShowWindow(int cmd) {
    if (!m_impl || m_impl->kind == VxWindowKind::Desktop)
        return FALSE;
    return vxsys::Show(Sys(m_hWnd), cmd) ? TRUE : FALSE;
}

BOOL CWnd::SetForegroundWindow() {
    return m_impl && vxsys::SetForeground(Sys(m_hWnd)) ? TRUE : FALSE;
}
BOOL CWnd::IsWindowVisible() const {
    return m_impl && vxsys::IsVisible(Sys(m_hWnd)) ? TRUE : FALSE;
}
BOOL CWnd::IsIconic() const {
    return m_impl && vxsys::IsIconic(Sys(m_hWnd)) ? TRUE : FALSE;
}
BOOL CWnd::EnableWindow(BOOL enable) {
    return m_impl && vxsys::Enable(Sys(m_hWnd), enable != FALSE) ? TRUE : FALSE;
}
BOOL CWnd::IsWindowEnabled() const {
    return m_impl && vxsys::IsEnabled(Sys(m_hWnd)) ? TRUE : FALSE;
}

void CWnd::CenterWindow(CWnd *alternateOwner) {
    if (!m_impl || m_impl->kind == VxWindowKind::Desktop)
        return;
    const vxsys::Rect area = vxsys::WorkArea();
    RECT self;
    GetWindowRect(&self);
    const int width = self.right - self.left, height = self.bottom - self.top;
    RECT around{area.left, area.top, area.right, area.bottom};
    CWnd *owner = alternateOwner ? alternateOwner : GetOwner();
    if (owner && owner->m_impl && owner->IsWindowVisible() && !owner->IsIconic()) {
        RECT rc;
        owner->GetWindowRect(&rc);
        if (rc.right > rc.left)
            around = rc;
    }
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    // Kept inside the work area.
    x = std::max<int>(area.left, std::min<int>(x, area.right - width));
    y = std::max<int>(area.top, std::min<int>(y, area.bottom - height));
    vxsys::SetPosition(Sys(m_hWnd), -1, x, y, 0, 0, SWP_NOSIZE | 0x0010 /* SWP_NOACTIVATE */);
}

CWnd *CWnd::GetParent() const {
    return m_impl && m_hWnd ? FromHandle(static_cast<HWND>(vxsys::Parent(Sys(m_hWnd)))) : nullptr;
}

CWnd *CWnd::GetOwner() const {
    if (!m_impl || !m_hWnd)
        return nullptr;
    if (HWND owner = static_cast<HWND>(vxsys::Owner(Sys(m_hWnd))))
        return FromHandle(owner);
    return GetParent();
}

void CWnd::SetOwner(CWnd *owner) {
    if (m_impl && m_hWnd)
        vxsys::SetOwner(Sys(m_hWnd), owner ? Sys(owner->m_hWnd) : nullptr);
}

CWnd *CWnd::GetDlgItem(int id) const {
    if (!m_impl || !m_hWnd)
        return nullptr;
    return FromHandle(static_cast<HWND>(vxsys::DialogItem(Sys(m_hWnd), id)));
}

void CWnd::CheckDlgButton(int id, UINT check) {
    SendDlgItemMessage(id, 0x00F1 /* BM_SETCHECK */, check, 0);
}

UINT CWnd::IsDlgButtonChecked(int id) const {
    CWnd *item = GetDlgItem(id);
    return item ? UINT(vxsys::Send(Sys(item->m_hWnd), 0x00F0 /* BM_GETCHECK */, 0, 0)) : 0u;
}

CMenu *CWnd::GetSystemMenu(BOOL revert) {
    if (!m_impl)
        return nullptr;
    if (revert) {
        m_impl->systemMenu.reset();
        return nullptr;
    }
    if (!m_impl->systemMenu) {
        m_impl->systemMenu = std::make_unique<CMenu>();
        m_impl->systemMenu->m_owner = this;
    }
    return m_impl->systemMenu.get();
}

int CWnd::GetDlgCtrlID() const {
    return m_impl && m_hWnd ? vxsys::ControlId(Sys(m_hWnd)) : 0;
}

void CWnd::SetWindowText(LPCSTR text) {
    if (m_impl && m_hWnd && m_impl->kind != VxWindowKind::Desktop)
        vxsys::SetText(Sys(m_hWnd), text);
}

void CWnd::OnClose() {
    DestroyWindow();
}

// ---- the system menu ----------------------------------------------------------------------------

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) {
    if (!(flags & MF_SEPARATOR) && !text)
        return FALSE;
    m_items.push_back({flags, id, (flags & MF_SEPARATOR) ? std::string() : std::string(text)});
    if (m_owner && m_owner->m_hWnd)
        vxsys::AppendSystemMenu(Sys(m_owner->m_hWnd), flags, id,
                                (flags & MF_SEPARATOR) ? nullptr : m_items.back().text.c_str());
    return TRUE;
}
