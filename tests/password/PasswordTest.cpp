// The password check and change as the saver runs them: the desktop switch,
// module loading by name, and the real component with its Qt dialogs, driven
// by key presses under the offscreen platform.
#include "app/Password.h"
#include "app/SaverWnd.h"
#include "platform/afx/DesktopProfile.h"
#include "platform/afx/Resources.h"
#include "platform/password/PasswordStore.h"
#include "platform/qt/QtWindowImpl.h"
#include "platform/qt/ScreenService.h"
#include "res/ResourceTable.h"

#include "../app/ShellTestSupport.h"
#include "tests/TestSupport.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace vxtest;

// The recorded message boxes as "caption: text", noting an owner other than
// `owner` and a style other than MB_OK.
std::string Boxes(const BoxRecorder &recorder, HWND owner) {
    std::string boxes;
    for (const RecordedBox &b : recorder.boxes)
        boxes += (boxes.empty() ? "" : " | ") + b.caption + ": " + b.text +
                 (b.owner == owner ? "" : " (other owner)") + (b.style == MB_OK ? "" : " (style)");
    return boxes;
}

// Acts on the modal windows the code under test opens: one step each time a
// different window becomes the active modal one, run from the event loop so a
// step that opens a nested dialog does not block the script. Windows beyond
// the script are logged as unexpected and closed; a watchdog closes
// everything if the script stalls.
class ModalScript {
  public:
    using Step = std::function<void(QWidget *)>;
    explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
        QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
        m_poll.start(5);
        m_watchdog.setSingleShot(true);
        QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
            timedOut = true;
            while (QWidget *w = QApplication::activeModalWidget())
                w->close();
        });
        m_watchdog.start(15000);
    }
    size_t stepsRun() const { return m_next; }
    bool done() const { return !timedOut && m_next == m_steps.size(); }
    // What each step saw: a dialog's object name or "message: <text>".
    std::string Seen() const {
        std::string seen;
        for (const std::string &s : log)
            seen += (seen.empty() ? "" : " | ") + s;
        return seen;
    }
    bool timedOut = false;
    std::vector<std::string> log;

  private:
    void Poll() {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w == m_last)
            return;
        m_last = w;
        auto *box = qobject_cast<QMessageBox *>(w);
        const std::string seen =
            box ? "message: " + box->text().toStdString() : w->objectName().toStdString();
        if (m_next >= m_steps.size()) {
            log.push_back("unexpected " + seen);
            QTimer::singleShot(0, w, [w] { w->close(); });
            return;
        }
        log.push_back(seen);
        QTimer::singleShot(0, w, [step = m_steps[m_next++], target = QPointer<QWidget>(w)] {
            if (target)
                step(target);
        });
    }

    std::vector<Step> m_steps;
    size_t m_next = 0;
    QPointer<QWidget> m_last;
    QTimer m_poll, m_watchdog;
};

QLineEdit *Field(QWidget *dialog, const char *name) {
    auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(name));
    EXPECT_NE(edit, nullptr) << "field " << name;
    return edit;
}

// Types the password one character at a time (a character beyond 16 bits
// in one key event, as an input method sends it) and presses Enter.
ModalScript::Step EnterPassword(std::string text) {
    return [text](QWidget *dialog) {
        if (QLineEdit *edit = Field(dialog, "password")) {
            const QString typed = QString::fromStdString(text);
            for (qsizetype i = 0; i < typed.size(); ++i) {
                const qsizetype n = typed.at(i).isHighSurrogate() ? 2 : 1;
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, typed.mid(i, n),
                                    Qt::NoModifier);
                i += n - 1;
            }
            QTest::keyClick(edit, Qt::Key_Return);
        } else {
            dialog->close();
        }
    };
}
ModalScript::Step PressEscape() {
    return [](QWidget *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); };
}
ModalScript::Step ConfirmMessage() {
    return [](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr) << "a message box";
        box->button(QMessageBox::Ok)->click();
    };
}
// Fills the change dialog (the old password only when it has the field) and
// presses Enter; `hadOldField` tells whether it had.
ModalScript::Step FillChange(const char *oldPassword, std::string fresh, std::string confirm,
                             bool *hadOldField = nullptr) {
    return [=](QWidget *dialog) {
        auto *old = dialog->findChild<QLineEdit *>(QStringLiteral("oldPassword"));
        if (hadOldField)
            *hadOldField = old != nullptr;
        if (old)
            QTest::keyClicks(old, QString::fromUtf8(oldPassword));
        QTest::keyClicks(Field(dialog, "newPassword"), QString::fromStdString(fresh));
        QLineEdit *again = Field(dialog, "confirmPassword");
        QTest::keyClicks(again, QString::fromStdString(confirm));
        QTest::keyClick(again, Qt::Key_Return);
    };
}

