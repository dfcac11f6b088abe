// CWinApp over Qt: the process entry, the message loop, the per-user profile
// store and the message boxes.
#include "platform/qt/QtFramework_p.h"
#include "platform/qt/QtSoundOutput.h"
#include "platform/qt/ScreenService.h"

#include "platform/afx/MessageBox.h"
#include "platform/gdi/Gdi.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QWindow>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
CWinApp *g_app = nullptr;
// The strings behind m_pszAppName and m_pszRegistryKey, per application
// object. Function statics: the application object is itself a global and
// may be constructed before this file's globals.
struct AppStrings {
    std::string name = "vantorix";
    std::string key;
};
std::map<const CWinApp *, AppStrings> &Strings() {
    static std::map<const CWinApp *, AppStrings> strings;
    return strings;
}

// Message boxes as Qt dialogs, owned by the window given when it is ours.
class QtMessageBoxService : public IMessageBoxService {
  public:
    int Show(HWND owner, const char *text, const char *caption, UINT style) override {
        if (!qApp)
            return IDOK;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        switch (style & 0xF0) {
        case 0x10:
            icon = QMessageBox::Critical;
            break;
        case 0x20:
            icon = QMessageBox::Question;
            break;
        case 0x30:
            icon = QMessageBox::Warning;
            break;
        case MB_ICONINFORMATION:
            icon = QMessageBox::Information;
            break;
        default:
            break;
        }
        QWidget *parent = VxWidgetFromHandle(owner);
        if (parent)
            parent = parent->window();
        // An owner of another program (on X11) keeps the box above it as its
        // transient; the window manager also places the box over it.
        const WId ownerId = WId(reinterpret_cast<uintptr_t>(owner));
        std::unique_ptr<QWindow> foreign;
        if (!parent && ownerId && VxForeignWindowExists(ownerId))
            foreign.reset(QWindow::fromWinId(ownerId));
        QMessageBox box(icon, QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text),
                        QMessageBox::Ok, parent);
        if (foreign) {
            box.winId(); // the native window, so that it can be bound
            if (QWindow *window = box.windowHandle())
                window->setTransientParent(foreign.get());
        } else if (!parent) {
            // Without an owner the box would otherwise open behind a top-most
            // window of ours.
            box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        }
        box.exec();
        return IDOK;
    }
};

// The profile file: $XDG_CONFIG_HOME (or ~/.config) / key / application.ini.
// The environment is read at each access so that tests can move it.
QString ProfilePath(const std::string &key, const std::string &app) {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    QString path = base + QLatin1Char('/');
    if (!key.empty())
        path += QString::fromLocal8Bit(key.c_str()) + QLatin1Char('/');
    return path + QString::fromLocal8Bit(app.c_str()) + QStringLiteral(".ini");
}

QString ProfileKey(LPCSTR section, LPCSTR entry) {
    return QString::fromLocal8Bit(section ? section : "") + QLatin1Char('/') +
           QString::fromLocal8Bit(entry ? entry : "");
}

// A profile larger than this is not one this program wrote (five short
// values); it is neither read nor written, so a huge file cannot exhaust
// memory.
constexpr qint64 kMaxProfileBytes = 1 << 20;

enum class ProfileFile { Missing, Regular, Unusable };

// What is at the profile path, found without opening it: opening a FIFO
// would block, and a device such as /dev/zero never ends. Only a regular
// file of a sensible size is a profile; anything else reads as nothing
// stored and is not written through.
ProfileFile Examine(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT ? ProfileFile::Missing : ProfileFile::Unusable;
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxProfileBytes)
        return ProfileFile::Unusable;
    return ProfileFile::Regular;
}

// Whether the profile file holds lines that are neither a section header,
// a comment nor a key=value pair: those would not survive a rewrite. Reads
// at most kMaxProfileBytes; anything longer counts as damaged.
bool LooksDamaged(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    QFile file;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    const QByteArray text = file.read(kMaxProfileBytes + 1);
    if (text.size() > kMaxProfileBytes)
        return true;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray &raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') ? !line.endsWith(']') : !line.contains('='))
            return true;
    }
    return false;
}

// Creates `folder` and any missing parent, each private to the user (0700),
// as the base directory rules ask of $XDG_CONFIG_HOME.
bool MakePrivateFolders(const QString &folder) {
    const QByteArray path = QFile::encodeName(folder);
    for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? path : path.left(slash);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash < 0)
            break;
    }
    return true;
}

// An exclusive lock on the profile's folder for one save, between processes
// and threads alike: the damage check, the copy aside and the rewrite happen
// as one step.
class FolderLock {
  public:
    explicit FolderLock(const QString &folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
            }
        }
    }
    ~FolderLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;
    bool held() const { return m_fd >= 0; }

  private:
    int m_fd;
};

} // namespace

// ---- CWinApp ------------------------------------------------------------------------------
CWinApp::CWinApp() {
    g_app = this;
    m_pszAppName = Strings()[this].name.c_str();
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
    Strings().erase(this);
}

CWinApp *AfxGetApp() {
    return g_app;
}
CWnd *AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    QEventLoop loop;
    VxRunLoop(&loop);
    int code = 0;
    VxQuitRequested(&code);
    VxClearQuitRequest();
    return code;
}

void CWinApp::SetRegistryKey(LPCSTR key) {
    AppStrings &strings = Strings()[this];
    strings.key = key ? key : "";
    m_pszRegistryKey = strings.key.c_str();
}

