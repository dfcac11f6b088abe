// The windows of the shell with real Qt events: the splash, the preview in a
// host window, the full-screen saver and its input rule, the scene window's
// timers, close handling and state.
#define QTEST_QPA_MOUSE_HANDLING // mouse input through the window system path
#include "ShellTestSupport.h"

#include "app/SaverApp.h"
#include "app/SaverWnd.h"
#include "app/SplashDlg.h"
#include "platform/afx/DesktopProfile.h"
#include "scene/SceneWnd.h"
#include "settings/SaverSettings.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <ctime>
#include <gtest/gtest.h>

using namespace shelltest;

namespace {

QWidget *WidgetOf(CWnd *wnd) {
    return wnd && wnd->m_impl ? wnd->m_impl->widget() : nullptr;
}

// A fresh full-screen saver window, as the saver mode makes it.
CSaverWnd *NewSaver() {
    CSceneWnd::ResetProcessStateForTesting();
    auto *saver = new CSaverWnd;
    saver->CreateFullScreen();
    EXPECT_TRUE(saver->GetSafeHwnd());
    Pump(30);
    // A button pressed on the last window (which closed at once) is let go
    // here, or the toolkit would still route the pointer to the old window.
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton})
        if (QTestPrivate::qtestMouseButtons.testFlag(b))
            QTest::mouseRelease(saver->m_impl->widget(), b, {}, QPoint(1, 1));
    return saver;
}

// Ends a window that a test left open, and the quit request it makes.
void Dispose(HWND hwnd) {
    if (CWnd *wnd = CWnd::FromHandle(hwnd); wnd && IsWindow(hwnd))
        wnd->DestroyWindow();
    Pump(10);
    VxClearQuitRequest();
}

} // namespace

// ---- splash ------------------------------------------------------------------------------
TEST(Splash, EndsItselfAfterTwoAndAHalfSecondsCentredAndOnTop) {
    App();
    CSplashDlg splash(nullptr);
    bool visible = false, topmost = false;
    QPoint centre;
    QTimer::singleShot(300, [&] {
        QWidget *w = WidgetOf(&splash);
        ASSERT_TRUE(w);
        visible = w->isVisible();
        topmost = splash.IsTopmost() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        centre = w->frameGeometry().center();
    });
    QElapsedTimer clock;
    clock.start();
    const INT_PTR result = splash.DoModal();
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(result, IDOK);
    EXPECT_GE(elapsed, 2400);
    EXPECT_LT(elapsed, 4000);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(topmost);
    const QPoint workCentre = VxScreenService().WorkArea().center();
    EXPECT_LE(std::abs(centre.x() - workCentre.x()), 1) << centre.x();
    EXPECT_LE(std::abs(centre.y() - workCentre.y()), 1) << centre.y();
    EXPECT_FALSE(splash.GetSafeHwnd()) << "the dialog window is gone after the modal loop";
}

TEST(Splash, EnterAndEscEndItAtOnceAndClicksDoNot) {
    App();
    struct Row {
        const char *label;
        int key; // 0: a click on the picture, then nothing
        INT_PTR result;
    };
    const Row rows[] = {
        {"Enter", Qt::Key_Return, IDOK},
        {"keypad Enter", Qt::Key_Enter, IDOK},
        {"Esc", Qt::Key_Escape, IDCANCEL},
        {"click", 0, IDOK},
    };
    for (const Row &row : rows) {
        CSplashDlg splash(nullptr);
        QTimer::singleShot(100, [&] {
            QWidget *w = WidgetOf(&splash);
            if (row.key)
                QTest::keyClick(w, Qt::Key(row.key));
            else
                QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
        });
        QElapsedTimer clock;
        clock.start();
        const INT_PTR result = splash.DoModal();
        EXPECT_EQ(result, row.result) << row.label;
        if (row.key)
            EXPECT_LT(clock.elapsed(), 1500) << row.label << " ends the splash early";
        else
            EXPECT_GE(clock.elapsed(), 2400) << row.label << " leaves the splash up";
    }
}

