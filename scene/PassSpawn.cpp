// Pass spawning: the kind of the next pass, where it enters and how fast it
// flies, each choice drawn from the scene's generator in a fixed order.
#include "scene/SceneWnd.h"

#include <cstdint>

namespace {

constexpr int kKinds = 5;
constexpr int kMissileKind = 4;
constexpr int kPassSoundFirst = 3000;
constexpr int kPassSounds = 3;

// A fresh draw modulo n. On a screen smaller than a sprite the modulus of a
// position comes out at zero or below; the draw is still taken, so that the
// sequence of draws stays the same, and the position is 0.
int DrawMod(SceneGenerator &random, int n) {
    const int draw = random.Next();
    return n > 0 ? draw % n : 0;
}

} // namespace

int CSceneWnd::CruiseSpeed() {
    return m_random.Next() % 31 + 30;
}

int CSceneWnd::ClimbSpeed() {
    return m_random.Next() % 31 + 40;
}

void CSceneWnd::SpawnPass() {
    // The previous kind: -1 before the first pass, 14 after a missile run.
    const int previous = m_nKind;

    // Per-pass state.
    m_nExplosionFrame = -1;
    m_bArmed = FALSE;
    m_bMissileRun = FALSE;
    m_yTrigger = -1;
    m_bExploded = FALSE;
    SetRect(&m_rcPrevJet, 0, 0, 0, 0);
    SetRect(&m_rcPrevShadow, 0, 0, 0, 0);

    // A kind other than the previous one.
    int kind;
    do {
        kind = m_random.Next() % kKinds;
    } while (kind == previous);

    // The missile roll; the second draw is taken only after a first success.
    // The stored frequency is any 32-bit value: the product is taken in 64
    // bits, so 10 and above always pass and 0 and below never do.
    const int r1 = m_random.Next() % 100 + 1;
    if (int64_t(r1) < 10 * int64_t(m_nReliability)) {
        const int r2 = m_random.Next() % 100 + 1;
        if (r2 > 40) {
            kind = kMissileKind;
            m_bArmed = TRUE;
        }
    }

    m_nKind = kind;

    // Entry point and velocity, each row's draws left to right. They are
    // worked out in single-size pixels and then scaled, so that a
    // double-size scene takes the same draws and flies the same passes at
    // twice the resolution.
    const int s = m_nScale;
    const int W = m_cxScreen / s, H = m_cyScreen / s;
    const int w = m_jets[kind].cxJet / s, h = m_jets[kind].cyJet / s;
    int x = 0, y = 0, dx = 0, dy = 0;
    switch (kind) {
    case 0: // from beyond the right edge, straight left
        x = W;
        y = DrawMod(m_random, H - h + 1);
        dx = -CruiseSpeed();
        dy = 0;
        break;
    case 1: // from beyond the left edge, straight right
        x = -w;
        y = DrawMod(m_random, H - h + 1);
        dx = CruiseSpeed();
        dy = 0;
        break;
    case 2: // low on the left, climbing to the right
        x = -w;
        y = H - DrawMod(m_random, 201);
        dx = CruiseSpeed();
        dy = -ClimbSpeed();
        break;
    case 3: // low on the right, climbing to the left
        x = W;
        y = H - DrawMod(m_random, 201);
        dx = -CruiseSpeed();
        dy = -CruiseSpeed();
        break;
    default: // 4: from below the bottom edge, straight up
        x = DrawMod(m_random, W - w + 1);
        y = H;
        dx = 0;
        dy = -ClimbSpeed();
        break;
    }
    m_x = s * x, m_y = s * y;
    m_dx = s * dx, m_dy = s * dy;

    // Trigger height of a missile run: 150 pixels above the client bottom
    // to 650 below it.
    if (m_bArmed) {
        RECT client{};
        GetClientRect(&client);
        m_yTrigger = s * (client.bottom / s - 150 + DrawMod(m_random, 801));
    }

    // A new pass has nothing of a last frame to erase.
    SetRect(&m_rcPrevJet, 0, 0, 0, 0);
    SetRect(&m_rcPrevShadow, 0, 0, 0, 0);

    MeasureClient();

    // Counted before the sound request, which looks at the count.
    m_nPassCount += 1;

    // One of the three fly-by sounds.
    PlayEffect(kPassSoundFirst + DrawMod(m_random, kPassSounds), TRUE);
}
