#include "ui/ConfigDlg.h"

#include "platform/afx/Resources.h"
#include "ui/AboutDlg.h"

namespace {
// Dialog, controls, icons and strings of the configuration dialog.
constexpr UINT kIddConfig = 102;
constexpr int kIdcSpeedSlider = 1008;
constexpr int kIdcClear = 1009;
constexpr int kIdcMissileSlider = 1010;
constexpr int kIdcSoundOff = 1011;
constexpr int kIdcSoundPartial = 1012;
constexpr int kIdcSoundFull = 1013;
constexpr int kIdcAbout = 1015;
constexpr int kIdcBlack = 1017;
constexpr int kIdcWallpaper = 1018;
constexpr int kIdcScreenIcon = 1019;
constexpr int kIdcSoundIcon = 1020;
constexpr WORD kIdiApp = 128;
constexpr WORD kIdiScreenKeep = 144;
constexpr WORD kIdiScreenBlack = 145;
constexpr WORD kIdiScreenWallpaper = 146;
constexpr WORD kIdiSoundOff = 147;
constexpr WORD kIdiSoundPartial = 148;
constexpr WORD kIdiSoundFull = 149;
constexpr UINT kIdsAboutBox = 101;
constexpr UINT kIdmAboutBox = 16;  // the window-menu command of the About item
constexpr WORD kButtonClicked = 0; // notification code of a button click

// The tooltip of each control, in the order the tools are added.
struct ToolText {
    int id;
    const char *text;
};
constexpr ToolText kToolTexts[] = {
    {kIdcSpeedSlider, "Controls the speed of the jets going across the screen"},
    {kIdcMissileSlider, "Controls the frequency at which missiles are fired"},
    {kIdcAbout, "Shows the about box"},
    {kIdcSoundOff, "Turns all sound effects off"},
    {kIdcSoundPartial, "Sound effects on the first drive-by, then off"},
    {kIdcSoundFull, "Turns all sound effects always on"},
    {kIdcClear, "Clear the screen when the screen saver starts"},
    {kIdcBlack, "Clear the screen to black"},
    {kIdcWallpaper, "Clear the screen with the desktop wallpaper"},
    {IDCANCEL, "Cancel changes and exit configuration"},
    {IDOK, "Save changes and exit configuration"},
};

// Shows a shared module icon in an icon picture; a missing icon leaves the
// picture as it was.
void ShowIcon(CWnd &dialog, int pictureId, WORD iconId) {
    HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(iconId));
    if (icon != nullptr)
        dialog.SendDlgItemMessage(pictureId, STM_SETICON, WPARAM(icon), 0);
}
} // namespace

CConfigDlg::CConfigDlg(CWnd *parent) : CDialog(kIddConfig, parent) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kIdiApp));
}

CConfigDlg::~CConfigDlg() = default;

void CConfigDlg::DoDataExchange(CDataExchange *dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, kIdcMissileSlider, m_missileSlider);
    DDX_Control(dx, kIdcSpeedSlider, m_speedSlider);
}

BOOL CConfigDlg::PreTranslateMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND target) {
    m_toolTip.RelayEvent(message, wParam, lParam, target);
    return CDialog::PreTranslateMessage(message, wParam, lParam, target);
}

BOOL CConfigDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    m_speedSlider.SetRange(1, 10, FALSE);
    m_speedSlider.SetPos(m_settings.Speed);
    m_missileSlider.SetRange(1, 10, FALSE);
    m_missileSlider.SetPos(m_settings.Reliability);

    // An id outside the group's range leaves every button of it unchecked,
    // which is how out-of-range stored values show.
    CheckRadioButton(kIdcSoundOff, kIdcSoundFull, kIdcSoundOff + m_settings.Sound);
    CheckDlgButton(kIdcClear, UINT(m_settings.ClearScreen));
    CheckRadioButton(kIdcBlack, kIdcWallpaper, kIdcBlack + m_settings.Wallpaper);
    UpdateScreenControls();

    CenterWindow();

    char aboutText[256] = {};
    if (LoadStringA(AfxGetResourceHandle(), kIdsAboutBox, aboutText, int(sizeof aboutText)) > 0) {
        if (CMenu *menu = GetSystemMenu(FALSE)) {
            menu->AppendMenu(MF_SEPARATOR);
            menu->AppendMenu(MF_STRING, kIdmAboutBox, aboutText);
        }
    }

    m_toolTip.Create(this);
    m_toolTip.Activate(TRUE);
    for (const ToolText &tool : kToolTexts)
        if (CWnd *control = GetDlgItem(tool.id))
            m_toolTip.AddTool(control, tool.text);

    UpdateSoundIcon();
    UpdateScreenIcon();
    return TRUE;
}

