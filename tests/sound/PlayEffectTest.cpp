// The window's sound rules, one group per behaviour. Each row sets up a scene
// (construction without loading, then the fields the rules read) and runs a
// script of the requests the scene makes, watching what reaches the sound
// output.
#include "scene/SceneWnd.h"
#include "sound/WavePlayer.h"
#include "tests/sound/SoundDoubles.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <sstream>

using namespace wavetest;

namespace {

using Calls = std::vector<std::string>;

// Script steps, in the order the scene makes them:
//   "pass"       a pass is spawned: m_nPassCount goes up by one
//   "flyby N"    the fly-by request of that pass: PlayEffect(N, TRUE)
//   "boom"       a missile run's explosion: PlayEffect(170, TRUE)
//   "stop"       the between-passes stop: PlayEffect(0, FALSE)
//   "monitor"    the monitor-power command: stop, then m_bMonitorOff set
//   "monitorflag"  m_bMonitorOff set alone (no stop first)
//   "icon" / "full"  m_bIconMode set / cleared
//   "sound N"    m_nSound = N
//   "noplayer"   m_pPlayer deleted and cleared
struct Row {
    const char *label;
    int sound;
    BOOL iconMode;
    std::vector<std::string> script;
    Calls calls;
};

void RunStep(CSceneWnd &wnd, const std::string &step) {
    std::istringstream in(step);
    std::string verb;
    int n = 0;
    in >> verb >> n;
    if (verb == "pass")
        ++wnd.m_nPassCount;
    else if (verb == "flyby")
        wnd.PlayEffect(n, TRUE);
    else if (verb == "boom")
        wnd.PlayEffect(170, TRUE);
    else if (verb == "stop")
        wnd.PlayEffect(0, FALSE);
    else if (verb == "monitor") {
        wnd.PlayEffect(0, FALSE);
        wnd.m_bMonitorOff = TRUE;
    } else if (verb == "monitorflag")
        wnd.m_bMonitorOff = TRUE;
    else if (verb == "icon")
        wnd.m_bIconMode = TRUE;
    else if (verb == "full")
        wnd.m_bIconMode = FALSE;
    else if (verb == "sound")
        wnd.m_nSound = n;
    else if (verb == "noplayer") {
        delete wnd.m_pPlayer;
        wnd.m_pPlayer = nullptr;
    } else
        FAIL() << "unknown step " << step;
}

void RunGroup(const char *group, const std::vector<Row> &rows) {
    TestWaveModule module;
    ScopedRecorder rec;
    module.Label(rec.output);
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(group) + ": " + r.label);
        CSceneWnd::ResetProcessStateForTesting();
        auto wnd = std::make_unique<CSceneWnd>(FALSE, TRUE);
        ASSERT_NE(wnd->m_pPlayer, nullptr) << "the scene made no player";
        wnd->m_nSound = r.sound;
        wnd->m_bIconMode = r.iconMode;
        wnd->m_nPassCount = 0;
        wnd->m_bMonitorOff = FALSE;
        rec.output.calls.clear();
        for (const std::string &step : r.script)
            RunStep(*wnd, step);
        EXPECT_EQ(rec.output.calls, r.calls);
        // Clean up without the rules: the player owns nothing else.
        wnd->m_bIconMode = FALSE;
        wnd->m_nSound = 2;
        wnd->PlayEffect(0, FALSE);
    }
}

constexpr BOOL kIcon = TRUE, kFull = FALSE;

} // namespace

TEST(PlayEffectRules, IconModeIgnoresStartsAndStops) {
    RunGroup("icon mode",
             {
                 {"starts are ignored", 2, kIcon, {"pass", "flyby 3000", "boom"}, {}},
                 {"a stop is ignored even with a sound held",
                  2,
                  kFull,
                  {"pass", "flyby 3001", "icon", "stop"},
                  {"play 3001"}},
                 {"ignored in every sound mode", 1, kIcon, {"pass", "flyby 3002", "stop"}, {}},
             });
}

TEST(PlayEffectRules, SoundOffNeverStartsOrStops) {
    RunGroup("Sound 0",
             {
                 {"no pass is heard",
                  0,
                  kFull,
                  {"pass", "flyby 3000", "boom", "stop", "pass", "flyby 3001", "monitor"},
                  {}},
                 {"a stop is ignored even with a sound held",
                  2,
                  kFull,
                  {"pass", "flyby 3000", "sound 0", "stop", "monitor"},
                  {"play 3000"}},
             });
}

