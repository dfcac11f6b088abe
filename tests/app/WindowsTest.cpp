// The windows of the shell with real Qt events: the splash, the preview in a
// host window, the full-screen saver and its input rule, the scene window's
// timers, close handling and state.
#define QTEST_QPA_MOUSE_HANDLING // mouse input through the window system path
#include "ShellTestSupport.h"

#include "app/SaverApp.h"
#include "app/SaverWnd.h"
#include "app/SplashDlg.h"
#include "platform/afx/DesktopProfile.h"
#include "platform/qt/QtFramework_p.h"
#include "scene/SceneWnd.h"
#include "settings/SaverSettings.h"

#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <ctime>
#include <gtest/gtest.h>

using namespace shelltest;

namespace {

// A fresh full-screen saver window, as the saver mode makes it.
CSaverWnd *NewSaver() {
    CSceneWnd::ResetProcessStateForTesting();
    auto *saver = new CSaverWnd;
    saver->CreateFullScreen();
    EXPECT_TRUE(saver->GetSafeHwnd());
    const Qt::WindowFlags flags = saver->m_impl->widget()->windowFlags();
    EXPECT_TRUE(saver->IsTopmost() && flags.testFlag(Qt::WindowStaysOnTopHint) &&
                flags.testFlag(Qt::FramelessWindowHint));
    Pump(30);
    // A button pressed on the last window (which closed at once) is let go
    // here, or the toolkit would still route the pointer to the old window.
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton})
        if (QTestPrivate::qtestMouseButtons.testFlag(b))
            QTest::mouseRelease(saver->m_impl->widget(), b, {}, QPoint(1, 1));
    return saver;
}

} // namespace

// Shown centred and on top; Enter and Esc end it at once, anything else
// (a click here) leaves it to end itself after two and a half seconds.
TEST(Splash, EndsItselfAfterTwoAndAHalfSecondsOrAtOnceOnEnterAndEsc) {
    App();
    const struct {
        const char *label;
        int key; // 0: a click on the picture
        INT_PTR result;
    } rows[] = {{"Enter", Qt::Key_Return, IDOK},
                {"keypad Enter", Qt::Key_Enter, IDOK},
                {"Esc", Qt::Key_Escape, IDCANCEL},
                {"click", 0, IDOK}};
    for (const auto &row : rows) {
        CSplashDlg splash(nullptr);
        bool shown = false;
        QTimer::singleShot(100, [&] {
            QWidget *w = WidgetOf(&splash);
            shown = w && w->isVisible() && splash.IsTopmost() &&
                    w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
                    (w->frameGeometry().center() - VxScreenService().WorkArea().center())
                            .manhattanLength() <= 2;
            if (row.key)
                QTest::keyClick(w, Qt::Key(row.key));
            else
                QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
        });
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(splash.DoModal(), row.result) << row.label;
        const qint64 ms = clock.elapsed();
        EXPECT_TRUE(row.key ? ms < 1500 : ms >= 2400 && ms < 4000) << row.label << " after " << ms;
        EXPECT_TRUE(shown) << row.label << ": visible, top-most and centred";
        EXPECT_FALSE(splash.GetSafeHwnd()) << row.label << ": the window is gone after the loop";
    }
}

namespace {
// Black with icon 128 at (mid - 16), composed by the toolkit from the icon's picture.
QImage ExpectedPreview(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter(&image).drawImage(
        width / 2 - 16, height / 2 - 16,
        VxIconImage(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(128))));
    return image;
}
} // namespace

TEST(Preview, FillsTheHostShowsTheIconOnBlackAndNeverAnimates) {
    App();
    ScopedConfigHome config;
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
    QWidget *w = WidgetOf(preview);
    auto shown = [&] {
        return VxBitmapToImage(preview->m_impl->backing).convertToFormat(QImage::Format_RGB32);
    };

    EXPECT_EQ(w->geometry(), host->rect());
    ASSERT_TRUE(WaitFor([&] { return preview->m_bIconShown != FALSE; }, 2000));
    const QImage expected = ExpectedPreview(152, 112);
    QImage black(32, 32, expected.format());
    black.fill(Qt::black);
    ASSERT_NE(expected.copy(60, 40, 32, 32), black) << "the icon must show something";
    EXPECT_EQ(shown(), expected);

    // Timer 1 runs (150 ms at the default speed) and its ticks change nothing.
    Pump(700);
    EXPECT_EQ(shown(), expected);
    EXPECT_EQ(preview->m_nPassCount, 0);
    EXPECT_EQ(preview->m_nKind, -1);

    QTest::mouseMove(w, QPoint(20, 20));
    Pump(20);
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);

    // The preview follows its host's size and shows the icon centred again.
    host->resize(200, 150);
    ASSERT_TRUE(WaitFor([&] { return w->size() == QSize(200, 150); }, 2000));
    EXPECT_TRUE(WaitFor([&] { return shown() == ExpectedPreview(200, 150); }, 2000));

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

