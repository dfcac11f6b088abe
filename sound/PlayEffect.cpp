#include "scene/SceneWnd.h"
#include "sound/WavePlayer.h"

// The window's one entry point for sound. The tests run in this order and the
// first that matches drops the request.
void CSceneWnd::PlayEffect(int waveId, BOOL start) {
    // 1. The preview shows only an icon: it neither plays nor stops anything.
    if (m_bIconMode)
        return;
    // 2. Sound off: nothing was ever started, so nothing needs stopping.
    if (m_nSound == 0)
        return;
    // 3. After the monitor-power command the window stays silent; stopping
    //    still works so the sound playing at that moment can be cut.
    if (start && m_bMonitorOff)
        return;
    // 4. Partial: only the first pass (its fly-by and its explosion) is heard.
    //    Every value other than 0 and 1 plays every pass.
    if (start && m_nSound == 1 && m_nPassCount > 1)
        return;
    // 5. No player.
    if (!m_pPlayer)
        return;

    if (start)
        m_pPlayer->PlayResource(waveId);
    else
        m_pPlayer->Stop();
}
