// The sprite catalogue: every jet, shadow and explosion image with its
// monochrome mask, loaded once per scene at the scene's scale, plus the
// display facts the scene draws with.
#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "scene/SceneWnd.h"

namespace {

constexpr WORD kFirstJetBitmap = 2550;
constexpr WORD kFirstShadowBitmap = 2600;
constexpr WORD kFirstExplosionBitmap = 2500;
// The double-size set of every jet, shadow and explosion image sits at the
// same ids plus this offset.
constexpr WORD kDoubleSizeOffset = 1000;
constexpr int kFlyingRows = 5;     // rows 0..4: the five pass kinds
constexpr int kManoeuvreRows = 10; // rows 5..14: the missile-run frames
constexpr int kExplosionFrames = 8;

// The transparent key colour of every sprite, palette entry 2 of their shared
// colour table, and its palette-relative form for palette devices.
constexpr COLORREF kKeyColour = RGB(0, 128, 0);
constexpr COLORREF kKeyColourOnPalette = PALETTERGB(0, 128, 0);

// The size of a loaded image. A bitmap object without a handle (its load
// failed) reports 0 x 0, so that a row whose image is missing is never drawn
// with sizes nobody set.
void ReadImageSize(const CPaletteBitmap *image, int *cx, int *cy) {
    BITMAP bm{};
    if (image != nullptr && image->GetSafeHandle() != nullptr &&
        image->GetObject(sizeof bm, &bm) != 0 && bm.bmWidth > 0 && bm.bmHeight > 0) {
        *cx = bm.bmWidth;
        *cy = bm.bmHeight;
        return;
    }
    *cx = 0;
    *cy = 0;
}

// Makes the mask of one image: a monochrome bitmap of the image's size that is
// 1 where the image has the key colour and 0 elsewhere. The colour-to-mono
// blit compares each pixel with the image DC's background colour, which is set
// to the key. Returns null when there is nothing to mask (no image) or the
// mask cannot be made; the image is then drawn opaque.
CPaletteBitmap *MakeMask(CPaletteBitmap *image, int cx, int cy, COLORREF key,
                         CPalette **scenePalette) {
    // The palette of the image, so that the key resolves to the image's own
    // index on a palette device.
    *scenePalette = image != nullptr ? image->GetPalette() : nullptr;
    if (image == nullptr || image->GetSafeHandle() == nullptr || cx <= 0 || cy <= 0)
        return nullptr;

    CWnd *desktop = CWnd::GetDesktopWindow();
    CDC *reference = desktop->GetDC();
    if (reference == nullptr)
        return nullptr;

    CDC imageDC;
    imageDC.CreateCompatibleDC(reference);
    CBitmap *oldImage = imageDC.SelectObject(image);
    CDC maskDC;
    maskDC.CreateCompatibleDC(reference);

    CPalette *oldPalette = nullptr;
    if (*scenePalette != nullptr) {
        oldPalette = imageDC.SelectPalette(*scenePalette, FALSE);
        imageDC.RealizePalette();
    }

    auto *mask = new CPaletteBitmap;
    if (!mask->CreateBitmap(cx, cy, 1, 1, nullptr)) {
        delete mask;
        mask = nullptr;
    }

    if (mask != nullptr) {
        CBitmap *oldMask = maskDC.SelectObject(mask);
        maskDC.SetTextColor(RGB(0, 0, 0));
        imageDC.SetBkColor(key);
        maskDC.BitBlt(0, 0, cx, cy, &imageDC, 0, 0, SRCCOPY);
        maskDC.SelectObject(oldMask);
    }
    maskDC.DeleteDC();
    imageDC.SelectObject(oldImage);
    if (*scenePalette != nullptr)
        imageDC.SelectPalette(oldPalette, FALSE);
    imageDC.DeleteDC();
    desktop->ReleaseDC(reference);
    return mask;
}

} // namespace

