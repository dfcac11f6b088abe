// The About box: the jet picture, the saver's title and credits, and OK.
// It has no owner of its own choosing: the framework makes the application's
// main window (the configuration dialog while it runs) its owner.
#pragma once

#include "platform/afx/AfxWin.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg();
    ~CAboutDlg() override;

    void DoDataExchange(CDataExchange *dx) override;
    BOOL OnInitDialog() override;
};
