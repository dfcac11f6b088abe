// The mode switch: which argument selects which mode, and what each mode
// starts, run row by row through the real application object.
#include "ShellTestSupport.h"

#include "app/HostWnd.h"
#include "app/SaverApp.h"
#include "app/SaverWnd.h"
#include "scene/SceneWnd.h"

#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace shelltest;

namespace {

enum Mode { Nothing, Config, Preview, Saver, Password, Host };
const char *const kModeNames[] = {"nothing", "configuration", "preview",
                                  "saver",   "password",      "host's window"};

struct Outcome {
    BOOL init = FALSE;
    int exitCode = 0;
    std::vector<UINT> dialogs; // templates of the dialogs shown, in order
    bool saverBeforeSplashEnded = false;
    Mode mode = Nothing;
    HWND parent = nullptr;
    RECT rect{}, client{};
    int speed = -1; // the scene's
    std::vector<RecordedBox> boxes;
    bool settingsWritten = false;
    int screenGrabs = 0;
};

bool AnySaverWindow() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (dynamic_cast<CSaverWnd *>(VxWndFromWidget(w)) && w->isVisible())
            return true;
    return false;
}

Outcome RunSwitch(std::vector<std::string> args) {
    ScopedConfigHome config;
    BoxRecorder boxes;
    Outcome out;
    args.insert(args.begin(), "/usr/lib/vantorix/Vantorix.scr");
    std::vector<char *> argv = Argv(args);

    // Each row starts as a process of its own does, on a screen that counts
    // how often it is read.
    VxVirtualScreen screen(QSize(kScreenWidth, kScreenHeight));
    VxSetScreenService(&screen);
    VxRefreshScreenSurface();
    CSceneWnd::ResetProcessStateForTesting();

    CSaverApp app;
    app.SetAppName(argv[0]);
    app.m_argc = int(args.size());
    app.m_argv = argv.data();

    // Each dialog is noted and dismissed with Esc, as a user would.
    std::vector<HWND> seen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = dynamic_cast<CDialog *>(VxWndFromWidget(w));
            if (!dialog || !w->isVisible() ||
                std::find(seen.begin(), seen.end(), dialog->m_hWnd) != seen.end())
                continue;
            seen.push_back(dialog->m_hWnd);
            out.dialogs.push_back(dialog->m_nIDTemplate);
            out.saverBeforeSplashEnded |= dialog->m_nIDTemplate == 132 && AnySaverWindow();
            QTest::keyClick(w, Qt::Key_Escape);
        }
    });
    watcher.start(20);
    out.init = app.InitInstance();
    watcher.stop();
    out.exitCode = app.m_nExitCode;
    out.boxes = boxes.boxes;

    if (CWnd *main = app.m_pMainWnd) {
        out.mode = dynamic_cast<CHostWnd *>(main)    ? Host
                   : dynamic_cast<CSaverWnd *>(main) ? Saver
                   : dynamic_cast<CSceneWnd *>(main) ? Preview
                                                     : Nothing;
        out.parent = main->GetParent() ? main->GetParent()->m_hWnd : nullptr;
        main->GetWindowRect(&out.rect);
        main->GetClientRect(&out.client);
        if (auto *scene = dynamic_cast<CSceneWnd *>(main))
            out.speed = scene->m_nSpeed;
        main->DestroyWindow(); // deletes itself
        app.m_pMainWnd = nullptr;
    } else if (!out.dialogs.empty() && out.dialogs.front() == 102) {
        out.mode = Config;
    } else if (!out.boxes.empty()) {
        out.mode = Password;
    }
    out.settingsWritten = std::filesystem::exists(config.Path("Quorvane Screen Savers"));
    out.screenGrabs = screen.Grabs();
    VxClearQuitRequest();
    VxSetScreenService(nullptr); // also undoes a host's run making its window the screen
    VxRefreshScreenSurface();
    return out;
}

} // namespace

