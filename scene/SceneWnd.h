// The animation window: one object that is both the window on the screen and
// the whole jet scene.
//
// Where each member lives:
//   app/SceneWndWindow.cpp   window side: creation, timers, paint, palette,
//                            system commands, cursor, close with password check
//   scene/SceneState.cpp     constructor and destructor, the random generator
//   scene/SpriteCatalogue.cpp  LoadSprites, LoadJetSprite, the mask builders
//   scene/SceneBackground.cpp  PrepareBackground
//   scene/PassSpawn.cpp      SpawnPass, CruiseSpeed, ClimbSpeed
//   scene/SceneTick.cpp      MeasureClient, Tick
//   scene/FrameCompose.cpp   ComposeFrame, DrawShadow, DrawExplosion
//   sound/PlayEffect.cpp     PlayEffect
#pragma once

#include "gfx/PaletteBitmap.h"
#include "platform/afx/AfxWin.h"
#include "platform/win/WinTypes.h"

class WavePlayer;

struct JetSprite {
    CPaletteBitmap *pJet = nullptr;
    CPaletteBitmap *pJetMask = nullptr; // null: drawn opaque
    int cxJet = 0, cyJet = 0;
    CPaletteBitmap *pShadow = nullptr;
    CPaletteBitmap *pShadowMask = nullptr; // null: drawn opaque
    int cxShadow = 0, cyShadow = 0;
};

struct ExplosionFrame {
    CPaletteBitmap *pBitmap = nullptr;
    CPaletteBitmap *pMask = nullptr; // null: drawn opaque
    int cx = 0, cy = 0;
};

// The runtime library's generator: state = state * 214013 + 2531011 (mod 2^32),
// each draw returns bits 16..30 of the new state (0..32767). Every scene owns
// one, so scenes living side by side in one process never take each other's
// draws.
class SceneGenerator {
  public:
    void Seed(unsigned int seed) { m_state = seed; }
    int Next() {
        m_state = m_state * 214013u + 2531011u;
        return int((m_state >> 16) & 0x7FFF);
    }

  private:
    unsigned int m_state = 1;
};

// Where a scene draws and how big. The defaults are the saver's one scene:
// the whole screen at the art's own size.
struct SceneDisplay {
    // 1, or 2 on a screen of twice the pixel density: the double-size art,
    // and every distance of the scene doubled, so that the scene looks the
    // same at twice the resolution (the generator's draws stay in single-size
    // units). Other values are taken as 1.
    int scale = 1;
    // The part of the desktop that is this scene's screen, in the desktop
    // device context's pixels: its size is the scene's screen size and the
    // snapshot background is taken from there. Empty: the whole screen at 0, 0.
    RECT screen{0, 0, 0, 0};
};

class CSceneWnd : public CWnd {
  public:
    // A scene with loading is complete after construction. One built with
    // skipLoading can be given its display with SetDisplay and then loaded
    // with LoadSprites and PrepareBackground, in that order.
    CSceneWnd(BOOL autoDelete, BOOL skipLoading, const SceneDisplay &display = {});
    ~CSceneWnd() override;

    // ---- window side -----------------------------------------------------------
    virtual BOOL Create(DWORD exStyle, DWORD style, const RECT &rect, CWnd *parent);
    void SetTickTimer(int speed);
    void SetTopmost(BOOL topmost);
    void DrawIdleIcon();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

    // The tick period for a speed value: 250 - 20 * speed ms for 1..10; values
    // outside that range are clamped to it so that the period stays usable.
    static UINT TickPeriodMs(int speed);

    static constexpr UINT_PTR kTickTimer = 1;
    static constexpr UINT_PTR kPauseTimer = 2;
    static constexpr UINT kPauseMs = 2000;
    // Where a jet's shadow falls, from the jet's top left corner; the same for
    // every row. In single-size pixels, like every distance of the scene.
    static constexpr int kShadowDx = 75;
    static constexpr int kShadowDy = 200;

