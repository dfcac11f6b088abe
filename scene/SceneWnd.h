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
// each draw returns bits 16..30 of the new state (0..32767). One per process.
void SceneSrand(unsigned int seed);
int SceneRand();

class CSceneWnd : public CWnd {
  public:
    CSceneWnd(BOOL autoDelete, BOOL skipLoading);
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
    // Where a jet's shadow falls, from the jet's top left corner; the same for every row.
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
    void LoadSprites();
    void LoadJetSprite(int row);
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

    // Frame composition's own bookkeeping: whether the work surface has been
    // filled from the background yet, and the three areas (jet, shadow,
    // explosion) the last frame drew over the background in it. Restoring
    // only those keeps every frame identical to one built on a fresh copy of
    // the whole background.
    BOOL m_bWorkPrimed = FALSE;
    RECT m_rcWorkDrawn[3]{};

    // Process-wide state.
    static BOOL s_bSpritesLoaded;
    static BOOL s_bFirstFrame;
    static LPCSTR s_pszClassName; // empty (null) until the first Create

    // Tests reset the process-wide state between scenes.
    static void ResetProcessStateForTesting();
};
