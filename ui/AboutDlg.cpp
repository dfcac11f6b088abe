#include "ui/AboutDlg.h"

#include "res/ResourceIds.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange *dx) {
    CDialog::DoDataExchange(dx);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // With no alternate owner this centres over the owner: the configuration
    // dialog when it opened the box.
    CenterWindow();
    return TRUE;
}
