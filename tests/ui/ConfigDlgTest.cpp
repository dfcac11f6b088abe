// The configuration dialog and the About box on Qt's offscreen platform,
// driven with real mouse clicks and key presses through QTest, with the
// settings in a private per-test profile folder.
#include "ui/ConfigDlg.h"
#include "../app/ShellTestSupport.h"
#include "platform/qt/QtFramework_p.h"
#include "platform/qt/QtWindowImpl.h"
#include "res/ResourceIds.h"
#include "settings/SaverSettings.h"
#include "ui/AboutDlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

#include <array>
#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using shelltest::WaitFor;

using Values = std::array<int, 5>; // Speed, Reliability, Sound, ClearScreen, Wallpaper

const char *const kKeys[] = {"Speed", "Reliability", "Sound", "ClearScreen", "Wallpaper"};

// Each test, and each row of a table, gets an empty profile folder of its
// own: rewriting one file several times a second could hide a change from
// the store's cache, which goes by the file's time and size.
class ConfigDlgTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        shelltest::App();
        auto *app = new CWinApp; // AfxGetApp() from here on
        app->SetRegistryKey("Quorvane Screen Savers");
        app->SetAppName("/usr/bin/vantorix");
    }
    void SetUp() override { FreshProfile(); }
    void TearDown() override { QToolTip::hideText(); }
    void FreshProfile() { m_home.reset(), m_home.emplace(); }
    static QString ProfileFile() {
        return qEnvironmentVariable("XDG_CONFIG_HOME") +
               QStringLiteral("/Quorvane Screen Savers/vantorix.ini");
    }
    // The store's file is written and read here as another process sees it.
    static void StoreRaw(const QByteArray &content) {
        shelltest::WriteFile(ProfileFile().toStdString(), content.toStdString());
    }
    static void Store(const Values &v) {
        QByteArray text = "[Config]\n";
        for (int i = 0; i < 5; ++i)
            text += kKeys[i] + ("=" + QByteArray::number(v[i])) + "\n";
        StoreRaw(text);
    }
    // The five values of the file; -999 for one that is missing.
    static Values Stored() {
        QSettings file(ProfileFile(), QSettings::IniFormat);
        Values v{};
        int i = 0;
        for (const char *key : kKeys)
            v[i++] = file.value(QStringLiteral("Config/") + key, -999).toInt();
        return v;
    }

    std::optional<vxtest::ScopedConfigHome> m_home;
};

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
// "1" for each checked button, "0" for each other one.
template <size_t N> std::string Pattern(const CWnd &dialog, const int (&ids)[N]) {
    std::string checked;
    for (int id : ids)
        checked += Checked(dialog, id) ? '1' : '0';
    return checked;
}
bool Enabled(const CWnd &dialog, int id) {
    const QWidget *w = Widget(dialog, id);
    return w && w->isEnabled();
}
// Clicks the middle of a control through the window system, as a user's
// click arrives: whatever is on top there gets it, and a window blocked by a
// modal dialog gets nothing.
void Click(const CWnd &dialog, int id) {
    QWidget *w = Widget(dialog, id);
    ASSERT_NE(w, nullptr) << "control " << id;
    QWidget *top = w->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      w->mapTo(top, w->rect().center()));
}
void Key(const CWnd &dialog, int id, Qt::Key key) {
    QWidget *w = Widget(dialog, id);
    w->setFocus();
    QTest::keyClick(w, key);
}

