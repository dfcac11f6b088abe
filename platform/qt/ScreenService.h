// Screen facts and capture behind one small interface, so that tests and the
// headless recorder can run the saver on a screen of their choosing.
//
// The real service asks Qt for the monitors: their geometry in
// device-independent pixels, their size in device pixels, the primary one's
// work area, and one grab of what the whole desktop shows (null where the
// platform cannot read the screen, for example under Wayland or on an 8-bit
// X server; the saver then sees black).
#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

// One monitor: where windows go to cover it, and its device pixels within
// the desktop's picture (Grab).
struct VxScreenArea {
    QRect geometry;
    QRect pixels;
    bool primary = false;
};

class IScreenService {
  public:
    virtual ~IScreenService() = default;
    virtual QRect Geometry() const = 0; // the primary monitor
    virtual QRect WorkArea() const = 0; // without panels and task bars
    // Every monitor, the primary one first. By default just the primary one,
    // with as many device pixels as device-independent ones.
    virtual QList<VxScreenArea> Monitors() const;
    // What the desktop shows now, as one picture whose top-left corner is
    // the top-left corner of the monitors' pixel rectangles together; null
    // when it cannot be read.
    virtual QImage Grab() const = 0;
};

// A screen of a given size whose picture is a fixed image (scaled to the
// size when it differs; black when null).
class VxVirtualScreen : public IScreenService {
  public:
    explicit VxVirtualScreen(QSize size, QImage picture = {});
    QRect Geometry() const override;
    QRect WorkArea() const override;
    QImage Grab() const override;
    void SetPicture(const QImage &picture) { m_picture = picture; }
    int Grabs() const { return m_grabs; } // how often Grab was called

  private:
    QSize m_size;
    QImage m_picture;
    mutable int m_grabs = 0;
};

// The monitors as the toolkit (and on X11 the server's Xinerama) reports
// them, the primary one first; what the real service reports.
QList<VxScreenArea> VxToolkitMonitors();

// Makes `area` the screen that GetSystemMetrics, the desktop window and the
// screen DC report, and that top-level windows are placed on
// (VxUseMonitorAsScreen); null: the primary monitor in device-independent
// pixels. The desktop's picture is still taken once per start.
void VxSetScreenMonitor(const VxScreenArea *area);
// The size of the screen as the drawing calls see it.
QSize VxScreenSize();
// Where a top-level window created with `rect` (screen coordinates) goes,
// and the size it draws at (invalid when it is the window's own size).
QRect VxPlaceOnScreen(const QRect &rect, QSize *drawing);

// Installs a service (null restores the real one); the caller keeps
// ownership. Returns the previous service (null when it was the real one).
IScreenService *VxSetScreenService(IScreenService *service);
IScreenService &VxScreenService();

// Forgets the screen's picture: the next read of the screen through a screen
// DC (the desktop window's, or "DISPLAY") grabs it once into the drawing
// layer's screen surface (display format: 32 bpp, or system palette indices
// on an 8-bit display). Called when a saver starts, so that one start grabs
// the screen at most once, after the title card has gone, and only if
// something reads it.
void VxRefreshScreenSurface();
// Drops the screen's picture for good: once start-up has built the
// background from it, reads of the screen find it empty (and grab nothing)
// until the next VxRefreshScreenSurface. Also at exit and between tests.
void VxReleaseScreenSurface();
// Start-up is over (the main window exists and the message loop is about to
// run): drops the screen's picture and hands the memory that start-up freed
// (the grab, the sprites' file copies, the toolkit's scratch) back to the
// system, so that the saver runs with only what it keeps.
void VxEndStartUp();

// Converts an image to the display format into a bitmap of the drawing layer
// of the same size (pixels outside the image are black).
void VxImageToBitmap(const QImage &image, void *bitmap /* HBITMAP */);
// The picture a display-format bitmap shows, as a QImage (a deep copy).
QImage VxBitmapToImage(void *bitmap /* HBITMAP */);