const char kSwitchOn[] = "[Control Panel\\Desktop]\nScreenSaveUsePassword=1\n";

class PasswordTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { shelltest::App(); } // before the owner widget
    void SetUp() override {
        UseModules(VX_REAL_MODULE_DIR);
        owner.show();
        ownerHandle = reinterpret_cast<HWND>(owner.winId());
    }
    void TearDown() override { ::unsetenv("VANTORIX_MODULE_DIR"); }

    static void UseModules(const std::string &dir) {
        ::setenv("VANTORIX_MODULE_DIR", dir.c_str(), 1);
    }
    static void StorePassword(const char *password) {
        std::string error;
        ASSERT_TRUE(vxpw::StorePassword(vxpw::Secret(password, std::strlen(password)), &error))
            << error;
    }
    // Runs `script` over a password check owned by the owner window.
    BOOL Verify(std::vector<ModalScript::Step> steps) {
        ModalScript script(std::move(steps));
        const BOOL result = VerifySaverPassword(ownerHandle);
        EXPECT_TRUE(script.done());
        return result;
    }
    // Runs `script` over the change dialog; returns what it saw.
    std::string Change(std::vector<ModalScript::Step> steps) {
        ModalScript script(std::move(steps));
        ChangeSaverPassword(ownerHandle);
        EXPECT_TRUE(script.done()) << script.Seen();
        return script.Seen();
    }

    ScopedConfigHome home;
    BoxRecorder recorder;
    QWidget owner;
    HWND ownerHandle = nullptr;
};

// Each failure to reach the password machinery gives its message (or, with
// the password off, none) and no dialog; a check lets the saver close.
TEST_F(PasswordTest, FailuresToConsultTheSystem) {
    const std::string s = "[Control Panel\\Desktop]\n";
    const struct {
        const char *label;
        bool change;         // the change mode rather than the check
        std::string desktop; // "": no file
        const char *modules; // "real", "stub" or "none"
        const char *boxes;
    } rows[] = {
        {"settings unreadable", false, "<folder>", "real",
         "ERROR: could not read control panel key"},
        {"switch missing", false, s + "Other=1\n", "real", "ERROR: Couldn't get pword value"},
        {"password off: no settings file", false, "", "none", ""},
        {"password off: switch 0", false, s + "ScreenSaveUsePassword=0\n", "none", ""},
        {"component missing", false, kSwitchOn, "none", "ERROR: Password CPL could not be found"},
        {"entry point missing", false, kSwitchOn, "stub",
         "ERROR: Could not get pword verify routine"},
        {"change: component missing", true, "", "none", "Error: Couldn't load MRP.DLL"},
        {"change: entry point missing", true, "", "stub", "ERROR: Couldn't get PwdChangePassword"},
        // The current folder holds the component: it is never loaded from there.
        {"component only in the current folder", false, kSwitchOn, "cwd",
         "ERROR: Password CPL could not be found"},
        {"module folder given as a relative path", false, kSwitchOn, "relative",
         "ERROR: Password CPL could not be found"},
    };
    const std::string startFolder = std::filesystem::current_path();
    ScopedConfigHome emptyModules; // a folder without the component
    for (const auto &row : rows) {
        ScopedConfigHome config;
        if (row.desktop == "<folder>")
            MakeFolder(VxDesktopProfilePath());
        else if (!row.desktop.empty())
            WriteFile(VxDesktopProfilePath(), row.desktop);
        const std::string modules = row.modules;
        UseModules(modules == "real"       ? VX_REAL_MODULE_DIR
                   : modules == "stub"     ? VX_STUB_MODULE_DIR
                   : modules == "relative" ? "."
                                           : emptyModules.Path());
        if (modules == "cwd")
            ::unsetenv("VANTORIX_MODULE_DIR"); // the test's own folder has no component
        std::filesystem::current_path(modules == "cwd" || modules == "relative" ? VX_REAL_MODULE_DIR
                                                                                : startFolder);
        recorder.boxes.clear();
        ModalScript script({});
        if (row.change)
            ChangeSaverPassword(ownerHandle);
        else
            EXPECT_EQ(VerifySaverPassword(ownerHandle), TRUE) << row.label;
        EXPECT_EQ(script.Seen(), "") << row.label << ": no dialog expected";
        // A failed check reports without an owner; the change mode's owner
        // owns its message.
        EXPECT_EQ(Boxes(recorder, row.change ? ownerHandle : nullptr), row.boxes) << row.label;
    }
    std::filesystem::current_path(startFolder);
}

