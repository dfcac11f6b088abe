// The resource script: strings, dialog templates and the embedded asset files.
#include "res/ResourceTable.h"

#include "platform/afx/DialogTemplate.h"
#include "res/ResourceIds.h"

#include <cstdint>
#include <iterator>

// The embedded asset files (cmake/Embed.cmake), by file name.
#define VX_ASSET(name)                                                                             \
    extern "C" const unsigned char res_##name[];                                                   \
    extern "C" const uint32_t res_##name##_size;
// clang-format off
#define VX_BITMAP_FILES(X)                                                                         \
    X(jet_2550_bmp, 2550) X(jet_2551_bmp, 2551) X(jet_2552_bmp, 2552) X(jet_2553_bmp, 2553)        \
    X(jet_2554_bmp, 2554) X(jet_2555_bmp, 2555) X(jet_2556_bmp, 2556) X(jet_2557_bmp, 2557)        \
    X(jet_2558_bmp, 2558) X(jet_2559_bmp, 2559) X(jet_2560_bmp, 2560) X(jet_2561_bmp, 2561)        \
    X(jet_2562_bmp, 2562) X(jet_2563_bmp, 2563) X(jet_2564_bmp, 2564)                              \
    X(shadow_2600_bmp, 2600) X(shadow_2601_bmp, 2601) X(shadow_2602_bmp, 2602)                     \
    X(shadow_2603_bmp, 2603) X(shadow_2604_bmp, 2604) X(shadow_2605_bmp, 2605)                     \
    X(shadow_2606_bmp, 2606) X(shadow_2607_bmp, 2607) X(shadow_2608_bmp, 2608)                     \
    X(shadow_2609_bmp, 2609) X(shadow_2610_bmp, 2610) X(shadow_2611_bmp, 2611)                     \
    X(shadow_2612_bmp, 2612) X(shadow_2613_bmp, 2613) X(shadow_2614_bmp, 2614)                     \
    X(explosion_2500_bmp, 2500) X(explosion_2501_bmp, 2501) X(explosion_2502_bmp, 2502)            \
    X(explosion_2503_bmp, 2503) X(explosion_2504_bmp, 2504) X(explosion_2505_bmp, 2505)            \
    X(explosion_2506_bmp, 2506) X(explosion_2507_bmp, 2507)                                        \
    X(x2_jet_3550_bmp, 3550) X(x2_jet_3551_bmp, 3551) X(x2_jet_3552_bmp, 3552)                     \
    X(x2_jet_3553_bmp, 3553) X(x2_jet_3554_bmp, 3554) X(x2_jet_3555_bmp, 3555)                     \
    X(x2_jet_3556_bmp, 3556) X(x2_jet_3557_bmp, 3557) X(x2_jet_3558_bmp, 3558)                     \
    X(x2_jet_3559_bmp, 3559) X(x2_jet_3560_bmp, 3560) X(x2_jet_3561_bmp, 3561)                     \
    X(x2_jet_3562_bmp, 3562) X(x2_jet_3563_bmp, 3563) X(x2_jet_3564_bmp, 3564)                     \
    X(x2_shadow_3600_bmp, 3600) X(x2_shadow_3601_bmp, 3601) X(x2_shadow_3602_bmp, 3602)            \
    X(x2_shadow_3603_bmp, 3603) X(x2_shadow_3604_bmp, 3604) X(x2_shadow_3605_bmp, 3605)            \
    X(x2_shadow_3606_bmp, 3606) X(x2_shadow_3607_bmp, 3607) X(x2_shadow_3608_bmp, 3608)            \
    X(x2_shadow_3609_bmp, 3609) X(x2_shadow_3610_bmp, 3610) X(x2_shadow_3611_bmp, 3611)            \
    X(x2_shadow_3612_bmp, 3612) X(x2_shadow_3613_bmp, 3613) X(x2_shadow_3614_bmp, 3614)            \
    X(x2_explosion_3500_bmp, 3500) X(x2_explosion_3501_bmp, 3501) X(x2_explosion_3502_bmp, 3502)   \
    X(x2_explosion_3503_bmp, 3503) X(x2_explosion_3504_bmp, 3504) X(x2_explosion_3505_bmp, 3505)   \
    X(x2_explosion_3506_bmp, 3506) X(x2_explosion_3507_bmp, 3507)                                  \
    X(splash_133_bmp, IDB_SPLASH) X(about_166_bmp, IDB_ABOUT)
#define VX_ICON_FILES(X)                                                                           \
    X(icon_128_ico, IDI_APP) X(icon_144_ico, IDI_SCREEN_KEEP) X(icon_145_ico, IDI_SCREEN_BLACK)   \
    X(icon_146_ico, IDI_SCREEN_WALLPAPER) X(icon_147_ico, IDI_SOUND_OFF)                           \
    X(icon_148_ico, IDI_SOUND_PARTIAL) X(icon_149_ico, IDI_SOUND_FULL)
