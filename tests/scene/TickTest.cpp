// The scene tick: the missile run's timeline, when a pass is over, the pause
// between passes, and the preview's scene, which never animates.
#include "SceneHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

using namespace scenetest;

namespace {

// The scene's state after every timer period of a run, its distances
// multiplied by `k`: kind, pause, explosion frame, jet corner and step,
// trigger height and explosion corner.
using Flight = std::vector<std::array<int, 10>>;
void Step(SceneHarness &h, Flight *flight, int k = 1) {
    h.Step();
    const CSceneWnd *s = h.scene();
    const bool exploding = s->m_nExplosionFrame != -1;
    flight->push_back({s->m_nKind, s->m_bBetweenPasses, s->m_nExplosionFrame, k * s->m_x,
                       k * s->m_y, k * s->m_dx, k * s->m_dy,
                       s->m_yTrigger == -1 ? -1 : k * s->m_yTrigger,
                       exploding ? k * s->m_xExplosion : 0, exploding ? k * s->m_yExplosion : 0});
}

} // namespace

TEST(SceneTick, ScenesSideBySideFlyWhatEachFliesAlone) {
    SceneSetup a;
    a.seed = 2024;
    SceneSetup b = a;
    b.seed = 7;
    b.width = 640, b.height = 480;
    b.resetProcessState = false;
    constexpr int kSteps = 150;
    Flight aloneA, aloneB, sideA, sideB;
    for (auto [setup, flight] : {std::pair(&a, &aloneA), std::pair(&b, &aloneB)}) {
        SceneHarness h(*setup);
        for (int i = 0; i < kSteps; ++i)
            Step(h, flight);
    }
    SceneHarness ha(a), hb(b);
    for (int i = 0; i < kSteps; ++i)
        Step(ha, &sideA), Step(hb, &sideB);
    EXPECT_EQ(sideA, aloneA);
    EXPECT_EQ(sideB, aloneB);
    EXPECT_GE(hb.scene()->m_nPassCount, 3) << "the run covers several passes";
}

TEST(SceneTick, DoubleSizeSceneIsTheSingleSizeSceneAtTwiceTheResolution) {
    // The double-size scene on a screen of twice the size (plus a spare
    // pixel where the size is odd) against the single-size scene.
    const struct {
        const char *label;
        unsigned seed;
        int reliability, width, height, spare;
    } rows[] = {
        {"missile runs", 2024, 10, 512, 384, 0},
        {"fly-bys only", 7, 0, 640, 480, 0},
        {"odd screen size", 99, 6, 400, 300, 1},
        {"screen smaller than a jet", 5, 10, 160, 120, 0},
    };
    for (const auto &row : rows) {
        Flight single, twice;
        for (int scale : {1, 2}) {
            SceneSetup setup;
            setup.realResources = true;
            setup.seed = row.seed;
            setup.reliability = row.reliability;
            setup.scale = scale;
            setup.width = scale * row.width + (scale - 1) * row.spare;
            setup.height = scale * row.height + (scale - 1) * row.spare;
            SceneHarness h(setup);
            for (int i = 0; i < 200; ++i)
                Step(h, scale == 1 ? &single : &twice, 3 - scale);
            EXPECT_GE(h.scene()->m_nPassCount, 4) << row.label;
        }
        EXPECT_EQ(twice, single) << row.label;
    }
}

TEST(SceneTick, MissileRunTimeline) {
    SceneHarness h;
    CSceneWnd *s = h.scene();
    // A missile run climbing from the bottom edge whose trigger fires on tick t = 3.
    const int x0 = 400, dy = -41, t = 3;
    s->SpawnPass();
    s->m_nKind = 4;
    s->m_bArmed = TRUE;
    s->m_x = x0, s->m_y = s->m_cyScreen;
    s->m_dx = 0, s->m_dy = dy;
    s->m_yTrigger = s->m_cyScreen + t * dy + 1;
    h.played.clear();
    for (int tick = 1; tick <= t + 20; ++tick) {
        h.Tick();
        const int k = tick - t; // ticks since the trigger
        const std::string at = "tick t" + std::to_string(k);
        EXPECT_EQ(s->m_y, s->m_cyScreen + tick * dy) << at << ": the jet keeps climbing";
        EXPECT_EQ(bool(s->m_bArmed), k < 0) << at;
        EXPECT_EQ(bool(s->m_bMissileRun), k >= 0) << at;
        EXPECT_EQ(s->m_nKind, k < 0 ? 4 : std::min(5 + k, 14)) << at << ": one row per tick";
        EXPECT_EQ(s->m_x, x0 + 30 * std::max(0, k - 5)) << at << ": drift from t+6 on";
        EXPECT_EQ(s->m_nExplosionFrame, k >= 9 && k <= 16 ? k - 9 : -1) << at;
        EXPECT_EQ(std::count(h.played.begin(), h.played.end(), 170), k >= 9 ? 1 : 0)
            << at << ": the explosion sound comes once, at t+9";
        if (k == 9) {
            EXPECT_EQ(QPoint(s->m_xExplosion, s->m_yExplosion), QPoint(s->m_x, s->m_y)) << at;
        }
        // A point of the disc left of where the jet climbs: fireball or scorch
        // while frames 1 to 7 run, never frame 0.
        if (k >= 9) {
            const QRgb px = h.WorkImage().pixel(s->m_xExplosion + 30, s->m_yExplosion + 100);
            EXPECT_NE(px, TableRgb(kShock)) << at;
            EXPECT_EQ(px == TableRgb(kFireball) || px == TableRgb(kScorch), k >= 10)
                << at << ": frames 1 to 7 are drawn on t+10 to t+16";
        }
        EXPECT_FALSE(s->m_bBetweenPasses) << at;
    }
}