// ---- preview -------------------------------------------------------------------------------
namespace {
// Black with icon 128 at (mid - 16), drawn by the drawing layer as the oracle.
QImage ExpectedPreview(int width, int height) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(display, width, height);
    HDC dc = CreateCompatibleDC(display);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, BLACKNESS);
    HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(128));
    DrawIconEx(dc, width / 2 - 16, height / 2 - 16, icon, 32, 32, 0, nullptr, DI_NORMAL);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteDC(display);
    const QImage image = VxBitmapToImage(bitmap);
    DeleteObject(bitmap);
    return image;
}

QImage Shown(CWnd *wnd) {
    return VxBitmapToImage(wnd->m_impl->backing);
}
} // namespace

TEST(Preview, FillsTheHostShowsTheIconOnBlackAndNeverAnimates) {
    App();
    PrivateConfig config;
    auto *host = new QWidget;
    host->resize(152, 112);
    host->show();
    std::string id = std::to_string(uintptr_t(host->winId()));
    char sw[] = "/p";
    char name[] = "Vantorix.scr";
    char *argv[] = {name, sw, id.data(), nullptr};
    CSaverApp app;
    app.m_argc = 3;
    app.m_argv = argv;
    ASSERT_TRUE(app.InitInstance());
    auto *preview = dynamic_cast<CSceneWnd *>(app.m_pMainWnd);
    ASSERT_TRUE(preview);
    const HWND hwnd = preview->m_hWnd;

    RECT rc;
    preview->GetClientRect(&rc);
    EXPECT_EQ(rc.right, 152);
    EXPECT_EQ(rc.bottom, 112);
    EXPECT_EQ(WidgetOf(preview)->geometry(), host->rect());
    ASSERT_TRUE(WaitFor([&] { return preview->m_bIconShown != FALSE; }, 2000));

    const QImage expected = ExpectedPreview(152, 112);
    const QImage icon = expected.copy(60, 40, 32, 32);
    QImage black(32, 32, icon.format());
    black.fill(Qt::black);
    ASSERT_NE(icon, black) << "the icon must show something";
    EXPECT_EQ(Shown(preview), expected);
    EXPECT_EQ(preview->m_bIconMode, TRUE);

    // Timer 1 runs (150 ms at the default speed) and its ticks change nothing.
    const QImage before = Shown(preview);
    Pump(700);
    EXPECT_EQ(Shown(preview), before);
    EXPECT_EQ(preview->m_nPassCount, 0);
    EXPECT_EQ(preview->m_nKind, -1);

    // The arrow is shown over the preview.
    QTest::mouseMove(WidgetOf(preview), QPoint(20, 20));
    Pump(20);
    EXPECT_EQ(WidgetOf(preview)->cursor().shape(), Qt::ArrowCursor);

    // The preview follows its host's size and shows the icon centred again.
    host->resize(200, 150);
    ASSERT_TRUE(WaitFor([&] { return WidgetOf(preview)->size() == QSize(200, 150); }, 2000));
    EXPECT_TRUE(WaitFor([&] { return Shown(preview) == ExpectedPreview(200, 150); }, 2000));

    // The host goes and takes the preview with it; the process is asked to
    // end with code 0.
    delete host;
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    int code = -1;
    ASSERT_TRUE(WaitFor([&] { return VxQuitRequested(&code); }, 1000));
    EXPECT_EQ(code, 0);
    VxClearQuitRequest();
}

// ---- saver window --------------------------------------------------------------------------
TEST(SaverWindow, CoversTheScreenOnTopWithoutPointer) {
    App();
    PrivateConfig config;
    CSaverWnd *saver = NewSaver();
    const HWND hwnd = saver->m_hWnd;
    QWidget *w = WidgetOf(saver);
    EXPECT_EQ(w->geometry(), QRect(0, 0, kScreenWidth, kScreenHeight));
    EXPECT_TRUE(saver->IsTopmost());
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(saver->SendMessage(WM_SETCURSOR, WPARAM(hwnd), MAKELPARAM(1, WM_MOUSEMOVE)), TRUE);
    QTest::mouseMove(w, QPoint(5, 5));
    EXPECT_EQ(w->cursor().shape(), Qt::BlankCursor);
    Dispose(hwnd);
}

