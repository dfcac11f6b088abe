// The window's sound rules, one group per behaviour. Each row sets up a scene
// (built without loading) and runs a script of the requests the scene makes,
// watching what reaches the sound output. Steps:
//   N          a start request: PlayEffect(N, TRUE) (170 is the explosion)
//   stop       the between-passes stop: PlayEffect(0, FALSE)
//   pass       a pass is spawned (m_nPassCount + 1)
//   monitor    the monitor-power command, through the window's handler
//   flag       m_bMonitorOff set alone
//   icon, sound0, noplayer   m_bIconMode set, m_nSound = 0, m_pPlayer deleted
// A row's label starts with the rule it shows.
#include "scene/SceneWnd.h"
#include "sound/WavePlayer.h"
#include "tests/sound/SoundDoubles.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <sstream>

using namespace wavetest;

namespace {

struct Row {
    const char *label;
    int sound;
    const char *script, *calls;
};

void RunStep(CSceneWnd &wnd, const std::string &step) {
    if (step == "stop")
        wnd.PlayEffect(0, FALSE);
    else if (step == "monitor")
        wnd.WindowProc(WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    else if (step == "flag")
        wnd.m_bMonitorOff = TRUE;
    else if (step == "pass")
        ++wnd.m_nPassCount;
    else if (step == "icon")
        wnd.m_bIconMode = TRUE;
    else if (step == "sound0")
        wnd.m_nSound = 0;
    else if (step == "noplayer") {
        delete wnd.m_pPlayer;
        wnd.m_pPlayer = nullptr;
    } else
        wnd.PlayEffect(std::stoi(step), TRUE);
}

} // namespace

TEST(PlayEffectRules, RuleTable) {
    std::vector<Row> rows = {
        {"icon mode: starts are ignored", 2, "icon pass 3000 170", ""},
        {"icon mode: a stop is ignored with a sound held", 2, "pass 3001 icon stop", "play 3001"},
        {"Sound 0: nothing is heard", 0, "pass 3000 170 stop pass 3001 monitor", ""},
        {"Sound 0: a stop is ignored with a sound held", 2, "pass 3000 sound0 stop monitor",
         "play 3000"},
        {"monitor off: the sound playing is stopped, then nothing starts", 2,
         "pass 3000 monitor 170 pass 3001", "play 3000, stop"},
        {"monitor off: silent from the first pass on", 2, "monitor pass 3000 170", ""},
        {"monitor off: Partial, first pass", 1, "pass monitor 3001", ""},
        {"monitor off: a stop with the flag set silences a held sound", 2,
         "pass 3001 flag 170 stop", "play 3001, stop"},
        {"Partial: pass 1 heard, passes 2 and 3 not", 1,
         "pass 3000 170 stop pass 3001 170 stop pass 3000", "play 3000, stop, play 170, stop"},
        {"Partial: stops still work after pass 1", 1, "pass 3001 pass 3000 stop",
         "play 3001, stop"},
        {"Partial: heard before any pass is counted", 1, "3000", "play 3000"},
        {"cutting: a missile run's explosion cuts its own fly-by", 2, "pass 3001 170",
         "play 3001, stop, play 170"},
        {"no player: nothing, and no crash", 2, "noplayer pass 3000 stop", ""},
    };
    // Every value other than 0 and 1 behaves as Full.
    for (int sound : {2, 3, -1, INT_MIN})
        rows.push_back({"as Full", sound, "pass 3000 stop pass 3001 170 stop pass 3000",
                        "play 3000, stop, play 3001, stop, play 170, stop, play 3000"});
    // The preview keeps icon mode for its whole life: nothing reaches the backend.
    for (int sound : {0, 1, 2})
        rows.push_back({"preview", sound, "icon pass 3000 170 stop pass 3001 monitor stop", ""});

    Recorder rec;
    TestWaveModule module(&rec);
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.label) + " (Sound " + std::to_string(r.sound) + ")");
        CSceneWnd::ResetProcessStateForTesting();
        auto wnd = std::make_unique<CSceneWnd>(FALSE, TRUE);
        ASSERT_NE(wnd->m_pPlayer, nullptr) << "the scene made no player";
        wnd->m_nSound = r.sound;
        wnd->m_bIconMode = wnd->m_bMonitorOff = FALSE;
        wnd->m_nPassCount = 0;
        rec.calls.clear();
        std::istringstream script(r.script);
        for (std::string step; script >> step;)
            RunStep(*wnd, step);
        EXPECT_EQ(rec.calls, r.calls);
        wnd->m_bIconMode = FALSE; // stop what is held, past the rules
        wnd->m_nSound = 2;
        wnd->PlayEffect(0, FALSE);
    }
}
