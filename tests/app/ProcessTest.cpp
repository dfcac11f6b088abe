// The program as a process: exit codes of the real executable for the modes
// that end at once, and whole runs of the framework's entry point (splash,
// saver, input, quit; the colour message) in a child process each.
#include "app/SaverApp.h"
#include "app/SaverWnd.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "platform/qt/QtWindowImpl.h"
#include "res/ResourceTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace {

// Runs `app` through the framework's entry point with switch `sw` in a child
// process; the result is the child's exit status when `check` holds
// afterwards, 100 + it when not, -1 when it died or ran past 20 s.
template <class App>
int RunInChild(const char *sw, const std::function<bool(App &)> &check,
               const char *depth = nullptr) {
    QTemporaryDir config;
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(20);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
        if (depth)
            setenv("VANTORIX_DISPLAY_DEPTH", depth, 1);
        AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
        App app;
        std::string name = "vantorix", arg = sw;
        char *argv[] = {name.data(), arg.data(), nullptr};
        const int code = AfxWinMain(2, argv);
        _exit(check(app) ? code : 100 + code);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool IsDialog(QWidget *w) {
    return w->isVisible() && dynamic_cast<CDialog *>(VxWndFromWidget(w));
}

bool AnyDialog() {
    const QWidgetList all = QApplication::topLevelWidgets();
    return std::any_of(all.begin(), all.end(), IsDialog);
}

} // namespace

TEST(Process, ModesThatEndAtOnceReturnTheirExitCodes) {
    const int bad = CSaverApp::kExitBadPreviewHandle, none = CSaverApp::kExitNoWindow;
    // No compositor listens at WAYLAND_DISPLAY; the X server is kept only
    // for rows that say so (run again on a virtual X display).
    const struct {
        QStringList args;
        int exitCode;
        QString platform; // QT_QPA_PLATFORM, unset when empty
        bool x11 = false;
    } rows[] = {
        {{u"/s:123"_s}, 0, u"offscreen"_s},
        {{u"/p"_s, u"1234"_s}, bad, u"offscreen"_s},
        {{u"--root"_s}, bad, u"offscreen"_s}, // no X11 display to draw on
        // Neither display: one line and code 3, whatever was asked for.
        {{u"-s"_s}, none, {}},
        {{u"-s"_s}, none, u"wayland"_s},
        {{u"--root"_s}, none, u"xcb"_s},
        // A Wayland platform asked for without a compositor runs on X11.
        {{u"/p"_s, u"1234"_s}, bad, u"wayland"_s, true},
    };
    for (const auto &row : rows) {
        const std::string label = (row.platform + u' ' + row.args.join(u' ')).toStdString();
        QTemporaryDir config;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (row.x11 && !env.contains(u"DISPLAY"_s))
            continue;
        if (!row.x11)
            env.remove(u"DISPLAY"_s);
        env.insert(u"WAYLAND_DISPLAY"_s, u"no-compositor-here"_s);
        env.remove(u"QT_QPA_PLATFORM"_s);
        if (!row.platform.isEmpty())
            env.insert(u"QT_QPA_PLATFORM"_s, row.platform);
        env.insert(u"XDG_CONFIG_HOME"_s, config.path());
        env.remove(u"VANTORIX_DISPLAY_DEPTH"_s);
        env.remove(u"XSCREENSAVER_WINDOW"_s);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(VX_VANTORIX), row.args);
        ASSERT_TRUE(process.waitForFinished(15000)) << label << " keeps running";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << label;
        EXPECT_EQ(process.exitCode(), row.exitCode) << label;
        if (row.exitCode == none) {
            EXPECT_EQ(process.readAllStandardError().count('\n'), 1) << label;
        }
        EXPECT_TRUE(QDir(config.path()).isEmpty()) << label << ": nothing stored";
    }
}

namespace {
// The saver as a user meets it: the splash, dismissed with Esc, then the
// full-screen window, ended by a key press.
class UserAtTheKeyboard : public CSaverApp {
  public:
    bool sawSaver = false;
    BOOL InitInstance() override {
        auto *hand = new QTimer(qApp);
        QObject::connect(hand, &QTimer::timeout, [this] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (IsDialog(w))
                    return QTest::keyClick(w, Qt::Key_Escape);
                if (w->isVisible() && m_pMainWnd && VxWndFromWidget(w) == m_pMainWnd) {
                    sawSaver = true;
                    return QTest::keyPress(w, Qt::Key_Space);
                }
            }
        });
        hand->start(100);
        return CSaverApp::InitInstance();
    }
};

// Shows the colour message and records whether the splash came before it.
class FourBitDisplay : public CSaverApp, public IMessageBoxService {
  public:
    bool splashSeen = false, rightBoxAfterSplash = false;
    int boxes = 0;

    int Show(HWND owner, const char *text, const char *caption, UINT style) override {
        ++boxes;
        rightBoxAfterSplash =
            !AnyDialog() && !owner && style == (MB_OK | MB_ICONINFORMATION) &&
            std::string(caption) == "Quorvane Vantorix Screen Saver" &&
            std::string(text).find("requires 256 or more colors") != std::string::npos;
        return IDOK;
    }
    BOOL InitInstance() override {
        VxSetMessageBoxService(this);
        auto *look = new QTimer(qApp);
        QObject::connect(look, &QTimer::timeout, [this] { splashSeen |= AnyDialog(); });
        look->start(50);
        return CSaverApp::InitInstance();
    }
};
} // namespace

