// The mode switch: which argument selects which mode, and what each mode
// starts, run row by row through the real application object.
#include "ShellTestSupport.h"

#include "app/SaverApp.h"
#include "app/SaverWnd.h"
#include "scene/SceneWnd.h"

#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace shelltest;

TEST(MatchSwitch, ArgumentsAgainstLetters) {
    struct Row {
        const char *argument;
        const char *letter;
        BOOL match;
    };
    const Row rows[] = {
        {"/s", "s", TRUE},   {"-s", "s", TRUE},       {"s", "s", TRUE},    {"/S", "s", TRUE},
        {"S", "s", TRUE},    {"-C", "c", TRUE},       {"/p", "p", TRUE},   {"/A", "a", TRUE},
        {"//s", "s", FALSE}, {"--s", "s", FALSE},     {"-/s", "s", FALSE}, {"/s:123", "s", FALSE},
        {"/sx", "s", FALSE}, {"/s ", "s", FALSE},     {" /s", "s", FALSE}, {"/", "s", FALSE},
        {"", "s", FALSE},    {"/c:1234", "c", FALSE}, {"/p", "s", FALSE},  {"-", "", TRUE},
    };
    for (const Row &row : rows)
        EXPECT_EQ(MatchSwitch(row.argument, row.letter), row.match)
            << "\"" << row.argument << "\" against \"" << row.letter << "\"";
    EXPECT_FALSE(MatchSwitch(nullptr, "s"));
}

namespace {

enum class Mode { None, Config, Preview, Saver, Password };

const char *Name(Mode m) {
    switch (m) {
    case Mode::None:
        return "nothing";
    case Mode::Config:
        return "configuration";
    case Mode::Preview:
        return "preview";
    case Mode::Saver:
        return "saver";
    case Mode::Password:
        return "password change";
    }
    return "?";
}

struct Outcome {
    BOOL init = FALSE;
    int exitCode = 0;
    std::vector<UINT> dialogs; // templates of the dialogs shown, in order
    bool saverBeforeSplashEnded = false;
    Mode mode = Mode::None;
    HWND previewParent = nullptr;
    RECT mainRect{};
    std::vector<RecordedBox> boxes;
    bool settingsWritten = false;
};

bool AnySaverWindow() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (dynamic_cast<CSaverWnd *>(VxWndFromWidget(w)) && w->isVisible())
            return true;
    return false;
}

Outcome RunSwitch(std::vector<std::string> args) {
    PrivateConfig config;
    BoxRecorder boxes;
    Outcome out;
    args.insert(args.begin(), "/usr/lib/vantorix/Vantorix.scr");
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    CSaverApp app;
    app.SetAppName(argv[0]);
    app.m_argc = int(args.size());
    app.m_argv = argv.data();

    // Each dialog is noted and dismissed with Esc, as a user would.
    std::vector<HWND> seen;
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = dynamic_cast<CDialog *>(VxWndFromWidget(w));
            if (!dialog || !w->isVisible() ||
                std::find(seen.begin(), seen.end(), dialog->m_hWnd) != seen.end())
                continue;
            seen.push_back(dialog->m_hWnd);
            out.dialogs.push_back(dialog->m_nIDTemplate);
            if (dialog->m_nIDTemplate == 132 && AnySaverWindow())
                out.saverBeforeSplashEnded = true;
            QTest::keyClick(w, Qt::Key_Escape);
        }
    });
    watcher.start();
    out.init = app.InitInstance();
    watcher.stop();
    out.exitCode = app.m_nExitCode;
    out.boxes = boxes.boxes;

    if (CWnd *main = app.m_pMainWnd) {
        if (dynamic_cast<CSaverWnd *>(main))
            out.mode = Mode::Saver;
        else if (dynamic_cast<CSceneWnd *>(main))
            out.mode = Mode::Preview;
        out.previewParent = main->GetParent() ? main->GetParent()->m_hWnd : nullptr;
        main->GetWindowRect(&out.mainRect);
        main->DestroyWindow(); // deletes itself
        app.m_pMainWnd = nullptr;
    } else if (!out.dialogs.empty() && out.dialogs.front() == 102) {
        out.mode = Mode::Config;
    } else if (!out.boxes.empty()) {
        out.mode = Mode::Password;
    }
    out.settingsWritten = QFileInfo::exists(config.Path(QStringLiteral("Quorvane Screen Savers")));
    VxClearQuitRequest();
    return out;
}

} // namespace