TEST(SaverWindow, ClosesOnEachQualifyingInputAndOnNoOther) {
    App();
    ScopedConfigHome config; // no desktop settings: no password
    BoxRecorder boxes;
    using Action = std::function<void(CSaverWnd *, QWidget *)>;
    QPoint p(400, 300); // moved for every row: the toolkit drops a move to where it was
    auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) -> Action {
        return [=](CSaverWnd *, QWidget *w) { QTest::keyPress(w, k, m); };
    };
    auto button = [&](Qt::MouseButton b) -> Action {
        return [&p, b](CSaverWnd *, QWidget *w) { QTest::mousePress(w, b, {}, p); };
    };
    auto message = [](UINT msg, WPARAM wp) -> Action {
        return [=](CSaverWnd *s, QWidget *) { s->SendMessage(msg, wp, msg == WM_CHAR); };
    };
    auto moves = [&](std::vector<QPoint> offsets) -> Action {
        return [&p, offsets](CSaverWnd *, QWidget *w) {
            for (QPoint o : offsets)
                QTest::mouseMove(w, p + o);
        };
    };
    const struct {
        const char *label;
        Action action;
        bool closes;
    } rows[] = {
        {"key press", key(Qt::Key_A), true},
        {"Esc", key(Qt::Key_Escape), true},
        {"Alt alone", key(Qt::Key_Alt), true},
        {"F10", key(Qt::Key_F10), true},
        {"Alt+F4", key(Qt::Key_F4, Qt::AltModifier), true},
        {"left button", button(Qt::LeftButton), true},
        {"middle button", button(Qt::MiddleButton), true},
        {"right button", button(Qt::RightButton), true},
        {"window deactivated",
         [](CSaverWnd *, QWidget *w) {
             QEvent deactivate(QEvent::WindowDeactivate);
             QApplication::sendEvent(w, &deactivate);
         },
         true},
        {"application deactivated", message(WM_ACTIVATEAPP, FALSE), true},
        {"second move one pixel right", moves({{0, 0}, {1, 0}}), true},
        {"second move one pixel down", moves({{0, 0}, {0, 1}}), true},
        {"first mouse move", moves({{0, 0}}), false},
        {"second move to the same place", moves({{0, 0}, {0, 0}}), false},
        {"key release alone", [](CSaverWnd *, QWidget *w) { QTest::keyRelease(w, Qt::Key_A); },
         false},
        {"button release alone",
         [&p](CSaverWnd *, QWidget *w) { QTest::mouseRelease(w, Qt::LeftButton, {}, p); }, false},
        {"character message", message(WM_CHAR, 'a'), false},
        {"activation", message(WM_ACTIVATE, WA_ACTIVE), false},
        {"window manager close", [](CSaverWnd *, QWidget *w) { w->close(); }, false},
        {"SC_CLOSE", message(WM_SYSCOMMAND, SC_CLOSE), false},
        {"SC_SCREENSAVE", message(WM_SYSCOMMAND, SC_SCREENSAVE), false},
        {"SC_TASKLIST", message(WM_SYSCOMMAND, SC_TASKLIST), false},
        {"SC_MONITORPOWER",
         [](CSaverWnd *s, QWidget *) {
             s->SendMessage(WM_SYSCOMMAND, SC_MONITORPOWER, 2);
             EXPECT_TRUE(s->m_bMonitorOff);
         },
         false},
    };
    for (const auto &row : rows) {
        p += QPoint(11, 7);
        CSaverWnd *saver = NewSaver();
        const HWND hwnd = saver->m_hWnd;
        saver->m_ptFirstMouse = POINT{-1, -1}; // the test decides where the pointer first rests
        row.action(saver, WidgetOf(saver));
        Pump(60); // the close request is posted, handled from the queue
        EXPECT_EQ(!IsWindow(hwnd), row.closes) << row.label;
        int code = -1;
        if (row.closes) {
            EXPECT_TRUE(WaitFor([&] { return VxQuitRequested(&code); }, 500)) << row.label;
            EXPECT_EQ(code, 0) << row.label << ": the saver ends the process with code 0";
        }
        Dispose(hwnd);
    }
    EXPECT_TRUE(boxes.boxes.empty()) << "no password, no message";
}

