#include "platform/password/PasswordDialogs.h"

#include "platform/password/PasswordStore.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <QWindow>

#include <cstdio>
#include <cstring>
#include <memory>

namespace vxpw {

namespace {

const char *const kCaption = "Screen Saver";

// The window a dialog belongs to. A window handle names one of the
// application's own widgets (the framework's handle, a widget's native id)
// or, on X11, a window of another program; dialogs of a foreign owner are
// made transient for it so that the window manager keeps them on top of it
// and centred over it.
class Owner {
  public:
    explicit Owner(HWND hwnd) {
        const quintptr id = reinterpret_cast<quintptr>(hwnd);
        if (!id)
            return;
        const QWidgetList widgets = QApplication::allWidgets();
        for (QWidget *w : widgets) {
            if (reinterpret_cast<quintptr>(w) == id ||
                (w->internalWinId() && quintptr(w->internalWinId()) == id)) {
                m_widget = w->window();
                return;
            }
        }
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            m_foreign.reset(QWindow::fromWinId(WId(id)));
    }

    QWidget *widget() const { return m_widget; }

    // Call on every top-level the dialog code shows.
    void Bind(QWidget *dialog) const {
        if (!m_foreign)
            return;
        dialog->winId(); // make the native window so it can be bound
        if (QWindow *window = dialog->windowHandle())
            window->setTransientParent(m_foreign.get());
    }

  private:
    QPointer<QWidget> m_widget;
    std::unique_ptr<QWindow> m_foreign;
};

bool HaveApplication() {
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        return true;
    std::fputs("vantorix: the password dialog needs a running application\n", stderr);
    return false;
}

// The text of an entry field as UTF-8, wiping every copy it passed through
// and emptying the field (setText also drops its undo history).
Secret TakeText(QLineEdit *edit) {
    QString text = edit->text();
    edit->setText(QString());
    QByteArray utf8 = text.toUtf8();
    Secret secret(utf8.constData(), size_t(utf8.size()));
    WipeBytes(utf8.data(), size_t(utf8.size()));
    WipeBytes(text.data(), size_t(text.size()) * sizeof(QChar));
    return secret;
}

// What a password field takes: the hashing library refuses phrases of 512
// bytes or more, so an entry stops at 256 characters and 511 bytes of UTF-8.
constexpr int kMaxPasswordChars = 256;
constexpr qsizetype kMaxPasswordBytes = 511;

// Refuses an edit that would make the entry longer than kMaxPasswordBytes in
// UTF-8: the keystroke (or paste) is dropped, as the length cap drops one.
class Utf8Cap : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override {
        qsizetype bytes = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const char16_t c = input.at(i).unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < input.size() &&
                QChar::isLowSurrogate(input.at(i + 1).unicode())) {
                bytes += 4;
                ++i;
            } else {
                // A lone surrogate is encoded as a replacement character.
                bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
            }
        }
        return bytes <= kMaxPasswordBytes ? Acceptable : Invalid;
    }
};

QLineEdit *PasswordField(const char *name, QWidget *parent) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(kMaxPasswordChars);
    edit->setValidator(new Utf8Cap(edit));
    edit->setEchoMode(QLineEdit::Password);
    edit->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    return edit;
}

void ShowMessage(const Owner &owner, QWidget *parent, QMessageBox::Icon icon, const QString &text,
                 bool onTop) {
    QMessageBox box(icon, QLatin1String(kCaption), text, QMessageBox::Ok,
                    parent ? parent : owner.widget());
    if (onTop)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    owner.Bind(&box);
    box.exec();
}

QString SetPasswordHint() {
    return QStringLiteral("Set a password with \u201cvantorix -a\u201d.");
}

} // namespace

