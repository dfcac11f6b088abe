#include "platform/qt/ScreenService.h"

#include "platform/gdi/Gdi.h"
#include "platform/qt/QtFramework_p.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QtMath>

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cstring>
#include <optional>
#include <vector>

namespace {

class QtScreenService : public IScreenService {
  public:
    QRect Geometry() const override {
        QScreen *screen = QGuiApplication::primaryScreen();
        return screen ? screen->geometry() : QRect(0, 0, 640, 480);
    }
    QRect WorkArea() const override {
        QScreen *screen = QGuiApplication::primaryScreen();
        return screen ? screen->availableGeometry() : Geometry();
    }
    QList<VxScreenArea> Monitors() const override { return VxToolkitMonitors(); }
    QImage Grab() const override {
        // A Wayland client cannot read the screen; what the toolkit might
        // return there would hold at most this program's own windows.
        QScreen *screen = QGuiApplication::primaryScreen();
        const QList<VxScreenArea> monitors = Monitors();
        if (!screen || VxOnWayland() || monitors.isEmpty())
            return {};
        QRect all;
        for (const VxScreenArea &monitor : monitors)
            all |= monitor.pixels;
        // One grab for every monitor: on X11 the primary screen's grab
        // reaches the whole root window. It is measured from the primary
        // monitor's corner, in its device-independent pixels.
        const qreal ratio = screen->devicePixelRatio();
        const QPoint from = all.topLeft() - monitors.front().pixels.topLeft();
        const QPixmap shot =
            screen->grabWindow(0, qFloor(from.x() / ratio), qFloor(from.y() / ratio),
                               qFloor(all.width() / ratio), qFloor(all.height() / ratio));
        if (shot.isNull())
            return {};
        QImage image = shot.toImage();
        image.setDevicePixelRatio(1.0);
        // A grab a pixel short at the far edges is padded with black.
        if (image.size() != all.size())
            image = image.copy(QRect(QPoint(0, 0), all.size()));
        return image;
    }
};

QtScreenService g_realScreen;
IScreenService *g_screen = nullptr;
HBITMAP g_surface = nullptr;

// Nearest system-palette index for 15-bit colours, rebuilt when the palette
// changed since the last conversion.
struct NearestIndexCache {
    RGBQUAD palette[256] = {};
    bool valid = false;
    std::vector<BYTE> table; // 32768 entries

    void Prepare() {
        RGBQUAD now[256];
        VxGetSystemPalette(now);
        if (valid && std::memcmp(now, palette, sizeof now) == 0)
            return;
        std::memcpy(palette, now, sizeof now);
        table.assign(32768, 0);
        for (int c = 0; c < 32768; ++c) {
            const int r = ((c >> 10) & 31) * 255 / 31, g = ((c >> 5) & 31) * 255 / 31,
                      b = (c & 31) * 255 / 31;
            int best = 0;
            long bestDistance = -1;
            for (int i = 0; i < 256; ++i) {
                const long dr = r - palette[i].rgbRed, dg = g - palette[i].rgbGreen,
                           db = b - palette[i].rgbBlue;
                const long d = dr * dr + dg * dg + db * db;
                if (bestDistance < 0 || d < bestDistance) {
                    bestDistance = d;
                    best = i;
                }
            }
            table[size_t(c)] = BYTE(best);
        }
        valid = true;
    }
    BYTE Index(QRgb rgb) const {
        const int c = ((qRed(rgb) >> 3) << 10) | ((qGreen(rgb) >> 3) << 5) | (qBlue(rgb) >> 3);
        return table[size_t(c)];
    }
};

NearestIndexCache g_nearest;

} // namespace

QList<VxScreenArea> IScreenService::Monitors() const {
    const QRect g = Geometry();
    return {{g, QRect(g.topLeft(), g.size()), true}};
}

VxVirtualScreen::VxVirtualScreen(QSize size, QImage picture)
    : m_size(size), m_picture(std::move(picture)) {}

