// The configuration dialog and the About box on Qt's offscreen platform,
// driven with real mouse clicks and key presses through QTest, with the
// settings in a private per-test profile folder.
#include "ui/ConfigDlg.h"
#include "platform/qt/QtWindowImpl.h"
#include "res/ResourceIds.h"
#include "res/ResourceTable.h"
#include "settings/SaverSettings.h"
#include "ui/AboutDlg.h"

#include "platform/afx/Resources.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMenu>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// ---- the process: Qt, the resources and the application object -----------------------------

CWinApp *g_testApp = nullptr;

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "vx_config_test";
        static char *argv[] = {name, nullptr};
        m_qt = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
        g_testApp = new CWinApp;
        g_testApp->SetRegistryKey("Quorvane Screen Savers");
        g_testApp->SetAppName("/usr/bin/vantorix");
    }
    void TearDown() override {
        delete g_testApp;
        g_testApp = nullptr;
        delete m_qt;
    }

  private:
    QApplication *m_qt = nullptr;
};
const auto *const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Each test gets an empty profile folder of its own.
class ConfigDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        FreshProfile();
    }
    // Moves to a new, empty profile folder. Rewriting one file several times
    // a second could hide a change from the store's cache, which goes by the
    // file's time and size.
    void FreshProfile() {
        m_config = m_dir.path() + QStringLiteral("/profile") + QString::number(m_profiles++);
        qputenv("XDG_CONFIG_HOME", m_config.toLocal8Bit());
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
        QToolTip::hideText();
    }

    QString ProfileFile() const {
        return m_config + QStringLiteral("/Quorvane Screen Savers/vantorix.ini");
    }
    // The store's file is written and read here byte by byte, as another
    // process would see it.
    void Store(const SaverSettings &s) const {
        QDir().mkpath(QFileInfo(ProfileFile()).path());
        QFile file(ProfileFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("[Config]\nSpeed=%1\nReliability=%2\nSound=%3\nClearScreen=%4\n"
                                  "Wallpaper=%5\n")
                       .arg(s.Speed)
                       .arg(s.Reliability)
                       .arg(s.Sound)
                       .arg(s.ClearScreen)
                       .arg(s.Wallpaper)
                       .toUtf8());
    }
    // The five values of the file; -999 for one that is missing.
    SaverSettings Stored() const {
        std::map<QString, int> values;
        QFile file(ProfileFile());
        if (file.open(QIODevice::ReadOnly)) {
            bool inConfig = false;
            for (const QByteArray &raw : file.readAll().split('\n')) {
                const QString line = QString::fromUtf8(raw).trimmed();
                if (line.startsWith(QLatin1Char('[')))
                    inConfig = line == QStringLiteral("[Config]");
                else if (inConfig && line.contains(QLatin1Char('=')))
                    values[line.section(QLatin1Char('='), 0, 0)] =
                        line.section(QLatin1Char('='), 1).toInt();
            }
        }
        auto get = [&](const char *key) {
            auto it = values.find(QString::fromLatin1(key));
            return it == values.end() ? -999 : it->second;
        };
        return {get("Speed"), get("Reliability"), get("Sound"), get("ClearScreen"),
                get("Wallpaper")};
    }

    QTemporaryDir m_dir;
    QString m_config;
    int m_profiles = 0;
    QByteArray m_oldConfig;
};

// ---- helpers ------------------------------------------------------------------------------

QWidget *Widget(const CWnd &dialog, int id) {
    CWnd *item = dialog.GetDlgItem(id);
    return item && item->m_impl ? item->m_impl->widget() : nullptr;
}
QWidget *DialogWidget(const CWnd &dialog) {
    return dialog.m_impl ? dialog.m_impl->widget() : nullptr;
}
HICON Icon(int id) {
    return LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(WORD(id)));
}
HICON ShownIcon(const CWnd &dialog, int pictureId) {
    CWnd *item = dialog.GetDlgItem(pictureId);
    return item && item->m_impl ? item->m_impl->icon : nullptr;
}
bool Checked(const CWnd &dialog, int id) {
    return dialog.IsDlgButtonChecked(id) != 0;
}
bool Enabled(const CWnd &dialog, int id) {
    const QWidget *w = Widget(dialog, id);
    return w && w->isEnabled();
}
// Clicks the middle of a control through the window system, as a user's
// click arrives: whatever is on top there gets it, and a window blocked by a
// modal dialog gets nothing.
void ClickAt(QWidget *w, Qt::MouseButton button = Qt::LeftButton) {
    QWidget *top = w->window();
    ASSERT_NE(top->windowHandle(), nullptr);
    QTest::mouseClick(top->windowHandle(), button, Qt::NoModifier,
                      w->mapTo(top, w->rect().center()));
}
void Click(const CWnd &dialog, int id) {
    QWidget *w = Widget(dialog, id);
    ASSERT_NE(w, nullptr) << "control " << id;
    ClickAt(w);
}

