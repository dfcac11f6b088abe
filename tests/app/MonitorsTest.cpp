// The saver on three monitors of different sizes and pixel densities (Qt's
// offscreen platform): a window on each in its device pixels, one close for
// all of them, and monitors that come and go while it runs.
#define QTEST_QPA_MOUSE_HANDLING // mouse input through the window system path
#include "ShellTestSupport.h"

#include "app/SaverWnd.h"
#include "platform/qt/QtFramework_p.h"

#include <QScreen>

#include <set>

using namespace shelltest;

namespace {

// The primary monitor, one of twice the density, a small one. The second
// one's device pixels reach from x 1024 to 2624, where the third begins.
constexpr const char *kScreens =
    R"([{"name":"a","x":0,"y":0,"width":1024,"height":768,"logicalDpi":96},
        {"name":"b","x":1024,"y":0,"width":800,"height":600,"logicalDpi":96,"dpr":2},
        {"name":"c","x":2624,"y":0,"width":640,"height":480,"logicalDpi":96}])";
const struct {
    QRect geometry, pixels;
    int scale;
} kMonitors[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 768}, 1},
                 {{1024, 0, 800, 600}, {1024, 0, 1600, 1200}, 2},
                 {{2624, 0, 640, 480}, {2624, 0, 640, 480}, 1}};

// The platform's monitors, or those a test names, over a desktop picture in
// which every pixel's colour says where it is.
class Desktop : public IScreenService {
  public:
    Desktop() : m_previous(VxSetScreenService(this)) {
        m_picture = QImage(3264, 1200, QImage::Format_RGB32);
        for (int y = 0; y < m_picture.height(); ++y)
            for (int x = 0; x < m_picture.width(); ++x)
                m_picture.setPixel(x, y, qRgb(x & 255, y & 255, (x >> 8) << 4 | y >> 8));
        VxRefreshScreenSurface();
    }
    ~Desktop() override {
        VxSetScreenService(m_previous);
        VxRefreshScreenSurface();
        VxClearQuitRequest();
    }
    QRect Geometry() const override { return m_real.Geometry(); }
    QRect WorkArea() const override { return m_real.WorkArea(); }
    QList<VxScreenArea> Monitors() const override {
        return m_monitors.isEmpty() ? m_real.Monitors() : m_monitors;
    }
    QImage Grab() const override { return m_picture; }

    QList<VxScreenArea> m_monitors;
    QImage m_picture;

  private:
    IScreenService &m_real = VxScreenService();
    IScreenService *m_previous;
};

// The saver as its start makes it: the primary window, then the others.
std::vector<CSaverWnd *> OpenSaver() {
    CSaverWnd *primary = CSaverWnd::OpenOn(VxEnumMonitors().front(), nullptr);
    EXPECT_TRUE(primary);
    primary->CoverOtherMonitors();
    std::vector<CSaverWnd *> windows{primary};
    windows.insert(windows.end(), primary->m_others.begin(), primary->m_others.end());
    return windows;
}

} // namespace

TEST(Monitors, EachGetsAWindowOfItsOwnInItsDevicePixels) {
    App(kScreens);
    ScopedConfigHome config;
    BoxRecorder boxes;
    Desktop desktop;
    CWinApp app;
    app.SetRegistryKey("Quorvane Screen Savers");
    WriteFile(config.Path("Quorvane Screen Savers/vantorix.ini"), "[Config]\nSound=2\n");
    const std::vector<CSaverWnd *> windows = OpenSaver();
    ASSERT_EQ(windows.size(), 3u);
    std::vector<int> firstDraws;
    for (size_t i = 0; i < windows.size(); ++i) {
        CSaverWnd *w = windows[i];
        const auto &monitor = kMonitors[i];
        const QSize pixels = monitor.pixels.size();
        RECT client;
        w->GetClientRect(&client);
        EXPECT_EQ(WidgetOf(w)->geometry(), monitor.geometry) << i;
        EXPECT_EQ(QSize(client.right, client.bottom), pixels) << i;
        EXPECT_EQ(QSize(w->m_cxScreen, w->m_cyScreen), pixels) << i;
        EXPECT_EQ(w->m_nScale, monitor.scale) << i;
        EXPECT_EQ(w->m_nSound, i == 0 ? 2 : 0) << i << ": sound on the primary monitor only";
        // The snapshot is the monitor's own part of the one picture, sharp.
        EXPECT_EQ(VxBitmapToImage(w->m_pBackground->GetSafeHandle()),
                  desktop.m_picture.copy(monitor.pixels))
            << i;
        SceneGenerator next = w->m_random;
        firstDraws.push_back(next.Next());
    }
    EXPECT_EQ(std::set<int>(firstDraws.begin(), firstDraws.end()).size(), 3u);

    // All of them fly (none lost its activation to another), and a monitor
    // of twice the density shows its surface pixel for pixel.
    ASSERT_TRUE(WaitFor([&] { return windows[1]->m_nKind != -1 && windows[2]->m_nKind != -1; }));
    for (CSaverWnd *w : windows)
        EXPECT_TRUE(IsWindow(w->m_hWnd));
    EXPECT_EQ(WidgetOf(windows[1])->grab().toImage().convertToFormat(QImage::Format_RGB32),
              VxBackingImage(windows[1]->m_impl->backing));
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text;

    // While the password dialog is up every scene stands still.
    windows[0]->m_bPasswordActive = TRUE;
    Pump(100);
    const POINT at{windows[2]->m_x, windows[2]->m_y};
    Pump(400);
    EXPECT_TRUE(at.x == windows[2]->m_x && at.y == windows[2]->m_y);
    windows[0]->m_bPasswordActive = FALSE;
    windows[0]->DestroyWindow();
}