// The configuration run as the application does it: load, run modally as
// the main window, store all five values on OK only. `during` runs inside
// the loop once the dialog is the active window and is expected to end it;
// a dialog still open after ten seconds is cancelled and the test fails.
INT_PTR ConfigurationRun(const std::function<void(CConfigDlg &)> &during,
                         Values *finalSettings = nullptr) {
    CConfigDlg dlg(nullptr);
    dlg.m_settings.Load(AfxGetApp());
    AfxGetApp()->m_pMainWnd = &dlg;
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        WaitFor([&] { return dlg.m_impl && QApplication::activeWindow() == DialogWidget(dlg); });
        during(dlg);
    });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        ADD_FAILURE() << "the dialog was still open after 10 s";
        dlg.EndDialog(IDCANCEL);
    });
    guard.start(10000);
    const INT_PTR result = dlg.DoModal();
    EXPECT_TRUE(ran) << "the dialog ended before it could be driven";
    AfxGetApp()->m_pMainWnd = nullptr;
    if (result == IDOK)
        dlg.m_settings.Save(AfxGetApp());
    // The main window's end asks the process to quit; the next run must not
    // see that request.
    QCoreApplication::sendPostedEvents();
    VxClearQuitRequest();
    const SaverSettings &s = dlg.m_settings;
    if (finalSettings)
        *finalSettings = {s.Speed, s.Reliability, s.Sound, s.ClearScreen, s.Wallpaper};
    return result;
}

TEST_F(ConfigDlgTest, StoredValuesShowInTheControlsAndOkStoresWhatTheyShow) {
    // Icons: 144 keep, 145 black, 146 wallpaper; 147 off, 148 partial, 149 full.
    const int kMax = INT_MAX, kMin = INT_MIN;
    const struct {
        bool nothingStored;
        Values stored;
        int speed, missile;
        const char *checked; // Off, Partial, Full, Clear, Black, Wallpaper
        int soundIcon, screenIcon;
        Values afterOk;
    } rows[] = {{true, {}, 5, 10, "010010", 148, 144, {5, 10, 1, 0, 0}},
                {false, {3, 4, 2, 1, 1}, 3, 4, "001101", 149, 146, {3, 4, 2, 1, 1}},
                {false, {10, 1, 0, 1, 0}, 10, 1, "100110", 147, 145, {10, 1, 0, 1, 0}},
                {false, {99, 11, 3, 1, 2}, 10, 10, "000100", 147, 146, {10, 10, 0, 1, 0}},
                {false, {kMax, kMin, kMax, 0, kMin}, 10, 1, "000000", 147, 144, {10, 1, 0, 0, 0}},
                {false, {5, 5, 1, 7, 0}, 5, 5, "010110", 148, 145, {5, 5, 1, 1, 0}},
                // Wallpaper is kept (and stored) while Clear is unchecked.
                {false, {5, 5, 1, 0, 1}, 5, 5, "010001", 148, 144, {5, 5, 1, 0, 1}}};
    const int buttons[] = {IDC_SOUND_OFF, IDC_SOUND_PARTIAL, IDC_SOUND_FULL,
                           IDC_CLEAR,     IDC_BLACK,         IDC_WALLPAPER};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.nothingStored ? "nothing stored"
                                       : "stored " + testing::PrintToString(row.stored));
        FreshProfile();
        if (!row.nothingStored)
            Store(row.stored);
        const INT_PTR result = ConfigurationRun([&](CConfigDlg &dlg) {
            auto *speed = qobject_cast<QSlider *>(Widget(dlg, IDC_SPEED_SLIDER));
            auto *missile = qobject_cast<QSlider *>(Widget(dlg, IDC_MISSILE_SLIDER));
            ASSERT_TRUE(speed && missile);
            for (QSlider *slider : {speed, missile})
                EXPECT_TRUE(slider->minimum() == 1 && slider->maximum() == 10);
            EXPECT_EQ(speed->value(), row.speed);
            EXPECT_EQ(missile->value(), row.missile);
            EXPECT_EQ(Pattern(dlg, buttons), row.checked);
            const bool clear = row.checked[3] == '1';
            EXPECT_EQ(Enabled(dlg, IDC_BLACK), clear);
            EXPECT_EQ(Enabled(dlg, IDC_WALLPAPER), clear);
            EXPECT_EQ(ShownIcon(dlg, IDC_SOUND_ICON), Icon(row.soundIcon));
            EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(row.screenIcon));
            Click(dlg, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(Stored(), row.afterOk);
    }
}