// Waits (processing events) until `done` holds; false after two seconds.
bool WaitFor(const std::function<bool()> &done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 2000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs a dialog modally; `during` runs inside its loop once it is up and is
// expected to end it. A dialog still open after ten seconds is cancelled and
// the test fails, so a lost click cannot hang the suite.
INT_PTR RunModal(CDialog &dialog, const std::function<void()> &during) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        // Keyboard input goes to the active window, as on a desktop.
        WaitFor([&] {
            return dialog.m_impl && QApplication::activeWindow() == dialog.m_impl->widget();
        });
        during();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        ADD_FAILURE() << "the dialog was still open after 10 s";
        dialog.EndDialog(IDCANCEL);
    });
    guard.start(10000);
    const INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(ran) << "the dialog ended before it could be driven";
    return result;
}

// The configuration run as the application does it: load, run as the main
// window, store all five values on OK only.
INT_PTR ConfigurationRun(const std::function<void(CConfigDlg &)> &during,
                         SaverSettings *finalSettings = nullptr) {
    CConfigDlg dlg(nullptr);
    dlg.m_settings.Load(AfxGetApp());
    AfxGetApp()->m_pMainWnd = &dlg;
    const INT_PTR result = RunModal(dlg, [&] { during(dlg); });
    AfxGetApp()->m_pMainWnd = nullptr;
    if (result == IDOK)
        dlg.m_settings.Save(AfxGetApp());
    // The main window's end asks the process to quit; the next run in this
    // process must not see that request.
    QCoreApplication::sendPostedEvents();
    VxClearQuitRequest();
    if (finalSettings)
        *finalSettings = dlg.m_settings;
    return result;
}

std::string Describe(const SaverSettings &s) {
    return "{" + std::to_string(s.Speed) + ", " + std::to_string(s.Reliability) + ", " +
           std::to_string(s.Sound) + ", " + std::to_string(s.ClearScreen) + ", " +
           std::to_string(s.Wallpaper) + "}";
}
bool Same(const SaverSettings &a, const SaverSettings &b) {
    return a.Speed == b.Speed && a.Reliability == b.Reliability && a.Sound == b.Sound &&
           a.ClearScreen == b.ClearScreen && a.Wallpaper == b.Wallpaper;
}

// ---- stored values: how they show and what OK stores -------------------------------------------

struct StoredCase {
    const char *label;
    bool nothingStored;
    SaverSettings stored;
    int speedPos, missilePos;
    bool off, partial, full, clear, black, wallpaper;
    int soundIcon, screenIcon;
    SaverSettings afterOk;
};

