// The scene tick: the missile run's timeline, when a pass is over, the pause
// between passes, and the preview's scene, which never animates.
#include "SceneHarness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <string>

using namespace scenetest;

namespace {

// A missile run climbing from the bottom edge whose trigger fires on the
// third tick.
void ArmMissileRun(CSceneWnd *s, int x, int dy) {
    s->SpawnPass(); // the per-pass state as a real spawn leaves it
    s->m_nKind = 4;
    s->m_bArmed = TRUE;
    s->m_bMissileRun = FALSE;
    s->m_x = x;
    s->m_y = s->m_cyScreen;
    s->m_dx = 0;
    s->m_dy = dy;
    s->m_yTrigger = s->m_cyScreen + 3 * dy + 1;
}

QRgb Rgb(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

int Count(const std::vector<int> &v, int value) {
    int n = 0;
    for (int x : v)
        n += x == value;
    return n;
}

} // namespace

TEST(SceneTick, MissileRunTimeline) {
    SceneHarness h(SceneSetup{});
    CSceneWnd *s = h.scene();
    const int x0 = 400, dy = -41;
    ArmMissileRun(s, x0, dy);
    h.sounds.played.clear();

    const int t = 3; // the trigger's tick
    for (int tick = 1; tick <= t + 20; ++tick) {
        h.Tick();
        const std::string at = "tick t" + std::to_string(tick - t);
        const int k = tick - t; // ticks since the trigger
        EXPECT_EQ(s->m_y, s->m_cyScreen + tick * dy) << at << ": the jet keeps climbing";
        if (k < 0) {
            EXPECT_EQ(s->m_nKind, 4) << at;
            EXPECT_TRUE(s->m_bArmed) << at;
            EXPECT_EQ(s->m_x, x0) << at;
            continue;
        }
        EXPECT_FALSE(s->m_bArmed) << at;
        EXPECT_TRUE(s->m_bMissileRun) << at;
        EXPECT_EQ(s->m_nKind, std::min(5 + k, 14)) << at << ": one manoeuvre row per tick";
        EXPECT_EQ(s->m_x, x0 + 30 * std::max(0, k - 5)) << at << ": drift from row 11 on";
        const int frame = k < 9 ? -1 : k <= 16 ? k - 9 : -1;
        EXPECT_EQ(s->m_nExplosionFrame, frame) << at;
        const int booms = Count(h.sounds.played, 170);
        EXPECT_EQ(booms, k >= 9 ? 1 : 0) << at << ": the explosion sound comes once, at t+9";
        if (k == 9) {
            EXPECT_EQ(s->m_xExplosion, s->m_x) << at;
            EXPECT_EQ(s->m_yExplosion, s->m_y) << at;
        }
        // A point of the explosion's disc left of where the jet climbs and
        // drifts to: fireball or scorch mark while frames 1 to 7 run, never
        // anything of frame 0.
        if (k >= 9) {
            const QRgb px = h.WorkImage().pixel(s->m_xExplosion + 30, s->m_yExplosion + 100);
            const bool shown = px == Rgb(TableColour(kFireball)) || px == Rgb(TableColour(kScorch));
            EXPECT_NE(px, Rgb(TableColour(kShock))) << at;
            EXPECT_EQ(shown, k >= 10) << at << ": frames 1 to 7 are drawn on t+10 to t+16";
        }
        EXPECT_FALSE(s->m_bBetweenPasses) << at;
    }
}

TEST(SceneTick, PassEndsExactlyWhenJetAndShadowHaveLeft) {
    struct Row {
        const char *label;
        int kind;
        bool missileRun;
        int x, y; // after the tick's move
        bool over;
    };
    // 1024 x 768; jets 275x200 (0, 1), 222x222 (2, 3), 200x275 (4 and up);
    // shadows at (+75, +200) of 138x100, 111x111, 100x137.
    const Row rows[] = {
        {"left, jet's right edge at 0", 0, false, -275, 300, false},
        {"left, jet gone", 0, false, -276, 300, true},
        {"right, jet at the edge", 1, false, 1024, 300, false},
        {"right, jet gone", 1, false, 1025, 300, true},
        {"up-right, jet gone at the top, shadow still on", 2, false, 100, -223, false},
        {"up-right, both gone at the top", 2, false, 100, -312, true},
        {"up-right, shadow's last row on screen", 2, false, 100, -311, false},
        {"up-right, gone at the right", 2, false, 1025, 300, true},
        {"up-right, at the right edge", 2, false, 1024, 300, false},
        {"up-right, jet above, shadow right", 2, false, 950, -223, true},
        {"up-left, gone at the left", 3, false, -223, 300, true},
        {"up-left, at the left edge", 3, false, -222, 300, false},
        {"up-left, jet above, shadow left", 3, false, -187, -223, true},
        {"up-left, jet above, shadow's last column on", 3, false, -186, -223, false},
        {"up, shadow's last row on screen", 4, false, 400, -337, false},
        {"up, both gone", 4, false, 400, -338, true},
        {"manoeuvre row without a run: never", 7, false, -5000, -5000, false},
        {"missile run, shadow's last row on", 14, true, 400, -337, false},
        {"missile run, gone at the top", 14, true, 400, -338, true},
        {"missile run, gone at the right", 14, true, 1025, 300, true},
        {"missile run, at the right edge", 14, true, 1024, 300, false},
        {"missile run, jet above, shadow right", 14, true, 950, -276, true},
    };
    SceneHarness h(SceneSetup{});
    CSceneWnd *s = h.scene();
    for (const Row &row : rows) {
        s->SpawnPass();
        s->m_nKind = row.kind;
        s->m_bArmed = FALSE;
        s->m_bMissileRun = row.missileRun ? TRUE : FALSE;
        s->m_bExploded = TRUE; // no explosion starts in these cases
        s->m_dx = 0;
        s->m_dy = 0;
        // The manoeuvre's last rows drift 30 pixels to the right per tick.
        s->m_x = row.missileRun ? row.x - 30 : row.x;
        s->m_y = row.y;
        s->m_bBetweenPasses = FALSE;
        h.Tick();
        EXPECT_EQ(s->m_x, row.x) << row.label;
        EXPECT_EQ(bool(s->m_bBetweenPasses), row.over) << row.label;
    }
}

TEST(SceneTick, NoPassEndsWhileAnExplosionRuns) {
    SceneHarness h(SceneSetup{});
    CSceneWnd *s = h.scene();
    s->SpawnPass();
    s->m_nKind = 14;
    s->m_bArmed = FALSE;
    s->m_bMissileRun = TRUE;
    s->m_bExploded = TRUE;
    s->m_nExplosionFrame = 3;
    s->m_x = 100;
    s->m_y = -2000; // long gone
    s->m_dx = 0;
    s->m_dy = -40;
    for (int frame = 4; frame <= 7; ++frame) {
        h.Tick();
        EXPECT_EQ(s->m_nExplosionFrame, frame);
        EXPECT_FALSE(s->m_bBetweenPasses) << "frame " << frame << " still runs";
    }
    h.Tick();
    EXPECT_EQ(s->m_nExplosionFrame, -1);
    EXPECT_TRUE(s->m_bBetweenPasses) << "the pass ends once the explosion is over";
}

TEST(SceneTick, MissileRunLeavingEarlyEndsWithoutExplosion) {
    SceneHarness h(SceneSetup{});
    CSceneWnd *s = h.scene();
    s->SpawnPass();
    s->m_nKind = 4;
    s->m_bArmed = TRUE;
    s->m_x = 400;
    s->m_y = -400;
    s->m_dx = 0;
    s->m_dy = -41;
    s->m_yTrigger = 100;
    h.sounds.played.clear();
    h.Tick();
    EXPECT_TRUE(s->m_bMissileRun);
    EXPECT_EQ(s->m_nKind, 5);
    EXPECT_TRUE(s->m_bBetweenPasses) << "jet and shadow are off screen";
    EXPECT_EQ(Count(h.sounds.played, 170), 0) << "no explosion sound";
    EXPECT_EQ(s->m_nExplosionFrame, -1);

    h.FirePauseTimer();
    EXPECT_FALSE(s->m_bBetweenPasses);
    EXPECT_FALSE(s->m_bMissileRun) << "the next spawn resets the manoeuvre";
    EXPECT_LE(s->m_nKind, 4);
}

TEST(SceneTick, PauseFreezesTheSceneUntilTheNextSpawn) {
    SceneSetup setup;
    setup.reliability = 0;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    int ticks = 0;
    while (!s->m_bBetweenPasses && ticks < 500) {
        h.Tick();
        ++ticks;
    }
    ASSERT_TRUE(s->m_bBetweenPasses) << "a plain pass ends";
    EXPECT_EQ(s->m_nPassCount, 1) << "the first tick spawned the first pass";
    const int x = s->m_x, y = s->m_y, kind = s->m_nKind;
    const QImage shown = h.WindowImage();
    for (int i = 0; i < 5; ++i)
        h.Tick();
    EXPECT_EQ(s->m_x, x);
    EXPECT_EQ(s->m_y, y);
    EXPECT_EQ(s->m_nKind, kind);
    EXPECT_EQ(h.WindowImage(), shown) << "the last frame stays on the screen";
    EXPECT_EQ(s->m_nPassCount, 1);

    h.FirePauseTimer();
    EXPECT_EQ(s->m_nPassCount, 2);
    EXPECT_FALSE(s->m_bBetweenPasses);
    EXPECT_NE(s->m_nKind, kind);
}

TEST(SceneTick, PreviewSceneNeverSpawnsOrComposes) {
    // The preview's scene loads nothing; whichever of paint and tick reaches
    // it first, it neither spawns nor draws.
    for (bool paintFirst : {true, false}) {
        SceneSetup setup;
        setup.load = false;
        setup.windowRect = {0, 0, 200, 150};
        SceneHarness h(setup);
        CSceneWnd *s = h.scene();
        if (paintFirst) {
            s->InvalidateRect(nullptr, TRUE);
            s->UpdateWindow();
        }
        for (int i = 0; i < 10; ++i)
            h.Tick();
        const char *order = paintFirst ? "paint first" : "ticks first";
        EXPECT_EQ(s->m_nKind, -1) << order;
        EXPECT_EQ(s->m_nPassCount, 0) << order;
        EXPECT_TRUE(s->m_bIconMode) << order;
        EXPECT_TRUE(h.sounds.played.empty()) << order;
        EXPECT_TRUE(IsRectEmpty(&s->m_rcPrevJet)) << order << ": nothing was composed";
    }
}

namespace {
// Runs the event loop until `done` or `ms` have passed.
template <class Done> void RunLoop(int ms, Done done) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}
} // namespace

TEST(SceneTick, PauseTimerFiresOncePerPassUnderTheRealTimers) {
    // The saver as it runs: timer 1 ticks at the fastest speed, each pass end
    // starts the 2-second pause, whose one message spawns the next pass.
    SceneSetup setup;
    setup.reliability = 0;
    setup.width = 640;
    setup.height = 480;
    SceneHarness h(setup);
    CSceneWnd *s = h.scene();
    s->SetTickTimer(10);
    RunLoop(15000, [&] { return s->m_nPassCount >= 3; });
    ASSERT_GE(s->m_nPassCount, 3) << "three passes within 15 s";
    EXPECT_EQ(h.PauseMessages(), s->m_nPassCount - 1)
        << "one pause message per finished pass, and every pass after the first comes from one";
    // Let the third pass finish its pause too: still exactly one per pass.
    const int passes = s->m_nPassCount;
    RunLoop(8000, [&] { return s->m_nPassCount > passes; });
    EXPECT_EQ(h.PauseMessages(), s->m_nPassCount - 1);
}