TEST(PlayEffectRules, MonitorOffRefusesStartsButStopsStillWork) {
    RunGroup("monitor off",
             {
                 {"the sound playing is stopped, later passes are silent",
                  2,
                  kFull,
                  {"pass", "flyby 3000", "monitor", "boom", "stop", "pass", "flyby 3001"},
                  {"play 3000", "stop"}},
                 {"silent from the first pass on",
                  2,
                  kFull,
                  {"monitor", "pass", "flyby 3000", "boom"},
                  {}},
                 {"Partial, first pass", 1, kFull, {"pass", "monitor", "flyby 3002"}, {}},
                 {"a stop with the flag set still silences a held sound",
                  2,
                  kFull,
                  {"pass", "flyby 3001", "monitorflag", "boom", "stop"},
                  {"play 3001", "stop"}},
                 {"a stop after the command with nothing held makes no call",
                  2,
                  kFull,
                  {"pass", "flyby 3000", "monitor", "stop"},
                  {"play 3000", "stop"}},
             });
}

TEST(PlayEffectRules, PartialHearsPassOneOnly) {
    RunGroup(
        "Partial",
        {
            {"pass 1: fly-by and explosion; pass 2 and 3: nothing",
             1,
             kFull,
             {"pass", "flyby 3000", "boom", "stop", "pass", "flyby 3001", "boom", "stop", "pass",
              "flyby 3002"},
             {"play 3000", "stop", "play 170", "stop"}},
            {"stops still work after pass 1",
             1,
             kFull,
             {"pass", "flyby 3001", "pass", "flyby 3002", "stop"},
             {"play 3001", "stop"}},
            {"before any pass is counted it is heard", 1, kFull, {"flyby 3000"}, {"play 3000"}},
        });
}

TEST(PlayEffectRules, EveryOtherValueBehavesAsFull) {
    const Calls everyPass = {"play 3000", "stop", "play 3001", "stop",
                             "play 170",  "stop", "play 3002"};
    const std::vector<std::string> threePasses = {
        "pass", "flyby 3000", "stop", "pass", "flyby 3001", "boom", "stop", "pass", "flyby 3002"};
    std::vector<Row> rows;
    static const std::pair<int, const char *> values[] = {
        {2, "Full (2)"},     {3, "3"}, {-1, "-1"}, {100, "100"}, {INT_MIN, "INT_MIN"},
        {INT_MAX, "INT_MAX"}};
    for (const auto &[value, label] : values)
        rows.push_back({label, value, kFull, threePasses, everyPass});
    RunGroup("other values", rows);
}

TEST(PlayEffectRules, PreviewNeverTouchesTheAudioBackend) {
    // The preview keeps icon mode for its whole life; every request the scene
    // could make reaches nothing, in every sound mode.
    std::vector<Row> rows;
    for (int sound : {0, 1, 2})
        rows.push_back(
            {"every kind of request",
             sound,
             kIcon,
             {"pass", "flyby 3000", "boom", "stop", "pass", "flyby 3001", "monitor", "stop"},
             {}});
    RunGroup("preview", rows);
}

TEST(PlayEffectRules, NewSoundsCutTheOldOnes) {
    RunGroup(
        "cutting",
        {
            {"a missile run's explosion cuts its own fly-by",
             2,
             kFull,
             {"pass", "flyby 3001", "boom"},
             {"play 3001", "stop", "play 170"}},
            {"the next pass cuts the previous sound without a stop between",
             2,
             kFull,
             {"pass", "flyby 3001", "boom", "pass", "flyby 3000"},
             {"play 3001", "stop", "play 170", "stop", "play 3000"}},
            {"a missing wave stops the current sound and plays nothing",
             2,
             kFull,
             {"pass", "flyby 3000", "flyby 4242", "stop"},
             {"play 3000", "stop"}},
            {"a stop with nothing started makes no call", 2, kFull, {"stop", "pass", "stop"}, {}},
            {"no player: nothing, and no crash",
             2,
             kFull,
             {"noplayer", "pass", "flyby 3000", "stop"},
             {}},
        });
}