  protected:
    void OnTimer(UINT_PTR id);
    void OnPaint();
    int OnCreate();
    BOOL OnQueryNewPalette();
    void OnSysCommand(UINT command, LPARAM param);
    BOOL OnSetCursor();
    void OnClose();

  public:
    // ---- scene -------------------------------------------------------------------
    // Takes effect for a catalogue and background not yet loaded.
    void SetDisplay(const SceneDisplay &display);
    void LoadSprites();
    void LoadJetSprite(int row);
    WORD ArtId(WORD first) const; // the id of an image set at the scene's scale
    void BuildJetMask(int row);
    void BuildShadowMask(int row);
    void BuildExplosionMask(int frame);
    void PrepareBackground();
    void SpawnPass();
    int CruiseSpeed();
    int ClimbSpeed();
    void MeasureClient();
    void Tick();
    void ComposeFrame();
    RECT DrawShadow(CDC *window, CDC *work);
    RECT DrawExplosion(CDC *window, CDC *work, CDC *background, BOOL last);

    // ---- sound ----------------------------------------------------------------------
    void PlayEffect(int waveId, BOOL start);

    // ---- several scenes in one process ------------------------------------------------
    // Each scene's generator is seeded with the calendar time at construction;
    // a scene started next to another in the same second would fly the very
    // same passes, so every scene but the first gets a seed of its own here.
    void SeedGenerator(unsigned int seed) { m_random.Seed(seed); }

    // ---- scene state, in declaration order ----------------------------------------------
    int m_nSpeed = 0;
    int m_nSound = 0;
    int m_nReliability = 0;
    int m_nPassCount = 0;
    int m_cxScreen = 0, m_cyScreen = 0;
    int m_cxClient = -1, m_cyClient = -1;
    COLORREF m_crKey = 0;
    CPaletteBitmap *m_pBackground = nullptr;
    CPaletteBitmap *m_pWork = nullptr;
    int m_nBitsPixel = 0;
    BOOL m_bPaletteDevice = FALSE;
    BOOL m_bMonitorOff = FALSE;
    BOOL m_bBetweenPasses = FALSE;
    BOOL m_bIconMode = TRUE;
    WavePlayer *m_pPlayer = nullptr;
    int m_nKind = -1;
    CPalette *m_pScenePalette = nullptr;
    JetSprite m_jets[16];
    ExplosionFrame m_explosion[8];
    int m_nExplosionFrame = -1;
    int m_xExplosion = 0, m_yExplosion = 0;
    BOOL m_bArmed = FALSE;
    BOOL m_bMissileRun = FALSE;
    int m_yTrigger = -1;
    BOOL m_bExploded = FALSE;
    int m_dx = 0, m_dy = 0;
    int m_x = 0, m_y = 0;
    RECT m_rcPrevJet{}, m_rcPrevShadow{}, m_rcPrevExplosion{};
    int m_nClearScreen = 0;
    int m_nWallpaper = 0;
    BOOL m_bIconShown = FALSE;
    BOOL m_bPasswordActive = FALSE;
    BOOL m_bAutoDelete = FALSE;

    // Per scene, so that several can run in one process: the generator, the
    // display, whether this scene's catalogue is loaded, and whether its next
    // full-screen frame must repaint the whole window.
    SceneGenerator m_random;
    int m_nScale = 1;
    RECT m_rcScreenArea{0, 0, 0, 0};
    BOOL m_bSpritesLoaded = FALSE;
    BOOL m_bFirstFrame = TRUE;

    // Frame composition's own bookkeeping: whether the work surface has been
    // filled from the background yet, and the three areas (jet, shadow,
    // explosion) the last frame drew over the background in it. Restoring
    // only those keeps every frame identical to one built on a fresh copy of
    // the whole background.
    BOOL m_bWorkPrimed = FALSE;
    RECT m_rcWorkDrawn[3]{};

    // Process-wide state: the one window class every scene window shares.
    static LPCSTR s_pszClassName; // empty (null) until the first Create

    // Tests reset the process-wide state between scenes.
    static void ResetProcessStateForTesting();
};
