#include "platform/qt/ScreenService.h"

#include "platform/gdi/Gdi.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

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
        QScreen *screen = QGuiApplication::primaryScreen();
        if (!screen)
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
    if (view.bitsPixel == 32) {
        for (int y = 0; y < rows; ++y) {
            auto *out = reinterpret_cast<uint32_t *>(view.pixels + size_t(y) * view.stride);
            const bool inside = y < image.height();
            const auto *in =
                inside ? reinterpret_cast<const QRgb *>(image.constScanLine(y)) : nullptr;
            for (int x = 0; x < cols; ++x)
                out[x] = (inside && x < image.width()) ? (in[x] & 0x00FFFFFFu) : 0u;
        }
    } else if (view.bitsPixel == 8) {
        g_nearest.Prepare();
        const BYTE black = g_nearest.Index(qRgb(0, 0, 0));
        for (int y = 0; y < rows; ++y) {
            BYTE *out = view.pixels + size_t(y) * view.stride;
            const bool inside = y < image.height();
            const auto *in =
                inside ? reinterpret_cast<const QRgb *>(image.constScanLine(y)) : nullptr;
            for (int x = 0; x < cols; ++x)
                out[x] = (inside && x < image.width()) ? g_nearest.Index(in[x]) : black;
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

void VxRefreshScreenSurface() {
    IScreenService &screen = VxScreenService();
    const QSize size = screen.Geometry().size();
    const int width = qMax(1, size.width()), height = qMax(1, size.height());
    VxBitmapView view{};
    if (!g_surface || !VxGetBitmapView(g_surface, &view) || view.width != width ||
        view.height != height) {
        // The display DC gives bitmaps in display format whether or not a
        // screen surface exists yet.
        VxSetScreenSurface(nullptr);
        if (g_surface)
            DeleteObject(g_surface);
        HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        g_surface = display ? CreateCompatibleBitmap(display, width, height) : nullptr;
        if (display)
            DeleteDC(display);
    }
    if (!g_surface)
        return;
    VxImageToBitmap(screen.Grab(), g_surface);
    VxSetScreenSurface(g_surface);
}

void VxReleaseScreenSurface() {
    VxSetScreenSurface(nullptr);
    if (g_surface)
        DeleteObject(g_surface);
    g_surface = nullptr;
}
