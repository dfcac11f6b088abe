// Dialogs from the resource templates over the system's dialog manager: the
// template becomes the system's in-memory template, the dialog is made
// modeless and run in a modal loop of our own, so that each input message
// reaches CDialog::PreTranslateMessage before the dialog keys handle it.
//
// The dialog is adopted when WM_INITDIALOG arrives, and a control when the
// dialog binds an object of its own to it (DDX_Control), so that their
// message maps see their messages first; what they leave goes on to the
// system's dialog and control procedures. The other controls are the
// system's alone.
#include "platform/win32/SysDialog.h"
#include "platform/win32/W32Framework_p.h"

#include "platform/afx/DialogTemplate.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>

namespace {

constexpr int SW_SHOWNORMAL = 1;

vxsys::DialogLayout LayoutOf(const DialogTemplate &t) {
    vxsys::DialogLayout layout;
    // The modal loop shows the dialog once it is ready; a dialog that ends
    // in OnInitDialog is never seen.
    layout.style = t.style & ~WS_VISIBLE;
    layout.x = t.x;
    layout.y = t.y;
    layout.cx = t.cx;
    layout.cy = t.cy;
    layout.caption = t.caption ? t.caption : "";
    layout.fontName = t.fontName ? t.fontName : "";
    layout.pointSize = t.pointSize ? t.pointSize : 8;
    for (size_t i = 0; i < t.count; ++i) {
        const DialogItemTemplate &item = t.items[i];
        vxsys::TemplateItem out;
        switch (item.cls) {
        case DialogControlClass::Button:
            out.cls = vxsys::DialogControl::Button;
            break;
        case DialogControlClass::Static:
            out.cls = vxsys::DialogControl::Static;
            break;
        case DialogControlClass::Trackbar:
            out.cls = vxsys::DialogControl::Trackbar;
            break;
        }
        out.style = item.style;
        out.x = item.x;
        out.y = item.y;
        out.cx = item.cx;
        out.cy = item.cy;
        out.id = WORD(item.id); // -1 (no id) is 0xFFFF
        out.text = item.text ? item.text : "";
        layout.items.push_back(std::move(out));
    }
    return layout;
}

// A bitmap of the drawing layer as 0x00RRGGBB pixels, rows top-down.
std::vector<uint32_t> BitmapPixels(HBITMAP bitmap, int *width, int *height) {
    BITMAP info{};
    if (!bitmap || GetObjectA(bitmap, int(sizeof info), &info) != int(sizeof info) ||
        info.bmWidth <= 0 || info.bmHeight <= 0)
        return {};
    *width = info.bmWidth;
    *height = info.bmHeight;
    std::vector<uint32_t> pixels(size_t(info.bmWidth) * size_t(info.bmHeight));
    for (int y = 0; y < info.bmHeight; ++y)
        for (int x = 0; x < info.bmWidth; ++x) {
            const COLORREF c = VxPixelColour(bitmap, x, y);
            pixels[size_t(y) * size_t(info.bmWidth) + size_t(x)] =
                (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
        }
    return pixels;
}

// One run of DoModal: what the dialog's start needs and what its end frees.
struct ModalRun {
    CDialog *dialog;
    const DialogTemplate *dialogTemplate;
    bool adopted = false;
    std::vector<void *> bitmaps; // the system bitmaps the static controls show
};

// The dialogs in modal loops, innermost last.
std::vector<CDialog *> g_modalDialogs;

// Gives the picture controls their pictures. The drawing layer's icons and
// bitmaps are not the system's: the controls get the system's made from them.
void ShowPictures(ModalRun &run, HWND dialog) {
    const std::vector<vxsys::Handle> children = vxsys::Children(dialog);
    const DialogTemplate &t = *run.dialogTemplate;
    for (size_t i = 0; i < children.size() && i < t.count; ++i) {
        const DialogItemTemplate &item = t.items[i];
        if (item.cls != DialogControlClass::Static || !item.imageId)
            continue;
        const DWORD kind = item.style & 0x1F;
        if (kind == SS_ICON) {
            const HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(item.imageId));
            vxsys::Send(children[i], STM_SETICON, reinterpret_cast<uintptr_t>(VxSystemIcon(icon)),
                        0);
        } else if (kind == SS_BITMAP) {
            HBITMAP bitmap = LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(item.imageId));
            int width = 0, height = 0;
            const std::vector<uint32_t> pixels = BitmapPixels(bitmap, &width, &height);
            if (bitmap)
                DeleteObject(bitmap);
            if (void *shown = vxsys::MakeBitmap(width, height, pixels.data())) {
                run.bitmaps.push_back(shown);
                vxsys::SetStaticBitmap(children[i], shown);
            }
        }
        vxsys::FitControl(dialog, children[i], t.cx - item.x - item.cx, t.cy - item.y - item.cy);
    }
}