QRect VxVirtualScreen::Geometry() const {
    return QRect(QPoint(0, 0), m_size);
}
QRect VxVirtualScreen::WorkArea() const {
    return Geometry();
}
QImage VxVirtualScreen::Grab() const {
    ++m_grabs;
    if (m_picture.isNull())
        return {};
    if (m_picture.size() == m_size)
        return m_picture;
    return m_picture.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

IScreenService *VxSetScreenService(IScreenService *service) {
    IScreenService *previous = g_screen;
    g_screen = service;
    return previous;
}

IScreenService &VxScreenService() {
    return g_screen ? *g_screen : g_realScreen;
}

void VxImageToBitmap(const QImage &source, void *bitmap) {
    VxBitmapView view{};
    if (!VxGetBitmapView(static_cast<HBITMAP>(bitmap), &view) || !view.pixels)
        return;
    const QImage image = source.isNull() ? QImage() : source.convertToFormat(QImage::Format_RGB32);
    const int rows = view.height, cols = view.width;
    const int inRows = std::min(rows, image.height()), inCols = std::min(cols, image.width());
    if (view.bitsPixel == 32) {
        for (int y = 0; y < rows; ++y) {
            auto *out = reinterpret_cast<uint32_t *>(view.pixels + size_t(y) * view.stride);
            int x = 0;
            if (y < inRows) {
                const auto *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
                for (; x < inCols; ++x)
                    out[x] = in[x] & 0x00FFFFFFu;
            }
            std::fill(out + x, out + cols, 0u);
        }
    } else if (view.bitsPixel == 8) {
        g_nearest.Prepare();
        const BYTE black = g_nearest.Index(qRgb(0, 0, 0));
        for (int y = 0; y < rows; ++y) {
            BYTE *out = view.pixels + size_t(y) * view.stride;
            int x = 0;
            if (y < inRows) {
                const auto *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
                for (; x < inCols; ++x)
                    out[x] = g_nearest.Index(in[x]);
            }
            std::fill(out + x, out + cols, black);
        }
    }
}

QImage VxBitmapToImage(void *bitmap) {
    VxBitmapView view{};
    if (!VxGetBitmapView(static_cast<HBITMAP>(bitmap), &view) || !view.pixels)
        return {};
    if (view.bitsPixel == 32) {
        return QImage(view.pixels, view.width, view.height, view.stride, QImage::Format_RGB32)
            .copy();
    }
    if (view.bitsPixel == 8) {
        QImage image(view.pixels, view.width, view.height, view.stride, QImage::Format_Indexed8);
        QList<QRgb> table(256, qRgb(0, 0, 0));
        RGBQUAD system[256];
        const RGBQUAD *colours = view.colors;
        int count = view.colorCount;
        if (!colours) {
            VxGetSystemPalette(system);
            colours = system;
            count = 256;
        }
        for (int i = 0; i < count && i < 256; ++i)
            table[i] = qRgb(colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue);
        image.setColorTable(table);
        return image.convertToFormat(QImage::Format_RGB32);
    }
    if (view.bitsPixel == 1) {
        QImage image(view.width, view.height, QImage::Format_RGB32);
        for (int y = 0; y < view.height; ++y) {
            const BYTE *in = view.pixels + size_t(y) * view.stride;
            auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < view.width; ++x)
                out[x] = (in[x >> 3] & (0x80 >> (x & 7))) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        }
        return image;
    }
    return {};
}