void CConfigDlg::OnOK() {
    m_settings.ClearScreen = IsDlgButtonChecked(kIdcClear) ? 1 : 0;
    m_settings.Wallpaper = IsDlgButtonChecked(kIdcWallpaper) ? 1 : 0;
    m_settings.Sound = 2 * (IsDlgButtonChecked(kIdcSoundFull) ? 1 : 0) +
                       (IsDlgButtonChecked(kIdcSoundPartial) ? 1 : 0);
    m_settings.Speed = m_speedSlider.GetPos();
    m_settings.Reliability = m_missileSlider.GetPos();
    CDialog::OnOK();
}

LRESULT CConfigDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        OnSysCommand(UINT(wParam), lParam);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_QUERYDRAGICON:
        return LRESULT(OnQueryDragIcon());
    case WM_COMMAND:
        if (HIWORD(wParam) == kButtonClicked) {
            switch (LOWORD(wParam)) {
            case kIdcAbout:
                OnAbout();
                return 0;
            case kIdcClear:
                OnClear();
                return 0;
            case kIdcWallpaper:
                OnWallpaper();
                return 0;
            case kIdcBlack:
                OnBlack();
                return 0;
            case kIdcSoundFull:
                OnSoundFull();
                return 0;
            case kIdcSoundOff:
                OnSoundOff();
                return 0;
            case kIdcSoundPartial:
                OnSoundPartial();
                return 0;
            default:
                break;
            }
        }
        break;
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CConfigDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal();
}

void CConfigDlg::OnClear() {
    UpdateScreenControls();
    UpdateScreenIcon();
}

void CConfigDlg::OnBlack() {
    UpdateScreenIcon();
}
void CConfigDlg::OnWallpaper() {
    UpdateScreenIcon();
}
void CConfigDlg::OnSoundOff() {
    UpdateSoundIcon();
}
void CConfigDlg::OnSoundPartial() {
    UpdateSoundIcon();
}
void CConfigDlg::OnSoundFull() {
    UpdateSoundIcon();
}

void CConfigDlg::OnSysCommand(UINT id, LPARAM) {
    // The low four bits of a window-menu command are the system's own.
    if ((id & 0xFFF0) == kIdmAboutBox) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    Default();
}

void CConfigDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, WPARAM(dc.GetSafeHdc()), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CConfigDlg::OnQueryDragIcon() {
    return m_hIcon;
}

// "Black" and "Wallpaper" only mean something when the screen is cleared;
// they keep their check state while disabled.
void CConfigDlg::UpdateScreenControls() {
    const BOOL clear = IsDlgButtonChecked(kIdcClear) != 0;
    if (CWnd *black = GetDlgItem(kIdcBlack))
        black->EnableWindow(clear);
    if (CWnd *wallpaper = GetDlgItem(kIdcWallpaper))
        wallpaper->EnableWindow(clear);
}

void CConfigDlg::UpdateScreenIcon() {
    WORD icon = kIdiScreenKeep;
    if (IsDlgButtonChecked(kIdcClear))
        icon = IsDlgButtonChecked(kIdcBlack) ? kIdiScreenBlack : kIdiScreenWallpaper;
    ShowIcon(*this, kIdcScreenIcon, icon);
}

void CConfigDlg::UpdateSoundIcon() {
    WORD icon = kIdiSoundOff;
    if (IsDlgButtonChecked(kIdcSoundPartial))
        icon = kIdiSoundPartial;
    if (IsDlgButtonChecked(kIdcSoundFull))
        icon = kIdiSoundFull;
    ShowIcon(*this, kIdcSoundIcon, icon);
}
