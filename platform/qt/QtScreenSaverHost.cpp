// The screen-saver host's side of a run on X11: the root window and the
// screen's size in device pixels, the screen the scene sees (the host's
// window, with the desktop picture XScreenSaver keeps for its hacks), windows
// shown scaled, windows that leave all input to the host, and the signals
// that end a run.
#include "platform/afx/ScreenSaverHost.h"

#include "platform/qt/QtFramework_p.h"
#include "platform/qt/ScreenService.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

const xcb_screen_t *FirstScreen(xcb_connection_t *c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data;
}

bool HasProperty(xcb_connection_t *c, xcb_window_t window, const char *name) {
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::strlen(name)), name), nullptr);
    if (!atom || atom->atom == XCB_ATOM_NONE) {
        std::free(atom);
        return false;
    }
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr);
    const bool present = reply && reply->type != XCB_ATOM_NONE;
    std::free(reply);
    std::free(atom);
    return present;
}

// The pixels of a pixmap of the screen's depth, when it is stored as 32-bit
// true colour (every current X server at depth 24 or 32); null otherwise.
QImage ReadPixmap(xcb_connection_t *c, xcb_pixmap_t pixmap, QSize size, uint8_t depth) {
    int bitsPerPixel = 0;
    for (auto it = xcb_setup_pixmap_formats_iterator(xcb_get_setup(c)); it.rem;
         xcb_format_next(&it))
        if (it.data->depth == depth)
            bitsPerPixel = it.data->bits_per_pixel;
    if (bitsPerPixel != 32 || (depth != 24 && depth != 32))
        return {};
    xcb_get_image_reply_t *reply =
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0,
                                          uint16_t(size.width()), uint16_t(size.height()), ~0u),
                            nullptr);
    if (!reply)
        return {};
    QImage image;
    const int length = xcb_get_image_data_length(reply);
    if (length >= size.width() * size.height() * 4) {
        image = QImage(xcb_get_image_data(reply), size.width(), size.height(), size.width() * 4,
                       QImage::Format_RGB32)
                    .copy();
    }
    std::free(reply);
    return image;
}

// The helper XScreenSaver's hacks use to get an image of the desktop.
QString GetImageTool() {
    return QStandardPaths::findExecutable(
        QStringLiteral("xscreensaver-getimage"),
        {QStringLiteral("/usr/libexec/xscreensaver"), QStringLiteral("/usr/lib/xscreensaver")});
}

// Asks xscreensaver-getimage for the picture XScreenSaver keeps on `window`
// (it saves a screenshot of the desktop on its saver window and on the
// settings program's preview pane before the hack starts), drawn into a
// pixmap of `size`. Null when the window carries no such picture (the window
// of a screen locker, a test's window), the tool is missing, fails or takes
// longer than a few seconds. A quit request ends the wait at once.
QImage HostDesktopImage(WId window, QSize size) {
    xcb_connection_t *c = VxXcbConnection();
    if (!c || window == 0 || size.isEmpty() || size.width() > 0xFFFF || size.height() > 0xFFFF)
        return {};
    if (!HasProperty(c, xcb_window_t(window), "_SCREENSAVER_SCREENSHOT"))
        return {};
    const QString tool = GetImageTool();
    const xcb_screen_t *screen = FirstScreen(c);
    if (tool.isEmpty() || !screen)
        return {};

    // Black first: a picture of another shape is centred and leaves margins.
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, screen->root_depth, pixmap, screen->root, uint16_t(size.width()),
                      uint16_t(size.height()));
    const xcb_gcontext_t gc = xcb_generate_id(c);
    const uint32_t black = screen->black_pixel;
    xcb_create_gc(c, gc, pixmap, XCB_GC_FOREGROUND, &black);
    const xcb_rectangle_t all{0, 0, uint16_t(size.width()), uint16_t(size.height())};
    xcb_poly_fill_rectangle(c, pixmap, gc, 1, &all);
    xcb_free_gc(c, gc);
    xcb_flush(c);

    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(tool, {QStringLiteral("0x%1").arg(window, 0, 16),
                         QStringLiteral("0x%1").arg(pixmap, 0, 16)});
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, [&loop] { loop.exit(0); });
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop] { loop.exit(0); });
    QTimer::singleShot(3000, &loop, [&loop] { loop.exit(0); });
    if (process.state() != QProcess::NotRunning)
        VxRunLoop(&loop);

    QImage image;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(500);
    } else if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        image = ReadPixmap(c, pixmap, size, screen->root_depth);
    }
    xcb_free_pixmap(c, pixmap);
    xcb_flush(c);
    return image;
}