TEST(SwitchTable, EachArgumentStartsItsModeAndNothingElse) {
    App();
    QTemporaryDir modules; // no password component: the change mode reports that
    setenv("VANTORIX_MODULE_DIR", modules.path().toLocal8Bit().constData(), 1);
    QWidget host;
    host.resize(152, 112);
    host.show();
    const uintptr_t id = uintptr_t(host.winId());
    const std::string dec = std::to_string(id);
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lX", static_cast<unsigned long>(id));

    struct Row {
        std::vector<std::string> args;
        Mode mode;
        int exitCode;
    };
    const std::vector<Row> rows = {
        {{}, Mode::Config, 0},
        {{"/c"}, Mode::Config, 0},
        {{"-C"}, Mode::Config, 0},
        {{"c"}, Mode::Config, 0},
        {{"/c", "1234"}, Mode::Config, 0},
        {{"/c:1234"}, Mode::None, 0},
        {{"//c"}, Mode::None, 0},
        {{"S"}, Mode::Saver, 0},
        {{"-s", "ignored"}, Mode::Saver, 0},
        {{"/s:123"}, Mode::None, 0},
        {{"/s "}, Mode::None, 0},
        {{"/p", dec}, Mode::Preview, 0},
        {{"-P", dec, "extra"}, Mode::Preview, 0},
        {{"/p", hex}, Mode::None, CSaverApp::kExitBadPreviewHandle}, // atol stops at the x
        {{"/p"}, Mode::None, CSaverApp::kExitBadPreviewHandle},
        {{"/p", "abc"}, Mode::None, CSaverApp::kExitBadPreviewHandle},
        {{"/p", "4000000000"}, Mode::None, CSaverApp::kExitBadPreviewHandle},
        {{"/a", hex}, Mode::Password, 0}, // "%i" reads the hexadecimal handle
        {{"-A", dec}, Mode::Password, 0},
        {{"x"}, Mode::None, 0},
        {{""}, Mode::None, 0},
    };
    for (const Row &row : rows) {
        std::string label = "switch";
        for (const std::string &a : row.args)
            label += " \"" + a + "\"";
        const Outcome out = RunSwitch(row.args);
        EXPECT_EQ(int(out.mode), int(row.mode))
            << label << ": got " << Name(out.mode) << ", expected " << Name(row.mode);
        EXPECT_EQ(out.exitCode, row.exitCode) << label;
        EXPECT_EQ(out.init, BOOL(row.mode == Mode::Preview || row.mode == Mode::Saver)) << label;
        EXPECT_FALSE(out.settingsWritten) << label << ": no mode here stores settings";
        switch (row.mode) {
        case Mode::Config:
            EXPECT_EQ(out.dialogs, std::vector<UINT>{102}) << label;
            EXPECT_TRUE(out.boxes.empty()) << label;
            break;
        case Mode::Saver:
            EXPECT_EQ(out.dialogs, std::vector<UINT>{132}) << label << ": the splash comes first";
            EXPECT_FALSE(out.saverBeforeSplashEnded) << label;
            EXPECT_EQ(out.mainRect.right - out.mainRect.left, kScreenWidth) << label;
            EXPECT_EQ(out.mainRect.bottom - out.mainRect.top, kScreenHeight) << label;
            break;
        case Mode::Preview:
            EXPECT_TRUE(out.dialogs.empty()) << label;
            EXPECT_EQ(out.previewParent, HWND(id)) << label;
            break;
        case Mode::Password:
            ASSERT_EQ(out.boxes.size(), 1u) << label;
            EXPECT_EQ(out.boxes[0].owner, HWND(id)) << label << ": the change is owned by the host";
            EXPECT_TRUE(out.dialogs.empty()) << label;
            break;
        case Mode::None:
            EXPECT_TRUE(out.dialogs.empty()) << label;
            EXPECT_TRUE(out.boxes.empty()) << label;
            break;
        }
    }
    unsetenv("VANTORIX_MODULE_DIR");
}
