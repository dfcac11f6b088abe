// Screen facts and capture behind one small interface, so that tests and the
// headless recorder can run the saver on a screen of their choosing.
//
// The real service asks Qt for the primary screen: its geometry and work area
// in device-independent pixels and a grab of what it shows (null where the
// platform cannot read the screen, for example under Wayland or on an 8-bit
// X server; the saver then sees black).
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

class IScreenService {
  public:
    virtual ~IScreenService() = default;
    virtual QRect Geometry() const = 0; // the primary screen
    virtual QRect WorkArea() const = 0; // without panels and task bars
    virtual QImage Grab() const = 0;    // what the screen shows now, or null
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
