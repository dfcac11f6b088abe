// The background the jets fly over: the screen as it was, black, or the
// desktop wallpaper, built once into a screen-sized surface, plus the work
// surface every frame is composed in.
#include "platform/afx/DesktopProfile.h"
#include "platform/gdi/SafeFile.h"
#include "scene/SceneWnd.h"

#include <cstdlib>
#include <unistd.h>

namespace {

// TRUE when `path` names a file that can be opened for reading. Only a
// regular file of a size a wallpaper can have counts: a named pipe, a device
// or a directory is no wallpaper, and testing one must not wait or read.
BOOL FileExists(const char *path) {
    const int fd = VxOpenRegularFile(path, kVxMaxSettingFileBytes);
    if (fd < 0)
        return FALSE;
    ::close(fd);
    return TRUE;
}

// Draws the wallpaper file into `background` (a W x H surface in the DC
// `backgroundDC`): tiled from the top-left corner, or centred on the desktop
// colour. Returns FALSE, drawing nothing, when the wallpaper cannot be shown.
BOOL DrawWallpaper(CDC *reference, CDC *backgroundDC, int cxScreen, int cyScreen) {
    // Buffers as the desktop keeps them: a path of at most 254 characters, a
    // tile flag of at most 7.
    char path[256] = {};
    GetProfileStringA("Desktop", "Wallpaper", "", path, sizeof path - 1);
    if (!FileExists(path))
        path[0] = '\0';
    if (path[0] == '\0')
        return FALSE;

    char tileText[8] = {};
    GetProfileStringA("Desktop", "TileWallpaper", "0", tileText, sizeof tileText);
    const int tile = std::atoi(tileText);

    BOOL drawn = FALSE;
    auto *wallpaper = new CPaletteBitmap;
    if (wallpaper->LoadFromFile(path)) {
        CDC wallpaperDC;
        wallpaperDC.CreateCompatibleDC(reference);
        CBitmap *oldBitmap = wallpaperDC.SelectObject(wallpaper);
        BITMAP bm{};
        wallpaper->GetObject(sizeof bm, &bm);
        const int w = bm.bmWidth, h = bm.bmHeight;

        CBrush desktopColour(GetSysColor(COLOR_BACKGROUND));
        RECT all{0, 0, cxScreen, cyScreen};
        backgroundDC->FillRect(&all, &desktopColour);

        if (tile != 0) {
            // A wallpaper without a size would never advance the loops.
            if (w > 0 && h > 0) {
                for (int x = 0; x < cxScreen; x += w)
                    for (int y = 0; y < cyScreen; y += h)
                        backgroundDC->BitBlt(x, y, w, h, &wallpaperDC, 0, 0, SRCCOPY);
            }
        } else {
            const int x = cxScreen / 2 - w / 2;
            const int y = cyScreen / 2 - h / 2;
            backgroundDC->BitBlt(x, y, w, h, &wallpaperDC, 0, 0, SRCCOPY);
        }

        wallpaperDC.SelectObject(oldBitmap);
        wallpaperDC.DeleteDC();
        drawn = TRUE;
    }
    wallpaper->DeleteObject();
    delete wallpaper;
    return drawn;
}

} // namespace

void CSceneWnd::PrepareBackground() {
    // The screen's DC is the model for both surfaces.
    CWnd *desktop = CWnd::GetDesktopWindow();
    CDC *reference = desktop->GetDC();
    if (reference == nullptr)
        return; // no screen: the scene stays without surfaces and draws nothing

    // Background and work surfaces, screen-sized and in display format.
    m_pBackground = new CPaletteBitmap;
    m_pBackground->CreateCompatibleBitmap(reference, m_cxScreen, m_cyScreen);
    m_pWork = new CPaletteBitmap;
    m_pWork->CreateCompatibleBitmap(reference, m_cxScreen, m_cyScreen);

    // The background receives the snapshot, the wallpaper or black.
    CDC backgroundDC;
    backgroundDC.CreateCompatibleDC(reference);
    CBitmap *oldBitmap = backgroundDC.SelectObject(m_pBackground);

    if (m_nClearScreen == 0) {
        // A copy of the screen as it is now, before the saver's window
        // covers it.
        CPalette *oldPalette = nullptr;
        if (m_pScenePalette != nullptr)
            oldPalette = backgroundDC.SelectPalette(m_pScenePalette, FALSE);
        const bool wholeScreen = IsRectEmpty(&m_rcScreenArea);
        backgroundDC.BitBlt(0, 0, m_cxScreen, m_cyScreen, reference,
                            wholeScreen ? 0 : m_rcScreenArea.left,
                            wholeScreen ? 0 : m_rcScreenArea.top, SRCCOPY);
        if (m_pScenePalette != nullptr)
            backgroundDC.SelectPalette(oldPalette, FALSE);
    } else {
        // The wallpaper when asked for and showable; black otherwise.
        BOOL wallpaperDrawn = FALSE;
        if (m_nWallpaper != 0)
            wallpaperDrawn = DrawWallpaper(reference, &backgroundDC, m_cxScreen, m_cyScreen);
        if (!wallpaperDrawn)
            backgroundDC.PatBlt(0, 0, m_cxScreen, m_cyScreen, BLACKNESS);
    }

    backgroundDC.SelectObject(oldBitmap);
    backgroundDC.DeleteDC();
    desktop->ReleaseDC(reference);
}