void CWinApp::SetAppName(LPCSTR name) {
    AppStrings &strings = Strings()[this];
    strings.name = VxAppNameFromPath(name);
    m_pszAppName = strings.name.c_str();
    if (g_app == this)
        VxSetAppName(m_pszAppName);
}

UINT CWinApp::GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue) {
    const std::string key = m_pszRegistryKey ? m_pszRegistryKey : "";
    const std::string app = m_pszAppName ? m_pszAppName : "vantorix";
    // Reading creates nothing on disk: a missing file is simply empty.
    const QString path = ProfilePath(key, app);
    if (Examine(path) == ProfileFile::Unusable)
        return UINT(defaultValue);
    QSettings store(path, QSettings::IniFormat);
    const QVariant value = store.value(ProfileKey(section, entry));
    // A list ("1, 2") is not a number; anything else is read as its text.
    if (!value.isValid() || value.typeId() == QMetaType::QStringList)
        return UINT(defaultValue);
    bool ok = false;
    const qlonglong number = value.toString().toLongLong(&ok, 10);
    // A stored value must fit into 32 bits, signed or unsigned, as a DWORD
    // does; anything else is not a value of this store.
    if (!ok || number < qlonglong(INT32_MIN) || number > qlonglong(UINT32_MAX))
        return UINT(defaultValue);
    return UINT(uint32_t(number));
}

BOOL CWinApp::WriteProfileInt(LPCSTR section, LPCSTR entry, int value) {
    const std::string key = m_pszRegistryKey ? m_pszRegistryKey : "";
    const std::string app = m_pszAppName ? m_pszAppName : "vantorix";
    // QSettings keeps the other values of the file and replaces the file
    // atomically (a temporary file renamed over it). Lines it cannot parse
    // would not survive the rewrite, so a damaged file is first copied aside
    // as "<file>.bak": nothing the user wrote is thrown away.
    const QString path = ProfilePath(key, app);
    const QString folder = QFileInfo(path).path();
    if (!MakePrivateFolders(folder))
        return FALSE;
    const FolderLock lock(folder);
    const ProfileFile existing = Examine(path);
    if (!lock.held() || existing == ProfileFile::Unusable)
        return FALSE;
    if (existing == ProfileFile::Regular && LooksDamaged(path)) {
        const QString backup = path + QStringLiteral(".bak");
        QFile::remove(backup);
        if (!QFile::copy(path, backup))
            return FALSE;
    }
    QSettings store(path, QSettings::IniFormat);
    store.setValue(ProfileKey(section, entry), value);
    store.sync();
    // A parse complaint about the old file does not make the write fail.
    return store.status() != QSettings::AccessError ? TRUE : FALSE;
}

// ---- the process --------------------------------------------------------------------------
namespace {
// As when the main window cannot be made.
constexpr int kExitNoDisplay = 3;

int DisplayDepthFromEnvironment() {
    const char *value = std::getenv("VANTORIX_DISPLAY_DEPTH");
    if (!value || !*value)
        return 32;
    if (std::strcmp(value, "32") == 0 || std::strcmp(value, "24") == 0)
        return 32;
    if (std::strcmp(value, "8") == 0)
        return 8;
    if (std::strcmp(value, "4") == 0)
        return 4;
    std::fprintf(stderr, "vantorix: VANTORIX_DISPLAY_DEPTH=%s is not 32, 8 or 4; using 32\n",
                 value);
    return 32;
}
} // namespace

int AfxWinMain(int argc, char **argv) {
    VxSetDisplayDepth(DisplayDepthFromEnvironment());

    // Qt takes its own options out of the argument vector it is given; the
    // application sees the command line exactly as it was.
    std::vector<std::string> original(argv, argv + argc);
    std::vector<char *> ourArgs;
    for (std::string &a : original)
        ourArgs.push_back(a.data());
    ourArgs.push_back(nullptr);
    std::vector<std::string> qtCopy = original;
    if (!VxChooseDisplayPlatform(VxAppNameFromPath(argc > 0 ? argv[0] : nullptr).c_str(), qtCopy))
        return kExitNoDisplay;
    std::vector<char *> qtArgs;
    for (std::string &a : qtCopy)
        qtArgs.push_back(a.data());
    qtArgs.push_back(nullptr);
    int qtArgc = argc;

    QApplication qtApp(qtArgc, qtArgs.data());
    VxEndDisplayProbe();
    QApplication::setQuitOnLastWindowClosed(false);
    // Every window shows the program's icon in its title bar, the task bar
    // and the window switcher; the desktop also shows it for a minimized
    // window, whose contents it never asks to be painted.
    if (const QIcon icon = VxApplicationIcon(); !icon.isNull())
        QApplication::setWindowIcon(icon);
    QObject::connect(&qtApp, &QGuiApplication::applicationStateChanged,
                     [](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive)
                             VxNoteApplicationActive(true);
                         else if (state == Qt::ApplicationInactive)
                             VxNoteApplicationActive(false);
                     });

    CWinApp *app = AfxGetApp();
    if (!app)
        return 1;
    app->SetAppName(argc > 0 ? argv[0] : nullptr);
    app->m_argc = argc;
    app->m_argv = ourArgs.data();

    QtMessageBoxService boxes;
    IMessageBoxService *previousBoxes = VxSetMessageBoxService(&boxes);
    VxInstallQtSoundOutput();
    VxRefreshScreenSurface();

    const int exitCode = VxRunApplication(app, &VxEndStartUp);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    VxClearQuitRequest();
    VxSetMessageBoxService(previousBoxes);
    VxReleaseScreenSurface();
    app->m_argv = nullptr;
    app->m_argc = 0;
    return exitCode;
}
