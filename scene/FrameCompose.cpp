// Frame composition: each frame is built in the work surface from the
// background, the explosion, the shadow and the jet, and only what changed
// since the last frame goes to the window (or the whole frame, scaled, when
// the window is not screen-sized).
#include "scene/SceneWnd.h"

namespace {

constexpr int kLastExplosionFrame = 7;

const JetSprite kNoSprite{};

// Draws `w` x `h` of the image selected in `image` at (x, y) of `target`.
// With a mask the three blits leave the target unchanged where the mask is 1
// (the key colour) and put the image's pixel where it is 0; the mask's 1 and 0
// bits expand to all-ones and all-zeros because the target keeps its default
// white background and black text colours. Without a mask the image is copied
// opaque, key colour included.
void DrawImage(CDC *target, int x, int y, int w, int h, CDC *image, CPaletteBitmap *mask,
               CDC *reference) {
    if (mask != nullptr && mask->GetSafeHandle() != nullptr) {
        CDC maskDC;
        maskDC.CreateCompatibleDC(reference);
        CBitmap *oldMask = maskDC.SelectObject(mask);
        target->BitBlt(x, y, w, h, image, 0, 0, SRCINVERT);
        target->BitBlt(x, y, w, h, &maskDC, 0, 0, SRCAND);
        target->BitBlt(x, y, w, h, image, 0, 0, SRCINVERT);
        maskDC.SelectObject(oldMask);
        maskDC.DeleteDC();
    } else {
        target->BitBlt(x, y, w, h, image, 0, 0, SRCCOPY);
    }
}

// An image that can be drawn: loaded, with a size.
bool Drawable(const CPaletteBitmap *image, int w, int h) {
    return image != nullptr && image->GetSafeHandle() != nullptr && w > 0 && h > 0;
}

} // namespace

void CSceneWnd::ComposeFrame() {
    // Nothing to compose in without both surfaces (a screen too large to
    // allocate leaves them without bitmaps).
    if (m_pBackground == nullptr || m_pWork == nullptr ||
        m_pBackground->GetSafeHandle() == nullptr || m_pWork->GetSafeHandle() == nullptr)
        return;
    const JetSprite &row = m_nKind >= 0 && m_nKind < 16 ? m_jets[m_nKind] : kNoSprite;

    // The scene palette, from row 0's jet.
    m_pScenePalette = m_jets[0].pJet != nullptr ? m_jets[0].pJet->GetPalette() : nullptr;

    // The window's DC, with the scene palette in the background.
    CDC *window = GetDC();
    if (window == nullptr)
        return; // no window to draw to
    CPalette *oldPalette = nullptr;
    const bool paletteSelected = m_pScenePalette != nullptr;
    if (paletteSelected) {
        oldPalette = window->SelectPalette(m_pScenePalette, TRUE);
        window->RealizePalette();
    }

    // Background, sprite and work contexts.
    CDC background;
    background.CreateCompatibleDC(window);
    CBitmap *oldBackground = background.SelectObject(m_pBackground);
    CDC sprite;
    sprite.CreateCompatibleDC(window);
    CDC work;
    work.CreateCompatibleDC(window);
    CBitmap *oldWork = work.SelectObject(m_pWork);

    // Start from the background. The first frame copies all of it; after
    // that the work surface differs from the background only where the last
    // frame drew, so restoring those areas gives the same frame for a
    // fraction of the copying.
    if (!m_bWorkPrimed) {
        work.BitBlt(0, 0, m_cxScreen, m_cyScreen, &background, 0, 0, SRCCOPY);
        m_bWorkPrimed = TRUE;
    } else {
        for (const RECT &r : m_rcWorkDrawn)
            if (!IsRectEmpty(&r))
                work.BitBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, &background, r.left,
                            r.top, SRCCOPY);
    }

    // The jet rectangle; its image goes into the sprite context.
    RECT jet;
    SetRect(&jet, m_x, m_y, m_x + row.cxJet, m_y + row.cyJet);
    const bool jetDrawable = Drawable(row.pJet, row.cxJet, row.cyJet);
    CBitmap *oldSprite = jetDrawable ? sprite.SelectObject(row.pJet) : nullptr;

    // Explosion frames 1 to 7; frame 0 is never shown.
    RECT explosion;
    SetRect(&explosion, 0, 0, 0, 0);
    if (m_nExplosionFrame > 0)
        explosion =
            DrawExplosion(window, &work, &background, m_nExplosionFrame == kLastExplosionFrame);

    // The shadow, over the explosion.
    RECT shadow = DrawShadow(window, &work);

    // The jet, over everything.
    if (jetDrawable)
        DrawImage(&work, m_x, m_y, row.cxJet, row.cyJet, &sprite, row.pJetMask, window);

    if (jetDrawable)
        sprite.SelectObject(oldSprite);
    sprite.DeleteDC();

    // What changed: this frame's and the last frame's jet and shadow, and
    // the explosion.
    RECT dirty;
    CopyRect(&dirty, &jet);
    for (const RECT *r : {&m_rcPrevJet, &shadow, &m_rcPrevShadow, &explosion})
        if (!IsRectEmpty(r))
            UnionRect(&dirty, &dirty, r);

    // To the window: the whole screen on the scene's first full-screen
    // frame, then only what changed; scaled when the window is another size.
    if (m_cxClient == m_cxScreen && m_cyClient == m_cyScreen) {
        if (m_bFirstFrame) {
            window->BitBlt(0, 0, m_cxScreen, m_cyScreen, &work, 0, 0, SRCCOPY);
            m_bFirstFrame = FALSE;
        } else {
            window->BitBlt(dirty.left, dirty.top, dirty.right - dirty.left,
                           dirty.bottom - dirty.top, &work, dirty.left, dirty.top, SRCCOPY);
        }
    } else {
        window->StretchBlt(0, 0, m_cxClient, m_cyClient, &work, 0, 0, m_cxScreen, m_cyScreen,
                           SRCCOPY);
    }

    if (paletteSelected)
        window->SelectPalette(oldPalette, FALSE);

    work.SelectObject(oldWork);
    work.DeleteDC();
    background.SelectObject(oldBackground);
    background.DeleteDC();
    ReleaseDC(window);

    // Remember this frame for the next one's dirty rectangle, and what it
    // drew over the background in the work surface.
    m_rcPrevJet = jet;
    m_rcPrevShadow = shadow;
    m_rcPrevExplosion = explosion;
    m_rcWorkDrawn[0] = jet;
    m_rcWorkDrawn[1] = shadow;
    m_rcWorkDrawn[2] = explosion;
}