TEST_F(ConfigDlgTest, StoredValuesShowInTheControlsAndOkStoresWhatTheyShow) {
    const StoredCase cases[] = {
        {"nothing stored",
         true,
         {},
         5,
         10,
         false,
         true,
         false,
         false,
         true,
         false,
         IDI_SOUND_PARTIAL,
         IDI_SCREEN_KEEP,
         {5, 10, 1, 0, 0}},
        {"full sound, cleared to wallpaper",
         false,
         {3, 4, 2, 1, 1},
         3,
         4,
         false,
         false,
         true,
         true,
         false,
         true,
         IDI_SOUND_FULL,
         IDI_SCREEN_WALLPAPER,
         {3, 4, 2, 1, 1}},
        {"no sound, cleared to black",
         false,
         {10, 1, 0, 1, 0},
         10,
         1,
         true,
         false,
         false,
         true,
         true,
         false,
         IDI_SOUND_OFF,
         IDI_SCREEN_BLACK,
         {10, 1, 0, 1, 0}},
        {"above every range",
         false,
         {99, 11, 3, 1, 2},
         10,
         10,
         false,
         false,
         false,
         true,
         false,
         false,
         IDI_SOUND_OFF,
         IDI_SCREEN_WALLPAPER,
         {10, 10, 0, 1, 0}},
        {"below every range",
         false,
         {0, -5, -1, 0, -1},
         1,
         1,
         false,
         false,
         false,
         false,
         false,
         false,
         IDI_SOUND_OFF,
         IDI_SCREEN_KEEP,
         {1, 1, 0, 0, 0}},
        {"32-bit extremes",
         false,
         {INT_MAX, INT_MIN, INT_MAX, 0, INT_MIN},
         10,
         1,
         false,
         false,
         false,
         false,
         false,
         false,
         IDI_SOUND_OFF,
         IDI_SCREEN_KEEP,
         {10, 1, 0, 0, 0}},
        {"any non-zero Clear is checked",
         false,
         {5, 5, 1, 7, 0},
         5,
         5,
         false,
         true,
         false,
         true,
         true,
         false,
         IDI_SOUND_PARTIAL,
         IDI_SCREEN_BLACK,
         {5, 5, 1, 1, 0}},
    };
    for (const StoredCase &c : cases) {
        SCOPED_TRACE(c.label);
        FreshProfile();
        if (!c.nothingStored)
            Store(c.stored);
        const INT_PTR result = ConfigurationRun([&](CConfigDlg &dlg) {
            auto *speed = qobject_cast<QSlider *>(Widget(dlg, IDC_SPEED_SLIDER));
            auto *missile = qobject_cast<QSlider *>(Widget(dlg, IDC_MISSILE_SLIDER));
            ASSERT_TRUE(speed && missile);
            EXPECT_EQ(speed->minimum(), 1);
            EXPECT_EQ(speed->maximum(), 10);
            EXPECT_EQ(missile->minimum(), 1);
            EXPECT_EQ(missile->maximum(), 10);
            EXPECT_EQ(speed->value(), c.speedPos);
            EXPECT_EQ(missile->value(), c.missilePos);
            EXPECT_EQ(Checked(dlg, IDC_SOUND_OFF), c.off);
            EXPECT_EQ(Checked(dlg, IDC_SOUND_PARTIAL), c.partial);
            EXPECT_EQ(Checked(dlg, IDC_SOUND_FULL), c.full);
            EXPECT_EQ(Checked(dlg, IDC_CLEAR), c.clear);
            EXPECT_EQ(Checked(dlg, IDC_BLACK), c.black);
            EXPECT_EQ(Checked(dlg, IDC_WALLPAPER), c.wallpaper);
            EXPECT_EQ(Enabled(dlg, IDC_BLACK), c.clear);
            EXPECT_EQ(Enabled(dlg, IDC_WALLPAPER), c.clear);
            EXPECT_EQ(ShownIcon(dlg, IDC_SOUND_ICON), Icon(c.soundIcon));
            EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(c.screenIcon));
            Click(dlg, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        const SaverSettings stored = Stored();
        EXPECT_TRUE(Same(stored, c.afterOk))
            << "stored " << Describe(stored) << ", expected " << Describe(c.afterOk);
    }
}

// ---- the screen group and the icons follow the choices
// --------------------------------------------

TEST_F(ConfigDlgTest, ClearEnablesTheBackgroundChoiceWhichKeepsItsStateWhileDisabled) {
    struct Row {
        const char *label;
        int wallpaper;
        int checkedId, iconWhenCleared;
    };
    const Row rows[] = {
        {"black chosen", 0, IDC_BLACK, IDI_SCREEN_BLACK},
        {"wallpaper chosen", 1, IDC_WALLPAPER, IDI_SCREEN_WALLPAPER},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        FreshProfile();
        Store({5, 5, 1, 1, row.wallpaper});
        ConfigurationRun([&](CConfigDlg &dlg) {
            const int otherId = row.checkedId == IDC_BLACK ? IDC_WALLPAPER : IDC_BLACK;
            EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(row.iconWhenCleared));

            Click(dlg, IDC_CLEAR); // unchecked
            EXPECT_FALSE(Checked(dlg, IDC_CLEAR));
            EXPECT_FALSE(Enabled(dlg, IDC_BLACK));
            EXPECT_FALSE(Enabled(dlg, IDC_WALLPAPER));
            EXPECT_TRUE(Checked(dlg, row.checkedId)) << "the choice survives disabling";
            EXPECT_FALSE(Checked(dlg, otherId));
            EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(IDI_SCREEN_KEEP));

            Click(dlg, otherId); // a disabled button does not react
            EXPECT_TRUE(Checked(dlg, row.checkedId));

            Click(dlg, IDC_CLEAR); // checked again
            EXPECT_TRUE(Enabled(dlg, IDC_BLACK));
            EXPECT_TRUE(Enabled(dlg, IDC_WALLPAPER));
            EXPECT_TRUE(Checked(dlg, row.checkedId));
            EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(row.iconWhenCleared));

            Click(dlg, IDC_WALLPAPER);
            EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(IDI_SCREEN_WALLPAPER));
            Click(dlg, IDC_BLACK);
            EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(IDI_SCREEN_BLACK));
            EXPECT_FALSE(Checked(dlg, IDC_WALLPAPER));
            Click(dlg, IDCANCEL);
        });
    }
}

