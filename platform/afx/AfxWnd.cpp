// Framework members that are the same over every window system: they are
// built on the framework's own calls only. The window system layers
// (platform/qt, platform/win32) implement the rest.
#include "platform/afx/WindowSystem_p.h"

#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"

#include <map>
#include <utility>
#include <vector>

// ---- dispatch --------------------------------------------------------------------------------

namespace {
// The message being handled, per dispatch, for CWnd::Default.
struct Frame {
    CWnd *wnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Frame> &Frames() {
    static std::vector<Frame> frames;
    return frames;
}
} // namespace

LRESULT VxDispatch(CWnd *wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!wnd || !wnd->m_impl)
        return 0;
    Frames().push_back({wnd, message, wParam, lParam});
    const size_t depth = Frames().size();
    // The window object may be deleted by its handler (auto-delete after the
    // last message); nothing here touches it afterwards.
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    Frames().resize(depth - 1);
    return result;
}

void VxForgetDispatches(CWnd *wnd) {
    for (Frame &f : Frames())
        if (f.wnd == wnd)
            f.wnd = nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::Default() {
    for (auto it = Frames().rbegin(); it != Frames().rend(); ++it)
        if (it->wnd == this)
            return DefWindowProc(it->message, it->wParam, it->lParam);
    return 0;
}

// ---- device contexts of windows ---------------------------------------------------------------
// A window's DC draws into its backing surface; releasing it presents what
// was drawn. The desktop's DC is the screen's.

int CWnd::ReleaseDC(CDC *dc) {
    if (!dc)
        return 0;
    const int released = ::ReleaseDC(m_hWnd, dc->Detach());
    delete dc;
    return released;
}

void CWnd::OnPaint() {
    CPaintDC dc(this); // validates
}

HDC GetDC(HWND hwnd) {
    CWnd *wnd = hwnd ? VxLookupHandle(hwnd) : CWnd::GetDesktopWindow();
    if (!wnd)
        return nullptr;
    CDC *dc = wnd->GetDC();
    if (!dc)
        return nullptr;
    HDC handle = dc->Detach();
    delete dc;
    return handle;
}

int ReleaseDC(HWND hwnd, HDC dc) {
    if (!dc)
        return 0;
    CWnd *wnd = hwnd ? VxLookupHandle(hwnd) : CWnd::GetDesktopWindow();
    if (!wnd || !wnd->m_impl || wnd == CWnd::GetDesktopWindow()) {
        DeleteDC(dc);
        return 1;
    }
    RECT dirty;
    if (VxTakeDirtyRect(dc, &dirty))
        VxPresent(wnd->m_impl.get(), dirty);
    VxDeleteSurfaceDC(dc);
    return 1;
}

// ---- cursors -------------------------------------------------------------------------------

HCURSOR VxArrowCursor() {
    static int tag;
    return reinterpret_cast<HCURSOR>(&tag);
}

HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name) {
    if (!module)
        return name == IDC_ARROW ? VxArrowCursor() : nullptr;
    if (!IS_INTRESOURCE(name))
        return static_cast<HCURSOR>(LoadImageA(module, name, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    static std::map<std::pair<HINSTANCE, uintptr_t>, HCURSOR> shared;
    const auto key = std::make_pair(module, reinterpret_cast<uintptr_t>(name));
    if (auto it = shared.find(key); it != shared.end())
        return it->second;
    HCURSOR cursor =
        static_cast<HCURSOR>(LoadImageA(module, name, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    if (cursor)
        shared[key] = cursor;
    return cursor;
}

// ---- dialog items ------------------------------------------------------------------------

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id)
        CheckDlgButton(id, id == checkId ? 1u : 0u);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd *item = GetDlgItem(id);
    return item ? item->SendMessage(message, wParam, lParam) : 0;
}

// ---- the menu's items ---------------------------------------------------------------------
// Each layer's AppendMenu stores the item and offers it on its system menu.

int CMenu::GetMenuItemCount() const {
    return int(m_items.size());
}

BOOL CMenu::GetMenuItem(int position, Item *item) const {
    if (position < 0 || position >= int(m_items.size()) || !item)
        return FALSE;
    const StoredItem &stored = m_items[size_t(position)];
    *item = {stored.flags, stored.id, stored.text.c_str()};
    return TRUE;
}

// ---- dialogs: data exchange and the two buttons ---------------------------------------------

BOOL CDialog::OnInitDialog() {
    CDataExchange dx;
    dx.m_bSaveAndValidate = FALSE;
    dx.m_pDlgWnd = this;
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange *) {}

void CDialog::OnOK() {
    CDataExchange dx;
    dx.m_bSaveAndValidate = TRUE;
    dx.m_pDlgWnd = this;
    DoDataExchange(&dx);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(UINT, WPARAM, LPARAM, HWND) {
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == IDOK) {
                OnOK();
                return 0;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                OnCancel();
                return 0;
            }
        }
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ---- the application and its dialogs' templates ----------------------------------------------

int VxRunApplication(CWinApp *app, void (*startUpOver)()) {
    int exitCode = 0;
    if (app->InitInstance()) {
        CWnd *main = app->m_pMainWnd;
        if (main && IsWindow(main->GetSafeHwnd())) {
            VxSetMainWindowHandle(main->GetSafeHwnd());
            startUpOver();
            exitCode = app->Run();
        } else {
            // Nothing runs without its main window.
            exitCode = app->m_nExitCode ? app->m_nExitCode : 1;
        }
    } else {
        exitCode = app->m_nExitCode;
    }
    // Whatever window is left goes before the window system does.
    if (CWnd *main = app->m_pMainWnd; main && main->GetSafeHwnd())
        main->DestroyWindow();
    return exitCode;
}

const DialogTemplate *VxFindDialogTemplate(UINT id) {
    if (id > 0xFFFF)
        return nullptr;
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(WORD(id)), RT_DIALOG);
    if (!res || SizeofResource(module, res) < sizeof(DialogTemplate))
        return nullptr;
    return static_cast<const DialogTemplate *>(LockResource(LoadResource(module, res)));
}

// ---- backing surfaces -------------------------------------------------------------------------

HBITMAP VxResizedBacking(HBITMAP backing, int width, int height) {
    width = width < 1 ? 1 : width;
    height = height < 1 ? 1 : height;
    VxBitmapView view{};
    if (backing && VxGetBitmapView(backing, &view) && view.width == width && view.height == height)
        return backing;
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP fresh = display ? CreateCompatibleBitmap(display, width, height) : nullptr;
    if (display)
        DeleteDC(display);
    if (!fresh)
        return backing;
    if (backing) {
        HDC from = VxCreateSurfaceDC(backing);
        HDC to = VxCreateSurfaceDC(fresh);
        if (from && to)
            BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
        if (to)
            VxDeleteSurfaceDC(to);
        if (from)
            VxDeleteSurfaceDC(from);
        DeleteObject(backing);
    }
    return fresh;
}

void VxCopyFromScreen(HBITMAP backing, int x, int y, int width, int height) {
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HDC target = VxCreateSurfaceDC(backing);
    if (screen && target)
        BitBlt(target, 0, 0, width, height, screen, x, y, SRCCOPY);
    if (target)
        VxDeleteSurfaceDC(target);
    if (screen)
        DeleteDC(screen);
}

std::string VxAppNameFromPath(const char *path) {
    if (!path || !*path)
        return "vantorix";
    std::string name = path;
#ifdef _WIN32
    const char *separators = "/\\:";
#else
    const char *separators = "/";
#endif
    if (const size_t slash = name.find_last_of(separators); slash != std::string::npos)
        name.erase(0, slash + 1);
    // Only the last extension goes, as with "Vantorix.scr".
    if (const size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name.empty() ? std::string("vantorix") : name;
}
