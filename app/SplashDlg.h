// The title picture shown for two and a half seconds before the saver starts.
#pragma once

#include "platform/afx/AfxWin.h"

class CSplashDlg : public CDialog {
  public:
    explicit CSplashDlg(CWnd *parent = nullptr);
    ~CSplashDlg() override;

    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static constexpr UINT kTemplateId = 132;
    static constexpr UINT_PTR kTimerId = 8;
    static constexpr UINT kShowMs = 2500;
};