TEST(SaverWindow, ClosesOnEachQualifyingInputAndOnNoOther) {
    App();
    PrivateConfig config; // no desktop settings: no password
    BoxRecorder boxes;
    using Action = std::function<void(CSaverWnd *, QWidget *)>;
    struct Row {
        const char *label;
        Action action;
        bool closes;
    };
    QPoint p(400, 300); // moved for every row: the toolkit drops a move to where it was
    auto move = [](QWidget *w, QPoint at) { QTest::mouseMove(w, at); };
    const std::vector<Row> rows = {
        {"key press", [](CSaverWnd *, QWidget *w) { QTest::keyPress(w, Qt::Key_A); }, true},
        {"Esc", [](CSaverWnd *, QWidget *w) { QTest::keyPress(w, Qt::Key_Escape); }, true},
        {"Alt alone", [](CSaverWnd *, QWidget *w) { QTest::keyPress(w, Qt::Key_Alt); }, true},
        {"F10", [](CSaverWnd *, QWidget *w) { QTest::keyPress(w, Qt::Key_F10); }, true},
        {"Alt+F4", [](CSaverWnd *, QWidget *w) { QTest::keyPress(w, Qt::Key_F4, Qt::AltModifier); },
         true},
        {"left button",
         [&](CSaverWnd *, QWidget *w) { QTest::mousePress(w, Qt::LeftButton, {}, p); }, true},
        {"middle button",
         [&](CSaverWnd *, QWidget *w) { QTest::mousePress(w, Qt::MiddleButton, {}, p); }, true},
        {"right button",
         [&](CSaverWnd *, QWidget *w) { QTest::mousePress(w, Qt::RightButton, {}, p); }, true},
        {"window deactivated",
         [](CSaverWnd *, QWidget *w) {
             QEvent deactivate(QEvent::WindowDeactivate);
             QApplication::sendEvent(w, &deactivate);
         },
         true},
        {"application deactivated",
         [](CSaverWnd *s, QWidget *) { s->SendMessage(WM_ACTIVATEAPP, FALSE, 0); }, true},
        {"second move one pixel right",
         [&](CSaverWnd *, QWidget *w) {
             move(w, p);
             move(w, p + QPoint(1, 0));
         },
         true},
        {"second move one pixel down",
         [&](CSaverWnd *, QWidget *w) {
             move(w, p);
             move(w, p + QPoint(0, 1));
         },
         true},
        {"key release alone", [](CSaverWnd *, QWidget *w) { QTest::keyRelease(w, Qt::Key_A); },
         false},
        {"button release alone",
         [&](CSaverWnd *, QWidget *w) { QTest::mouseRelease(w, Qt::LeftButton, {}, p); }, false},
        {"character message", [](CSaverWnd *s, QWidget *) { s->SendMessage(WM_CHAR, 'a', 1); },
         false},
        {"first mouse move", [&](CSaverWnd *, QWidget *w) { move(w, p); }, false},
        {"second move to the same place",
         [&](CSaverWnd *, QWidget *w) {
             move(w, p);
             move(w, p);
         },
         false},
        {"activation", [](CSaverWnd *s, QWidget *) { s->SendMessage(WM_ACTIVATE, WA_ACTIVE, 0); },
         false},
        {"window manager close", [](CSaverWnd *, QWidget *w) { w->close(); }, false},
        {"SC_CLOSE", [](CSaverWnd *s, QWidget *) { s->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0); },
         false},
        {"SC_SCREENSAVE",
         [](CSaverWnd *s, QWidget *) { s->SendMessage(WM_SYSCOMMAND, SC_SCREENSAVE, 0); }, false},
        {"SC_TASKLIST",
         [](CSaverWnd *s, QWidget *) { s->SendMessage(WM_SYSCOMMAND, SC_TASKLIST, 0); }, false},
        {"SC_MONITORPOWER",
         [](CSaverWnd *s, QWidget *) { s->SendMessage(WM_SYSCOMMAND, SC_MONITORPOWER, 2); }, false},
    };
    for (const Row &row : rows) {
        p += QPoint(11, 7);
        CSaverWnd *saver = NewSaver();
        const HWND hwnd = saver->m_hWnd;
        // The test decides where the pointer first rests.
        saver->m_ptFirstMouse = POINT{-1, -1};
        row.action(saver, WidgetOf(saver));
        Pump(60); // the close request is posted, handled from the queue
        EXPECT_EQ(!IsWindow(hwnd), row.closes) << row.label;
        if (row.closes) {
            int code = -1;
            EXPECT_TRUE(WaitFor([&] { return VxQuitRequested(&code); }, 500)) << row.label;
            EXPECT_EQ(code, 0) << row.label << ": the saver ends the process with code 0";
        } else if (std::string(row.label) == "SC_MONITORPOWER") {
            EXPECT_TRUE(saver->m_bMonitorOff) << row.label;
        }
        Dispose(hwnd);
    }
    EXPECT_TRUE(boxes.boxes.empty()) << "no password, no message";
}