TEST_F(ConfigDlgTest, ClearEnablesTheBackgroundChoiceWhichKeepsItsStateWhileDisabled) {
    Store({5, 5, 1, 1, 1});
    ConfigurationRun([&](CConfigDlg &dlg) {
        Click(dlg, IDC_CLEAR); // unchecked
        EXPECT_FALSE(Checked(dlg, IDC_CLEAR));
        EXPECT_FALSE(Enabled(dlg, IDC_BLACK) || Enabled(dlg, IDC_WALLPAPER));
        EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(IDI_SCREEN_KEEP));
        Click(dlg, IDC_BLACK); // a disabled button does not react
        EXPECT_TRUE(Checked(dlg, IDC_WALLPAPER) && !Checked(dlg, IDC_BLACK)) << "kept";

        Click(dlg, IDC_CLEAR); // checked again
        EXPECT_TRUE(Enabled(dlg, IDC_BLACK) && Enabled(dlg, IDC_WALLPAPER));
        EXPECT_TRUE(Checked(dlg, IDC_WALLPAPER));
        EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(IDI_SCREEN_WALLPAPER));
        Click(dlg, IDC_BLACK);
        EXPECT_TRUE(Checked(dlg, IDC_BLACK) && !Checked(dlg, IDC_WALLPAPER));
        EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(IDI_SCREEN_BLACK));
        Click(dlg, IDCANCEL);
    });
}

TEST_F(ConfigDlgTest, CancellingAfterChangingEveryControlLeavesTheFileByteIdentical) {
    // Values outside the dialog's ranges, another group and a hand-written
    // layout: all of it must survive untouched.
    const QByteArray original = "[Config]\r\nSpeed=42\r\nReliability=-3\r\nSound=9\r\n"
                                "ClearScreen=0\r\nWallpaper=1\r\n\r\n[Other]\r\nKeep=yes\r\n";
    const struct {
        const char *label;
        std::function<void(CConfigDlg &)> cancel;
    } ways[] = {
        {"Cancel button", [](CConfigDlg &dlg) { Click(dlg, IDCANCEL); }},
        {"Esc key", [](CConfigDlg &dlg) { QTest::keyClick(DialogWidget(dlg), Qt::Key_Escape); }},
        {"close box", [](CConfigDlg &dlg) { DialogWidget(dlg)->close(); }}};
    for (const auto &way : ways) {
        SCOPED_TRACE(way.label);
        FreshProfile();
        StoreRaw(original);
        Values after{};
        const INT_PTR result = ConfigurationRun(
            [&](CConfigDlg &dlg) {
                Key(dlg, IDC_SPEED_SLIDER, Qt::Key_Left);
                Key(dlg, IDC_MISSILE_SLIDER, Qt::Key_Right);
                for (int id : {IDC_SOUND_FULL, IDC_CLEAR, IDC_BLACK})
                    Click(dlg, id);
                way.cancel(dlg);
            },
            &after);
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(after, (Values{42, -3, 9, 0, 1})) << "the record keeps what was loaded";
        EXPECT_EQ(shelltest::ReadFile(ProfileFile().toStdString()), original.toStdString());
    }
}

