// The monitors of the desktop as the toolkit and the X server report them,
// the monitor taken for the screen, and WM_DISPLAYCHANGE when monitors come,
// go or change their size.
#include "platform/afx/Monitors.h"

#include "platform/qt/QtFramework_p.h"
#include "platform/qt/ScreenService.h"

#include "platform/gdi/Gdi.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <cstdlib>
#include <sys/uio.h>

namespace {

// The heads the X server's Xinerama extension reports, in device pixels;
// empty when it is missing or inactive. The one request is made by hand:
// the toolkit links no Xinerama library, and the request is four bytes.
QList<QRect> XineramaHeads() {
    xcb_connection_t *c = VxXcbConnection();
    if (!c)
        return {};
    static xcb_extension_t xinerama = {"XINERAMA", 0};
    const xcb_query_extension_reply_t *present = xcb_get_extension_data(c, &xinerama);
    if (!present || !present->present)
        return {};
    struct {
        uint8_t major, minor;
        uint16_t length;
    } request{0, 0, 1};
    struct iovec iov[4];
    iov[2].iov_base = &request;
    iov[2].iov_len = sizeof request;
    iov[3].iov_base = nullptr;
    iov[3].iov_len = 0;
    const xcb_protocol_request_t queryScreens{2, &xinerama, 5, 0};
    const unsigned sequence = xcb_send_request(c, XCB_REQUEST_CHECKED, iov + 2, &queryScreens);
    xcb_generic_error_t *error = nullptr;
    auto *reply = static_cast<uint8_t *>(xcb_wait_for_reply(c, sequence, &error));
    std::free(error);
    if (!reply)
        return {};
    // The reply: 32 bytes of header, the count at byte 8, then one record
    // of x, y (signed) and width, height (unsigned), 16 bits each, per head.
    struct Head {
        int16_t x, y;
        uint16_t width, height;
    };
    const uint32_t count = *reinterpret_cast<const uint32_t *>(reply + 8);
    const uint32_t words = *reinterpret_cast<const uint32_t *>(reply + 4);
    QList<QRect> heads;
    if (count <= uint64_t(words) * 4 / sizeof(Head)) {
        const auto *head = reinterpret_cast<const Head *>(reply + 32);
        for (uint32_t i = 0; i < count; ++i) {
            // Mirrored outputs are one monitor.
            const QRect rect(head[i].x, head[i].y, head[i].width, head[i].height);
            if (!rect.isEmpty() && !heads.contains(rect))
                heads.append(rect);
        }
    }
    std::free(reply);
    return heads;
}

// Posts WM_DISPLAYCHANGE to every top-level window of the framework, once
// for a burst of changes (a new monitor brings several signals).
void AnnounceDisplayChange() {
    static QTimer *pending = [] {
        auto *timer = new QTimer(qApp);
        timer->setSingleShot(true);
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, [] {
            const QSize primary = VxScreenService().Monitors().value(0).pixels.size();
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *surface = dynamic_cast<VxSurfaceWidget *>(w);
                VxWindowImpl *impl = surface ? surface->m_impl : nullptr;
                if (impl && impl->wnd && !impl->destroying && !VxIsChildStyle(impl))
                    impl->wnd->PostMessage(
                        WM_DISPLAYCHANGE, WPARAM(VxGetDisplayDepth()),
                        MAKELPARAM(WORD(primary.width()), WORD(primary.height())));
            }
        });
        return timer;
    }();
    pending->start();
}

void WatchScreen(QScreen *screen) {
    QObject::connect(screen, &QScreen::geometryChanged, qApp, AnnounceDisplayChange);
    QObject::connect(screen, &QScreen::physicalDotsPerInchChanged, qApp, AnnounceDisplayChange);
}

void WatchDisplayChanges() {
    static bool watching = false;
    if (watching || !qApp)
        return;
    watching = true;
    for (QScreen *screen : QGuiApplication::screens())
        WatchScreen(screen);
    QObject::connect(qApp, &QGuiApplication::screenAdded, qApp, [](QScreen *screen) {
        WatchScreen(screen);
        AnnounceDisplayChange();
    });
    QObject::connect(qApp, &QGuiApplication::screenRemoved, qApp, AnnounceDisplayChange);
    QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, qApp, AnnounceDisplayChange);
}

} // namespace