// The screen the scene sees while a host's window stands in for it.
std::unique_ptr<VxVirtualScreen> g_hostScreen;

int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

HWND VxRootWindow() {
    xcb_connection_t *c = VxXcbConnection();
    const xcb_screen_t *screen = c ? FirstScreen(c) : nullptr;
    return screen ? HWND(uintptr_t(screen->root)) : nullptr;
}

BOOL VxScreenPixelSize(SIZE *size) {
    if (!size)
        return FALSE;
    QSize pixels;
    if (HWND root = VxRootWindow(); root && VxForeignWindowSize(WId(uintptr_t(root)), &pixels)) {
        size->cx = pixels.width();
        size->cy = pixels.height();
        return TRUE;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return FALSE;
    const QSize logical = screen->geometry().size();
    size->cx = qRound(logical.width() * screen->devicePixelRatio());
    size->cy = qRound(logical.height() * screen->devicePixelRatio());
    return size->cx > 0 && size->cy > 0;
}

void VxUseHostScreen(SIZE size, HWND imageOf) {
    const QSize pixels(std::max(1, int(size.cx)), std::max(1, int(size.cy)));
    QImage picture = imageOf ? HostDesktopImage(WId(uintptr_t(imageOf)), pixels) : QImage();
    auto fresh = std::make_unique<VxVirtualScreen>(pixels, std::move(picture));
    VxSetScreenService(fresh.get());
    g_hostScreen = std::move(fresh);
    VxRefreshScreenSurface();
}

BOOL VxSetDrawingSize(HWND hwnd, SIZE drawing) {
    CWnd *wnd = VxLookupHandle(hwnd);
    VxWindowImpl *impl = wnd ? wnd->m_impl.get() : nullptr;
    QWidget *w = impl ? impl->widget() : nullptr;
    if (!w || impl->kind != VxWindowKind::Surface)
        return FALSE;
    impl->drawingSize = drawing.cx > 0 && drawing.cy > 0 ? QSize(drawing.cx, drawing.cy) : QSize();
    const QSize backing = impl->drawingSize.isValid() ? impl->drawingSize : w->size();
    VxResizeBacking(impl, backing);
    impl->invalid = QRegion(QRect(QPoint(0, 0), backing));
    w->update();
    return TRUE;
}

void VxMakePassive(HWND hwnd) {
    CWnd *wnd = VxLookupHandle(hwnd);
    QWidget *w = wnd && wnd->m_impl ? wnd->m_impl->widget() : nullptr;
    if (!w)
        return;
    w->setFocusPolicy(Qt::NoFocus);
    QWindow *window = w->windowHandle();
    if (!window)
        return;
    Qt::WindowFlags flags =
        window->flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;
    // On the root window the saver's window would be a top-level one that a
    // window manager decorates and moves.
    QWindow *parent = window->parent(QWindow::IncludeTransients);
    if (parent && HWND(uintptr_t(parent->winId())) == VxRootWindow())
        flags |= Qt::X11BypassWindowManagerHint;
    if (w->isWindow())
        w->overrideWindowFlags(flags);
    window->setFlags(flags);
}

void VxQuitOnTerminationSignals() {
    if (g_signalPipe[0] != -1 || !qApp)
        return;
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_signalPipe[0] = g_signalPipe[1] = -1;
        return;
    }
    // The handler only writes a byte; the loop reads it and quits, so the
    // windows and the sound are shut down by the usual path.
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        char bytes[16];
        while (read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        notifier->setEnabled(false);
        PostQuitMessage(0);
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1})
        sigaction(signal, &action, nullptr);
}
