// Framework members that are the same over every window system: they are
// built on the framework's own calls only. The window system layers
// (platform/qt, platform/win32) implement the rest.
#include "platform/afx/AfxWin.h"

#include <map>
#include <utility>

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
