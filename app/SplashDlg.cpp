#include "app/SplashDlg.h"

CSplashDlg::CSplashDlg(CWnd *parent) : CDialog(kTemplateId, parent) {}

CSplashDlg::~CSplashDlg() = default;

BOOL CSplashDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    SetTimer(kTimerId, kShowMs, nullptr);
    SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return TRUE;
}

LRESULT CSplashDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        // Timer 8 is the dialog's only timer; its first message ends it.
        KillTimer(kTimerId);
        EndDialog(IDOK);
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}