TEST(SaverWindow, TheSecondMoveComparesWithTheFirstPositionOnly) {
    App();
    PrivateConfig config;
    CSaverWnd *saver = NewSaver();
    const HWND hwnd = saver->m_hWnd;
    saver->m_ptFirstMouse = POINT{-1, -1};
    // Messages sent straight to the window: the rule itself.
    saver->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
    EXPECT_EQ(saver->m_ptFirstMouse.x, 10);
    EXPECT_EQ(saver->m_ptFirstMouse.y, 20);
    saver->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
    Pump(30);
    EXPECT_TRUE(IsWindow(hwnd)) << "the same position again";
    saver->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 21));
    EXPECT_TRUE(IsWindow(hwnd)) << "the request is posted, not handled at once";
    Pump(30);
    EXPECT_FALSE(IsWindow(hwnd));
    Dispose(hwnd);
}

// ---- close handling and timers of the scene window -------------------------------------------
TEST(SceneWindow, CloseRequestsAndTicksDuringThePasswordCheckAreDropped) {
    App();
    PrivateConfig config;
    // The password is on but its component is missing: the check reports
    // that and lets the saver close, and meanwhile the window is busy.
    QDir().mkpath(config.Path(QStringLiteral("vantorix")));
    QFile desktop(QString::fromStdString(VxDesktopProfilePath()));
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.write("[Control Panel\\Desktop]\nScreenSaveUsePassword=1\n");
    desktop.close();
    QTemporaryDir noModules;
    setenv("VANTORIX_MODULE_DIR", noModules.path().toLocal8Bit().constData(), 1);

    CSaverWnd *saver = NewSaver();
    const HWND hwnd = saver->m_hWnd;
    ASSERT_TRUE(WaitFor([&] { return !saver->m_bIconMode; }, 2000)) << "the first tick or paint";
    saver->KillTimer(CSceneWnd::kTickTimer);

    BoxRecorder boxes;
    bool activeDuringCheck = false, topmostDuringCheck = true, stillThere = false;
    int passesBefore = -1, passesAfter = -2;
    boxes.whileOpen = [&] {
        activeDuringCheck = saver->m_bPasswordActive;
        topmostDuringCheck = saver->IsTopmost();
        passesBefore = saver->m_nPassCount;
        saver->SendMessage(WM_CLOSE, 0, 0);
        saver->SendMessage(WM_TIMER, CSceneWnd::kPauseTimer, 0);
        saver->SendMessage(WM_TIMER, CSceneWnd::kTickTimer, 0);
        saver->PostMessage(WM_CLOSE, 0, 0);
        stillThere = IsWindow(hwnd);
        passesAfter = saver->m_nPassCount;
    };
    saver->PostMessage(WM_CLOSE, 0, 0);
    Pump(100);
    unsetenv("VANTORIX_MODULE_DIR");

    ASSERT_EQ(boxes.boxes.size(), 1u) << "one check, however many requests";
    EXPECT_EQ(boxes.boxes[0].text, "Password CPL could not be found");
    EXPECT_TRUE(activeDuringCheck);
    EXPECT_FALSE(topmostDuringCheck) << "the password dialog must be able to appear above";
    EXPECT_TRUE(stillThere);
    EXPECT_EQ(passesAfter, passesBefore) << "timer messages change nothing meanwhile";
    EXPECT_FALSE(IsWindow(hwnd)) << "a failed check lets the saver close";
    Dispose(hwnd);
}