TEST_F(ConfigDlgTest, TabFollowsTheTemplateOrderAndEntersARadioGroupAtItsCheckedButton) {
    Store({5, 5, 2, 1, 1}); // "Full" and "Wallpaper": the last buttons of their groups
    ConfigurationRun([](CConfigDlg &dlg) {
        const int order[] = {IDC_SPEED_SLIDER,   IDOK,           IDCANCEL,
                             IDC_MISSILE_SLIDER, IDC_SOUND_FULL, IDC_CLEAR,
                             IDC_WALLPAPER,      IDC_ABOUT,      IDC_SPEED_SLIDER};
        const auto focused = [] {
            CWnd *wnd = VxWndFromWidget(QApplication::focusWidget());
            return wnd ? wnd->GetDlgCtrlID() : 0;
        };
        for (size_t i = 0; i < std::size(order); ++i) {
            if (i > 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(focused(), order[i]) << "stop " << i;
        }
        // Back into the group from after it, and again after the arrows
        // moved the check: the checked button is the group's stop.
        Key(dlg, IDC_CLEAR, Qt::Key_Backtab);
        EXPECT_EQ(focused(), IDC_SOUND_FULL);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        EXPECT_EQ(focused(), IDC_SOUND_PARTIAL);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        EXPECT_EQ(focused(), IDC_SOUND_PARTIAL);
        Click(dlg, IDCANCEL);
    });
}

TEST_F(ConfigDlgTest, ArrowsMoveTrackbarsAndRadioGroupsAndEnterIsOk) {
    Store({5, 10, 1, 1, 0});
    const INT_PTR result = ConfigurationRun([](CConfigDlg &dlg) {
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left})
            Key(dlg, IDC_SPEED_SLIDER, key);
        Key(dlg, IDC_MISSILE_SLIDER, Qt::Key_Right); // already at its end
        Key(dlg, IDC_MISSILE_SLIDER, Qt::Key_Left);
        Key(dlg, IDC_SOUND_PARTIAL, Qt::Key_Down);
        EXPECT_EQ(ShownIcon(dlg, IDC_SOUND_ICON), Icon(IDI_SOUND_FULL));
        Key(dlg, IDC_BLACK, Qt::Key_Down);
        EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(IDI_SCREEN_WALLPAPER));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // round the end
        EXPECT_EQ(ShownIcon(dlg, IDC_SCREEN_ICON), Icon(IDI_SCREEN_BLACK));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        // Enter is OK wherever the focus is (here on a radio button).
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Stored(), (Values{6, 9, 2, 1, 1}));
}