BOOL RunVerifyDialog(HWND hwnd) {
    if (!HaveApplication())
        return TRUE;
    const Owner owner(hwnd);
    StoredPassword stored = ReadStoredPassword();
    if (stored.state == StoredPassword::State::NotSet) {
        ShowMessage(owner, nullptr, QMessageBox::Information,
                    QStringLiteral("The screen-saver password is turned on, but no password has "
                                   "been set.\n\nThe screen saver will close. ") +
                        SetPasswordHint(),
                    true);
        return TRUE;
    }
    if (stored.state == StoredPassword::State::Broken) {
        ShowMessage(owner, nullptr, QMessageBox::Warning,
                    QStringLiteral("The screen-saver password could not be checked: ") +
                        QString::fromStdString(stored.problem) +
                        QStringLiteral(".\n\nThe screen saver will close. ") + SetPasswordHint(),
                    true);
        return TRUE;
    }

    QDialog dialog(owner.widget());
    dialog.setObjectName(QStringLiteral("vxVerifyPasswordDialog"));
    dialog.setWindowTitle(QLatin1String(kCaption));
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto *layout = new QVBoxLayout(&dialog);
    auto *prompt = new QLabel(QStringLiteral("The screen saver is protected by a password.\n"
                                             "Type the password to stop it:"),
                              &dialog);
    QLineEdit *entry = PasswordField("password", &dialog);
    prompt->setBuddy(entry);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(prompt);
    layout->addWidget(entry);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.setMinimumWidth(340);
    owner.Bind(&dialog);
    entry->setFocus();

    if (dialog.exec() != QDialog::Accepted) {
        Secret discarded = TakeText(entry);
        return FALSE;
    }
    // Only the stored side may fail open: whatever was typed is either the
    // password or it is not.
    const Secret typed = TakeText(entry);
    if (CheckPassword(typed, stored.hash) == CheckResult::Match)
        return TRUE;
    ShowMessage(owner, nullptr, QMessageBox::Warning,
                QStringLiteral("Wrong password.\n\nThe screen saver continues."), true);
    return FALSE;
}

DWORD RunChangeDialog(HWND hwnd) {
    if (!HaveApplication())
        return kStatusNotSupported;
    const Owner owner(hwnd);
    const StoredPassword stored = ReadStoredPassword();
    const bool hasOld = stored.state == StoredPassword::State::Set;

    QDialog dialog(owner.widget());
    dialog.setObjectName(QStringLiteral("vxChangePasswordDialog"));
    dialog.setWindowTitle(QStringLiteral("Change Screen Saver Password"));
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto *layout = new QVBoxLayout(&dialog);
    if (stored.state == StoredPassword::State::Broken) {
        auto *warning = new QLabel(QStringLiteral("The stored password could not be read (") +
                                       QString::fromStdString(stored.problem) +
                                       QStringLiteral("). Type a new password to replace it."),
                                   &dialog);
        warning->setObjectName(QStringLiteral("brokenNote"));
        warning->setWordWrap(true);
        layout->addWidget(warning);
    }
    auto *form = new QFormLayout;
    QLineEdit *oldEntry = nullptr;
    if (hasOld) {
        oldEntry = PasswordField("oldPassword", &dialog);
        form->addRow(QStringLiteral("&Old password:"), oldEntry);
    }
    QLineEdit *newEntry = PasswordField("newPassword", &dialog);
    QLineEdit *confirmEntry = PasswordField("confirmPassword", &dialog);
    form->addRow(QStringLiteral("&New password:"), newEntry);
    form->addRow(QStringLiteral("&Confirm new password:"), confirmEntry);
    layout->addLayout(form);
    auto *note = new QLabel(
        QStringLiteral("The screen saver asks for this password when ScreenSaveUsePassword=1 is "
                       "set in section [Control Panel\\Desktop] of ") +
            QString::fromStdString(ConfigFolder() + "/desktop.ini") +
            QStringLiteral(". Leave the new password empty to remove the password."),
        &dialog);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    dialog.setMinimumWidth(420);
    owner.Bind(&dialog);
    (oldEntry ? oldEntry : newEntry)->setFocus();

    auto retry = [&](QLineEdit *focus, const QString &text) {
        ShowMessage(owner, &dialog, QMessageBox::Warning, text, false);
        focus->setFocus();
    };
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const Secret old = oldEntry ? TakeText(oldEntry) : Secret();
        const Secret fresh = TakeText(newEntry);
        const Secret confirm = TakeText(confirmEntry);
        if (hasOld) {
            if (CheckPassword(old, stored.hash) != CheckResult::Match) {
                retry(oldEntry, QStringLiteral("The old password is not correct."));
                return;
            }
        }
        if (fresh.size() != confirm.size() ||
            std::memcmp(fresh.c_str(), confirm.c_str(), fresh.size()) != 0) {
            retry(newEntry, QStringLiteral("The new passwords do not match. Type them again."));
            return;
        }
        if (fresh.empty() && stored.state == StoredPassword::State::NotSet) {
            retry(newEntry, QStringLiteral("Type the new password twice."));
            return;
        }
        std::string error;
        if (!StorePassword(fresh, &error)) {
            retry(newEntry, QStringLiteral("The password could not be saved: ") +
                                QString::fromStdString(error) + QLatin1Char('.'));
            return;
        }
        ShowMessage(owner, &dialog, QMessageBox::Information,
                    fresh.empty() ? QStringLiteral("The screen-saver password has been removed.")
                                  : QStringLiteral("The screen-saver password has been changed."),
                    false);
        dialog.accept();
    });

    return dialog.exec() == QDialog::Accepted ? kStatusOk : kStatusCancelled;
}

} // namespace vxpw