TEST(SceneWindow, CloseInIconModeAsksNoPassword) {
    App();
    PrivateConfig config;
    QDir().mkpath(config.Path(QStringLiteral("vantorix")));
    QFile desktop(QString::fromStdString(VxDesktopProfilePath()));
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.write("[Control Panel\\Desktop]\nScreenSaveUsePassword=1\n");
    desktop.close();
    BoxRecorder boxes;
    CSceneWnd::ResetProcessStateForTesting();
    auto *saver = new CSaverWnd;
    saver->CreateFullScreen();
    const HWND hwnd = saver->m_hWnd;
    ASSERT_TRUE(saver->m_bIconMode) << "not measured before its first paint or tick";
    saver->SendMessage(WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(boxes.boxes.empty());
    Dispose(hwnd);
}

TEST(SceneWindow, ThePauseTimerSpawnsExactlyOncePerPassEnd) {
    App();
    PrivateConfig config;
    CSaverWnd *saver = NewSaver();
    const HWND hwnd = saver->m_hWnd;
    saver->KillTimer(CSceneWnd::kTickTimer); // only the pause timer runs
    const int before = saver->m_nPassCount;

    // The end of a pass as the tick makes it, with a short pause.
    saver->m_bBetweenPasses = TRUE;
    saver->SetTimer(CSceneWnd::kPauseTimer, 20, nullptr);
    Pump(300); // many periods of the timer
    EXPECT_EQ(saver->m_nPassCount, before + 1);
    EXPECT_FALSE(saver->m_bBetweenPasses);
    EXPECT_FALSE(saver->KillTimer(CSceneWnd::kPauseTimer)) << "the timer is one-shot";

    // While the password check runs the pause does not end.
    saver->m_bBetweenPasses = TRUE;
    saver->m_bPasswordActive = TRUE;
    saver->SendMessage(WM_TIMER, CSceneWnd::kPauseTimer, 0);
    EXPECT_EQ(saver->m_nPassCount, before + 1);
    EXPECT_TRUE(saver->m_bBetweenPasses);
    saver->m_bPasswordActive = FALSE;
    Dispose(hwnd);
}

TEST(SceneWindow, TickPeriodForEverySpeed) {
    struct Row {
        int speed;
        UINT period;
    };
    const Row rows[] = {{1, 230}, {5, 150}, {10, 50}, {0, 230},   {-3, 230},
                        {11, 50}, {12, 50}, {13, 50}, {1000, 50}, {INT32_MIN, 230}};
    for (const Row &row : rows)
        EXPECT_EQ(CSceneWnd::TickPeriodMs(row.speed), row.period) << "speed " << row.speed;
}

TEST(SceneWindow, LeavingAndReturningToTheTopMostBandKeepsTheWindow) {
    App();
    PrivateConfig config;
    CSaverWnd *saver = NewSaver();
    const HWND hwnd = saver->m_hWnd;
    QWidget *w = WidgetOf(saver);
    saver->m_bPasswordActive = TRUE; // as around the password check
    saver->SetTopmost(FALSE);
    EXPECT_FALSE(saver->IsTopmost());
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    saver->SetTopmost(TRUE);
    EXPECT_TRUE(saver->IsTopmost());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(saver->m_hWnd, hwnd);
    saver->m_bPasswordActive = FALSE;
    Pump(60);
    EXPECT_TRUE(IsWindow(hwnd)) << "changing bands must not look like a deactivation";
    Dispose(hwnd);
}

// ---- scene state
// ---------------------------------------------------------------------------------
TEST(SceneState, GeneratorFollowsTheRuntimeSequence) {
    SceneSrand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected)
        EXPECT_EQ(SceneRand(), value);
    SceneSrand(0xFFFFFFFFu);
    for (int i = 0; i < 1000; ++i) {
        const int v = SceneRand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
}

TEST(SceneState, ConstructionCopiesTheSettingsAndStartsEmpty) {
    App();
    PrivateConfig config;
    CWinApp app;
    app.SetAppName("Vantorix");
    app.SetRegistryKey("Quorvane Screen Savers");
    SaverSettings stored;
    stored.Load(&app);
    EXPECT_EQ(stored.Speed, SaverSettings::kDefaultSpeed);

    // Nothing stored: the defaults.
    const time_t t0 = std::time(nullptr);
    auto *scene = new CSceneWnd(TRUE, TRUE);
    const time_t t1 = std::time(nullptr);
    const int firstDraw = SceneRand();
    EXPECT_EQ(scene->m_nSpeed, 5);
    EXPECT_EQ(scene->m_nReliability, 10);
    EXPECT_EQ(scene->m_nSound, 1);
    EXPECT_EQ(scene->m_nClearScreen, 0);
    EXPECT_EQ(scene->m_nWallpaper, 0);
    EXPECT_EQ(scene->m_bAutoDelete, TRUE);
    EXPECT_EQ(scene->m_nKind, -1);
    EXPECT_EQ(scene->m_nPassCount, 0);
    EXPECT_EQ(scene->m_cxClient, -1);
    EXPECT_EQ(scene->m_cyClient, -1);
    EXPECT_TRUE(scene->m_bIconMode);
    EXPECT_FALSE(scene->m_bIconShown || scene->m_bMonitorOff || scene->m_bBetweenPasses ||
                 scene->m_bPaletteDevice || scene->m_bPasswordActive);
    EXPECT_EQ(scene->m_pBackground, nullptr);
    EXPECT_EQ(scene->m_pWork, nullptr);
    EXPECT_EQ(scene->m_pScenePalette, nullptr);
    EXPECT_NE(scene->m_pPlayer, nullptr);
    for (const JetSprite &row : scene->m_jets)
        EXPECT_TRUE(!row.pJet && !row.pJetMask && !row.pShadow && !row.pShadowMask);
    for (const ExplosionFrame &row : scene->m_explosion)
        EXPECT_TRUE(!row.pBitmap && !row.pMask);
    // Seeded with the time of construction.
    bool seeded = false;
    for (time_t t = t0; t <= t1; ++t) {
        SceneSrand(unsigned(t));
        seeded = seeded || SceneRand() == firstDraw;
    }
    EXPECT_TRUE(seeded);
    delete scene; // without loading there is nothing but the player to release

    // Stored values are copied as they are, out-of-range ones included.
    stored.Speed = 42;
    stored.Reliability = -1;
    stored.Sound = 7;
    stored.ClearScreen = 3;
    stored.Wallpaper = 1;
    stored.Save(&app);
    scene = new CSceneWnd(FALSE, TRUE);
    EXPECT_EQ(scene->m_nSpeed, 42);
    EXPECT_EQ(scene->m_nReliability, -1);
    EXPECT_EQ(scene->m_nSound, 7);
    EXPECT_EQ(scene->m_nClearScreen, 3);
    EXPECT_EQ(scene->m_nWallpaper, 1);
    EXPECT_EQ(scene->m_bAutoDelete, FALSE);
    delete scene;
}

TEST(SceneState, ALoadedSceneReleasesEveryBitmapItMade) {
    App();
    PrivateConfig config;
    const size_t before = VxLiveObjectCount();
    CSceneWnd::ResetProcessStateForTesting();
    auto *scene = new CSceneWnd(TRUE, FALSE);
    EXPECT_NE(scene->m_pBackground, nullptr);
    EXPECT_NE(scene->m_pWork, nullptr);
    EXPECT_NE(scene->m_jets[0].pJet, nullptr);
    EXPECT_EQ(scene->m_jets[15].pJet, nullptr) << "row 15 stays empty";
    EXPECT_GT(VxLiveObjectCount(), before);
    delete scene;
    EXPECT_EQ(VxLiveObjectCount(), before);
}

// ---- window creation -------------------------------------------------------------------
namespace {
// An auto-deleting window whose creation handler refuses, as a failed
// WM_CREATE does.
struct RefusingWnd : CWnd {
    static inline int s_deleted = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE)
            return -1;
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override { delete this; }
    ~RefusingWnd() override { ++s_deleted; }
};
} // namespace

TEST(WindowCreation, ARefusedCreateLeavesTheObjectWithItsCreator) {
    App();
    RefusingWnd::s_deleted = 0;
    auto *wnd = new RefusingWnd;
    const BOOL created =
        wnd->CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr);
    EXPECT_FALSE(created);
    // The creator decides: had the framework deleted it, this would be a
    // double delete (ASan reports it) and the count would reach 2.
    EXPECT_EQ(RefusingWnd::s_deleted, 0);
    EXPECT_FALSE(wnd->GetSafeHwnd());
    delete wnd;
    EXPECT_EQ(RefusingWnd::s_deleted, 1);
    Pump(10);
}
