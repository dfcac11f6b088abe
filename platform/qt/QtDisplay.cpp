// The display the process shows on, chosen before the toolkit starts, and
// what a window asks of a Wayland compositor where an X11 program would
// place the window itself.
#include "platform/qt/QtFramework_p.h"

#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

std::string Env(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

// Whether a platform plugin whose file name starts with `prefix` is
// installed where the toolkit looks for them: a missing plugin would
// otherwise end the process with an abort instead of a message.
bool PluginInstalled(const char *prefix) {
    QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'));
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    const QStringList pattern{QString::fromLatin1(prefix) + QStringLiteral("*.so")};
    for (const QString &folder : folders)
        if (!folder.isEmpty() &&
            !QDir(folder + QStringLiteral("/platforms")).entryList(pattern, QDir::Files).isEmpty())
            return true;
    return false;
}

// One kind of display: usable, or the reason it is not, in a few words.
struct DisplayReach {
    bool usable = false;
    std::string why;
};

// Whether a compositor's socket takes a connection; the reason when not.
std::string CompositorMissing(const std::string &name) {
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    if (name[0] != '/' && runtime.empty())
        return "XDG_RUNTIME_DIR is unset";
    const std::string path = name[0] == '/' ? name : runtime + "/" + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    bool reached = false;
    if (path.size() < sizeof address.sun_path) {
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        reached =
            fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
    }
    return reached ? std::string() : "no Wayland compositor at " + path;
}

// A socket the session handed over (WAYLAND_SOCKET) cannot be tried without
// using it up; it is taken as it is.
DisplayReach ProbeWayland() {
    const std::string name = Env("WAYLAND_DISPLAY");
    if (name.empty() && Env("WAYLAND_SOCKET").empty())
        return {false, "WAYLAND_DISPLAY is unset"};
    if (std::string why = name.empty() ? "" : CompositorMissing(name); !why.empty())
        return {false, why};
    if (!PluginInstalled("libqwayland-"))
        return {false, "Qt's Wayland plugin is not installed (qt6-wayland)"};
    return {true, {}};
}

// The connection that tried the X server. It stays open until the toolkit
// has its own: a server that resets when its last client leaves (Xvfb, as
// xvfb-run starts it) would otherwise be resetting as the toolkit connects.
xcb_connection_t *g_probe = nullptr;

DisplayReach ProbeX11() {
    const std::string name = Env("DISPLAY");
    if (name.empty())
        return {false, "DISPLAY is unset"};
    g_probe = xcb_connect(name.c_str(), nullptr);
    if (xcb_connection_has_error(g_probe)) {
        VxEndDisplayProbe();
        return {false, "no X server at " + name};
    }
    if (!PluginInstalled("libqxcb"))
        return {false, "Qt's X11 plugin is not installed (qt6-qpa-plugins)"};
    return {true, {}};
}

} // namespace

bool VxChooseDisplayPlatform(const char *program, std::vector<std::string> &qtArgs) {
    // The request: "-platform" on the command line wins over QT_QPA_PLATFORM,
    // as in the toolkit. It may list several, "name[:options];name...".
    std::string *given = nullptr;
    for (size_t i = 1; i + 1 < qtArgs.size(); ++i)
        if (qtArgs[i] == "-platform")
            given = &qtArgs[i + 1];
    const std::string request = given ? *given : Env("QT_QPA_PLATFORM");

    std::optional<DisplayReach> wayland, x11;
    const auto usable = [&](bool onWayland) {
        std::optional<DisplayReach> &probe = onWayland ? wayland : x11;
        if (!probe)
            probe = onWayland ? ProbeWayland() : ProbeX11();
        return probe->usable;
    };
    // The first platform asked for that can work is kept: any other than
    // Wayland and X11 (offscreen, vnc, ...) is the user's to judge. When none
    // can, or nothing was asked for, a reachable compositor comes first, then
    // an X server.
    std::string chosen;
    for (size_t start = 0; start <= request.size() && chosen.empty();) {
        size_t end = request.find(';', start);
        if (end == std::string::npos)
            end = request.size();
        const std::string entry = request.substr(start, end - start);
        const std::string name = entry.substr(0, entry.find(':'));
        start = end + 1;
        if (name.empty())
            continue;
        if (name.rfind("wayland", 0) == 0 ? usable(true) : name == "xcb" ? usable(false) : true)
            chosen = entry;
    }
    if (chosen.empty() && usable(true))
        chosen = "wayland";
    if (chosen.empty() && usable(false))
        chosen = "xcb";
    if (chosen.empty()) {
        std::fprintf(stderr, "%s: no display to show on: %s; %s\n", program, wayland->why.c_str(),
                     x11->why.c_str());
        return false;
    }
    if (given)
        *given = chosen;
    setenv("QT_QPA_PLATFORM", chosen.c_str(), 1);
    return true;
}

void VxEndDisplayProbe() {
    if (g_probe)
        xcb_disconnect(g_probe);
    g_probe = nullptr;
}

bool VxOnWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void VxShowTopLevel(QWidget *w, DWORD style) {
    // A Wayland client cannot place its windows, and only a full-screen
    // window is kept above the desktop's panels: a pop-up that covers one
    // screen exactly (the saver's windows) asks to be full screen on that
    // screen's output. On X11 the geometry and the stacking hint do it.
    // Activation stays the caller's: showFullScreen() would also activate.
    if (VxOnWayland() && (style & WS_POPUP)) {
        for (QScreen *screen : QGuiApplication::screens()) {
            if (screen->geometry() == w->geometry()) {
                w->setScreen(screen);
                w->setWindowState(w->windowState() | Qt::WindowFullScreen);
                break;
            }
        }
    }
    w->show();
}

void VxCentreOnScreen(QWidget *w) {
    // The one placement a Wayland compositor promises: a full-screen window
    // smaller than the output is shown in the output's centre, the rest
    // filled (black, as a rule). A frameless window of fixed size (the title
    // card) keeps its size and asks for that; a window with a frame is left
    // to the compositor's placement, as the desktop's dialogs are.
    if (!VxOnWayland() || !w->isWindow() || !w->windowFlags().testFlag(Qt::FramelessWindowHint) ||
        w->minimumSize() != w->maximumSize())
        return;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        w->setScreen(primary);
    w->setWindowState(w->windowState() | Qt::WindowFullScreen);
}
