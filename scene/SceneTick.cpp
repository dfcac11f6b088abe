// One step of the scene: motion, the missile run and its explosion, the frame,
// and the end of a pass.
#include "scene/SceneWnd.h"

namespace {

constexpr int kLastManoeuvreRow = 14;
constexpr int kDriftFromRow = 11;
constexpr int kDrift = 30;
constexpr int kExplosionFrameCount = 8;
constexpr int kExplosionSound = 170;

} // namespace

void CSceneWnd::MeasureClient() {
    // Once per scene.
    if (m_cxClient != -1)
        return;
    RECT client{};
    GetClientRect(&client);
    m_cxClient = client.right - client.left;
    m_cyClient = client.bottom - client.top;
    // Only a window covering the screen shows the scene.
    if (m_cxClient == m_cxScreen && m_cyClient == m_cyScreen)
        m_bIconMode = FALSE;
}

void CSceneWnd::Tick() {
    // Nothing moves during the pause between passes.
    if (m_bBetweenPasses)
        return;

    MeasureClient();

    // The preview shows its icon instead of the scene. A scene without a
    // catalogue or surfaces (the preview's, which loads nothing) never spawns
    // or composes, whatever order paint and timer messages arrive in.
    if (m_bIconShown)
        return;
    if (m_jets[0].pJet == nullptr || m_pBackground == nullptr || m_pWork == nullptr)
        return;

    // The first pass of the scene.
    if (m_nKind == -1)
        SpawnPass();

    // Move.
    m_x += m_dx;
    m_y += m_dy;

    // Missile trigger.
    if (m_bArmed && m_y < m_yTrigger) {
        m_bMissileRun = TRUE;
        m_bArmed = FALSE;
    }

    // The manoeuvre: one sprite row per tick up to the last, a drift to the
    // right in its second half, the explosion counter, and the explosion once
    // the last row is reached.
    if (m_bMissileRun) {
        if (m_nKind < kLastManoeuvreRow)
            m_nKind += 1;
        if (m_nKind >= kDriftFromRow)
            m_x += kDrift * m_nScale;
        if (m_nExplosionFrame != -1) {
            m_nExplosionFrame += 1;
            if (m_nExplosionFrame == kExplosionFrameCount)
                m_nExplosionFrame = -1;
        }
        if (m_nKind == kLastManoeuvreRow && m_nExplosionFrame == -1 && !m_bExploded) {
            m_nExplosionFrame = 0;
            m_xExplosion = m_x;
            m_yExplosion = m_y;
            m_bExploded = TRUE;
            PlayEffect(kExplosionSound, TRUE);
        }
    }

    ComposeFrame();

    // Off-screen tests, in screen pixels, against the row now flying.
    // No pass leaves through the bottom edge, so the screen height plays no part.
    const int W = m_cxScreen;
    const int shadowDx = kShadowDx * m_nScale, shadowDy = kShadowDy * m_nScale;
    const bool validRow = m_nKind >= 0 && m_nKind < 16;
    const int w = validRow ? m_jets[m_nKind].cxJet : 0;
    const int h = validRow ? m_jets[m_nKind].cyJet : 0;
    const int sw = validRow ? m_jets[m_nKind].cxShadow : 0;
    const int sh = validRow ? m_jets[m_nKind].cyShadow : 0;
    const int x = m_x, y = m_y;
    bool jetGone = false, shadowGone = false;
    if (m_bMissileRun) {
        jetGone = x > W || y < -h;
        shadowGone = x + shadowDx > W || y + shadowDy + sh < 0;
    } else {
        switch (m_nKind) {
        case 0:
            jetGone = x + w < 0;
            shadowGone = x + shadowDx + sw < 0;
            break;
        case 1:
            jetGone = x > W;
            shadowGone = x + shadowDx > W;
            break;
        case 2:
            jetGone = y < -h || x > W;
            shadowGone = y + shadowDy + sh < 0 || x + shadowDx > W;
            break;
        case 3:
            jetGone = y < -h || x < -w;
            shadowGone = y + shadowDy + sh < 0 || x + shadowDx + sw < 0;
            break;
        case 4:
            jetGone = y < -h;
            shadowGone = y + shadowDy + sh < 0;
            break;
        default:
            break;
        }
    }

    // The pass is over: pause, then the window side spawns the next one.
    if (jetGone && shadowGone && m_nExplosionFrame == -1) {
        SetTimer(kPauseTimer, kPauseMs, nullptr);
        m_bBetweenPasses = TRUE;
    }
}
