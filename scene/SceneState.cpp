// The scene's state: construction from the settings, release of everything
// it owns, its display and the process-wide window class name.
#include "scene/SceneWnd.h"

#include "settings/SaverSettings.h"
#include "sound/WavePlayer.h"

#include <ctime>

LPCSTR CSceneWnd::s_pszClassName = nullptr;

CSceneWnd::CSceneWnd(BOOL autoDelete, BOOL skipLoading, const SceneDisplay &display) : CWnd() {
    m_bAutoDelete = autoDelete;
    SetDisplay(display);

    // The window keeps its own copy of the settings for its whole life, with
    // the values given for this run on the command line.
    SaverSettings settings;
    settings.Load(AfxGetApp());
    SaverRunOverrides().ApplyTo(&settings);
    m_nSpeed = settings.Speed;
    m_nReliability = settings.Reliability;
    m_nSound = settings.Sound;
    m_nClearScreen = settings.ClearScreen;
    m_nWallpaper = settings.Wallpaper;

    m_nKind = -1;
    m_bMonitorOff = FALSE;
    m_bBetweenPasses = FALSE;
    m_pBackground = nullptr;
    m_pWork = nullptr;
    m_x = 0;
    m_y = 0;

    for (JetSprite &row : m_jets)
        row = JetSprite{};
    for (ExplosionFrame &row : m_explosion)
        row = ExplosionFrame{};

    m_nPassCount = 0;
    m_bIconShown = FALSE;

    m_random.Seed(unsigned(std::time(nullptr)));

    m_cxClient = -1;
    m_cyClient = -1;
    m_pScenePalette = nullptr;
    m_bPaletteDevice = FALSE;
    m_bIconMode = TRUE;

    // The background is prepared with the palette and screen size that the
    // sprite load records, so the load comes first.
    if (!skipLoading) {
        LoadSprites();
        PrepareBackground();
    }

    m_pPlayer = new WavePlayer;
    m_bPasswordActive = FALSE;
}

CSceneWnd::~CSceneWnd() {
    PlayEffect(0, FALSE);

    delete m_pBackground;
    m_pBackground = nullptr;
    delete m_pWork;
    m_pWork = nullptr;

    for (JetSprite &row : m_jets) {
        delete row.pJet;
        delete row.pJetMask;
        delete row.pShadow;
        delete row.pShadowMask;
        row = JetSprite{};
    }
    for (ExplosionFrame &row : m_explosion) {
        delete row.pBitmap;
        delete row.pMask;
        row = ExplosionFrame{};
    }
    // The scene palette belonged to jet sprite 0's bitmap.
    m_pScenePalette = nullptr;

    delete m_pPlayer;
    m_pPlayer = nullptr;
}

void CSceneWnd::SetDisplay(const SceneDisplay &display) {
    if (m_bSpritesLoaded)
        return; // the catalogue and screen size already follow the old display
    m_nScale = display.scale == 2 ? 2 : 1;
    m_rcScreenArea = display.screen;
}

void CSceneWnd::ResetProcessStateForTesting() {
    s_pszClassName = nullptr;
}