TEST_F(ConfigDlgTest, SoundButtonsPickTheSoundIcon) {
    Store({5, 5, 7, 0, 0}); // no sound button checked to begin with
    ConfigurationRun([](CConfigDlg &dlg) {
        const struct {
            int button, icon;
        } steps[] = {
            {IDC_SOUND_FULL, IDI_SOUND_FULL},
            {IDC_SOUND_PARTIAL, IDI_SOUND_PARTIAL},
            {IDC_SOUND_OFF, IDI_SOUND_OFF},
            {IDC_SOUND_FULL, IDI_SOUND_FULL},
        };
        for (const auto &step : steps) {
            Click(dlg, step.button);
            EXPECT_TRUE(Checked(dlg, step.button)) << "button " << step.button;
            EXPECT_EQ(ShownIcon(dlg, IDC_SOUND_ICON), Icon(step.icon)) << "button " << step.button;
        }
        const int checked = Checked(dlg, IDC_SOUND_OFF) + Checked(dlg, IDC_SOUND_PARTIAL) +
                            Checked(dlg, IDC_SOUND_FULL);
        EXPECT_EQ(checked, 1) << "the sound buttons are one group";
        Click(dlg, IDCANCEL);
    });
}

TEST_F(ConfigDlgTest, OkWithClearUncheckedStillStoresTheBackgroundChoice) {
    Store({5, 5, 1, 1, 1});
    const INT_PTR result = ConfigurationRun([](CConfigDlg &dlg) {
        Click(dlg, IDC_CLEAR);
        Click(dlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    const SaverSettings stored = Stored();
    EXPECT_EQ(stored.ClearScreen, 0);
    EXPECT_EQ(stored.Wallpaper, 1);
}

// ---- cancelling writes nothing
// ----------------------------------------------------------------------

TEST_F(ConfigDlgTest, CancellingAfterChangingEveryControlLeavesTheFileByteIdentical) {
    // Values outside the dialog's ranges, another group and a comment-free but
    // hand-written layout: all of it must survive untouched.
    const QByteArray original = "[Config]\r\nSpeed=42\r\nReliability=-3\r\nSound=9\r\n"
                                "ClearScreen=0\r\nWallpaper=1\r\n\r\n[Other]\r\nKeep=yes\r\n";
    struct Way {
        const char *label;
        std::function<void(CConfigDlg &)> cancel;
    };
    const Way ways[] = {
        {"Cancel button", [](CConfigDlg &dlg) { Click(dlg, IDCANCEL); }},
        {"Esc key", [](CConfigDlg &dlg) { QTest::keyClick(DialogWidget(dlg), Qt::Key_Escape); }},
        {"close box", [](CConfigDlg &dlg) { DialogWidget(dlg)->close(); }},
    };
    for (const Way &way : ways) {
        SCOPED_TRACE(way.label);
        FreshProfile();
        QDir().mkpath(QFileInfo(ProfileFile()).path());
        QFile file(ProfileFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(original);
        file.close();

        SaverSettings after;
        const INT_PTR result = ConfigurationRun(
            [&](CConfigDlg &dlg) {
                QSlider *speed = qobject_cast<QSlider *>(Widget(dlg, IDC_SPEED_SLIDER));
                QSlider *missile = qobject_cast<QSlider *>(Widget(dlg, IDC_MISSILE_SLIDER));
                speed->setFocus();
                QTest::keyClick(speed, Qt::Key_Left);
                missile->setFocus();
                QTest::keyClick(missile, Qt::Key_Right);
                Click(dlg, IDC_SOUND_FULL);
                Click(dlg, IDC_CLEAR);
                Click(dlg, IDC_BLACK);
                way.cancel(dlg);
            },
            &after);
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(Same(after, SaverSettings{42, -3, 9, 0, 1}))
            << "the record keeps what was loaded: " << Describe(after);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), original);
        file.close();
    }
}

// ---- keyboard
// ---------------------------------------------------------------------------------------

TEST_F(ConfigDlgTest, TabFollowsTheTemplateOrder) {
    Store({5, 5, 1, 1, 0});
    ConfigurationRun([](CConfigDlg &dlg) {
        // One stop per tab-stop control or radio group, in template order; a
        // radio group's stop may be any of its buttons.
        const std::vector<std::vector<int>> order = {
            {IDC_SPEED_SLIDER},
            {IDOK},
            {IDCANCEL},
            {IDC_MISSILE_SLIDER},
            {IDC_SOUND_OFF, IDC_SOUND_PARTIAL, IDC_SOUND_FULL},
            {IDC_CLEAR},
            {IDC_BLACK, IDC_WALLPAPER},
            {IDC_ABOUT},
            {IDC_SPEED_SLIDER},
        };
        auto focusedId = [] {
            CWnd *focused = VxWndFromWidget(QApplication::focusWidget());
            return focused ? focused->GetDlgCtrlID() : 0;
        };
        auto in = [](const std::vector<int> &ids, int id) {
            return std::find(ids.begin(), ids.end(), id) != ids.end();
        };
        EXPECT_TRUE(in(order[0], focusedId())) << "first focus on " << focusedId();
        for (size_t i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_TRUE(in(order[i], focusedId())) << "tab " << i << " reached " << focusedId();
        }
        Click(dlg, IDCANCEL);
    });
}

TEST_F(ConfigDlgTest, ArrowsMoveTrackbarsAndRadioGroups) {
    Store({5, 10, 1, 1, 0});
    SaverSettings after;
    const INT_PTR result = ConfigurationRun(
        [](CConfigDlg &dlg) {
            QWidget *speed = Widget(dlg, IDC_SPEED_SLIDER);
            speed->setFocus();
            QTest::keyClick(speed, Qt::Key_Right);
            QTest::keyClick(speed, Qt::Key_Right);
            QTest::keyClick(speed, Qt::Key_Left);
            QWidget *missile = Widget(dlg, IDC_MISSILE_SLIDER);
            missile->setFocus();
            QTest::keyClick(missile, Qt::Key_Right); // already at its end
            QTest::keyClick(missile, Qt::Key_Left);

            QWidget *partial = Widget(dlg, IDC_SOUND_PARTIAL);
            partial->setFocus();
            QTest::keyClick(partial, Qt::Key_Down);
            EXPECT_TRUE(Checked(dlg, IDC_SOUND_FULL));
            EXPECT_EQ(ShownIcon(dlg, IDC_SOUND_ICON), Icon(IDI_SOUND_FULL));

            QWidget *black = Widget(dlg, IDC_BLACK);
            black->setFocus();
            QTest::keyClick(black, Qt::Key_Down);
            EXPECT_TRUE(Checked(dlg, IDC_WALLPAPER));
            EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(IDI_SCREEN_WALLPAPER));

            // Enter is OK wherever the focus is (here on a radio button).
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        },
        &after);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(Same(Stored(), SaverSettings{6, 9, 2, 1, 1})) << Describe(Stored());
}

// ---- tooltips
// -----------------------------------------------------------------------------------------

// Hovers the pointer over a control and asks for its tooltip as the toolkit
// does after the hover delay; returns the text shown, empty when none.
QString HoverTip(QWidget *control) {
    QToolTip::hideText();
    WaitFor([] { return !QToolTip::isVisible(); });
    const QPoint at = control->rect().center();
    QWidget *top = control->window();
    QTest::mouseMove(top->windowHandle(), control->mapTo(top, at));
    QHelpEvent help(QEvent::ToolTip, at, control->mapToGlobal(at));
    QCoreApplication::sendEvent(control, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(ConfigDlgTest, EachToolShowsItsOwnTextAndOtherControlsShowNone) {
    const struct {
        int id;
        const char *text;
    } tools[] = {
        {IDC_SPEED_SLIDER, "Controls the speed of the jets going across the screen"},
        {IDC_MISSILE_SLIDER, "Controls the frequency at which missiles are fired"},
        {IDC_ABOUT, "Shows the about box"},
        {IDC_SOUND_OFF, "Turns all sound effects off"},
        {IDC_SOUND_PARTIAL, "Sound effects on the first drive-by, then off"},
        {IDC_SOUND_FULL, "Turns all sound effects always on"},
        {IDC_CLEAR, "Clear the screen when the screen saver starts"},
        {IDC_BLACK, "Clear the screen to black"},
        {IDC_WALLPAPER, "Clear the screen with the desktop wallpaper"},
        {IDCANCEL, "Cancel changes and exit configuration"},
        {IDOK, "Save changes and exit configuration"},
    };
    Store({5, 5, 1, 1, 0}); // "Black" and "Wallpaper" enabled
    ConfigurationRun([&](CConfigDlg &dlg) {
        for (const auto &tool : tools) {
            QWidget *w = Widget(dlg, tool.id);
            ASSERT_NE(w, nullptr) << tool.id;
            EXPECT_EQ(HoverTip(w), QString::fromUtf8(tool.text)) << "control " << tool.id;
            const char *recorded = dlg.m_toolTip.GetToolText(dlg.GetDlgItem(tool.id));
            EXPECT_STREQ(recorded, tool.text) << "control " << tool.id;
        }
        // Pictures, labels, frames and group boxes carry no tool.
        const QWidget *dialogWidget = DialogWidget(dlg);
        int withoutTool = 0;
        for (QWidget *child : dialogWidget->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            CWnd *wnd = VxWndFromWidget(child);
            if (!wnd || qobject_cast<QAbstractButton *>(child) || qobject_cast<QSlider *>(child))
                continue;
            ++withoutTool;
            EXPECT_EQ(HoverTip(child), QString())
                << "control without a tool, id " << wnd->GetDlgCtrlID();
            EXPECT_EQ(dlg.m_toolTip.GetToolText(wnd), nullptr);
        }
        EXPECT_GE(withoutTool, 11) << "labels, frames, group boxes and pictures";
        Click(dlg, IDCANCEL);
    });
}

TEST_F(ConfigDlgTest, TooltipsFollowThePointerAsRelayedAndAClickHidesThem) {
    ConfigurationRun([](CConfigDlg &dlg) {
        QWidget *ok = Widget(dlg, IDOK);
        QWidget *about = Widget(dlg, IDC_ABOUT);
        // The pointer was last reported over "OK": "About..." asks for its
        // tip without the pointer having reached it, and gets none.
        EXPECT_FALSE(HoverTip(ok).isEmpty());
        QToolTip::hideText();
        WaitFor([] { return !QToolTip::isVisible(); });
        QHelpEvent help(QEvent::ToolTip, about->rect().center(),
                        about->mapToGlobal(about->rect().center()));
        QCoreApplication::sendEvent(about, &help);
        EXPECT_FALSE(QToolTip::isVisible());

        // A button press over the tool takes its tip away.
        EXPECT_FALSE(HoverTip(about).isEmpty());
        QWidget *top = about->window();
        const QPoint at = about->mapTo(top, about->rect().center());
        QTest::mousePress(top->windowHandle(), Qt::MiddleButton, Qt::NoModifier, at);
        EXPECT_TRUE(WaitFor([] { return !QToolTip::isVisible(); }));
        QTest::mouseRelease(top->windowHandle(), Qt::MiddleButton, Qt::NoModifier, at);

        // "Black" is disabled while "Clear" is unchecked: no tip for it.
        EXPECT_EQ(HoverTip(Widget(dlg, IDC_BLACK)), QString());
        Click(dlg, IDCANCEL);
    });
}

// ---- the About box
// ------------------------------------------------------------------------------------

// Checks the About box that is up now and closes it with OK.
void CheckAboutBoxAndClose(CConfigDlg &config, int *opened) {
    QWidget *modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    EXPECT_EQ(modal->windowTitle(), QStringLiteral("About..."));
    QWidget *configWidget = DialogWidget(config);
    EXPECT_NE(modal, configWidget);
    CWnd *aboutWnd = VxWndFromWidget(modal);
    EXPECT_EQ(aboutWnd ? aboutWnd->GetOwner() : nullptr, &config) << "owned by the dialog";
    // Centred over the configuration dialog.
    const QPoint aboutCentre = modal->frameGeometry().center();
    const QPoint configCentre = configWidget->frameGeometry().center();
    EXPECT_LE((aboutCentre - configCentre).manhattanLength(), 2)
        << "About at " << aboutCentre.x() << "," << aboutCentre.y() << ", dialog at "
        << configCentre.x() << "," << configCentre.y();
    // The configuration dialog takes no input meanwhile.
    const bool clearBefore = Checked(config, IDC_CLEAR);
    Click(config, IDC_CLEAR);
    EXPECT_EQ(Checked(config, IDC_CLEAR), clearBefore) << "a click got through to the dialog";
    ++*opened;
    ASSERT_NE(aboutWnd, nullptr);
    Click(*aboutWnd, IDOK);
}

TEST_F(ConfigDlgTest, AboutOpensModallyFromTheButtonAndFromTheWindowMenuItem) {
    int opened = 0;
    ConfigurationRun([&](CConfigDlg &dlg) {
        // Away from the middle of the screen, so that centring over the
        // dialog and centring on the screen differ.
        DialogWidget(dlg)->move(250, 40);
        // From the button.
        QTimer::singleShot(0, [&] { CheckAboutBoxAndClose(dlg, &opened); });
        Click(dlg, IDC_ABOUT);
        EXPECT_EQ(opened, 1) << "the button";

        // From the window menu's item, offered as the dialog's context menu
        // and chosen with its mnemonic.
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr) << "no context menu";
            QStringList texts;
            for (QAction *a : menu->actions())
                if (!a->isSeparator())
                    texts << a->text();
            EXPECT_EQ(texts, QStringList{QStringLiteral("&About Vantorix Saver...")});
            QTimer::singleShot(0, [&] { CheckAboutBoxAndClose(dlg, &opened); });
            QTest::keyClick(menu, Qt::Key_A);
        });
        QWidget *w = DialogWidget(dlg);
        const QPoint at(5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
        QCoreApplication::sendEvent(w, &event);
        EXPECT_EQ(opened, 2) << "the menu item";
        Click(dlg, IDCANCEL);
    });
}

TEST_F(ConfigDlgTest, TheAboutCommandIgnoresTheLowFourBitsOfTheWindowMenuCommand) {
    const struct {
        WPARAM command;
        bool opensAbout;
    } rows[] = {{16, true}, {16 | 0xF, true}, {32, false}};
    ConfigurationRun([&](CConfigDlg &dlg) {
        for (const auto &row : rows) {
            bool aboutSeen = false;
            QTimer probe;
            QObject::connect(&probe, &QTimer::timeout, [&] {
                QWidget *modal = QApplication::activeModalWidget();
                if (modal && modal != DialogWidget(dlg)) {
                    aboutSeen = true;
                    QTest::keyClick(modal, Qt::Key_Escape);
                }
            });
            probe.start(10);
            dlg.SendMessage(WM_SYSCOMMAND, row.command, 0);
            WaitFor([&] { return aboutSeen; }); // a box left open would block above
            probe.stop();
            EXPECT_EQ(aboutSeen, row.opensAbout) << "command " << row.command;
            ASSERT_NE(dlg.m_hWnd, nullptr) << "the dialog survives command " << row.command;
        }
        Click(dlg, IDCANCEL);
    });
}

} // namespace
