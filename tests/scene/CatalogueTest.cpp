// The sprite catalogue: display facts, masks built from the key colour, rows
// whose images are missing, and loading once per process.
#include "SceneHarness.h"
#include "platform/afx/MessageBox.h"

#include <gtest/gtest.h>

#include <string>

using namespace scenetest;

namespace {

// Counts the mask pixels that disagree with "1 exactly where the image has
// the key colour".
int MaskErrors(const CPaletteBitmap *mask, int cx, int cy,
               const std::function<bool(int, int)> &isKey) {
    int errors = 0;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) {
            const bool white = VxPixelColour(static_cast<HBITMAP>(mask->GetSafeHandle()), x, y) ==
                               RGB(255, 255, 255);
            errors += white != isKey(x, y);
        }
    return errors;
}

} // namespace

TEST(SpriteCatalogue, DisplayFactsAndKeyColourByDepth) {
    struct Row {
        int depth;
        COLORREF key;
        bool palette;
    };
    for (const Row &row : {Row{32, 0x00008000u, false}, Row{8, 0x02008000u, true}}) {
        SceneSetup setup;
        setup.depth = row.depth;
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        const std::string at = std::to_string(row.depth) + " bits";
        EXPECT_EQ(s->m_nBitsPixel, row.depth) << at;
        EXPECT_EQ(bool(s->m_bPaletteDevice), row.palette) << at;
        EXPECT_EQ(s->m_crKey, row.key) << at;
        EXPECT_EQ(s->m_cxScreen, 1024) << at;
        EXPECT_EQ(s->m_cyScreen, 768) << at;
        if (row.palette) {
            ASSERT_NE(s->m_pScenePalette, nullptr) << at;
            EXPECT_EQ(s->m_pScenePalette, s->m_jets[0].pJet->GetPalette()) << at;
        } else {
            EXPECT_EQ(s->m_pScenePalette, nullptr) << at;
        }
    }
}

TEST(SpriteCatalogue, EveryMaskIsWhiteExactlyOnTheKey) {
    for (int depth : {32, 8}) {
        SceneSetup setup;
        setup.depth = depth;
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        const std::string at = std::to_string(depth) + " bits";
        for (int row = 0; row < 15; ++row) {
            const JetSprite &j = s->m_jets[row];
            const SIZE js = JetSizeOfRow(row), ss = ShadowSizeOfRow(row);
            ASSERT_EQ(j.cxJet, js.cx) << at << ", row " << row;
            ASSERT_EQ(j.cyJet, js.cy) << at << ", row " << row;
            ASSERT_EQ(j.cxShadow, ss.cx) << at << ", row " << row;
            ASSERT_EQ(j.cyShadow, ss.cy) << at << ", row " << row;
            ASSERT_NE(j.pJetMask, nullptr) << at << ", row " << row;
            ASSERT_NE(j.pShadowMask, nullptr) << at << ", row " << row;
            EXPECT_EQ(MaskErrors(j.pJetMask, js.cx, js.cy,
                                 [row](int x, int y) { return !InJetBody(row, x, y); }),
                      0)
                << at << ", jet mask of row " << row;
            // The shadow's key-coloured checkerboard squares are masked too,
            // so only its black half is ever drawn.
            EXPECT_EQ(MaskErrors(j.pShadowMask, ss.cx, ss.cy,
                                 [row](int x, int y) { return !InShadowDark(row, x, y); }),
                      0)
                << at << ", shadow mask of row " << row;
        }
        const JetSprite &spare = s->m_jets[15];
        EXPECT_EQ(spare.pJet, nullptr) << at << ": row 15 stays empty";
        EXPECT_EQ(spare.pShadow, nullptr) << at;
        for (int f = 0; f < 8; ++f) {
            const ExplosionFrame &e = s->m_explosion[f];
            ASSERT_EQ(e.cx, 200) << at << ", frame " << f;
            ASSERT_NE(e.pMask, nullptr) << at << ", frame " << f;
            EXPECT_EQ(
                MaskErrors(e.pMask, 200, 200, [](int x, int y) { return !InExplosionDisc(x, y); }),
                0)
                << at << ", explosion frame " << f;
        }
    }
}

TEST(SpriteCatalogue, MissingImagesAreReportedAndNeverDrawn) {
    for (int depth : {32, 8}) {
        MessageBoxLog log;
        SceneSetup setup;
        setup.depth = depth;
        setup.screen = [](int, int) { return qRgb(20, 40, 60); };
        setup.catalogue.missingJetRows = {3};
        setup.catalogue.missingShadowRows = {7};
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        const std::string at = std::to_string(depth) + " bits";

        std::vector<std::string> expected;
        if (depth == 8)
            expected.push_back("Could not LoadBitmap() with palette");
        expected.push_back("could not load jet bitmap");
        if (depth == 8)
            expected.push_back("Could not LoadBitmap() with palette");
        expected.push_back("could not load jet shadow bitmap");
        EXPECT_EQ(log.texts, expected) << at;

        const JetSprite &noJet = s->m_jets[3];
        EXPECT_EQ(noJet.cxJet, 0) << at;
        EXPECT_EQ(noJet.cyJet, 0) << at;
        EXPECT_EQ(noJet.pJetMask, nullptr) << at;
        EXPECT_EQ(noJet.cxShadow, 111) << at << ": the row's shadow loaded";
        EXPECT_EQ(s->m_jets[7].cxShadow, 0) << at;
        EXPECT_EQ(s->m_jets[7].pShadowMask, nullptr) << at;

        // A kind-3 pass flies with only its shadow drawn and ends normally.
        s->SpawnPass();
        s->m_nKind = 3;
        s->m_bArmed = FALSE;
        s->m_x = 400;
        s->m_y = 300;
        s->m_dx = -40;
        s->m_dy = -40;
        h.Tick();
        const QImage f = h.WorkImage();
        EXPECT_EQ(f.pixel(360 + 111, 260 + 111), h.BackgroundImage().pixel(360 + 111, 260 + 111))
            << at << ": no jet drawn";
        EXPECT_EQ(f.pixel(360 + 75 + 20, 260 + 200 + 20), qRgb(0, 0, 0)) << at << ": shadow drawn";
        int ticks = 0;
        while (!s->m_bBetweenPasses && ticks++ < 100)
            h.Tick();
        EXPECT_TRUE(s->m_bBetweenPasses) << at;
    }
}

TEST(SpriteCatalogue, LoadsOncePerProcess) {
    SceneHarness h(SceneSetup{});
    CSceneWnd *s = h.scene();
    const CPaletteBitmap *jet = s->m_jets[0].pJet;
    s->m_cxScreen = 1;
    s->LoadSprites();
    EXPECT_EQ(s->m_cxScreen, 1) << "a second load changes nothing, not even the screen size";
    EXPECT_EQ(s->m_jets[0].pJet, jet);
    EXPECT_TRUE(CSceneWnd::s_bSpritesLoaded);
}