TEST(Monitors, InputOnAnyOfThemClosesAll) {
    App(kScreens);
    ScopedConfigHome config; // no password
    Desktop desktop;
    using Action = std::function<void(const std::vector<CSaverWnd *> &)>;
    const struct {
        const char *label;
        Action action;
        bool closes;
    } rows[] = {
        {"click on the dense monitor",
         [](auto &w) { QTest::mouseClick(WidgetOf(w[1]), Qt::LeftButton, {}, QPoint(30, 40)); },
         true},
        {"key on the small monitor", [](auto &w) { QTest::keyPress(WidgetOf(w[2]), Qt::Key_A); },
         true},
        {"moves on the dense monitor, in its pixels",
         [](auto &w) {
             QTest::mouseMove(WidgetOf(w[1]), {10, 20});
             EXPECT_EQ(w[1]->m_ptFirstMouse.x * 10 + w[1]->m_ptFirstMouse.y, 20 * 10 + 40);
             QTest::mouseMove(WidgetOf(w[1]), {11, 20});
         },
         true},
        {"a close request to another monitor's window",
         [](auto &w) { w[2]->SendMessage(WM_CLOSE, 0, 0); }, true},
        {"the primary window deactivated",
         [](auto &w) { w[0]->SendMessage(WM_ACTIVATE, WA_INACTIVE, 0); }, true},
        {"the activation passing to another monitor's window",
         [](auto &w) { w[0]->SendMessage(WM_ACTIVATE, WA_INACTIVE, LPARAM(w[1]->m_hWnd)); }, false},
        {"first move on the small monitor",
         [](auto &w) { QTest::mouseMove(WidgetOf(w[2]), QPoint(5, 5)); }, false},
    };
    for (const auto &row : rows) {
        const std::vector<CSaverWnd *> windows = OpenSaver();
        std::vector<HWND> handles;
        for (CSaverWnd *w : windows) {
            handles.push_back(w->m_hWnd);
            w->m_ptFirstMouse = POINT{-1, -1};
        }
        Pump(30);
        row.action(windows);
        Pump(60);
        for (HWND hwnd : handles)
            EXPECT_EQ(!IsWindow(hwnd), row.closes) << row.label;
        EXPECT_EQ(VxQuitRequested(), row.closes) << row.label;
        Dispose(handles[0]);
    }
}

TEST(Monitors, OneAddedOrRemovedWhileRunningStartsOrEndsItsWindow) {
    App(kScreens);
    ScopedConfigHome config;
    BoxRecorder boxes;
    Desktop desktop;
    const QList<VxScreenArea> all = VxScreenService().Monitors();
    ASSERT_EQ(all.size(), 3);
    const std::vector<CSaverWnd *> windows = OpenSaver();
    CSaverWnd *primary = windows[0];
    const HWND dense = windows[1]->m_hWnd, small = windows[2]->m_hWnd;
    VxEndStartUp(); // as the saver's start does: the desktop's picture is gone
    Pump(50);

    desktop.m_monitors = {all[0], all[2]};
    primary->SendMessage(WM_DISPLAYCHANGE, 32, 0);
    ASSERT_EQ(primary->m_others.size(), 1u);
    EXPECT_FALSE(IsWindow(dense));
    EXPECT_EQ(primary->m_others[0]->m_hWnd, small) << "the window of a monitor still there stays";

    // The toolkit's news of a monitor reaches the primary window as a
    // message; the new window shows black, not a picture of the saver.
    desktop.m_monitors = all;
    emit qGuiApp->screenAdded(QGuiApplication::screens().at(1));
    ASSERT_TRUE(WaitFor([&] { return primary->m_others.size() == 2; }));
    CSaverWnd *again = primary->m_others.back();
    EXPECT_EQ(WidgetOf(again)->geometry(), kMonitors[1].geometry);
    EXPECT_EQ(again->m_cxScreen, 1600);
    QImage black(1600, 1200, QImage::Format_RGB32);
    black.fill(Qt::black);
    EXPECT_EQ(VxBitmapToImage(again->m_pBackground->GetSafeHandle()), black);
    EXPECT_TRUE(boxes.boxes.empty());
    primary->DestroyWindow();
}

TEST(Monitors, TheSceneScaleIsTwoFromOneAndAHalfDevicePixelsPerPixel) {
    const struct {
        LONG width, pixels;
        int scale;
    } rows[] = {{1280, 1280, 1}, {1280, 1600, 1}, {1280, 1919, 1}, {1280, 1920, 2},
                {1280, 2560, 2}, {1280, 3840, 2}, {0, 1920, 1}};
    for (const auto &row : rows) {
        VxMonitorInfo monitor;
        SetRect(&monitor.rcMonitor, 100, 0, 100 + row.width, 800);
        monitor.szPixels = SIZE{row.pixels, 1600};
        EXPECT_EQ(CSaverWnd::SceneScaleFor(monitor), row.scale) << row.width << " " << row.pixels;
    }
}