// The icons' smooth 64-pixel pictures, and the application icon's pictures
// at every icon-theme size (its 64-pixel one among them).
#define VX_ICON64_FILES(X)                                                                         \
    X(icon_144_64_png, IDI_SCREEN_KEEP) X(icon_145_64_png, IDI_SCREEN_BLACK)                       \
    X(icon_146_64_png, IDI_SCREEN_WALLPAPER) X(icon_147_64_png, IDI_SOUND_OFF)                     \
    X(icon_148_64_png, IDI_SOUND_PARTIAL) X(icon_149_64_png, IDI_SOUND_FULL)
#define VX_APP_ICON_SIZES(X) X(16) X(32) X(48) X(64) X(128) X(256)
#define VX_WAVE_FILES(X)                                                                           \
    X(explosion_170_wav, IDW_EXPLOSION) X(flyby_3000_wav, IDW_FLYBY_1)                             \
    X(flyby_3001_wav, IDW_FLYBY_2) X(flyby_3002_wav, IDW_FLYBY_3)
// clang-format on
#define VX_DECLARE(name, id) VX_ASSET(name)
VX_BITMAP_FILES(VX_DECLARE)
VX_ICON_FILES(VX_DECLARE)
VX_ICON64_FILES(VX_DECLARE)
VX_WAVE_FILES(VX_DECLARE)
VX_ASSET(cursor_129_cur)
#define VX_DECLARE_APP_ICON(size)                                                                  \
    extern "C" const unsigned char appicon##size##_vantorix_png[];                                 \
    extern "C" const uint32_t appicon##size##_vantorix_png_size;
VX_APP_ICON_SIZES(VX_DECLARE_APP_ICON)
#undef VX_DECLARE_APP_ICON
#undef VX_DECLARE

namespace {

// A bitmap resource is the packed DIB: the file without its 14-byte header.
constexpr uint32_t kBitmapFileHeader = 14;

// Control styles shared by the templates. Every control is a visible child.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kLabelRight = kChild | SS_RIGHT | WS_GROUP;
constexpr DWORD kEtched = kChild | SS_ETCHEDFRAME;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kTrackbar = kChild | TBS_HORZ | TBS_TOP | TBS_NOTICKS | WS_TABSTOP;
// The first radio button of a group starts the group and takes the tab stop;
// the arrow keys move between the buttons of the group.
constexpr DWORD kRadioFirst = kChild | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;

constexpr auto B = DialogControlClass::Button;
constexpr auto S = DialogControlClass::Static;
constexpr auto T = DialogControlClass::Trackbar;

// ---- About box ----------------------------------------------------------------------
constexpr DialogItemTemplate kAboutItems[] = {
    {S, IDC_STATIC, "Vantorix Screen Saver", kLabel, 103, 19, 97, 8, 0},
    {S, IDC_STATIC, "(C) 2026 Quorvane Software", kLabel, 103, 34, 128, 8, 0},
    {B, IDOK, "OK", kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 112, 134, 44, 16, 0},
    {S, IDC_STATIC, "All rights reserved.", kLabel, 103, 49, 90, 8, 0},
    {S, IDC_STATIC, "Written by the Vantorix team", kLabel, 103, 64, 136, 8, 0},
    {S, IDC_STATIC, "", kEtched, 5, 5, 248, 119, 0},
    {S, IDC_ABOUT_BITMAP, "", kChild | SS_BITMAP | SS_SUNKEN, 11, 12, 81, 103, IDB_ABOUT},
    {S, IDC_STATIC, "team@vantorix.invalid", kLabel, 103, 79, 97, 8, 0},
    {S, IDC_STATIC, "Art and sound by artgen", kLabel, 103, 94, 97, 8, 0},
};

constexpr DialogTemplate kAboutBox = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    34,
    22,
    268,
    158,
    "About...",
    "MS Sans Serif",
    8,
    kAboutItems,
    std::size(kAboutItems),
};