TEST(Process, TheSaverEndsWithCodeZeroAfterItsWindowIsDestroyed) {
    // A 256-colour display is enough for the saver.
    for (const char *depth : {"32", "8"})
        EXPECT_EQ(RunInChild<UserAtTheKeyboard>(
                      "-s", [](auto &app) { return app.sawSaver; }, depth),
                  0)
            << depth << " bits; 100 and up: the saver window never appeared";
}

TEST(Process, AFourBitDisplayShowsTheSplashThenTheColourMessageAndNoSaver) {
    EXPECT_EQ(RunInChild<FourBitDisplay>(
                  "/S",
                  [](FourBitDisplay &app) {
                      return app.splashSeen && app.boxes == 1 && app.rightBoxAfterSplash &&
                             !app.m_pMainWnd;
                  },
                  "4"),
              0)
        << "100: no splash, not one box after it, its wording, style or owner, or a saver";
}

// On X11: a window of another program named as the owner of a password
// change keeps the change's message box above it, as its transient.
TEST(Process, AChangeMessageIsTransientForTheOwnerOfAnotherProgram) {
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        GTEST_SKIP() << "no X display";
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t owner = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(c, owner);
    xcb_flush(c);
    // The box of a window that is a transient for `owner`, if any.
    const auto transientOfOwner = [&] {
        xcb_query_tree_reply_t *tree =
            xcb_query_tree_reply(c, xcb_query_tree(c, screen->root), nullptr);
        bool found = false;
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree) && !found; ++i) {
            xcb_get_property_reply_t *p = xcb_get_property_reply(
                c,
                xcb_get_property(c, 0, xcb_query_tree_children(tree)[i], XCB_ATOM_WM_TRANSIENT_FOR,
                                 XCB_ATOM_WINDOW, 0, 1),
                nullptr);
            found = p && xcb_get_property_value_length(p) == 4 &&
                    *static_cast<xcb_window_t *>(xcb_get_property_value(p)) == owner;
            std::free(p);
        }
        std::free(tree);
        return found;
    };
    QTemporaryDir config, noModules;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"XDG_CONFIG_HOME"_s, config.path());
    env.insert(u"VANTORIX_MODULE_DIR"_s, noModules.path());
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VX_VANTORIX), {u"/a"_s, QString::number(owner)});
    QElapsedTimer clock;
    clock.start();
    bool transient = false;
    while (!transient && clock.elapsed() < 10000 && process.state() != QProcess::NotRunning) {
        process.waitForFinished(50);
        transient = transientOfOwner();
    }
    process.kill();
    process.waitForFinished(5000);
    EXPECT_TRUE(transient) << "the box \"Couldn't load MRP.DLL\" is not a transient of its owner";
    xcb_destroy_window(c, owner);
    xcb_disconnect(c);
}

// Under a Wayland compositor (weston, headless): the title card and the
// saver window each ask to be full screen; the card keeps its own size, so
// the compositor centres it, and the saver's window covers the output.
TEST(Process, OnWaylandTheTitleCardAndTheSaverAskForFullScreen) {
    const QString weston = QStandardPaths::findExecutable(u"weston"_s);
    if (weston.isEmpty())
        GTEST_SKIP() << "weston is not installed";
    QTemporaryDir runtime, config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    QProcess compositor, saver;
    compositor.setProcessEnvironment(env);
    compositor.start(weston, u"--backend=headless-backend.so --socket=vx-test --width=1024 "
                             u"--height=768 --idle-time=0"_s.split(u' '));
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(runtime.filePath(u"vx-test"_s)) && clock.elapsed() < 10000)
        QTest::qWait(50);
    env.remove(u"DISPLAY"_s);
    env.remove(u"QT_QPA_PLATFORM"_s);
    env.insert(u"WAYLAND_DISPLAY"_s, u"vx-test"_s);
    env.insert(u"WAYLAND_DEBUG"_s, u"1"_s);
    env.insert(u"XDG_CONFIG_HOME"_s, config.path());
    saver.setProcessEnvironment(env);
    saver.start(QStringLiteral(VX_VANTORIX), {u"-s"_s});
    // The protocol log; after the first part, one per top-level window: the
    // card, then the saver.
    QString log;
    QStringList parts;
    while (clock.elapsed() < 20000 && saver.state() != QProcess::NotRunning &&
           (parts.size() < 3 || !parts[2].contains(u"set_window_geometry"_s))) {
        saver.waitForReadyRead(100);
        log += QString::fromLatin1(saver.readAllStandardError());
        parts = log.split(u"get_toplevel("_s);
    }
    saver.kill();
    saver.waitForFinished(5000);
    compositor.terminate();
    compositor.waitForFinished(5000);
    ASSERT_EQ(parts.size(), 3) << "the title card and the saver's window";
    for (const QString &part : {parts[1], parts[2]})
        EXPECT_TRUE(part.contains(u"set_fullscreen(wl_output@"_s)) << part.left(200).toStdString();
    const QString screen = u"set_window_geometry(0, 0, 1024, 768)"_s;
    EXPECT_TRUE(parts[1].contains(u"set_window_geometry("_s) && !parts[1].contains(screen))
        << "the title card is stretched over the screen";
    EXPECT_TRUE(parts[2].contains(screen)) << "the saver's window does not cover the screen";
}
