#include "ui/ConfigDlg.h"

#include "platform/afx/Resources.h"
#include "res/ResourceIds.h"
#include "ui/AboutDlg.h"

namespace {
constexpr WORD kButtonClicked = 0; // notification code of a button click

// The tooltip of each control, in the order the tools are added.
struct ToolText {
    int id;
    const char *text;
};
constexpr ToolText kToolTexts[] = {
    {IDC_SPEED_SLIDER, "Controls the speed of the jets going across the screen"},
    {IDC_MISSILE_SLIDER, "Controls the frequency at which missiles are fired"},
    {IDC_ABOUT, "Shows the about box"},
    {IDC_SOUND_OFF, "Turns all sound effects off"},
    {IDC_SOUND_PARTIAL, "Sound effects on the first drive-by, then off"},
    {IDC_SOUND_FULL, "Turns all sound effects always on"},
    {IDC_CLEAR, "Clear the screen when the screen saver starts"},
    {IDC_BLACK, "Clear the screen to black"},
    {IDC_WALLPAPER, "Clear the screen with the desktop wallpaper"},
    {IDCANCEL, "Cancel changes and exit configuration"},
    {IDOK, "Save changes and exit configuration"},
};

// The button of a radio group [first, last] that shows a stored value, or 0
// (no control) for a value outside the group, which leaves every button of
// the group unchecked. Computed without overflow for any stored value.
int RadioFor(int first, int last, int value) {
    const long long id = (long long)first + value;
    return id >= first && id <= last ? int(id) : 0;
}

// Shows a shared module icon in an icon picture; a missing icon leaves the
// picture as it was.
void ShowIcon(CWnd &dialog, int pictureId, int iconId) {
    HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(WORD(iconId)));
    if (icon != nullptr)
        dialog.SendDlgItemMessage(pictureId, STM_SETICON, WPARAM(icon), 0);
}
} // namespace

CConfigDlg::CConfigDlg(CWnd *parent) : CDialog(IDD_CONFIG, parent) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(WORD(IDI_APP)));
}

CConfigDlg::~CConfigDlg() = default;

void CConfigDlg::DoDataExchange(CDataExchange *dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_MISSILE_SLIDER, m_missileSlider);
    DDX_Control(dx, IDC_SPEED_SLIDER, m_speedSlider);
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

    CheckRadioButton(IDC_SOUND_OFF, IDC_SOUND_FULL,
                     RadioFor(IDC_SOUND_OFF, IDC_SOUND_FULL, m_settings.Sound));
    // The saver clears the screen for any non-zero value; show it as checked.
    CheckDlgButton(IDC_CLEAR, m_settings.ClearScreen != 0 ? 1 : 0);
    CheckRadioButton(IDC_BLACK, IDC_WALLPAPER,
                     RadioFor(IDC_BLACK, IDC_WALLPAPER, m_settings.Wallpaper));
    UpdateScreenControls();

    CenterWindow();

    char aboutText[256] = {};
    if (LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, aboutText, int(sizeof aboutText)) > 0) {
        if (CMenu *menu = GetSystemMenu(FALSE)) {
            menu->AppendMenu(MF_SEPARATOR);
            menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText);
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
    m_settings.ClearScreen = IsDlgButtonChecked(IDC_CLEAR) ? 1 : 0;
    m_settings.Wallpaper = IsDlgButtonChecked(IDC_WALLPAPER) ? 1 : 0;
    m_settings.Sound = 2 * (IsDlgButtonChecked(IDC_SOUND_FULL) ? 1 : 0) +
                       (IsDlgButtonChecked(IDC_SOUND_PARTIAL) ? 1 : 0);
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
            case IDC_ABOUT:
                OnAbout();
                return 0;
            case IDC_CLEAR:
                OnClear();
                return 0;
            case IDC_WALLPAPER:
                OnWallpaper();
                return 0;
            case IDC_BLACK:
                OnBlack();
                return 0;
            case IDC_SOUND_FULL:
                OnSoundFull();
                return 0;
            case IDC_SOUND_OFF:
                OnSoundOff();
                return 0;
            case IDC_SOUND_PARTIAL:
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
    if ((id & 0xFFF0) == UINT(IDM_ABOUTBOX)) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    Default();
}

// Draws the icon into a minimized window's client area for a window system
// that shows minimized windows that way. X11 desktops unmap a minimized
// window and show its window icon (the program's icon, set for every
// window) instead, so there the first branch is the only one taken.
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
    const BOOL clear = IsDlgButtonChecked(IDC_CLEAR) != 0;
    if (CWnd *black = GetDlgItem(IDC_BLACK))
        black->EnableWindow(clear);
    if (CWnd *wallpaper = GetDlgItem(IDC_WALLPAPER))
        wallpaper->EnableWindow(clear);
}

void CConfigDlg::UpdateScreenIcon() {
    int icon = IDI_SCREEN_KEEP;
    if (IsDlgButtonChecked(IDC_CLEAR))
        icon = IsDlgButtonChecked(IDC_BLACK) ? IDI_SCREEN_BLACK : IDI_SCREEN_WALLPAPER;
    ShowIcon(*this, IDC_SCREEN_ICON, icon);
}

void CConfigDlg::UpdateSoundIcon() {
    int icon = IDI_SOUND_OFF;
    if (IsDlgButtonChecked(IDC_SOUND_PARTIAL))
        icon = IDI_SOUND_PARTIAL;
    if (IsDlgButtonChecked(IDC_SOUND_FULL))
        icon = IDI_SOUND_FULL;
    ShowIcon(*this, IDC_SOUND_ICON, icon);
}