RECT CSceneWnd::DrawShadow(CDC *window, CDC *work) {
    const JetSprite &row = m_nKind >= 0 && m_nKind < 16 ? m_jets[m_nKind] : kNoSprite;

    // Offset from the jet, the same for every row.
    const int sx = m_x + kShadowDx * m_nScale, sy = m_y + kShadowDy * m_nScale;
    RECT rect;
    SetRect(&rect, sx, sy, sx + row.cxShadow, sy + row.cyShadow);

    // 1, 3, 4.
    if (Drawable(row.pShadow, row.cxShadow, row.cyShadow)) {
        CDC shadowDC;
        shadowDC.CreateCompatibleDC(window);
        CBitmap *oldShadow = shadowDC.SelectObject(row.pShadow);
        DrawImage(work, sx, sy, row.cxShadow, row.cyShadow, &shadowDC, row.pShadowMask, window);
        shadowDC.SelectObject(oldShadow);
        shadowDC.DeleteDC();
    }
    return rect;
}

RECT CSceneWnd::DrawExplosion(CDC *window, CDC *work, CDC *background, BOOL last) {
    // The frame showing now; before the first and after the last there is none.
    const int f = m_nExplosionFrame;
    const ExplosionFrame none{};
    const ExplosionFrame &frame = f >= 0 && f < 8 ? m_explosion[f] : none;
    RECT rect;
    SetRect(&rect, m_xExplosion, m_yExplosion, m_xExplosion + frame.cx, m_yExplosion + frame.cy);
    if (!Drawable(frame.pBitmap, frame.cx, frame.cy))
        return rect;

    CDC frameDC;
    frameDC.CreateCompatibleDC(window);
    CBitmap *oldFrame = frameDC.SelectObject(frame.pBitmap);

    // The last frame, the scorch mark, also goes into the background and
    // stays there. Only a masked frame is burned in: an opaque one would
    // stamp its key-coloured square into every later frame.
    if (frame.pMask != nullptr && frame.pMask->GetSafeHandle() != nullptr) {
        DrawImage(work, m_xExplosion, m_yExplosion, frame.cx, frame.cy, &frameDC, frame.pMask,
                  window);
        if (last)
            DrawImage(background, m_xExplosion, m_yExplosion, frame.cx, frame.cy, &frameDC,
                      frame.pMask, window);
    } else {
        work->BitBlt(m_xExplosion, m_yExplosion, frame.cx, frame.cy, &frameDC, 0, 0, SRCCOPY);
    }

    frameDC.SelectObject(oldFrame);
    frameDC.DeleteDC();
    return rect;
}