TEST(SwitchTable, EachArgumentStartsItsModeAndNothingElse) {
    App();
    QTemporaryDir modules; // no password component: the change mode reports that
    qputenv("VANTORIX_MODULE_DIR", modules.path().toLocal8Bit());
    QWidget host;
    host.resize(152, 112);
    host.show();
    const uintptr_t id = uintptr_t(host.winId());
    const std::string dec = std::to_string(id);
    const std::string hex = "0x" + QString::number(id, 16).toUpper().toStdString();

    // Window ids are decimal or 0x and hexadecimal (the password change reads
    // them like "%i"). A host's window, given by --window-id or in
    // XSCREENSAVER_WINDOW, gets the scene without title card; the options for
    // one run stand anywhere and reach the scene, never the settings file.
    const int bad = CSaverApp::kExitBadPreviewHandle;
    const struct {
        std::vector<std::string> args;
        Mode mode;
        int exitCode;
        const char *xscreensaverWindow = nullptr;
        int speed = 5;
    } rows[] = {{{}, Config, 0},
                {{"/c"}, Config, 0},
                {{"-C"}, Config, 0},
                {{"/c", "1234"}, Config, 0},
                {{"/c:1234"}, Config, 0},
                {{"//c"}, Nothing, 0},
                {{"S"}, Saver, 0},
                {{"/s:123"}, Nothing, 0},
                {{"-P", dec, "extra"}, Preview, 0},
                {{"/p", hex}, Preview, 0},
                {{"--window-id", dec}, Host, 0},
                {{"-root"}, Host, 0, hex.c_str()},
                {{"--root", "--speed", "9"}, Host, 0, dec.c_str(), 9},
                {{"--root"}, Nothing, bad, "12ab"},
                {{"-window-id", "0"}, Nothing, bad},
                {{"--speed", "9", "S", "--sound", "off"}, Saver, 0, nullptr, 9},
                {{"-s", "--speed", "0"}, Nothing, bad},
                {{"--background", "plaid", "/c"}, Nothing, bad},
                {{"--missiles", "3", "/c"}, Config, 0},
                {{"/p"}, Nothing, bad},
                {{"/a", hex}, Password, 0},
                {{"x"}, Nothing, 0}};
    for (const auto &row : rows) {
        std::string label = "switch";
        for (const std::string &a : row.args)
            label += " \"" + a + "\"";
        if (row.xscreensaverWindow)
            qputenv("XSCREENSAVER_WINDOW", row.xscreensaverWindow);
        const Outcome out = RunSwitch(row.args);
        qunsetenv("XSCREENSAVER_WINDOW");
        EXPECT_EQ(out.mode, row.mode) << label << ": got " << kModeNames[out.mode];
        EXPECT_EQ(out.exitCode, row.exitCode) << label;
        EXPECT_EQ(out.init, BOOL(row.mode == Preview || row.mode == Saver || row.mode == Host))
            << label;
        EXPECT_FALSE(out.settingsWritten) << label << ": no mode here stores settings";
        const std::vector<UINT> dialogs = row.mode == Config  ? std::vector<UINT>{102}
                                          : row.mode == Saver ? std::vector<UINT>{132}
                                                              : std::vector<UINT>{};
        EXPECT_EQ(out.dialogs, dialogs) << label << ": the splash comes before the saver";
        EXPECT_EQ(out.boxes.size(), size_t(row.mode == Password)) << label;
        // Colour test, catalogue, masks, background and window: one grab.
        EXPECT_EQ(out.screenGrabs, row.mode == Saver ? 1 : 0) << label;
        if (row.mode == Saver) {
            EXPECT_FALSE(out.saverBeforeSplashEnded) << label;
            EXPECT_EQ(out.rect.right - out.rect.left, kScreenWidth) << label;
            EXPECT_EQ(out.rect.bottom - out.rect.top, kScreenHeight) << label;
            EXPECT_EQ(out.speed, row.speed) << label;
        } else if (row.mode == Preview) {
            EXPECT_EQ(out.parent, HWND(id)) << label;
        } else if (row.mode == Host) {
            // The pane is much smaller than the screen: the scene runs at the
            // screen's width, shown scaled into the pane.
            EXPECT_EQ(out.parent, HWND(id)) << label;
            EXPECT_EQ(out.rect.right - out.rect.left, 152) << label;
            EXPECT_EQ(out.client.right, kScreenWidth) << label;
            EXPECT_EQ(out.speed, row.speed) << label;
        } else if (row.mode == Password && !out.boxes.empty()) {
            EXPECT_EQ(out.boxes[0].owner, HWND(id)) << label << ": owned by the host";
        }
    }
    qunsetenv("VANTORIX_MODULE_DIR");
}

TEST(SwitchTable, HelpAndVersionAnswerBeforeAnyModeStarts) {
    const struct {
        std::vector<std::string> args;
        std::string start; // what the output starts with; empty: not answered
    } rows[] = {{{"--version"}, std::string("vantorix ") + VX_VERSION + "\n"},
                {{"-s", "--help"}, "Usage: vantorix"},
                {{"-h"}, "Usage: vantorix"},
                {{"/s"}, ""},
                {{"--helpx"}, ""},
                {{"//version"}, ""}};
    for (const auto &row : rows) {
        std::vector<std::string> args = row.args;
        args.insert(args.begin(), "vantorix");
        std::vector<char *> argv = Argv(args);
        char *text = nullptr;
        size_t size = 0;
        std::FILE *out = open_memstream(&text, &size);
        const bool answered = AnswerInformationRequest(int(args.size()), argv.data(), out);
        std::fclose(out);
        const std::string output(text, size);
        std::free(text);
        EXPECT_EQ(answered, !row.start.empty()) << row.args.back();
        EXPECT_EQ(output.substr(0, row.start.size()), row.start) << row.args.back();
        EXPECT_EQ(output.empty(), row.start.empty()) << row.args.back();
    }
}
