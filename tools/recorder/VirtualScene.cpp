#include "VirtualScene.h"

#include "platform/afx/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/qt/ScreenService.h"

#include <QApplication>

#include <cstdlib>

namespace vxrec {

void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "vantorix-scene";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives for the rest of the process
    if (AfxGetApp() == nullptr)
        new CWinApp; // the framework's profile calls need an application object
}

LRESULT ObservedScene::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPauseTimer && !m_bPasswordActive)
        ++pauseMessages;
    return CSceneWnd::WindowProc(message, wParam, lParam);
}

VirtualScene::VirtualScene(const VirtualSceneOptions &o) {
    EnsureApplication();
    VxSetDisplayDepth(o.depth);
    m_screen = std::make_unique<VxVirtualScreen>(QSize(o.width, o.height), o.screen);
    m_previousScreen = VxSetScreenService(m_screen.get());
    VxRefreshScreenSurface();
    m_previousModule = AfxGetResourceHandle();
    if (o.resources != nullptr)
        AfxSetResourceHandle(o.resources);
    if (o.resetProcessState)
        CSceneWnd::ResetProcessStateForTesting();

    // Built as the saver's constructor builds it, with the settings given
    // here instead of the user's: the catalogue first, then the background.
    m_scene = new ObservedScene;
    m_scene->SetDisplay(SceneDisplay{o.scale, o.screenArea});
    m_scene->m_nReliability = o.reliability;
    m_scene->m_nSound = o.sound;
    m_scene->m_nClearScreen = o.clearScreen;
    m_scene->m_nWallpaper = o.wallpaper;
    if (o.load) {
        m_scene->LoadSprites();
        m_scene->PrepareBackground();
    }
    m_scene->SeedGenerator(o.seed);

    RECT r = o.windowRect;
    if (r.right == -1)
        r = {0, 0, o.width, o.height};
    m_scene->Create(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, r, nullptr);
}

VirtualScene::~VirtualScene() {
    if (m_scene->GetSafeHwnd() != nullptr)
        m_scene->DestroyWindow();
    delete m_scene;
    AfxSetResourceHandle(m_previousModule);
    VxSetScreenService(m_previousScreen);
}

void VirtualScene::FirePauseTimer() {
    m_scene->SendMessage(WM_TIMER, CSceneWnd::kPauseTimer, 0);
}

bool VirtualScene::Step() {
    if (m_scene->m_bBetweenPasses) {
        FirePauseTimer();
        return false;
    }
    m_scene->Tick();
    return true;
}

QImage VirtualScene::WindowImage() const {
    RECT rc{};
    m_scene->GetClientRect(&rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    CDC *window = m_scene->GetDC();
    CBitmap copy;
    copy.CreateCompatibleBitmap(window, w, h);
    CDC mem;
    mem.CreateCompatibleDC(window);
    CBitmap *old = mem.SelectObject(&copy);
    mem.BitBlt(0, 0, w, h, window, 0, 0, SRCCOPY);
    mem.SelectObject(old);
    mem.DeleteDC();
    m_scene->ReleaseDC(window);
    return VxBitmapToImage(copy.GetSafeHandle());
}

QImage VirtualScene::WorkImage() const {
    return m_scene->m_pWork != nullptr ? VxBitmapToImage(m_scene->m_pWork->GetSafeHandle())
                                       : QImage();
}

QImage VirtualScene::BackgroundImage() const {
    return m_scene->m_pBackground != nullptr
               ? VxBitmapToImage(m_scene->m_pBackground->GetSafeHandle())
               : QImage();
}

} // namespace vxrec