TEST_F(PasswordTest, VerificationDialogOutcomes) {
    const std::string dialog = "vxVerifyPasswordDialog";
    const std::string wrong = dialog + " | message: Wrong password.\n\nThe screen saver continues.";
    struct Row {
        const char *label;
        enum { Stored, NotSet, Corrupt } file;
        std::vector<ModalScript::Step> steps;
        BOOL expected;
        std::string seen; // with a password stored; otherwise a message that the saver closes
        std::string stored = "open sesame";
    };
    auto times = [](int n, const char *text) { return QString(text).repeated(n).toStdString(); };
    auto typed = [&](std::string text) {
        return std::vector<ModalScript::Step>{EnterPassword(std::move(text)), ConfirmMessage()};
    };
    auto accepts = [&](const char *label, std::string text, std::string stored) {
        return Row{label, Row::Stored, {EnterPassword(std::move(text))}, TRUE, dialog, stored};
    };
    // Input beyond what the hashing library accepts (511 bytes) is either cut
    // by the field (256 characters, 511 bytes of UTF-8) or checked as wrong:
    // it never counts as a failure to check, which would let the saver close.
    const Row rows[] = {
        {"128 characters of 4 bytes", Row::Stored, typed(times(128, "\U0001F600")), FALSE, wrong},
        accepts("typing stops at 256 characters", std::string(300, 'a'), std::string(256, 'a')),
        accepts("typing stops at 511 bytes", times(171, "\u20ac"), times(170, "\u20ac")),
        accepts("right password", "open sesame", "open sesame"),
        {"wrong password", Row::Stored, typed("open sesam"), FALSE, wrong},
        {"cancelled", Row::Stored, {PressEscape()}, FALSE, dialog},
        {"no password set", Row::NotSet, {ConfirmMessage()}, TRUE, ""},
        {"corrupt password file", Row::Corrupt, {ConfirmMessage()}, TRUE, ""},
    };
    for (const auto &row : rows) {
        ScopedConfigHome config;
        WriteFile(VxDesktopProfilePath(), kSwitchOn);
        if (row.file == row.Stored)
            StorePassword(row.stored.c_str());
        else if (row.file == row.Corrupt)
            WriteFile(vxpw::PasswordFilePath(), "$y$j9T$truncated\n");

        // The password dialog is looked at before the row's step acts on it.
        bool ownedMaskedNoHint = false;
        std::vector<ModalScript::Step> steps = row.steps;
        if (row.file == row.Stored) {
            steps[0] = [&, act = steps[0]](QWidget *dialog) {
                QLineEdit *edit = Field(dialog, "password");
                ownedMaskedNoHint = dialog->parentWidget() == &owner && edit &&
                                    edit->echoMode() == QLineEdit::Password &&
                                    edit->maxLength() == 256 && edit->placeholderText().isEmpty();
                act(dialog);
            };
        }
        ModalScript script(steps);
        EXPECT_EQ(VerifySaverPassword(ownerHandle), row.expected) << row.label;
        EXPECT_TRUE(script.done()) << row.label;
        EXPECT_TRUE(recorder.boxes.empty()) << row.label << ": the component reports, not us";
        if (row.file == row.Stored) {
            EXPECT_EQ(script.Seen(), row.seen) << row.label;
            EXPECT_TRUE(ownedMaskedNoHint)
                << row.label << ": owned by the saver window, masked, nothing hints at the length";
        } else {
            EXPECT_NE(script.Seen().find("The screen saver will close."), std::string::npos)
                << row.label << ": " << script.Seen();
        }
    }
}

