#include "platform/qt/ScreenService.h"

#include "platform/gdi/Gdi.h"
#include "platform/qt/QtFramework_p.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cstring>
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
    QImage Grab() const override {
        // A Wayland client cannot read the screen; what the toolkit might
        // return there would hold at most this program's own windows.
        QScreen *screen = QGuiApplication::primaryScreen();
        if (!screen || VxOnWayland())
            return {};
        const QPixmap shot = screen->grabWindow(0);
        if (shot.isNull())
            return {};
        // A HiDPI grab holds device pixels; the saver works in logical ones.
        QImage image = shot.toImage();
        const QSize logical = screen->geometry().size();
        if (image.size() != logical)
            image = image.scaled(logical, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
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

// The screen's picture for this saver. On a 32-bit display the surface
// borrows the grabbed image's pixels (made display format in place), so the
// grab and the surface are one buffer.
QImage g_snapshot;

void DropSnapshot() {
    VxSetScreenSurface(nullptr);
    if (g_surface)
        DeleteObject(g_surface);
    g_surface = nullptr;
    g_snapshot = QImage();
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

// Called by the drawing layer when the screen is first read: one grab.
void TakeSnapshot() {
    IScreenService &screen = VxScreenService();
    const QSize logical = screen.Geometry().size();
    const QSize size(qMax(1, logical.width()), qMax(1, logical.height()));
    DropSnapshot();
    QImage picture = screen.Grab();
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display)
        return;
    if (VxGetDisplayDepth() == 32 && AdoptAsDisplayPixels(picture, size)) {
        g_snapshot = std::move(picture);
        g_surface = CreateCompatibleBitmap(display, 1, 1);
        if (g_surface && !VxSetBitmapPixels(g_surface, g_snapshot.bits(), size.width(),
                                            size.height(), int(g_snapshot.bytesPerLine()))) {
            DeleteObject(g_surface);
            g_surface = nullptr;
        }
    } else {
        g_surface = CreateCompatibleBitmap(display, size.width(), size.height());
        if (g_surface)
            VxImageToBitmap(picture, g_surface);
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
    VxSetScreenProvider(&TakeSnapshot);
}

void VxReleaseScreenSurface() {
    DropSnapshot();
    VxSetScreenProvider(nullptr);
}

void VxEndStartUp() {
    VxReleaseScreenSurface();
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
