// Resource ids of the executable's resource table: bitmaps, wave sounds,
// icons, the cursor, strings, dialog templates and the ids of their controls.
#pragma once

// ---- strings ---------------------------------------------------------------------
constexpr int IDS_DESCRIPTION = 1;       // the saver's display name, "Vantorix"
constexpr int IDS_ABOUTBOX = 101;        // system-menu item of the configuration dialog
constexpr int IDS_COLOR_MESSAGE = 59142; // "requires 256 or more colors" text
constexpr int IDS_COLOR_CAPTION = 59143; // its message-box caption

// ---- dialog templates -------------------------------------------------------------
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_CONFIG = 102;
constexpr int IDD_SPLASH = 132;

// ---- bitmaps ---------------------------------------------------------------------
constexpr int IDB_SPLASH = 133;           // title card, 359 x 216
constexpr int IDB_ABOUT = 166;            // About box picture, 120 x 165
constexpr int IDB_EXPLOSION_FIRST = 2500; // explosion frames 2500..2507
constexpr int EXPLOSION_FRAME_COUNT = 8;
constexpr int IDB_JET_FIRST = 2550;    // jet sprites 2550..2564, one per sprite row
constexpr int IDB_SHADOW_FIRST = 2600; // their shadows 2600..2614
constexpr int JET_SPRITE_COUNT = 15;
// The same jets, shadows and explosion frames at twice the size, for screens
// of twice the pixel density, at these ids plus 1000 (3500.., 3550.., 3600..).
constexpr int IDB_DOUBLE_SIZE_OFFSET = 1000;

// ---- icons and the cursor ----------------------------------------------------------
constexpr int IDI_APP = 128;
constexpr int IDC_INVISIBLE_CURSOR = 129; // 32 x 32, fully transparent, hot spot 0,0
constexpr int IDI_SCREEN_KEEP = 144;
constexpr int IDI_SCREEN_BLACK = 145;
constexpr int IDI_SCREEN_WALLPAPER = 146;
constexpr int IDI_SOUND_OFF = 147;
constexpr int IDI_SOUND_PARTIAL = 148;
constexpr int IDI_SOUND_FULL = 149;

// ---- wave sounds (resource type "WAVE") -----------------------------------------------
constexpr int IDW_EXPLOSION = 170;
constexpr int IDW_FLYBY_FIRST = 3000; // fly-by variants 3000..3002
constexpr int IDW_FLYBY_1 = 3000;
constexpr int IDW_FLYBY_2 = 3001;
constexpr int IDW_FLYBY_3 = 3002;
constexpr int FLYBY_VARIANT_COUNT = 3;

// ---- system-menu command -------------------------------------------------------------
constexpr int IDM_ABOUTBOX = 16;

// ---- dialog controls -------------------------------------------------------------------
constexpr int IDC_STATIC = -1;
constexpr int IDC_SPEED_SLIDER = 1008;
constexpr int IDC_CLEAR = 1009;
constexpr int IDC_MISSILE_SLIDER = 1010;
constexpr int IDC_SOUND_OFF = 1011;
constexpr int IDC_SOUND_PARTIAL = 1012;
constexpr int IDC_SOUND_FULL = 1013;
constexpr int IDC_ABOUT = 1015;
constexpr int IDC_ABOUT_BITMAP = 1016;
constexpr int IDC_BLACK = 1017;
constexpr int IDC_WALLPAPER = 1018;
constexpr int IDC_SCREEN_ICON = 1019;
constexpr int IDC_SOUND_ICON = 1020;