TEST(SceneTick, PassEndsExactlyWhenJetAndShadowHaveLeftAndNoExplosionRuns) {
    struct Row {
        const char *label;
        int kind; // before the tick; a missile run moves on one row
        bool missileRun;
        int x, y;  // after the tick (a run's rows from 11 on drift 30 to the right)
        int frame; // explosion frame before the tick
        bool over;
    };
    // 1024 x 768; jets 275x200 (0, 1), 222x222 (2, 3), 200x275 (4 and up);
    // shadows at (+75, +200) of 138x100, 111x111, 100x137.
    const Row rows[] = {
        {"left, jet's right edge at 0", 0, false, -275, 300, -1, false},
        {"left, jet gone", 0, false, -276, 300, -1, true},
        {"right, jet at the edge", 1, false, 1024, 300, -1, false},
        {"right, jet gone", 1, false, 1025, 300, -1, true},
        {"up-right, shadow's last row on screen", 2, false, 100, -311, -1, false},
        {"up-right, both gone at the top", 2, false, 100, -312, -1, true},
        {"up-right, at the right edge", 2, false, 1024, 300, -1, false},
        {"up-right, gone at the right", 2, false, 1025, 300, -1, true},
        {"up-right, jet above, shadow right", 2, false, 950, -223, -1, true},
        {"up-left, at the left edge", 3, false, -222, 300, -1, false},
        {"up-left, gone at the left", 3, false, -223, 300, -1, true},
        {"up-left, jet above, shadow left", 3, false, -187, -223, -1, true},
        {"up-left, jet above, shadow's last column on", 3, false, -186, -223, -1, false},
        {"up, shadow's last row on screen", 4, false, 400, -337, -1, false},
        {"up, both gone", 4, false, 400, -338, -1, true},
        {"manoeuvre row without a run: never", 7, false, -5000, -5000, -1, false},
        {"missile run, shadow's last row on", 14, true, 400, -337, -1, false},
        {"missile run, gone at the top", 14, true, 400, -338, -1, true},
        {"missile run, at the right edge", 14, true, 1024, 300, -1, false},
        {"missile run, gone at the right", 14, true, 1025, 300, -1, true},
        {"missile run, jet above, shadow right", 14, true, 950, -276, -1, true},
        {"missile run gone before its explosion", 5, true, 400, -400, -1, true},
        {"gone, explosion frame 4 to come", 14, true, 100, -2000, 3, false},
        {"gone, explosion over", 14, true, 100, -2000, 7, true},
    };
    SceneHarness h;
    CSceneWnd *s = h.scene();
    for (const Row &row : rows) {
        s->SpawnPass();
        s->m_nKind = row.kind;
        s->m_bArmed = FALSE;
        s->m_bMissileRun = row.missileRun;
        s->m_bExploded = row.kind == 14; // no explosion starts in these cases
        s->m_nExplosionFrame = row.frame;
        s->m_dx = s->m_dy = 0;
        s->m_x = row.missileRun && row.kind >= 10 ? row.x - 30 : row.x;
        s->m_y = row.y;
        s->m_bBetweenPasses = FALSE;
        h.played.clear();
        h.Tick();
        EXPECT_EQ(s->m_x, row.x) << row.label;
        EXPECT_EQ(bool(s->m_bBetweenPasses), row.over) << row.label;
        EXPECT_EQ(s->m_nExplosionFrame, row.frame == -1 || row.frame == 7 ? -1 : row.frame + 1)
            << row.label;
        EXPECT_EQ(std::count(h.played.begin(), h.played.end(), 170), 0) << row.label;
    }
}

TEST(SceneTick, PauseFreezesTheSceneUntilTheNextSpawn) {
    SceneSetup setup;
    setup.reliability = 0;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    for (int i = 0; i < 500 && !s->m_bBetweenPasses; ++i)
        h.Tick();
    ASSERT_TRUE(s->m_bBetweenPasses) << "a plain pass ends";
    ASSERT_EQ(s->m_nPassCount, 1) << "the first tick spawned the first pass";
    const int x = s->m_x, y = s->m_y, kind = s->m_nKind;
    const QImage shown = h.WindowImage();
    for (int i = 0; i < 5; ++i)
        h.Tick();
    EXPECT_EQ(std::make_pair(s->m_x, s->m_y), std::make_pair(x, y));
    EXPECT_EQ(h.WindowImage(), shown) << "the last frame stays on the screen";
    EXPECT_EQ(s->m_nPassCount, 1);
    h.FirePauseTimer();
    EXPECT_EQ(s->m_nPassCount, 2);
    EXPECT_FALSE(s->m_bBetweenPasses);
    EXPECT_NE(s->m_nKind, kind);
}

TEST(SceneTick, PreviewSceneNeverSpawnsOrComposes) {
    // The preview's scene loads nothing; ticks that reach it before its
    // first paint neither spawn nor draw.
    SceneSetup setup;
    setup.load = false;
    setup.windowRect = {0, 0, 200, 150};
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    for (int i = 0; i < 10; ++i)
        h.Tick();
    EXPECT_EQ(s->m_nKind, -1);
    EXPECT_EQ(s->m_nPassCount, 0);
    EXPECT_TRUE(h.played.empty());
    EXPECT_TRUE(IsRectEmpty(&s->m_rcPrevJet)) << "nothing was composed";
}