void CSceneWnd::LoadSprites() {
    // One catalogue per scene; each scene owns and releases its own.
    if (m_bSpritesLoaded)
        return;

    // Screen size: the scene's part of the desktop, or the whole screen.
    if (!IsRectEmpty(&m_rcScreenArea)) {
        m_cxScreen = m_rcScreenArea.right - m_rcScreenArea.left;
        m_cyScreen = m_rcScreenArea.bottom - m_rcScreenArea.top;
    } else {
        m_cxScreen = GetSystemMetrics(SM_CXSCREEN);
        m_cyScreen = GetSystemMetrics(SM_CYSCREEN);
    }

    // Colour depth of the display.
    CWnd *desktop = CWnd::GetDesktopWindow();
    CDC *reference = desktop->GetDC();
    if (reference != nullptr) {
        m_nBitsPixel = reference->GetDeviceCaps(BITSPIXEL);
        desktop->ReleaseDC(reference);
    }

    // Palette device and key colour.
    m_bPaletteDevice = m_nBitsPixel == 8;
    m_crKey = kKeyColour;
    if (m_bPaletteDevice)
        m_crKey = kKeyColourOnPalette;

    // Jet and shadow rows: the five pass kinds, then the manoeuvre frames.
    for (int row = 0; row < kFlyingRows; ++row)
        LoadJetSprite(row);
    for (int row = kFlyingRows; row < kFlyingRows + kManoeuvreRows; ++row)
        LoadJetSprite(row);

    // Explosion frames. A frame that fails to load is not reported; it
    // keeps a zero size and is never drawn.
    for (int frame = 0; frame < kExplosionFrames; ++frame) {
        ExplosionFrame &f = m_explosion[frame];
        f.pBitmap = new CPaletteBitmap;
        f.pBitmap->LoadBitmap(MAKEINTRESOURCE(WORD(ArtId(kFirstExplosionBitmap) + frame)),
                              m_bPaletteDevice, AfxGetResourceHandle());
        ReadImageSize(f.pBitmap, &f.cx, &f.cy);
        BuildExplosionMask(frame);
    }

    // The scene palette: row 0's, which every sprite shares.
    if (m_bPaletteDevice)
        m_pScenePalette = m_jets[0].pJet != nullptr ? m_jets[0].pJet->GetPalette() : nullptr;

    // A second call changes nothing.
    m_bSpritesLoaded = TRUE;
}

WORD CSceneWnd::ArtId(WORD first) const {
    return m_nScale == 2 ? WORD(first + kDoubleSizeOffset) : first;
}

void CSceneWnd::LoadJetSprite(int row) {
    if (row < 0 || row >= 16)
        return;
    JetSprite &s = m_jets[row];

    s.pJet = new CPaletteBitmap;
    if (!s.pJet->LoadBitmap(MAKEINTRESOURCE(WORD(ArtId(kFirstJetBitmap) + row)), m_bPaletteDevice,
                            AfxGetResourceHandle()))
        AfxMessageBox("could not load jet bitmap", MB_OK);
    ReadImageSize(s.pJet, &s.cxJet, &s.cyJet);
    s.pJetMask = nullptr;
    BuildJetMask(row);

    s.pShadow = new CPaletteBitmap;
    if (!s.pShadow->LoadBitmap(MAKEINTRESOURCE(WORD(ArtId(kFirstShadowBitmap) + row)),
                               m_bPaletteDevice, AfxGetResourceHandle()))
        AfxMessageBox("could not load jet shadow bitmap", MB_OK);
    ReadImageSize(s.pShadow, &s.cxShadow, &s.cyShadow);
    s.pShadowMask = nullptr;
    BuildShadowMask(row);
}

void CSceneWnd::BuildJetMask(int row) {
    if (row < 0 || row >= 16)
        return;
    JetSprite &s = m_jets[row];
    s.pJetMask = MakeMask(s.pJet, s.cxJet, s.cyJet, m_crKey, &m_pScenePalette);
}

void CSceneWnd::BuildShadowMask(int row) {
    if (row < 0 || row >= 16)
        return;
    JetSprite &s = m_jets[row];
    s.pShadowMask = MakeMask(s.pShadow, s.cxShadow, s.cyShadow, m_crKey, &m_pScenePalette);
}

void CSceneWnd::BuildExplosionMask(int frame) {
    if (frame < 0 || frame >= 8)
        return;
    ExplosionFrame &f = m_explosion[frame];
    f.pMask = MakeMask(f.pBitmap, f.cx, f.cy, m_crKey, &m_pScenePalette);
}