TEST(SceneWindow, CloseInIconModeAsksNoPassword) {
    App();
    ScopedConfigHome config;
    WriteFile(VxDesktopProfilePath(),
              "[Control Panel\\Desktop]\nScreenSaveUsePassword=1\n"); // the password on
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
    ScopedConfigHome config;
    CSaverWnd *saver = NewSaver();
    saver->KillTimer(CSceneWnd::kTickTimer); // only the pause timer runs
    const int before = saver->m_nPassCount;

    // The end of a pass as the tick makes it, with a short pause.
    saver->m_bBetweenPasses = TRUE;
    saver->SetTimer(CSceneWnd::kPauseTimer, 20, nullptr);
    Pump(300); // many periods of the timer
    EXPECT_EQ(saver->m_nPassCount, before + 1);
    EXPECT_FALSE(saver->m_bBetweenPasses);
    EXPECT_FALSE(saver->KillTimer(CSceneWnd::kPauseTimer)) << "the timer is one-shot";
    Dispose(saver->m_hWnd);
}

TEST(SceneWindow, TickPeriodForEverySpeed) {
    const struct {
        int speed;
        UINT period;
    } rows[] = {{1, 230}, {5, 150}, {10, 50}, {0, 230}, {11, 50}, {INT32_MIN, 230}};
    for (const auto &row : rows)
        EXPECT_EQ(CSceneWnd::TickPeriodMs(row.speed), row.period) << "speed " << row.speed;
}

TEST(SceneState, ConstructionCopiesTheSettingsAsStoredAndSeedsWithTheTime) {
    App();
    ScopedConfigHome config;
    CWinApp app;
    app.SetAppName("Vantorix");
    app.SetRegistryKey("Quorvane Screen Savers");
    const SaverSettings defaults{5, 10, 1, 0, 0};
    const SaverSettings outOfRange{42, -1, 7, 3, 1};
    for (const SaverSettings *stored : {&defaults, &outOfRange}) {
        if (stored == &outOfRange)
            SaverSettings(outOfRange).Save(&app);
        const time_t t0 = std::time(nullptr);
        auto *scene = new CSceneWnd(TRUE, TRUE);
        const time_t t1 = std::time(nullptr);
        const int firstDraw = scene->m_random.Next();
        EXPECT_EQ(std::vector<int>({scene->m_nSpeed, scene->m_nReliability, scene->m_nSound,
                                    scene->m_nClearScreen, scene->m_nWallpaper}),
                  std::vector<int>({stored->Speed, stored->Reliability, stored->Sound,
                                    stored->ClearScreen, stored->Wallpaper}));
        bool seeded = false;
        for (time_t t = t0; t <= t1; ++t) {
            SceneGenerator expected;
            expected.Seed(unsigned(t));
            seeded = seeded || expected.Next() == firstDraw;
        }
        EXPECT_TRUE(seeded) << "seeded with the time of construction";
        delete scene; // without loading there is nothing but the player to release
    }
}

TEST(SceneState, ALoadedSceneReleasesEveryBitmapItMade) {
    App();
    ScopedConfigHome config;
    VxReleaseScreenSurface(); // the screen's picture is the platform's, not the scene's
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
    VxRefreshScreenSurface();
}

namespace {
// An auto-deleting window whose creation handler refuses, as a failed
// WM_CREATE does.
struct RefusingWnd : CWnd {
    static inline int s_deleted = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        return message == WM_CREATE ? -1 : CWnd::WindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override { delete this; }
    ~RefusingWnd() override { ++s_deleted; }
};
} // namespace

TEST(WindowCreation, ARefusedCreateLeavesTheObjectWithItsCreator) {
    App();
    RefusingWnd::s_deleted = 0;
    auto *wnd = new RefusingWnd;
    EXPECT_FALSE(wnd->CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr));
    // The creator decides: had the framework deleted it, this would be a
    // double delete (ASan reports it) and the count would reach 2.
    EXPECT_EQ(RefusingWnd::s_deleted, 0);
    EXPECT_FALSE(wnd->GetSafeHwnd());
    delete wnd;
    EXPECT_EQ(RefusingWnd::s_deleted, 1);
    Pump(10);
}
