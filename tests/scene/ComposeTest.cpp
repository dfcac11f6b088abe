// Frame composition, read back pixel by pixel: masked sprites, the order of
// the layers, scorch marks burned into the background, the dirty rectangle,
// the first full frame and the scaled output to a smaller window.
#include "SceneHarness.h"

#include <gtest/gtest.h>

#include <string>

using namespace scenetest;

namespace {

QRgb Rgb(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// A background with a different colour at every pixel of a 7 x 5 cell, so
// that a misplaced or half-drawn sprite cannot match it by chance.
QRgb Pattern(int x, int y) {
    return qRgb((x * 37 + y * 11) & 0xFF, (x * 5 + y * 53) & 0xFF, 0x40 | ((x ^ y) & 0x3F));
}

// Darkening is "every other pixel black" here: the shadow draws black where
// its checkerboard is set and leaves the rest.
void PlaceJet(CSceneWnd *s, int kind, int x, int y) {
    s->m_nKind = kind;
    s->m_bArmed = FALSE;
    s->m_bMissileRun = FALSE;
    s->m_x = x;
    s->m_y = y;
    s->m_dx = 0;
    s->m_dy = 0;
}

bool SameImage(const QImage &a, const QImage &b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(FrameCompose, ShadowDarkensEveryOtherPixelBesideTheJet) {
    for (int depth : {32, 8}) {
        SceneSetup setup;
        setup.depth = depth;
        setup.screen = depth == 8 ? [](int x, int y) { return ((x / 16 + y / 16) % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 255); }
                                  : std::function<QRgb(int, int)>(Pattern);
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        s->SpawnPass();
        const QImage background = h.BackgroundImage();
        for (int kind : {0, 2, 4}) {
            PlaceJet(s, kind, 300, 150);
            h.Tick();
            const QImage frame = h.WorkImage();
            const SIZE jet = JetSizeOfRow(kind), shadow = ShadowSizeOfRow(kind);
            int dark = 0, kept = 0, wrong = 0;
            for (int y = 0; y < shadow.cy; ++y)
                for (int x = 0; x < shadow.cx; ++x) {
                    const int px = 300 + 75 + x, py = 150 + 200 + y;
                    // Where the jet's opaque body lies over the shadow the jet wins.
                    if (px - 300 < jet.cx && py - 150 < jet.cy &&
                        InJetBody(kind, px - 300, py - 150))
                        continue;
                    const QRgb want =
                        InShadowDark(kind, x, y) ? qRgb(0, 0, 0) : background.pixel(px, py);
                    if (frame.pixel(px, py) != want)
                        ++wrong;
                    else if (InShadowDark(kind, x, y))
                        ++dark;
                    else
                        ++kept;
                }
            const std::string what =
                "kind " + std::to_string(kind) + " at " + std::to_string(depth) + " bits";
            EXPECT_EQ(wrong, 0) << what;
            EXPECT_GT(dark, 1000) << what;
            EXPECT_GT(kept, 1000) << what;
            // Outside jet and shadow the frame is the background.
            EXPECT_EQ(frame.pixel(5, 5), background.pixel(5, 5)) << what;
            // The jet's key-coloured border is transparent, its body opaque.
            EXPECT_EQ(frame.pixel(301, 151), background.pixel(301, 151)) << what;
            EXPECT_EQ(frame.pixel(300 + jet.cx / 2, 150 + jet.cy / 2), Rgb(TableColour(kJetBody)))
                << what;
        }
    }
}

TEST(FrameCompose, JetCoversShadowAndBothCoverTheExplosion) {
    SceneSetup setup;
    setup.screen = Pattern;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    s->SpawnPass();
    // A kind-4 jet at (300, 150): its body spans 320..479 x 177..397 and its
    // shadow, at (375, 350), 100 x 137, reaches under the body's lower part.
    PlaceJet(s, 4, 300, 150);
    // A fireball (frame 3) whose disc, centred on (430, 400), lies under both.
    s->m_nExplosionFrame = 3;
    s->m_bExploded = TRUE;
    s->m_xExplosion = 330;
    s->m_yExplosion = 300;
    h.Tick();
    const QImage f = h.WorkImage();
    const QRgb jet = Rgb(TableColour(kJetBody)), fire = Rgb(TableColour(kFireball));
    EXPECT_EQ(f.pixel(400, 340), jet) << "jet over explosion";
    EXPECT_EQ(f.pixel(430, 380), jet) << "jet over shadow and explosion";
    // Below the jet's body the shadow lies over the disc: black or fireball.
    int shadowOverFire = 0, fireThroughShadow = 0;
    for (int y = 398; y < 470; ++y)
        for (int x = 380; x < 470; ++x) {
            if (!InExplosionDisc(x - 330, y - 300))
                continue;
            const bool dark = InShadowDark(4, x - 375, y - 350);
            EXPECT_EQ(f.pixel(x, y), dark ? qRgb(0, 0, 0) : fire) << "(" << x << ", " << y << ")";
            (dark ? shadowOverFire : fireThroughShadow)++;
        }
    EXPECT_GT(shadowOverFire, 100);
    EXPECT_GT(fireThroughShadow, 100);
    // The explosion's key-coloured corners are transparent.
    EXPECT_EQ(f.pixel(331, 498), h.BackgroundImage().pixel(331, 498));
}

TEST(FrameCompose, ScorchMarksStayInTheBackgroundOverLaterPasses) {
    SceneSetup setup;
    setup.screen = Pattern;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    const QImage before = h.BackgroundImage();
    s->SpawnPass();
    PlaceJet(s, 14, 600, 700);
    s->m_bMissileRun = TRUE;
    s->m_bExploded = TRUE;
    s->m_dy = -60;
    s->m_nExplosionFrame = 5;
    s->m_xExplosion = 100;
    s->m_yExplosion = 300;
    const QRgb scorch = Rgb(TableColour(kScorch));
    h.Tick(); // frame 6: nothing burned yet
    EXPECT_EQ(h.BackgroundImage(), before) << "only the last frame is burned in";
    h.Tick(); // frame 7
    ASSERT_EQ(s->m_nExplosionFrame, 7);
    QImage burned = h.BackgroundImage();
    EXPECT_EQ(burned.pixel(200, 400), scorch);
    EXPECT_EQ(burned.pixel(101, 301), before.pixel(101, 301)) << "key corners stay transparent";

    // A second explosion elsewhere in a later pass adds a second mark.
    while (!s->m_bBetweenPasses)
        h.Tick();
    h.FirePauseTimer();
    PlaceJet(s, 14, 300, 700);
    s->m_bMissileRun = TRUE;
    s->m_bExploded = TRUE;
    s->m_dy = -60;
    s->m_nExplosionFrame = 6;
    s->m_xExplosion = 600;
    s->m_yExplosion = 100;
    h.Tick();
    burned = h.BackgroundImage();
    EXPECT_EQ(burned.pixel(200, 400), scorch) << "the first mark is still there";
    EXPECT_EQ(burned.pixel(700, 200), scorch) << "the second mark joined it";

    // Frames of later passes show the marks wherever the jet is not.
    for (int i = 0; i < 5 && !s->m_bBetweenPasses; ++i)
        h.Tick();
    while (!s->m_bBetweenPasses)
        h.Tick();
    h.FirePauseTimer();
    h.Tick();
    const QImage shown = h.WindowImage();
    EXPECT_EQ(shown.pixel(200, 400), scorch);
    EXPECT_EQ(shown.pixel(700, 200), scorch);
}

TEST(FrameCompose, WindowMatchesTheComposedFrameAfterEveryTick) {
    // The dirty rectangle covers everything that changed: after every tick of
    // several passes, missile runs included, the window holds exactly the
    // composed frame, also on the tick that takes the jet off screen.
    for (int depth : {32, 8}) {
        SceneSetup setup;
        setup.depth = depth;
        setup.seed = 4242;
        setup.reliability = 8;
        setup.screen = Pattern;
        setup.realResources = true;
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        int ticks = 0, mismatches = 0, missileRuns = 0;
        while (s->m_nPassCount < 6 && ticks < 2000) {
            const bool ticked = h.Step();
            if (!ticked)
                continue;
            ++ticks;
            missileRuns += s->m_bMissileRun && s->m_nExplosionFrame == 0;
            if (!SameImage(h.WindowImage(), h.WorkImage())) {
                ++mismatches;
                ADD_FAILURE() << depth << " bits: window differs from the frame at tick " << ticks
                              << " (kind " << s->m_nKind << ", x " << s->m_x << ", y " << s->m_y
                              << ")";
                if (mismatches > 3)
                    break;
            }
        }
        EXPECT_GE(s->m_nPassCount, 6) << depth << " bits";
        EXPECT_GE(missileRuns, 1) << depth << " bits: the run included a missile run";
    }
}

TEST(FrameCompose, RestoringChangedAreasMatchesAFullCopy) {
    // Each frame restores only what the last one drew over the background.
    // Composing the same state again from a full copy of the background must
    // give the same frame, over passes with explosions and scorch marks.
    for (int depth : {32, 8}) {
        SceneSetup setup;
        setup.depth = depth;
        setup.seed = 31337;
        setup.reliability = 10;
        setup.screen = Pattern;
        setup.realResources = true; // frames that differ from one another
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        int ticks = 0, differing = 0, burned = 0;
        while (s->m_nPassCount < 5 && ticks < 2000) {
            if (!h.Step())
                continue;
            ++ticks;
            burned += s->m_nExplosionFrame == 7;
            const QImage restored = h.WorkImage();
            s->m_bWorkPrimed = FALSE; // the next composition copies everything
            s->ComposeFrame();
            if (restored != h.WorkImage() && ++differing <= 3)
                ADD_FAILURE() << depth << " bits: tick " << ticks << " differs from a full copy";
        }
        EXPECT_EQ(differing, 0) << depth << " bits";
        EXPECT_GE(burned, 1) << depth << " bits: a scorch mark was burned in";
    }
}

TEST(FrameCompose, FirstFullScreenFrameCopiesEverythingOncePerProcess) {
    SceneSetup setup;
    setup.screen = Pattern;
    setup.reliability = 0;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    // Scribble over the whole window: only a full copy repaints all of it.
    auto scribble = [&] {
        CDC *dc = s->GetDC();
        dc->PatBlt(0, 0, 1024, 768, WHITENESS);
        s->ReleaseDC(dc);
    };
    scribble();
    EXPECT_TRUE(CSceneWnd::s_bFirstFrame);
    h.Tick();
    EXPECT_FALSE(CSceneWnd::s_bFirstFrame);
    EXPECT_TRUE(SameImage(h.WindowImage(), h.WorkImage())) << "the first frame repaints everything";

    scribble();
    h.Tick();
    const QImage shown = h.WindowImage();
    EXPECT_EQ(shown.pixel(1023, 767) & 0xFFFFFF, 0xFFFFFFu)
        << "later frames repaint only what changed";
    const RECT &jet = s->m_rcPrevJet;
    EXPECT_EQ(shown.pixel(std::max(0, int(jet.left)) + 1, jet.top + 1),
              h.WorkImage().pixel(std::max(0, int(jet.left)) + 1, jet.top + 1));

    // A second scene in the same process does not copy the whole screen again.
    SceneSetup again = setup;
    again.resetProcessState = false;
    SceneHarness second(again);
    CDC *dc = second.scene()->GetDC();
    dc->PatBlt(0, 0, 1024, 768, WHITENESS);
    second.scene()->ReleaseDC(dc);
    second.Tick();
    EXPECT_EQ(second.WindowImage().pixel(1023, 767) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(FrameCompose, SmallerWindowGetsTheWholeFrameScaled) {
    SceneSetup setup;
    setup.screen = [](int x, int) { return x < 512 ? qRgb(10, 20, 200) : qRgb(200, 30, 10); };
    setup.windowRect = {0, 0, 256, 192};
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    CDC *dc = s->GetDC();
    dc->PatBlt(0, 0, 256, 192, WHITENESS);
    s->ReleaseDC(dc);
    for (int i = 0; i < 3; ++i)
        h.Tick();
    EXPECT_TRUE(s->m_bIconMode) << "not screen-sized";
    EXPECT_TRUE(CSceneWnd::s_bFirstFrame) << "scaled frames leave the first-frame flag alone";
    const QImage shown = h.WindowImage();
    ASSERT_EQ(shown.size(), QSize(256, 192));
    int white = 0;
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            white += (shown.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
    EXPECT_EQ(white, 0) << "every pixel of the window was painted";
    // Away from the jet the scaled frame keeps the background's two halves.
    const int jetX = s->m_x / 4;
    const int probeY = (s->m_y / 4 > 96) ? 10 : 180;
    EXPECT_EQ(shown.pixel(jetX < 64 ? 250 : 2, probeY),
              jetX < 64 ? qRgb(200, 30, 10) : qRgb(10, 20, 200));
}

TEST(FrameCompose, RowWithoutMaskDrawsOpaqueWithTheKeyVisible) {
    SceneSetup setup;
    setup.screen = Pattern;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    s->SpawnPass();
    delete s->m_jets[1].pJetMask;
    s->m_jets[1].pJetMask = nullptr;
    PlaceJet(s, 1, 300, 150);
    h.Tick();
    const QImage f = h.WorkImage();
    EXPECT_EQ(f.pixel(301, 151), Rgb(TableColour(kKey))) << "the key colour shows";
    EXPECT_EQ(f.pixel(300 + 137, 150 + 100), Rgb(TableColour(kJetBody)));
}
