// Frame composition, read back pixel by pixel: masked sprites, the order of
// the layers, scorch marks burned into the background, the changed areas and
// the first full frame.
#include "SceneHarness.h"

#include <gtest/gtest.h>

using namespace scenetest;

namespace {

// A different colour at every pixel of a 7 x 5 cell, so that a misplaced or
// half-drawn sprite cannot match the background by chance.
QRgb Pattern(int x, int y) {
    return qRgb((x * 37 + y * 11) & 0xFF, (x * 5 + y * 53) & 0xFF, 0x40 | ((x ^ y) & 0x3F));
}

void PlaceJet(CSceneWnd *s, int kind, int x, int y) {
    s->m_nKind = kind;
    s->m_bArmed = s->m_bMissileRun = FALSE;
    s->m_x = x, s->m_y = y;
    s->m_dx = s->m_dy = 0;
}

bool SameImage(const QImage &a, const QImage &b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

void Scribble(CSceneWnd *s) {
    CDC *dc = s->GetDC();
    dc->PatBlt(0, 0, 1024, 768, WHITENESS);
    s->ReleaseDC(dc);
}

} // namespace

TEST(FrameCompose, JetCoversShadowAndBothCoverTheExplosionAtEitherDepth) {
    for (int depth : {32, 8}) {
        SceneSetup setup;
        setup.depth = depth;
        setup.desktop = Pattern;
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        s->SpawnPass();
        // A kind-4 jet's body spans 320..479 x 177..397; its shadow, at (375, 350),
        // 100 x 137, reaches under the body. A fireball disc centred on (430, 400)
        // lies under both.
        PlaceJet(s, 4, 300, 150);
        s->m_nExplosionFrame = 3;
        s->m_bExploded = TRUE;
        s->m_xExplosion = 330, s->m_yExplosion = 300;
        h.Tick();
        const QImage f = h.WorkImage(), bg = h.BackgroundImage();
        const std::string at = std::to_string(depth) + " bits";
        EXPECT_EQ(f.pixel(400, 340), TableRgb(kJetBody)) << at << ": jet over explosion";
        EXPECT_EQ(f.pixel(430, 380), TableRgb(kJetBody)) << at << ": jet over shadow and fire";
        int shadowOverFire = 0, fireThroughShadow = 0, shadowOverDesktop = 0;
        for (int y = 398; y < 487; ++y)
            for (int x = 375; x < 475; ++x) {
                const bool dark = InShadowDark(4, x - 375, y - 350);
                const bool fire = InExplosionDisc(x - 330, y - 300);
                ASSERT_EQ(f.pixel(x, y), dark   ? qRgb(0, 0, 0)
                                         : fire ? TableRgb(kFireball)
                                                : bg.pixel(x, y))
                    << at << " (" << x << ", " << y << ")";
                shadowOverFire += dark && fire;
                shadowOverDesktop += dark && !fire;
                fireThroughShadow += !dark && fire;
            }
        EXPECT_GT(shadowOverFire, 100) << at;
        EXPECT_GT(shadowOverDesktop, 20) << at;
        EXPECT_GT(fireThroughShadow, 100) << at;
        EXPECT_EQ(f.pixel(331, 498), bg.pixel(331, 498)) << at << ": key corners transparent";
        EXPECT_EQ(f.pixel(301, 151), bg.pixel(301, 151)) << at << ": key transparent";
    }
}

TEST(FrameCompose, WindowAndRestoredFrameMatchAFullFrameOnEveryTick) {
    // Over passes with missile runs and scorch marks, after every tick: no
    // object is left behind, the window holds the composed frame (what changed
    // covers where the jet was, also on the tick that takes it off screen), and
    // the work surface, restored only where the last frame drew, equals a frame
    // built on a full copy.
    for (int depth : {32, 8}) {
        SceneSetup setup;
        setup.depth = depth;
        setup.seed = 4242;
        setup.reliability = 10;
        setup.desktop = Pattern;
        setup.realResources = true; // frames that differ from one another
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        int ticks = 0, burned = 0;
        h.Step();
        const size_t live = VxLiveObjectCount(); // a DC kept per frame would show here
        while (s->m_nPassCount < 6 && ticks < 2000 && !HasFailure()) {
            if (!h.Step())
                continue;
            const std::string at = std::to_string(depth) + " bits, tick " + std::to_string(++ticks);
            EXPECT_EQ(VxLiveObjectCount(), live) << at << ": objects leaked";
            burned += s->m_nExplosionFrame == 7;
            const QImage restored = h.WorkImage();
            EXPECT_TRUE(SameImage(h.WindowImage(), restored)) << at << ": the window differs";
            s->m_bWorkPrimed = FALSE; // the next composition copies everything
            s->ComposeFrame();
            EXPECT_TRUE(h.WorkImage() == restored) << at << ": differs from a frame on a full copy";
        }
        EXPECT_GE(s->m_nPassCount, 6) << depth << " bits";
        EXPECT_GE(burned, 1) << depth << " bits: a scorch mark was burned in";
    }
}

TEST(FrameCompose, FirstFullScreenFrameCopiesEverythingOncePerScene) {
    SceneSetup setup;
    setup.desktop = Pattern;
    setup.reliability = 0;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    Scribble(s); // only a full copy repaints all of it
    h.Tick();
    EXPECT_FALSE(s->m_bFirstFrame);
    EXPECT_TRUE(SameImage(h.WindowImage(), h.WorkImage())) << "the first frame repaints everything";
    Scribble(s);
    h.Tick();
    EXPECT_EQ(h.WindowImage().pixel(1023, 767) & 0xFFFFFF, 0xFFFFFFu)
        << "later frames repaint what changed";
    const RECT &jet = s->m_rcPrevJet;
    const int jx = std::max(0, int(jet.left)) + 1;
    EXPECT_EQ(h.WindowImage().pixel(jx, jet.top + 1), h.WorkImage().pixel(jx, jet.top + 1));

    // A second scene in the same process (another monitor's) has a window
    // of its own, which its first frame must cover too.
    setup.resetProcessState = false;
    SceneHarness second(setup);
    Scribble(second.scene());
    second.Tick();
    EXPECT_TRUE(SameImage(second.WindowImage(), second.WorkImage()))
        << "the second scene's first frame repaints everything";
}

TEST(FrameCompose, RowWithoutMaskDrawsOpaqueWithTheKeyVisible) {
    SceneSetup setup;
    setup.desktop = Pattern;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    s->SpawnPass();
    delete s->m_jets[1].pJetMask;
    s->m_jets[1].pJetMask = nullptr;
    PlaceJet(s, 1, 300, 150);
    h.Tick();
    EXPECT_EQ(h.WorkImage().pixel(301, 151), TableRgb(kKey)) << "the key colour shows";
    EXPECT_EQ(h.WorkImage().pixel(300 + 137, 150 + 100), TableRgb(kJetBody));
}