// Hovers the pointer over a control and asks for its tooltip as the toolkit
// does after the hover delay (without moving the pointer when `move` is
// false); returns the text shown, empty when none.
QString HoverTip(QWidget *control, bool move = true) {
    QToolTip::hideText();
    WaitFor([] { return !QToolTip::isVisible(); });
    const QPoint at = control->rect().center();
    QWidget *top = control->window();
    if (move)
        QTest::mouseMove(top->windowHandle(), control->mapTo(top, at));
    QHelpEvent help(QEvent::ToolTip, at, control->mapToGlobal(at));
    QCoreApplication::sendEvent(control, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(ConfigDlgTest, EachToolShowsItsOwnTextAsThePointerIsRelayedAndAClickHidesIt) {
    const int tools[] = {IDC_SPEED_SLIDER,  IDC_MISSILE_SLIDER, IDC_ABOUT, IDC_SOUND_OFF,
                         IDC_SOUND_PARTIAL, IDC_SOUND_FULL,     IDC_CLEAR, IDC_BLACK,
                         IDC_WALLPAPER,     IDCANCEL,           IDOK};
    Store({5, 5, 1, 1, 0}); // "Black" and "Wallpaper" enabled
    ConfigurationRun([&](CConfigDlg &dlg) {
        QStringList shown;
        for (int id : tools) {
            shown << HoverTip(Widget(dlg, id));
            EXPECT_EQ(shown.last(),
                      QString::fromUtf8(dlg.m_toolTip.GetToolText(dlg.GetDlgItem(id))))
                << id;
        }
        shown.removeDuplicates();
        EXPECT_EQ(shown.size(), qsizetype(std::size(tools))) << "one text of its own each";
        EXPECT_FALSE(shown.contains(QString())) << "every tool shows a text";
        // Pictures, labels, frames and group boxes carry no tool.
        int withoutTool = 0;
        for (QWidget *child :
             DialogWidget(dlg)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            CWnd *wnd = VxWndFromWidget(child);
            if (!wnd || qobject_cast<QAbstractButton *>(child) || qobject_cast<QSlider *>(child))
                continue;
            ++withoutTool;
            EXPECT_EQ(HoverTip(child), QString()) << "id " << wnd->GetDlgCtrlID();
            EXPECT_EQ(dlg.m_toolTip.GetToolText(wnd), nullptr);
        }
        EXPECT_GE(withoutTool, 11) << "labels, frames, group boxes and pictures";

        QWidget *about = Widget(dlg, IDC_ABOUT);
        // The pointer was last reported over "OK": "About..." asks for its
        // tip without the pointer having reached it, and gets none.
        EXPECT_FALSE(HoverTip(Widget(dlg, IDOK)).isEmpty());
        EXPECT_EQ(HoverTip(about, false), QString());

        // A button press over the tool takes its tip away.
        EXPECT_FALSE(HoverTip(about).isEmpty());
        QWidget *top = about->window();
        const QPoint at = about->mapTo(top, about->rect().center());
        QTest::mousePress(top->windowHandle(), Qt::MiddleButton, Qt::NoModifier, at);
        EXPECT_TRUE(WaitFor([] { return !QToolTip::isVisible(); }));
        QTest::mouseRelease(top->windowHandle(), Qt::MiddleButton, Qt::NoModifier, at);

        // "Black" is disabled once "Clear" is unchecked: no tip for it.
        Click(dlg, IDC_CLEAR);
        EXPECT_EQ(HoverTip(Widget(dlg, IDC_BLACK)), QString());
        Click(dlg, IDCANCEL);
    });
}

// What a control needs to show all of its text and its indicator, as the
// style measures it.
QSize Needs(QWidget *c) {
    if (qobject_cast<QCheckBox *>(c) || qobject_cast<QRadioButton *>(c))
        return c->sizeHint();
    if (auto *b = qobject_cast<QPushButton *>(c))
        return {b->fontMetrics().horizontalAdvance(b->text()) +
                    2 * b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b),
                b->sizeHint().height()};
    if (auto *g = qobject_cast<QGroupBox *>(c))
        return {g->fontMetrics().horizontalAdvance(g->title()), g->fontMetrics().height()};
    if (auto *l = qobject_cast<QLabel *>(c)) {
        if (!l->pixmap().isNull())
            return l->pixmap().deviceIndependentSize().toSize() +
                   QSize(2 * l->frameWidth(), 2 * l->frameWidth());
        if (l->wordWrap())
            return {l->minimumSizeHint().width(), l->heightForWidth(l->width())};
        return l->sizeHint();
    }
    if (auto *slider = qobject_cast<QSlider *>(c))
        return {0, slider->minimumSizeHint().height()};
    return {};
}

// Opaque pixels of `expected` that a control does not show as they are.
int PixelsNotShown(QWidget *control, const QImage &expected) {
    const QImage shown = control->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    int wrong = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb e = expected.pixel(x, y);
            wrong += qAlpha(e) == 255 && (x >= shown.width() || y >= shown.height() ||
                                          (shown.pixel(x, y) & 0xFFFFFF) != (e & 0xFFFFFF));
        }
    return wrong;
}

// A dialog has a fixed size and a close box only, and each of its controls
// shows all of its text and indicator inside it. CTest runs this at
// QT_SCALE_FACTOR 1.5 and 2 as well.
void ExpectNothingClipped(QWidget *dialog) {
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint) &&
                !flags.testAnyFlags(Qt::WindowMinMaxButtonsHint) &&
                dialog->minimumSize() == dialog->maximumSize())
        << dialog->windowTitle().toStdString();
    int controls = 0;
    for (QWidget *c : dialog->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        CWnd *wnd = VxWndFromWidget(c);
        if (!wnd || c->isHidden())
            continue;
        ++controls;
        const QSize need = Needs(c);
        EXPECT_TRUE(c->width() >= need.width() && c->height() >= need.height())
            << dialog->windowTitle().toStdString() << ", control " << wnd->GetDlgCtrlID() << " ("
            << c->metaObject()->className() << ") is " << c->width() << "x" << c->height()
            << " but needs " << need.width() << "x" << need.height();
        EXPECT_TRUE(dialog->rect().contains(c->geometry())) << wnd->GetDlgCtrlID();
    }
    EXPECT_GE(controls, 9);
}