TEST_F(PasswordTest, ChangeDialogRoundTripAndACorruptFileReplaced) {
    WriteFile(VxDesktopProfilePath(), kSwitchOn);
    const std::string dialog = "vxChangePasswordDialog | message: ";
    const std::string changed = dialog + "The screen-saver password has been changed.";

    // Set: no old password is asked; a mismatch is caught and can be retried.
    bool hadOld = true;
    QPointer<QWidget> parent;
    EXPECT_EQ(Change({[&](QWidget *d) {
                          parent = d->parentWidget();
                          FillChange(nullptr, "alpha", "alpha!", &hadOld)(d);
                      },
                      ConfirmMessage(), FillChange(nullptr, "alpha", "alpha"), ConfirmMessage()}),
              dialog + "The new passwords do not match. Type them again. | " + changed);
    EXPECT_FALSE(hadOld) << "no old password field before one is set";
    EXPECT_EQ(parent.data(), &owner) << "the change dialog is owned by the chosen window";
    EXPECT_EQ(Verify({EnterPassword("alpha")}), TRUE);

    // Change: the old password is required and checked.
    EXPECT_EQ(Change({FillChange("wrong", "beta", "beta", &hadOld), ConfirmMessage(),
                      FillChange("alpha", "beta", "beta"), ConfirmMessage()}),
              dialog + "The old password is not correct. | " + changed);
    EXPECT_TRUE(hadOld);
    EXPECT_EQ(Verify({EnterPassword("alpha"), ConfirmMessage()}), FALSE) << "the old one is gone";
    EXPECT_EQ(Verify({EnterPassword("beta")}), TRUE);

    // Cancel changes nothing, so "beta" is still the old password; an empty
    // new password removes it.
    EXPECT_EQ(Change({PressEscape()}), "vxChangePasswordDialog");
    EXPECT_EQ(Change({FillChange("beta", "", ""), ConfirmMessage()}),
              dialog + "The screen-saver password has been removed.");
    EXPECT_EQ(::access(vxpw::PasswordFilePath().c_str(), F_OK), -1);

    // A corrupt file is replaced; its unreadable password is not asked for.
    WriteFile(vxpw::PasswordFilePath(), "garbage\n");
    QString note;
    EXPECT_EQ(Change({[&](QWidget *d) {
                          if (auto *label = d->findChild<QLabel *>(QStringLiteral("brokenNote")))
                              note = label->text();
                          FillChange(nullptr, "fresh", "fresh", &hadOld)(d);
                      },
                      ConfirmMessage()}),
              changed);
    EXPECT_FALSE(hadOld);
    EXPECT_TRUE(note.contains(QStringLiteral("could not be read"))) << note.toStdString();
    EXPECT_EQ(Verify({EnterPassword("fresh")}), TRUE);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(PasswordTest, ChangeModeOwnerFromTheCommandLine) {
    QWidget active;
    active.show();
    QApplication::setActiveWindow(&active);
    ASSERT_EQ(QApplication::activeWindow(), &active) << "a foreground window to fall back on";
    const unsigned long id = owner.winId();
    const HWND foreground = reinterpret_cast<HWND>(uintptr_t(active.winId()));
    ASSERT_NE(ownerHandle, foreground);
    auto text = [](const char *format, unsigned long v) {
        return QString::asprintf(format, v).toStdString();
    };
    const struct {
        const char *label;
        std::vector<std::string> args; // after the program name
        HWND expected;
    } rows[] = {
        {"decimal", {"/a", text("%lu", id)}, ownerHandle},
        {"hexadecimal", {"/a", text("0x%lx", id)}, ownerHandle},
        {"octal, no slash", {"a", text("0%lo", id)}, ownerHandle},
        {"digits then text", {"/a", text("%luxyz", id)}, ownerHandle},
        {"missing", {"/a"}, foreground},
        {"not a number", {"/a", "window"}, foreground},
        {"a number that is no window", {"/a", "0x7ffffff0"}, foreground},
        {"negative", {"/a", "-1"}, foreground},
        {"beyond 64 bits", {"/a", "99999999999999999999999"}, foreground},
    };
    for (const auto &row : rows) {
        std::vector<std::string> args = {"vantorix"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        EXPECT_EQ(PasswordChangeOwner(int(args.size()), Argv(args).data()), row.expected)
            << row.label;
    }
}

// While the dialog is open, close requests and timer messages are dropped and
// the scene stays where it was; after a wrong password the window is top-most
// again and the scene carries on from there; the right password closes it.
TEST_F(PasswordTest, SaverWindowWaitsForTheDialogAndResumes) {
    VxVirtualScreen screen(QSize(640, 480));
    IScreenService *previousScreen = VxSetScreenService(&screen);
    CSceneWnd::ResetProcessStateForTesting();
    WriteFile(VxDesktopProfilePath(), kSwitchOn);
    StorePassword("letmein");

    auto *saver = new CSaverWnd; // deletes itself with its window
    saver->SeedGenerator(7);
    saver->CreateFullScreen();
    const HWND hwnd = saver->GetSafeHwnd();
    ASSERT_TRUE(IsWindow(hwnd));
    saver->KillTimer(CSceneWnd::kTickTimer); // the test gives every tick itself
    for (int i = 0; i < 3; ++i)
        saver->SendMessage(WM_TIMER, CSceneWnd::kTickTimer);
    ASSERT_FALSE(saver->m_bIconMode) << "a full-screen scene asks for the password";
    ASSERT_EQ(saver->m_nPassCount, 1);

    auto snap = [&] {
        return std::vector<int>{saver->m_x, saver->m_y, saver->m_nPassCount,
                                saver->m_nExplosionFrame, saver->m_bBetweenPasses};
    };
    const std::vector<int> before = snap();
    const int dx = saver->m_dx, dy = saver->m_dy;
    bool activeNotTopmostOwned = false, unchangedDuringDialog = false, pointerRight = false;
    {
        ModalScript script({[&](QWidget *dialog) {
                                activeNotTopmostOwned =
                                    saver->m_bPasswordActive && !saver->m_impl->topmost &&
                                    dialog->parentWidget() == saver->m_impl->widget();
                                pointerRight =
                                    saver->m_impl->widget()->cursor().shape() == Qt::BlankCursor &&
                                    dialog->cursor().shape() == Qt::ArrowCursor;
                                // Input and timers keep arriving under the dialog.
                                for (int i = 0; i < 5; ++i) {
                                    saver->SendMessage(WM_TIMER, CSceneWnd::kTickTimer);
                                    saver->PostMessage(WM_CLOSE);
                                }
                                saver->SendMessage(WM_TIMER, CSceneWnd::kPauseTimer);
                                saver->SendMessage(WM_CLOSE);
                                QTest::qWait(50); // let the posted requests be dispatched
                                unchangedDuringDialog = snap() == before;
                                EnterPassword("wrong")(dialog);
                            },
                            ConfirmMessage()});
        saver->PostMessage(WM_CLOSE);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return script.stepsRun() == 2 && !saver->m_bPasswordActive; }, 20000));
        QTest::qWait(50); // any request left in the queue would reopen the dialog now
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.Seen(), "vxVerifyPasswordDialog | message: Wrong password.\n\nThe "
                                 "screen saver continues.")
            << "one dialog only: the requests made meanwhile were dropped";
    }
    EXPECT_TRUE(activeNotTopmostOwned) << "out of the top-most band, owned by the saver window";
    EXPECT_TRUE(unchangedDuringDialog) << "no tick and no new pass under the dialog";
    EXPECT_TRUE(pointerRight) << "the pointer hidden over the saver, shown over the dialog";
    ASSERT_TRUE(IsWindow(hwnd)) << "a wrong password keeps the saver";
    EXPECT_FALSE(saver->m_bPasswordActive);
    EXPECT_TRUE(saver->m_impl->topmost) << "top-most again";
    EXPECT_EQ(snap(), before) << "nothing moved while the dialog was open";

    // The next tick continues the same pass from the same place.
    saver->SendMessage(WM_TIMER, CSceneWnd::kTickTimer);
    EXPECT_EQ(saver->m_nPassCount, before[2]);
    if (!saver->m_bMissileRun) {
        EXPECT_EQ(std::vector<int>({saver->m_x, saver->m_y}),
                  std::vector<int>({before[0] + dx, before[1] + dy}));
    } else {
        EXPECT_NE(snap(), before);
    }

    ModalScript closing({EnterPassword("letmein")});
    saver->PostMessage(WM_CLOSE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !IsWindow(hwnd); }, 20000))
        << "the right password closes the saver";
    EXPECT_EQ(closing.Seen(), "vxVerifyPasswordDialog");
    VxClearQuitRequest(); // the saver's destroy handler asked to quit
    VxSetScreenService(previousScreen);
}

} // namespace