QList<VxScreenArea> VxToolkitMonitors() {
    QList<VxScreenArea> areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    for (const QScreen *screen : QGuiApplication::screens()) {
        // The toolkit keeps a monitor's corner where the X server has it and
        // divides only its size by the ratio.
        const QRect g = screen->geometry();
        const QSize pixels = (QSizeF(g.size()) * screen->devicePixelRatio()).toSize();
        areas.append({g, QRect(g.topLeft(), pixels), screen == primary});
    }
    // A server whose RandR describes only its first head (a nested server
    // with Xinerama) still names every head through Xinerama: each becomes a
    // monitor, measured like the toolkit's screen it starts on.
    const QList<QRect> heads = XineramaHeads();
    if (heads.size() > areas.size() && !areas.isEmpty()) {
        QList<VxScreenArea> fromHeads;
        for (const QRect &head : heads) {
            const VxScreenArea *home = &areas.front();
            for (const VxScreenArea &area : areas)
                if (area.pixels.contains(head.topLeft()))
                    home = &area;
            const qreal ratio = qreal(home->pixels.width()) / qMax(1, home->geometry.width());
            const QPoint corner =
                home->geometry.topLeft() + ((head.topLeft() - home->pixels.topLeft()) / ratio);
            const QSize size = (QSizeF(head.size()) / ratio).toSize();
            fromHeads.append({QRect(corner, size), head, false});
        }
        const QPoint primaryCorner = std::find_if(areas.begin(), areas.end(), [](const auto &a) {
                                         return a.primary;
                                     })->pixels.topLeft();
        auto home = std::find_if(fromHeads.begin(), fromHeads.end(),
                                 [&](const auto &a) { return a.pixels.contains(primaryCorner); });
        (home != fromHeads.end() ? *home : fromHeads.front()).primary = true;
        areas = fromHeads;
    }
    std::stable_partition(areas.begin(), areas.end(), [](const auto &a) { return a.primary; });
    return areas;
}

bool operator==(const VxMonitorInfo &a, const VxMonitorInfo &b) {
    const RECT &r = a.rcMonitor, &q = b.rcMonitor;
    return r.left == q.left && r.top == q.top && r.right == q.right && r.bottom == q.bottom &&
           a.szPixels.cx == b.szPixels.cx && a.szPixels.cy == b.szPixels.cy;
}

std::vector<VxMonitorInfo> VxEnumMonitors() {
    WatchDisplayChanges();
    std::vector<VxMonitorInfo> monitors;
    for (const VxScreenArea &area : VxScreenService().Monitors()) {
        VxMonitorInfo info;
        const QRect &g = area.geometry;
        SetRect(&info.rcMonitor, g.left(), g.top(), g.left() + g.width(), g.top() + g.height());
        info.szPixels = SIZE{area.pixels.width(), area.pixels.height()};
        info.bPrimary = area.primary ? TRUE : FALSE;
        monitors.push_back(info);
    }
    if (monitors.empty()) {
        VxMonitorInfo only;
        SetRect(&only.rcMonitor, 0, 0, 640, 480);
        only.szPixels = SIZE{640, 480};
        only.bPrimary = TRUE;
        monitors.push_back(only);
    }
    return monitors;
}

void VxUseMonitorAsScreen(const VxMonitorInfo *monitor) {
    if (!monitor) {
        VxSetScreenMonitor(nullptr);
        return;
    }
    const QRect geometry(QPoint(monitor->rcMonitor.left, monitor->rcMonitor.top),
                         QPoint(monitor->rcMonitor.right - 1, monitor->rcMonitor.bottom - 1));
    const QSize pixels(monitor->szPixels.cx, monitor->szPixels.cy);
    // Its part of the desktop's picture, as the screen service lays it out
    // (a monitor's corner stays where the X server has it).
    VxScreenArea area{geometry, QRect(geometry.topLeft(), pixels), bool(monitor->bPrimary)};
    for (const VxScreenArea &known : VxScreenService().Monitors())
        if (known.geometry == geometry && known.pixels.size() == pixels)
            area.pixels = known.pixels;
    VxSetScreenMonitor(&area);
}