TEST_F(ConfigDlgTest, NothingIsClippedAndIconsAreDrawnForTheScreensPixelDensity) {
    const qreal ratio = qApp->devicePixelRatio();
    SCOPED_TRACE("device pixel ratio " + std::to_string(ratio));
    ConfigurationRun([&](CConfigDlg &dlg) {
        ExpectNothingClipped(DialogWidget(dlg));
        // One device pixel per pixel: the icon's own image, pixel for pixel.
        // Two: its smooth 64-pixel picture, not the image enlarged.
        for (int id : {IDC_SOUND_ICON, IDC_SCREEN_ICON}) {
            const HICON icon = ShownIcon(dlg, id);
            const QList<QImage> pictures = VxIconPictures(icon);
            ASSERT_EQ(pictures.size(), 1) << id;
            if (ratio == 1) {
                EXPECT_EQ(PixelsNotShown(Widget(dlg, id), VxIconImage(icon)), 0) << id;
            } else if (ratio == 2) {
                EXPECT_EQ(PixelsNotShown(Widget(dlg, id), pictures[0]), 0) << id;
            }
        }
        QTimer::singleShot(0, [] {
            QWidget *about = QApplication::activeModalWidget();
            ASSERT_NE(about, nullptr);
            ExpectNothingClipped(about);
            QTest::keyClick(about, Qt::Key_Escape);
        });
        Click(dlg, IDC_ABOUT);
        Click(dlg, IDCANCEL);
    });
    // The program's icon at every size the desktop asks for.
    const QList<QSize> sizes = VxApplicationIcon().availableSizes();
    EXPECT_EQ(sizes,
              (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
}

// Checks the About box that is up now, modal and centred over the dialog,
// and closes it with OK.
void CheckAboutBoxAndClose(CConfigDlg &config, int *opened) {
    QWidget *modal = QApplication::activeModalWidget();
    ASSERT_TRUE(modal && modal != DialogWidget(config));
    EXPECT_EQ(modal->windowTitle(), QStringLiteral("About..."));
    CWnd *about = VxWndFromWidget(modal);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->GetOwner(), &config) << "owned by the dialog";
    EXPECT_LE((modal->frameGeometry().center() - DialogWidget(config)->frameGeometry().center())
                  .manhattanLength(),
              2);
    const bool clearBefore = Checked(config, IDC_CLEAR);
    Click(config, IDC_CLEAR);
    EXPECT_EQ(Checked(config, IDC_CLEAR), clearBefore) << "a click got through to the dialog";
    ++*opened;
    Click(*about, IDOK);
}

TEST_F(ConfigDlgTest, AboutOpensModallyFromTheButtonAndFromTheWindowMenuItem) {
    int opened = 0;
    ConfigurationRun([&](CConfigDlg &dlg) {
        // Away from the middle of the screen, so that centring over the
        // dialog and centring on the screen differ.
        DialogWidget(dlg)->move(250, 40);
        QTimer::singleShot(0, [&] { CheckAboutBoxAndClose(dlg, &opened); });
        Click(dlg, IDC_ABOUT);
        EXPECT_EQ(opened, 1) << "the button";

        // The window menu's item, offered as the dialog's context menu and
        // chosen with its mnemonic.
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
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                w->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(w, &event);
        EXPECT_EQ(opened, 2) << "the menu item";
        Click(dlg, IDCANCEL);
    });
}

} // namespace