// ---- configuration dialog ------------------------------------------------------------
constexpr DialogItemTemplate kConfigItems[] = {
    {S, IDC_STATIC, "", kEtched, 2, 4, 195, 190, 0},
    {B, IDC_STATIC, "Speed", kGroupBox, 11, 12, 113, 40, 0},
    {S, IDC_STATIC, "Slow", kLabel, 20, 25, 30, 8, 0},
    {S, IDC_STATIC, "Mach", kLabelRight, 83, 25, 19, 8, 0},
    {T, IDC_SPEED_SLIDER, "", kTrackbar, 17, 34, 100, 15, 0},
    {B, IDOK, "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 46, 174, 50, 14, 0},
    {B, IDCANCEL, "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 103, 174, 50, 14, 0},
    {B, IDC_STATIC, "Missile Frequency", kGroupBox, 11, 61, 113, 40, 0},
    {S, IDC_STATIC, "Peaceful", kLabel, 20, 74, 32, 8, 0},
    {S, IDC_STATIC, "World War 3", kLabelRight, 78, 74, 41, 8, 0},
    {T, IDC_MISSILE_SLIDER, "", kTrackbar, 17, 83, 100, 15, 0},
    {B, IDC_STATIC, "Sound", kGroupBox, 136, 12, 51, 73, 0},
    {B, IDC_SOUND_OFF, "Off", kRadioFirst, 142, 49, 39, 8, 0},
    {B, IDC_SOUND_PARTIAL, "Partial", kRadio, 142, 60, 39, 8, 0},
    {B, IDC_SOUND_FULL, "Full", kRadio, 142, 71, 39, 8, 0},
    {B, IDC_STATIC, "Screen", kGroupBox, 11, 106, 113, 49, 0},
    {B, IDC_CLEAR, "Clear", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 69, 117, 34, 8, 0},
    {B, IDC_BLACK, "Black", kRadioFirst, 69, 131, 39, 8, 0},
    {B, IDC_WALLPAPER, "Wallpaper", kRadio, 69, 142, 49, 8, 0},
    {B, IDC_ABOUT, "About...", kChild | BS_PUSHBUTTON | WS_TABSTOP, 141, 135, 40, 14, 0},
    {S, IDC_SOUND_ICON, "", kChild | SS_ICON | SS_REALSIZEIMAGE, 150, 22, 18, 20, IDI_SOUND_OFF},
    {S, IDC_SCREEN_ICON, "", kChild | SS_ICON, 18, 117, 18, 20, IDI_SCREEN_KEEP},
    {S, IDC_STATIC, "", kChild | SS_ICON, 149, 99, 18, 20, IDI_APP},
    {S, IDC_STATIC, "", kEtched, 136, 90, 51, 65, 0},
};

constexpr DialogTemplate kConfig = {
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    0,
    0,
    200,
    198,
    "Vantorix Screen Saver Configuration",
    "MS Sans Serif",
    8,
    kConfigItems,
    std::size(kConfigItems),
};

// ---- splash dialog ---------------------------------------------------------------------
constexpr DialogItemTemplate kSplashItems[] = {
    {S, IDC_STATIC, "", kChild | SS_BITMAP | SS_SUNKEN, 3, 2, 241, 134, IDB_SPLASH},
};

constexpr DialogTemplate kSplash = {
    WS_POPUP | DS_MODALFRAME | DS_SETFONT,
    0,
    0,
    248,
    139,
    nullptr,
    "MS Sans Serif",
    8,
    kSplashItems,
    std::size(kSplashItems),
};

// ---- strings ---------------------------------------------------------------------------
constexpr char kDescription[] = "Vantorix";
constexpr char kAboutMenu[] = "&About Vantorix Saver...";
constexpr char kColorMessage[] =
    "The Vantorix screen saver requires 256 or more colors.  Please set your display settings "
    "for 8-bit color or greater to use this screen saver.\n\nThank you.";
constexpr char kColorCaption[] = "Quorvane Vantorix Screen Saver";

template <size_t N> ResourceEntry StringEntry(int id, const char (&text)[N]) {
    return {RT_STRING, WORD(id), text, DWORD(N - 1)};
}
ResourceEntry DialogEntry(int id, const DialogTemplate &t) {
    return {RT_DIALOG, WORD(id), &t, DWORD(sizeof t)};
}

const ResourceEntry kEntries[] = {
    StringEntry(IDS_DESCRIPTION, kDescription),
    StringEntry(IDS_ABOUTBOX, kAboutMenu),
    StringEntry(IDS_COLOR_MESSAGE, kColorMessage),
    StringEntry(IDS_COLOR_CAPTION, kColorCaption),
    DialogEntry(IDD_ABOUTBOX, kAboutBox),
    DialogEntry(IDD_CONFIG, kConfig),
    DialogEntry(IDD_SPLASH, kSplash),
// clang-format off
#define VX_BITMAP(name, id)                                                                        \
    {RT_BITMAP, WORD(id), res_##name + kBitmapFileHeader, res_##name##_size - kBitmapFileHeader},
#define VX_ICON(name, id) {RT_GROUP_ICON, WORD(id), res_##name, res_##name##_size},
#define VX_WAVE(name, id) {"WAVE", WORD(id), res_##name, res_##name##_size},
#define VX_ICON64(name, id) {"PNG64", WORD(id), res_##name, res_##name##_size},
#define VX_APP_ICON(size)                                                                          \
    {"PNG" #size, WORD(IDI_APP), appicon##size##_vantorix_png, appicon##size##_vantorix_png_size},
    VX_BITMAP_FILES(VX_BITMAP) VX_ICON_FILES(VX_ICON) VX_WAVE_FILES(VX_WAVE)
    VX_ICON64_FILES(VX_ICON64) VX_APP_ICON_SIZES(VX_APP_ICON)
#undef VX_BITMAP
#undef VX_ICON
#undef VX_WAVE
#undef VX_ICON64
#undef VX_APP_ICON
    {RT_GROUP_CURSOR, WORD(IDC_INVISIBLE_CURSOR), res_cursor_129_cur, res_cursor_129_cur_size},
    // clang-format on
};

} // namespace

const ResourceModule g_vantorixResources = {kEntries, std::size(kEntries)};