namespace {

// This start's picture of the whole desktop, display format (32 bpp) once
// adopted: taken at most once per start, when a screen DC is first read.
QImage g_desktop;
bool g_desktopTaken = false;
// Start-up is over: the picture is gone and no new one is taken.
bool g_released = false;
// The monitor taken for the screen; none: the primary one in
// device-independent pixels.
std::optional<VxScreenArea> g_monitor;
// The screen surface's own pixels when it is not a part of the desktop's
// picture as it is (scaled, padded or of another depth).
QImage g_snapshot;

void DropSurface() {
    VxSetScreenSurface(nullptr);
    if (g_surface)
        DeleteObject(g_surface);
    g_surface = nullptr;
    g_snapshot = QImage();
}

void DropSnapshot() {
    DropSurface();
    g_desktop = QImage();
    g_desktopTaken = false;
}

// Makes a 32-bit picture display format in place: 0x00RRGGBB, the top byte 0.
bool AdoptAsDisplayPixels(QImage &image, QSize size) {
    if (image.size() != size)
        return false;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    uchar *bits = image.bits(); // detaches when the picture is shared
    if (!bits)
        return false;
    for (int y = 0; y < size.height(); ++y) {
        auto *row = reinterpret_cast<uint32_t *>(bits + qsizetype(y) * image.bytesPerLine());
        for (int x = 0, n = size.width(); x < n; ++x)
            row[x] &= 0x00FFFFFFu;
    }
    return true;
}

// A display-format bitmap that shows `pixels` (lent, `stride` bytes a row).
HBITMAP LendPixels(HDC display, uchar *pixels, QSize size, qsizetype stride) {
    HBITMAP bitmap = CreateCompatibleBitmap(display, 1, 1);
    if (bitmap && !VxSetBitmapPixels(bitmap, pixels, size.width(), size.height(), int(stride))) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

// Called by the drawing layer when the screen is first read: the desktop's
// picture (grabbed now if this start has none yet), the part of it that is
// the screen.
void TakeSnapshot() {
    IScreenService &service = VxScreenService();
    DropSurface();
    const bool trueColour = VxGetDisplayDepth() == 32;
    if (!g_desktopTaken) {
        g_desktop = service.Grab();
        g_desktopTaken = true;
        if (trueColour && !AdoptAsDisplayPixels(g_desktop, g_desktop.size()))
            g_desktop = QImage();
    }
    const QList<VxScreenArea> monitors = service.Monitors();
    QRect all;
    for (const VxScreenArea &monitor : monitors)
        all |= monitor.pixels;
    QRect part(QPoint(0, 0), service.Geometry().size());
    if (g_monitor)
        part = g_monitor->pixels;
    else if (!monitors.isEmpty())
        part = monitors.front().pixels;
    part.translate(-all.topLeft());
    const QSize wanted = g_monitor ? part.size() : service.Geometry().size();
    const QSize size(qMax(1, wanted.width()), qMax(1, wanted.height()));

    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display)
        return;
    if (trueColour && part.size() == size && g_desktop.rect().contains(part)) {
        // The screen borrows its part of the picture: no copy.
        uchar *corner = g_desktop.bits() + qsizetype(part.y()) * g_desktop.bytesPerLine() +
                        qsizetype(part.x()) * 4;
        g_surface = LendPixels(display, corner, size, g_desktop.bytesPerLine());
    } else {
        QImage picture = g_desktop.isNull() ? QImage() : g_desktop.copy(part);
        if (!picture.isNull() && picture.size() != size)
            picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (trueColour && AdoptAsDisplayPixels(picture, size)) {
            g_snapshot = std::move(picture);
            g_surface = LendPixels(display, g_snapshot.bits(), size, g_snapshot.bytesPerLine());
        } else {
            g_surface = CreateCompatibleBitmap(display, size.width(), size.height());
            if (g_surface)
                VxImageToBitmap(picture, g_surface);
        }
    }
    DeleteDC(display);
    if (g_surface)
        VxSetScreenSurface(g_surface);
    else
        g_snapshot = QImage();
}

} // namespace

void VxRefreshScreenSurface() {
    DropSnapshot();
    g_released = false;
    g_monitor.reset();
    VxSetScreenProvider(&TakeSnapshot);
}

void VxReleaseScreenSurface() {
    DropSnapshot();
    g_released = true;
    VxSetScreenProvider(nullptr);
}

void VxSetScreenMonitor(const VxScreenArea *area) {
    if (area)
        g_monitor = *area;
    else
        g_monitor.reset();
    // The screen shows the new part of the same picture from its next read.
    DropSurface();
    if (!g_released)
        VxSetScreenProvider(&TakeSnapshot);
}

QSize VxScreenSize() {
    return g_monitor ? g_monitor->pixels.size() : VxScreenService().Geometry().size();
}

QRect VxPlaceOnScreen(const QRect &rect, QSize *drawing) {
    *drawing = QSize();
    if (!g_monitor || g_monitor->pixels.isEmpty())
        return rect;
    const QRect &g = g_monitor->geometry;
    const QSize pixels = g_monitor->pixels.size();
    auto x = [&](int px) { return g.left() + qRound(qreal(px) * g.width() / pixels.width()); };
    auto y = [&](int py) { return g.top() + qRound(qreal(py) * g.height() / pixels.height()); };
    const QRect placed(
        QPoint(x(rect.left()), y(rect.top())),
        QPoint(x(rect.left() + rect.width()) - 1, y(rect.top() + rect.height()) - 1));
    if (placed.size() != rect.size())
        *drawing = rect.size();
    return placed;
}

void VxEndStartUp() {
    VxReleaseScreenSurface();
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
