#include "VirtualScene.h"

#include <QPainter>

namespace vxrec {

QImage SyntheticDesktop(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    // The desktop: a flat colour with a coarse grid, so that misplaced pixels
    // stand out.
    p.fillRect(image.rect(), QColor(36, 92, 120));
    p.setPen(QColor(44, 104, 134));
    for (int x = 0; x < size.width(); x += 64)
        p.drawLine(x, 0, x, size.height() - 1);
    for (int y = 0; y < size.height(); y += 64)
        p.drawLine(0, y, size.width() - 1, y);
    // A few windows: frame, title bar and lines of "text".
    struct Win {
        double x, y, w, h;
        QColor title;
    };
    const Win windows[] = {
        {0.06, 0.08, 0.42, 0.38, QColor(40, 60, 160)},
        {0.52, 0.16, 0.40, 0.30, QColor(150, 40, 60)},
        {0.20, 0.56, 0.50, 0.34, QColor(50, 120, 60)},
    };
    for (const Win &win : windows) {
        const QRect r(int(win.x * size.width()), int(win.y * size.height()),
                      int(win.w * size.width()), int(win.h * size.height()));
        p.fillRect(r, QColor(236, 236, 232));
        p.setPen(QColor(20, 20, 20));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.fillRect(QRect(r.left() + 1, r.top() + 1, r.width() - 2, 20), win.title);
        p.fillRect(QRect(r.right() - 18, r.top() + 4, 13, 13), QColor(220, 220, 220));
        for (int line = 0, y = r.top() + 34; y < r.bottom() - 12; ++line, y += 16) {
            const int len = (r.width() - 40) * (5 + (line * 7) % 5) / 10;
            p.fillRect(QRect(r.left() + 16, y, len, 6), QColor(120, 120, 130));
        }
    }
    p.end();
    return image;
}

} // namespace vxrec
