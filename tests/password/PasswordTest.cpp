// The password check and change as the saver runs them: the desktop switch,
// module loading by name, and the real component with its Qt dialogs, driven
// by key presses under the offscreen platform.
#include "app/Password.h"
#include "app/SaverWnd.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Module.h"
#include "platform/afx/Resources.h"
#include "platform/password/PasswordStore.h"
#include "platform/qt/QtWindowImpl.h"
#include "platform/qt/ScreenService.h"
#include "res/ResourceTable.h"

#include "TestFiles.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "vx_password_test";
        static char *argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    std::unique_ptr<QApplication> m_app;
};
const auto *const g_qt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

struct Box {
    HWND owner;
    std::string text, caption;
    UINT style;
};
class BoxRecorder : public IMessageBoxService {
  public:
    BoxRecorder() { m_previous = VxSetMessageBoxService(this); }
    ~BoxRecorder() override { VxSetMessageBoxService(m_previous); }
    int Show(HWND owner, const char *text, const char *caption, UINT style) override {
        boxes.push_back({owner, text, caption, style});
        return IDOK;
    }
    std::vector<Box> boxes;

  private:
    IMessageBoxService *m_previous = nullptr;
};

// Acts on the modal windows the code under test opens: one step each time a
// different window becomes the active modal one. Each step runs from the
// event loop, so a step whose action opens a nested dialog does not block
// the script. A watchdog closes everything if the script stalls.
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
    size_t stepsPlanned() const { return m_steps.size(); }
    bool timedOut = false;
    std::vector<std::string> log; // what each step saw

  private:
    void Poll() {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w == m_last)
            return;
        m_last = w;
        if (m_next >= m_steps.size()) {
            log.push_back("unexpected " + Describe(w));
            QTimer::singleShot(0, w, [w] { w->close(); });
            return;
        }
        log.push_back(Describe(w));
        Step step = m_steps[m_next++];
        QPointer<QWidget> target(w);
        QTimer::singleShot(0, w, [step, target] {
            if (target)
                step(target);
        });
    }
    static std::string Describe(QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            return "message: " + box->text().toStdString();
        return w->objectName().toStdString();
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

// Types the password and presses Enter, as a user would.
ModalScript::Step EnterPassword(std::string text) {
    return [text](QWidget *dialog) {
        QLineEdit *edit = Field(dialog, "password");
        if (!edit) {
            dialog->close();
            return;
        }
        QTest::keyClicks(edit, QString::fromStdString(text));
        QTest::keyClick(edit, Qt::Key_Return);
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
// Fills the change dialog (old is skipped when null) and presses OK.
ModalScript::Step FillChange(const char *oldPassword, std::string fresh, std::string confirm,
                             bool *hadOldField = nullptr) {
    return [=](QWidget *dialog) {
        auto *old = dialog->findChild<QLineEdit *>(QStringLiteral("oldPassword"));
        if (hadOldField)
            *hadOldField = old != nullptr;
        if (old && oldPassword)
            QTest::keyClicks(old, QString::fromUtf8(oldPassword));
        QTest::keyClicks(Field(dialog, "newPassword"), QString::fromStdString(fresh));
        QLineEdit *again = Field(dialog, "confirmPassword");
        QTest::keyClicks(again, QString::fromStdString(confirm));
        QTest::keyClick(again, Qt::Key_Return);
    };
}

class PasswordTest : public ::testing::Test {
  protected:
    void SetUp() override { UseModules(VX_REAL_MODULE_DIR); }
    void TearDown() override { ::unsetenv("VANTORIX_MODULE_DIR"); }

    static void UseModules(const std::string &dir) {
        ::setenv("VANTORIX_MODULE_DIR", dir.c_str(), 1);
    }
    void SetSwitch(const std::string &value) {
        WriteFile(home.file("desktop.ini"),
                  "[Control Panel\\Desktop]\nScreenSaveUsePassword=" + value + "\n");
    }
    static void StorePassword(const char *password) {
        std::string error;
        ASSERT_TRUE(vxpw::StorePassword(vxpw::Secret(password, std::strlen(password)), &error))
            << error;
    }

    ScopedConfigHome home;
    BoxRecorder recorder;
};

TEST_F(PasswordTest, FailuresToConsultTheSystemLetTheSaverClose) {
    struct Row {
        const char *label;
        enum { NoFile, Folder, Text } file;
        const char *desktop;
        const char *modules; // "real", "stub", "none"
        const char *message; // null: no message
    };
    const Row rows[] = {
        {"desktop settings unreadable", Row::Folder, "", "real",
         "could not read control panel key"},
        {"switch missing", Row::Text, "[Control Panel\\Desktop]\nOther=1\n", "real",
         "Couldn't get pword value"},
        {"switch not a number", Row::Text, "[Control Panel\\Desktop]\nScreenSaveUsePassword=on\n",
         "real", "Couldn't get pword value"},
        {"switch longer than four bytes", Row::Text,
         "[Control Panel\\Desktop]\nScreenSaveUsePassword=0x100000000\n", "real",
         "Couldn't get pword value"},
        {"password off: no settings file", Row::NoFile, "", "none", nullptr},
        {"password off: wallpaper only", Row::Text, "[Desktop]\nWallpaper=/w.bmp\n", "none",
         nullptr},
        {"password off: switch 0", Row::Text, "[Control Panel\\Desktop]\nScreenSaveUsePassword=0\n",
         "none", nullptr},
        {"component missing", Row::Text, "[Control Panel\\Desktop]\nScreenSaveUsePassword=1\n",
         "none", "Password CPL could not be found"},
        {"entry point missing", Row::Text, "[Control Panel\\Desktop]\nScreenSaveUsePassword=1\n",
         "stub", "Could not get pword verify routine"},
    };
    ScopedConfigHome emptyModules; // a folder without the component
    for (const Row &row : rows) {
        ScopedConfigHome config;
        if (row.file == Row::Folder)
            MakeFolder(config.file("desktop.ini"));
        else if (row.file == Row::Text)
            WriteFile(config.file("desktop.ini"), row.desktop);
        const std::string modules = row.modules;
        UseModules(modules == "real"   ? VX_REAL_MODULE_DIR
                   : modules == "stub" ? VX_STUB_MODULE_DIR
                                       : emptyModules.path());
        recorder.boxes.clear();
        ModalScript script({});
        EXPECT_EQ(VerifySaverPassword(nullptr), TRUE) << row.label;
        EXPECT_TRUE(script.log.empty()) << row.label << ": no dialog expected";
        if (!row.message) {
            EXPECT_TRUE(recorder.boxes.empty()) << row.label;
            continue;
        }
        ASSERT_EQ(recorder.boxes.size(), 1u) << row.label;
        EXPECT_EQ(recorder.boxes[0].text, row.message) << row.label;
        EXPECT_EQ(recorder.boxes[0].caption, "ERROR") << row.label;
        EXPECT_EQ(recorder.boxes[0].owner, nullptr) << row.label;
        EXPECT_EQ(recorder.boxes[0].style, MB_OK) << row.label;
    }
}

TEST_F(PasswordTest, ChangeModeFailuresNameTheMissingPiece) {
    QWidget owner;
    owner.show();
    const HWND ownerHandle = reinterpret_cast<HWND>(owner.winId());
    ScopedConfigHome emptyModules;
    struct Row {
        const char *label;
        std::string modules;
        const char *text, *caption;
    };
    const Row rows[] = {
        {"component missing", emptyModules.path(), "Couldn't load MRP.DLL", "Error"},
        {"entry point missing", VX_STUB_MODULE_DIR, "Couldn't get PwdChangePassword", "ERROR"},
    };
    for (const Row &row : rows) {
        UseModules(row.modules);
        recorder.boxes.clear();
        ModalScript script({});
        ChangeSaverPassword(ownerHandle);
        EXPECT_TRUE(script.log.empty()) << row.label << ": no dialog expected";
        ASSERT_EQ(recorder.boxes.size(), 1u) << row.label;
        EXPECT_EQ(recorder.boxes[0].text, row.text) << row.label;
        EXPECT_EQ(recorder.boxes[0].caption, row.caption) << row.label;
        EXPECT_EQ(recorder.boxes[0].owner, ownerHandle) << row.label << ": owned by the owner";
        EXPECT_EQ(recorder.boxes[0].style, MB_OK) << row.label;
    }
}

TEST_F(PasswordTest, VerificationDialogOutcomes) {
    QWidget saver;
    saver.show();
    const HWND saverHandle = reinterpret_cast<HWND>(saver.winId());
    struct Row {
        const char *label;
        enum { Stored, NotSet, Corrupt, Folder } file;
        std::vector<ModalScript::Step> steps;
        BOOL expected;
        std::vector<std::string> seen;
    };
    const Row rows[] = {
        {"right password",
         Row::Stored,
         {EnterPassword("open sesame")},
         TRUE,
         {"vxVerifyPasswordDialog"}},
        {"wrong password",
         Row::Stored,
         {EnterPassword("open sesam"), ConfirmMessage()},
         FALSE,
         {"vxVerifyPasswordDialog", "message: Wrong password.\n\nThe screen saver continues."}},
        {"cancelled", Row::Stored, {PressEscape()}, FALSE, {"vxVerifyPasswordDialog"}},
        {"no password set", Row::NotSet, {ConfirmMessage()}, TRUE, {}},
        {"corrupt password file", Row::Corrupt, {ConfirmMessage()}, TRUE, {}},
        {"password file unreadable", Row::Folder, {ConfirmMessage()}, TRUE, {}},
    };
    for (const Row &row : rows) {
        ScopedConfigHome config;
        WriteFile(config.file("desktop.ini"),
                  "[Control Panel\\Desktop]\nScreenSaveUsePassword=1\n");
        if (row.file == Row::Stored)
            StorePassword("open sesame");
        else if (row.file == Row::Corrupt)
            WriteFile(vxpw::PasswordFilePath(), "$y$j9T$truncated\n");
        else if (row.file == Row::Folder)
            MakeFolder(vxpw::PasswordFilePath());

        QPointer<QWidget> dialogParent;
        bool masked = false, lengthHint = true;
        std::vector<ModalScript::Step> steps = row.steps;
        if (row.file == Row::Stored) {
            // Look at the dialog before the row's own step acts on it.
            steps[0] = [&, act = steps[0]](QWidget *dialog) {
                dialogParent = dialog->parentWidget();
                QLineEdit *edit = Field(dialog, "password");
                masked = edit && edit->echoMode() == QLineEdit::Password;
                lengthHint =
                    edit && (edit->maxLength() != 32767 || !edit->placeholderText().isEmpty());
                act(dialog);
            };
        }
        ModalScript script(steps);
        recorder.boxes.clear();
        EXPECT_EQ(VerifySaverPassword(saverHandle), row.expected) << row.label;
        EXPECT_FALSE(script.timedOut) << row.label;
        EXPECT_EQ(script.stepsRun(), script.stepsPlanned()) << row.label;
        EXPECT_TRUE(recorder.boxes.empty()) << row.label << ": the component reports, not us";
        if (!row.seen.empty()) {
            EXPECT_EQ(script.log, row.seen) << row.label;
        }
        if (row.file == Row::Stored) {
            EXPECT_EQ(dialogParent.data(), &saver) << row.label << ": owned by the saver window";
            EXPECT_TRUE(masked) << row.label;
            EXPECT_FALSE(lengthHint) << row.label << ": nothing hints at the length";
        } else {
            ASSERT_EQ(script.log.size(), 1u) << row.label;
            EXPECT_NE(script.log[0].find("The screen saver will close."), std::string::npos)
                << row.label << ": " << script.log[0];
        }
    }
}

TEST_F(PasswordTest, ChangeDialogRoundTrip) {
    QWidget owner;
    owner.show();
    const HWND ownerHandle = reinterpret_cast<HWND>(owner.winId());
    SetSwitch("1");
    auto verify = [&](const char *password) {
        ModalScript script({EnterPassword(password), ConfirmMessage()});
        const BOOL result = VerifySaverPassword(ownerHandle);
        EXPECT_FALSE(script.timedOut) << password;
        return result;
    };

    // Set: no old password is asked; a mismatch is caught and can be retried.
    bool hadOld = true;
    QPointer<QWidget> parent;
    {
        ModalScript script({[&](QWidget *d) {
                                parent = d->parentWidget();
                                FillChange(nullptr, "alpha", "alpha!", &hadOld)(d);
                            },
                            ConfirmMessage(), FillChange(nullptr, "alpha", "alpha"),
                            ConfirmMessage()});
        ChangeSaverPassword(ownerHandle);
        EXPECT_EQ(script.log, (std::vector<std::string>{
                                  "vxChangePasswordDialog",
                                  "message: The new passwords do not match. Type them again.",
                                  "vxChangePasswordDialog",
                                  "message: The screen-saver password has been changed."}));
    }
    EXPECT_FALSE(hadOld) << "no old password field before one is set";
    EXPECT_EQ(parent.data(), &owner) << "the change dialog is owned by the chosen window";
    struct stat st {};
    ASSERT_EQ(::stat(vxpw::PasswordFilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(verify("alpha"), TRUE);

    // Change: the old password is required and checked.
    {
        ModalScript script({FillChange("wrong", "beta", "beta", &hadOld), ConfirmMessage(),
                            FillChange("alpha", "beta", "beta"), ConfirmMessage()});
        ChangeSaverPassword(ownerHandle);
        EXPECT_EQ(
            script.log,
            (std::vector<std::string>{
                "vxChangePasswordDialog", "message: The old password is not correct.",
                "vxChangePasswordDialog", "message: The screen-saver password has been changed."}));
    }
    EXPECT_TRUE(hadOld);
    EXPECT_EQ(verify("alpha"), FALSE) << "the old password no longer opens";
    EXPECT_EQ(verify("beta"), TRUE);

    // Cancel changes nothing.
    {
        ModalScript script({PressEscape()});
        ChangeSaverPassword(ownerHandle);
        EXPECT_EQ(script.stepsRun(), 1u);
    }
    EXPECT_EQ(verify("beta"), TRUE);

    // An empty new password removes it.
    {
        ModalScript script({FillChange("beta", "", ""), ConfirmMessage()});
        ChangeSaverPassword(ownerHandle);
        ASSERT_EQ(script.log.size(), 2u);
        EXPECT_EQ(script.log[1], "message: The screen-saver password has been removed.");
    }
    EXPECT_EQ(::access(vxpw::PasswordFilePath().c_str(), F_OK), -1);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(PasswordTest, ChangeReplacesACorruptFile) {
    WriteFile(vxpw::PasswordFilePath(), "garbage\n");
    bool hadOld = true;
    QString note;
    ModalScript script({[&](QWidget *d) {
                            if (auto *label = d->findChild<QLabel *>(QStringLiteral("brokenNote")))
                                note = label->text();
                            FillChange(nullptr, "fresh", "fresh", &hadOld)(d);
                        },
                        ConfirmMessage()});
    ChangeSaverPassword(nullptr);
    EXPECT_FALSE(hadOld) << "an unreadable old password cannot be asked for";
    EXPECT_TRUE(note.contains(QStringLiteral("could not be read"))) << note.toStdString();
    const vxpw::StoredPassword stored = vxpw::ReadStoredPassword();
    ASSERT_EQ(stored.state, vxpw::StoredPassword::State::Set);
    EXPECT_EQ(vxpw::CheckPassword(vxpw::Secret("fresh", 5), stored.hash), vxpw::CheckResult::Match);
}

TEST_F(PasswordTest, OnlyTheScreenSaverProviderExists) {
    HMODULE module = LoadLibraryA("mpr.dll");
    ASSERT_NE(module, nullptr) << "names are matched without regard to case";
    using Change = DWORD (*)(LPCSTR, HWND, DWORD, DWORD);
    auto change = reinterpret_cast<Change>(GetProcAddress(module, "PwdChangePasswordA"));
    ASSERT_NE(change, nullptr);
    ModalScript script({});
    EXPECT_EQ(change("NETWORK", nullptr, 0, 0), 1204u) << "another provider";
    EXPECT_EQ(change(nullptr, nullptr, 0, 0), 1204u) << "no provider";
    EXPECT_TRUE(script.log.empty()) << "no dialog for another provider";
    FreeLibrary(module);
}

} // namespace

namespace {

TEST_F(PasswordTest, ChangeModeOwnerFromTheCommandLine) {
    QWidget given, active;
    given.show();
    active.show();
    QApplication::setActiveWindow(&active);
    ASSERT_EQ(QApplication::activeWindow(), &active) << "a foreground window to fall back on";
    const unsigned long id = given.winId();
    const HWND givenHandle = reinterpret_cast<HWND>(uintptr_t(id));
    const HWND foreground = reinterpret_cast<HWND>(uintptr_t(active.winId()));
    ASSERT_NE(givenHandle, foreground);
    auto text = [](const char *format, unsigned long v) { return QString::asprintf(format, v); };

    struct Row {
        const char *label;
        std::vector<std::string> args; // after the program name
        HWND expected;
    };
    const Row rows[] = {
        {"decimal", {"/a", text("%lu", id).toStdString()}, givenHandle},
        {"hexadecimal", {"/a", text("0x%lx", id).toStdString()}, givenHandle},
        {"octal", {"a", text("0%lo", id).toStdString()}, givenHandle},
        {"digits then text", {"/a", text("%luxyz", id).toStdString()}, givenHandle},
        {"missing", {"/a"}, foreground},
        {"not a number", {"/a", "window"}, foreground},
        {"a number that is no window", {"/a", "0x7ffffff0"}, foreground},
        {"negative", {"/a", "-1"}, foreground},
        {"beyond 64 bits", {"/a", "99999999999999999999999"}, foreground},
    };
    for (const Row &row : rows) {
        std::vector<std::string> storage = {"vantorix"};
        storage.insert(storage.end(), row.args.begin(), row.args.end());
        std::vector<char *> argv;
        for (std::string &s : storage)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        EXPECT_EQ(PasswordChangeOwner(int(storage.size()), argv.data()), row.expected) << row.label;
    }
}

} // namespace

namespace {

// The saver window's close handling around the real verification dialog:
// while the dialog is open, close requests and timer messages are dropped
// and the scene stays where it was; after a wrong password the window is
// top-most again and the scene carries on from there.
TEST_F(PasswordTest, SaverWindowWaitsForTheDialogAndResumes) {
    VxVirtualScreen screen(QSize(640, 480));
    IScreenService *previousScreen = VxSetScreenService(&screen);
    AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
    CSceneWnd::ResetProcessStateForTesting();
    SceneSrand(7);
    SetSwitch("1");
    StorePassword("letmein");

    auto *saver = new CSaverWnd; // deletes itself with its window
    saver->CreateFullScreen();
    const HWND hwnd = saver->GetSafeHwnd();
    ASSERT_TRUE(IsWindow(hwnd));
    saver->KillTimer(CSceneWnd::kTickTimer); // the test gives every tick itself
    for (int i = 0; i < 3; ++i)
        saver->SendMessage(WM_TIMER, CSceneWnd::kTickTimer);
    ASSERT_FALSE(saver->m_bIconMode) << "a full-screen scene asks for the password";
    ASSERT_EQ(saver->m_nPassCount, 1);

    struct Snapshot {
        int x, y, passes, explosion;
        BOOL between;
        bool operator==(const Snapshot &) const = default;
    };
    auto snap = [&] {
        return Snapshot{saver->m_x, saver->m_y, saver->m_nPassCount, saver->m_nExplosionFrame,
                        saver->m_bBetweenPasses};
    };
    const Snapshot before = snap();
    const int dx = saver->m_dx, dy = saver->m_dy;

    {
        bool activeDuringDialog = false, notTopmostDuringDialog = false,
             unchangedDuringDialog = false;
        bool sameWindowOwnsDialog = false;
        ModalScript script({[&](QWidget *dialog) {
                                activeDuringDialog = saver->m_bPasswordActive;
                                notTopmostDuringDialog = !saver->m_impl->topmost;
                                sameWindowOwnsDialog =
                                    dialog->parentWidget() == saver->m_impl->widget();
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

        EXPECT_FALSE(script.timedOut);
        EXPECT_EQ(script.log, (std::vector<std::string>{
                                  "vxVerifyPasswordDialog",
                                  "message: Wrong password.\n\nThe screen saver continues."}))
            << "one dialog only: the requests made meanwhile were dropped";
        EXPECT_TRUE(activeDuringDialog);
        EXPECT_TRUE(notTopmostDuringDialog) << "out of the top-most band for the dialog";
        EXPECT_TRUE(sameWindowOwnsDialog) << "the dialog belongs to the saver window";
        EXPECT_TRUE(unchangedDuringDialog) << "no tick and no new pass under the dialog";
        ASSERT_TRUE(IsWindow(hwnd)) << "a wrong password keeps the saver";
        EXPECT_FALSE(saver->m_bPasswordActive);
        EXPECT_TRUE(saver->m_impl->topmost) << "top-most again";
        EXPECT_EQ(snap(), before) << "nothing moved while the dialog was open";
    } // the script stops watching here

    // The next tick continues the same pass from the same place.
    saver->SendMessage(WM_TIMER, CSceneWnd::kTickTimer);
    EXPECT_EQ(saver->m_nPassCount, before.passes);
    if (!saver->m_bMissileRun) {
        EXPECT_EQ(saver->m_x, before.x + dx);
        EXPECT_EQ(saver->m_y, before.y + dy);
    } else {
        EXPECT_NE(snap(), before);
    }

    // The right password closes it.
    ModalScript closing({EnterPassword("letmein")});
    saver->PostMessage(WM_CLOSE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !IsWindow(hwnd); }, 20000))
        << "the right password closes the saver";
    EXPECT_EQ(closing.log, std::vector<std::string>{"vxVerifyPasswordDialog"});
    VxClearQuitRequest(); // the saver's destroy handler asked to quit
    VxSetScreenService(previousScreen);
}

} // namespace