intptr_t OnDialogInit(vxsys::Handle hwnd, uintptr_t focus, void *context) {
    auto &run = *static_cast<ModalRun *>(context);
    CDialog *dialog = run.dialog;
    if (!VxAdoptWindow(dialog, static_cast<HWND>(hwnd), VxWindowKind::Dialog))
        return FALSE;
    run.adopted = true;
    dialog->m_impl->modal = true;
    dialog->m_impl->modalEnded = false;
    dialog->m_impl->modalResult = -1;
    ShowPictures(run, dialog->m_hWnd);
    // The configuration dialog is the main window: boxes of the application
    // are owned by it.
    if (CWinApp *app = AfxGetApp(); app && app->m_pMainWnd == dialog)
        VxSetMainWindowHandle(dialog->m_hWnd);
    return VxDispatch(dialog, WM_INITDIALOG, focus, 0);
}

} // namespace

// Input for the innermost modal dialog or its controls goes to its
// PreTranslateMessage, then to the dialog keys.
bool VxPreTranslateMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_modalDialogs.empty() || !vxsys::IsInputMessage(message))
        return false;
    CDialog *dialog = g_modalDialogs.back();
    const HWND self = dialog->m_hWnd;
    if (!self || (hwnd != self && !vxsys::IsChild(self, hwnd)))
        return false;
    if (dialog->PreTranslateMessage(message, wParam, lParam, hwnd))
        return true;
    return dialog->m_hWnd == self && vxsys::DialogMessage(self, hwnd, message, wParam, lParam);
}

namespace {
bool ModalPreTranslate(vxsys::Handle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return VxPreTranslateMessage(static_cast<HWND>(hwnd), message, wParam, lParam);
}
} // namespace

// ---- CDialog ------------------------------------------------------------------------------
CDialog::CDialog(UINT templateId, CWnd *parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd)
        DestroyWindow();
}

INT_PTR CDialog::DoModal() {
    const DialogTemplate *t = VxFindDialogTemplate(m_nIDTemplate);
    if (!t || m_hWnd)
        return -1;
    // Unowned dialogs are owned by the main window (unless they are it).
    CWnd *owner =
        m_pParentWnd ? m_pParentWnd : (AfxGetMainWnd() != this ? AfxGetMainWnd() : nullptr);
    HWND ownerHandle = owner ? owner->GetSafeHwnd() : nullptr;
    if (ownerHandle && !vxsys::IsWindow(ownerHandle))
        ownerHandle = nullptr;
    // A child window cannot own a dialog: its top-level window does.
    while (ownerHandle && (vxsys::Style(ownerHandle) & WS_CHILD))
        ownerHandle = static_cast<HWND>(vxsys::Parent(ownerHandle));
    // The owner takes no input while the dialog runs.
    const bool enableOwner = ownerHandle && vxsys::IsEnabled(ownerHandle);
    if (enableOwner)
        vxsys::Enable(ownerHandle, false);

    ModalRun run{this, t, false, {}};
    g_modalDialogs.push_back(this);
    const HWND self = static_cast<HWND>(vxsys::CreateDialogFromTemplate(
        vxsys::BuildDialogTemplate(LayoutOf(*t)), ownerHandle, OnDialogInit, &run));
    auto alive = [this, self] { return self && m_hWnd == self && VxLookupHandle(self) == this; };
    INT_PTR result = -1;
    if (alive() && run.adopted) {
        if (!m_impl->modalEnded) {
            vxsys::Show(self, SW_SHOWNORMAL);
            // A quit message ends the loop and stays queued for the
            // enclosing one.
            while (alive() && !m_impl->modalEnded && vxsys::PumpOne(ModalPreTranslate)) {
            }
        }
        if (alive() && m_impl->modalEnded)
            result = m_impl->modalResult;
    }
    g_modalDialogs.erase(std::find(g_modalDialogs.begin(), g_modalDialogs.end(), this));

    // The owner is enabled again before the dialog goes, so that the system
    // gives it the activation instead of another program's window.
    if (enableOwner)
        vxsys::Enable(ownerHandle, true);
    if (self && ownerHandle && vxsys::ActiveWindow() == self)
        vxsys::Activate(ownerHandle);
    if (alive()) {
        m_impl->modal = false;
        DestroyWindow();
    } else if (self && vxsys::IsWindow(self)) {
        vxsys::DestroyWindow(self);
    }
    if (self && VxGetMainWindowHandle() == self)
        VxSetMainWindowHandle(nullptr);
    for (void *bitmap : run.bitmaps)
        vxsys::FreeBitmap(bitmap);
    return result;
}

void CDialog::EndDialog(int result) {
    if (!m_impl)
        return;
    m_impl->modalResult = result;
    m_impl->modalEnded = true;
}

void DDX_Control(CDataExchange *dx, int id, CWnd &control) {
    if (!dx || !dx->m_pDlgWnd || !dx->m_pDlgWnd->m_hWnd || control.m_hWnd)
        return;
    const HWND hwnd = static_cast<HWND>(vxsys::DialogItem(dx->m_pDlgWnd->m_hWnd, id));
    if (!hwnd)
        return;
    if (VxLookupHandle(hwnd) == nullptr)
        VxAdoptWindow(&control, hwnd, VxWindowKind::Control);
}
