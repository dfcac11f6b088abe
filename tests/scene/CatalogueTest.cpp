// The sprite catalogue: key colour and palette by display depth, masks built
// from the key colour, rows whose images are missing, loading once per scene.
#include "SceneHarness.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace scenetest;
using namespace std::placeholders;

namespace {

// The mask pixels that disagree with "white exactly where the image is not drawn".
int MaskErrors(const CPaletteBitmap *mask, SIZE size, const std::function<bool(int, int)> &drawn) {
    int errors = 0;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            errors += (VxPixelColour(static_cast<HBITMAP>(mask->GetSafeHandle()), x, y) ==
                       RGB(255, 255, 255)) == drawn(x, y);
    return errors;
}

} // namespace

TEST(SpriteCatalogue, KeyColourPaletteAndMasksByDepth) {
    for (int depth : {32, 8}) {
        SceneSetup setup;
        setup.depth = depth;
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        const std::string at = std::to_string(depth) + " bits";
        EXPECT_EQ(s->m_crKey, depth == 8 ? 0x02008000u : 0x00008000u) << at;
        EXPECT_EQ(bool(s->m_bPaletteDevice), depth == 8) << at;
        EXPECT_EQ(s->m_pScenePalette, depth == 8 ? s->m_jets[0].pJet->GetPalette() : nullptr) << at;
        for (int row = 0; row < 15; ++row) {
            const JetSprite &j = s->m_jets[row];
            const SIZE js = JetSizeOfRow(row), ss = ShadowSizeOfRow(row);
            const std::string r = at + ", row " + std::to_string(row);
            ASSERT_EQ(std::make_pair(j.cxJet, j.cyJet), std::make_pair(js.cx, js.cy)) << r;
            ASSERT_EQ(std::make_pair(j.cxShadow, j.cyShadow), std::make_pair(ss.cx, ss.cy)) << r;
            ASSERT_TRUE(j.pJetMask && j.pShadowMask) << r;
            EXPECT_EQ(MaskErrors(j.pJetMask, js, std::bind(InJetBody, row, _1, _2)), 0) << r;
            // The shadow's key-coloured squares are masked too: only black is drawn.
            EXPECT_EQ(MaskErrors(j.pShadowMask, ss, std::bind(InShadowDark, row, _1, _2)), 0) << r;
        }
        EXPECT_EQ(s->m_jets[15].pJet, nullptr) << at << ": row 15 stays empty";
        for (int f = 0; f < 8; ++f) {
            ASSERT_NE(s->m_explosion[f].pMask, nullptr) << at << ", frame " << f;
            EXPECT_EQ(MaskErrors(s->m_explosion[f].pMask, {200, 200}, InExplosionDisc), 0)
                << at << ", explosion frame " << f;
        }
    }
}

TEST(SpriteCatalogue, MissingImagesAreReportedAndNeverDrawn) {
    for (int depth : {32, 8}) {
        vxtest::BoxRecorder log;
        SceneSetup setup;
        setup.depth = depth;
        setup.desktop = [](int, int) { return qRgb(20, 40, 60); };
        setup.missingJetRows = {3};
        setup.missingShadowRows = {7};
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        const std::string at = std::to_string(depth) + " bits";
        std::vector<std::string> expected;
        for (const char *text : {"could not load jet bitmap", "could not load jet shadow bitmap"}) {
            if (depth == 8)
                expected.push_back("Could not LoadBitmap() with palette");
            expected.push_back(text);
        }
        EXPECT_EQ(log.Texts(), expected) << at;
        EXPECT_EQ(s->m_jets[3].cxJet, 0) << at;
        EXPECT_EQ(s->m_jets[3].pJetMask, nullptr) << at;
        EXPECT_EQ(s->m_jets[3].cxShadow, 111) << at << ": the row's shadow loaded";
        EXPECT_EQ(s->m_jets[7].cxShadow, 0) << at;
        EXPECT_EQ(s->m_jets[7].pShadowMask, nullptr) << at;

        // A kind-3 pass flies with only its shadow drawn (at (435, 460) after
        // the first move) and ends normally.
        s->SpawnPass();
        s->m_nKind = 3;
        s->m_bArmed = FALSE;
        s->m_x = 400, s->m_y = 300;
        s->m_dx = s->m_dy = -40;
        h.Tick();
        EXPECT_EQ(h.WorkImage().pixel(471, 371), h.BackgroundImage().pixel(471, 371))
            << at << ": no jet";
        EXPECT_EQ(h.WorkImage().pixel(455, 480), qRgb(0, 0, 0)) << at << ": shadow drawn";
        for (int ticks = 0; !s->m_bBetweenPasses && ticks < 100; ++ticks)
            h.Tick();
        EXPECT_TRUE(s->m_bBetweenPasses) << at;
    }
}

TEST(SpriteCatalogue, LoadsOncePerSceneAndEverySceneHasItsOwn) {
    SceneSetup setup;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    const CPaletteBitmap *jet = s->m_jets[0].pJet;
    s->m_cxScreen = 1;
    s->LoadSprites();
    EXPECT_EQ(s->m_cxScreen, 1) << "a second load changes nothing, not even the screen size";
    EXPECT_EQ(s->m_jets[0].pJet, jet);

    setup.resetProcessState = false; // another monitor's scene, alongside
    SceneHarness other(setup);
    const JetSprite &row = other.scene()->m_jets[0];
    EXPECT_TRUE(row.pJet && row.pJet != jet && row.pJetMask && row.cxJet == 275)
        << "a second scene loads a catalogue of its own";
    EXPECT_EQ(other.scene()->m_cxScreen, 1024);
}
