// The configuration dialog: edits the five saver settings with two
// trackbars, the sound and background radio buttons and the "Clear" check
// box, keeps the sound and screen icons in step with the choices, explains
// each control in a tooltip and offers the About box.
//
// The caller fills m_settings, runs the dialog modally and, when DoModal
// returns IDOK, finds the user's choices in m_settings.
#pragma once

#include "platform/afx/AfxWin.h"
#include "settings/SaverSettings.h"

class CConfigDlg : public CDialog {
  public:
    explicit CConfigDlg(CWnd *parent = nullptr);
    ~CConfigDlg() override;

    CSliderCtrl m_missileSlider; // control 1010
    CSliderCtrl m_speedSlider;   // control 1008
    SaverSettings m_settings;
    CToolTipCtrl m_toolTip;
    HICON m_hIcon = nullptr; // the application icon, for the minimized window

    void DoDataExchange(CDataExchange *dx) override;
    BOOL PreTranslateMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND target) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  protected:
    void OnAbout();
    void OnClear();
    void OnBlack();
    void OnWallpaper();
    void OnSoundOff();
    void OnSoundPartial();
    void OnSoundFull();
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    void UpdateScreenControls();
    void UpdateScreenIcon();
    void UpdateSoundIcon();
};
