// The program as a process: exit codes of the real executable for the modes
// that end at once, and whole runs of the framework's entry point (splash,
// saver, input, quit; the colour message; the preview's end with its host)
// in a child process each.
#include "app/SaverApp.h"
#include "app/SaverWnd.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "platform/qt/QtWindowImpl.h"
#include "res/ResourceTable.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `body` in a child process; its result is the child's exit status,
// -1 when it died from a signal or ran past the time limit.
int InChild(const std::function<int()> &body, int seconds = 20) {
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(unsigned(seconds));
        _exit(body());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QProcessEnvironment Headless(const QString &config) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.remove(QStringLiteral("VANTORIX_DISPLAY_DEPTH"));
    return env;
}

CWnd *WndOf(QWidget *w) {
    return VxWndFromWidget(w);
}

} // namespace

TEST(Process, ModesThatEndAtOnceReturnTheirExitCodes) {
    struct Row {
        QStringList args;
        int exitCode;
    };
    const Row rows[] = {
        {{QStringLiteral("/c:1234")}, 0},
        {{QStringLiteral("//s")}, 0},
        {{QStringLiteral("x")}, 0},
        {{QStringLiteral("-p")}, CSaverApp::kExitBadPreviewHandle},
        {{QStringLiteral("-p"), QStringLiteral("0x4D2")}, CSaverApp::kExitBadPreviewHandle},
        {{QStringLiteral("/p"), QStringLiteral("1234")}, CSaverApp::kExitBadPreviewHandle},
        {{QStringLiteral("/P"), QStringLiteral("-7")}, CSaverApp::kExitBadPreviewHandle},
    };
    for (const Row &row : rows) {
        QTemporaryDir config;
        QProcess process;
        process.setProcessEnvironment(Headless(config.path()));
        process.start(QStringLiteral(VX_VANTORIX), row.args);
        const std::string label = row.args.join(QLatin1Char(' ')).toStdString();
        ASSERT_TRUE(process.waitForFinished(15000)) << label << " keeps running";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << label;
        EXPECT_EQ(process.exitCode(), row.exitCode) << label;
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
                if (!w->isVisible())
                    continue;
                CWnd *wnd = WndOf(w);
                if (dynamic_cast<CDialog *>(wnd)) {
                    QTest::keyClick(w, Qt::Key_Escape);
                    return;
                }
                if (dynamic_cast<CSaverWnd *>(wnd) && wnd == m_pMainWnd) {
                    sawSaver = true;
                    QTest::keyPress(w, Qt::Key_Space);
                    return;
                }
            }
        });
        hand->start(100);
        return CSaverApp::InitInstance();
    }
};
} // namespace

TEST(Process, TheSaverEndsWithCodeZeroAfterItsWindowIsDestroyed) {
    QTemporaryDir config;
    const int status = InChild([&] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
        AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
        UserAtTheKeyboard app;
        char name[] = "vantorix";
        char sw[] = "-s";
        char *argv[] = {name, sw, nullptr};
        const int code = AfxWinMain(2, argv);
        return app.sawSaver ? code : 100 + code;
    });
    EXPECT_EQ(status, 0) << "100 and up: the saver window never appeared";
}

namespace {
// Records the colour message and whether the splash came before it.
class FourBitDisplay : public CSaverApp, public IMessageBoxService {
  public:
    bool splashSeen = false;
    bool splashGoneBeforeBox = false;
    std::string text, caption;
    UINT style = 0;
    HWND owner = reinterpret_cast<HWND>(1);
    int boxes = 0;

    int Show(HWND o, const char *t, const char *c, UINT s) override {
        ++boxes;
        owner = o;
        text = t;
        caption = c;
        style = s;
        splashGoneBeforeBox = true;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && dynamic_cast<CDialog *>(WndOf(w)))
                splashGoneBeforeBox = false;
        return IDOK;
    }
    BOOL InitInstance() override {
        VxSetMessageBoxService(this);
        auto *look = new QTimer(qApp);
        QObject::connect(look, &QTimer::timeout, [this] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && dynamic_cast<CDialog *>(WndOf(w)))
                    splashSeen = true;
        });
        look->start(50);
        return CSaverApp::InitInstance();
    }
};
} // namespace

TEST(Process, AFourBitDisplayShowsTheSplashThenTheColourMessageAndNoSaver) {
    QTemporaryDir config;
    const int status = InChild([&] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
        setenv("VANTORIX_DISPLAY_DEPTH", "4", 1);
        AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
        FourBitDisplay app;
        char name[] = "vantorix";
        char sw[] = "/S";
        char *argv[] = {name, sw, nullptr};
        const int code = AfxWinMain(2, argv);
        const std::string expectedText =
            "The Vantorix screen saver requires 256 or more colors.  Please set your display "
            "settings for 8-bit color or greater to use this screen saver.\n\nThank you.";
        if (code != 0)
            return 1;
        if (!app.splashSeen)
            return 2;
        if (app.boxes != 1 || !app.splashGoneBeforeBox)
            return 3;
        if (app.text != expectedText || app.caption != "Quorvane Vantorix Screen Saver")
            return 4;
        if (app.style != (MB_OK | MB_ICONINFORMATION) || app.owner != nullptr)
            return 5;
        if (app.m_pMainWnd)
            return 6;
        return 0;
    });
    EXPECT_EQ(status, 0) << "1 exit code, 2 no splash, 3 box count or order, 4 wording, "
                            "5 style or owner, 6 a saver window";
}

namespace {
// A host window of the same process that closes half a second after the
// preview started in it.
class ClosingHost : public CSaverApp {
  public:
    std::string id;
    char *args[4] = {};
    bool previewMade = false;
    BOOL InitInstance() override {
        auto *host = new QWidget;
        host->resize(120, 90);
        host->show();
        id = std::to_string(uintptr_t(host->winId()));
        args[0] = m_argv[0];
        args[1] = m_argv[1];
        args[2] = id.data();
        m_argc = 3;
        m_argv = args;
        QTimer::singleShot(500, [host] { delete host; });
        const BOOL result = CSaverApp::InitInstance();
        previewMade = result && m_pMainWnd;
        return result;
    }
};
} // namespace

TEST(Process, ThePreviewEndsWithCodeZeroWhenItsHostGoes) {
    QTemporaryDir config;
    const int status = InChild([&] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
        AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
        ClosingHost app;
        char name[] = "vantorix";
        char sw[] = "/p";
        char *argv[] = {name, sw, nullptr};
        const int code = AfxWinMain(2, argv);
        return app.previewMade ? code : 100 + code;
    });
    EXPECT_EQ(status, 0);
}
