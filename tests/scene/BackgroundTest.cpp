// The background: the screen as it was, black, or the wallpaper tiled or
// centred on the desktop colour, with every failure giving black silently.
#include "SceneHarness.h"
#include "tests/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

using namespace scenetest;

namespace {

QRgb Screen(int x, int y) {
    return qRgb(255 - (x & 0xFF), (x + y) & 0xFF, 17);
}
QRgb Picture(int x, int y) {
    return qRgb(x & 0xFF, y & 0xFF, 200);
}

} // namespace

TEST(SceneBackground, ChoiceAndPlacementOfTheImage) {
    enum Want { kScreen, kBlack, kTiled, kCentred };
    struct Row {
        const char *label;
        int clearScreen, wallpaper;
        const char *path; // made in the row's folder, of the picture's size, when that is not empty
        QSize picture;
        const char *tile;
        Want want;
        QPoint at{}; // where the centred picture lands
        QSize screen{1024, 768};
        QRect part{}; // the scene's part of the screen, when not all of it
    };
    // Paths that name no wallpaper a bitmap can be read from safely: a named
    // pipe (no writer ever comes), a file too large to hold (sparse), and DIBs
    // whose info header claims more colours than the file holds.
    QTemporaryDir odd;
    const std::string pipe = odd.filePath("pipe").toStdString();
    const std::string huge = odd.filePath("huge.bmp").toStdString();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    vxtest::WriteFile(huge, "");
    std::filesystem::resize_file(huge, (uintmax_t(256) << 20) + 1);
    std::string colours[2];
    for (int i = 0; i < 2; ++i) {
        std::string dib(64, '\0');
        const int used = i ? 65535 : 16384;
        dib[0] = 40, dib[32] = char(used & 0xFF), dib[33] = char(used >> 8);
        colours[i] = odd.filePath(QString("colours%1.bmp").arg(used)).toStdString();
        vxtest::WriteFile(colours[i], dib);
    }
    const QRect kPart(300, 200, 200, 200); // a scene's part of the screen
    const Row rows[] = {
        {"screen copy, wallpaper setting ignored", 0, 1, "w.bmp", {100, 100}, "1", kScreen},
        {"black", 1, 0, "w.bmp", {100, 100}, "1", kBlack},
        {"tiled: 11 x 8 copies, edges cut", 1, 1, "w.bmp", {100, 100}, "1", kTiled},
        {"tile flag 2 tiles too", 1, 1, "w.bmp", {100, 100}, "2", kTiled},
        {"centred", 1, 1, "w.bmp", {100, 100}, "0", kCentred, {462, 334}},
        {"101x101: halves cut first", 1, 1, "w.bmp", {101, 101}, "0", kCentred, {462, 334}},
        {"tile flag abc centres", 1, 1, "w.bmp", {100, 100}, "abc", kCentred, {462, 334}},
        {"over 640x480", 1, 1, "w.bmp", {800, 600}, "0", kCentred, {-80, -60}, {640, 480}},
        {"part, copied", 0, 0, "", {}, "0", kScreen, {}, {1024, 768}, kPart},
        {"part, centred", 1, 1, "w.bmp", {100, 100}, "0", kCentred, {50, 50}, {1024, 768}, kPart},
        {"no wallpaper set: black", 1, 1, "", {}, "0", kBlack},
        {"missing file: black", 1, 1, "/nonexistent/folder/wall.bmp", {}, "0", kBlack},
        {"placeholder text: black", 1, 1, "(None)", {}, "0", kBlack},
        {"not a bitmap file: black", 1, 1, "w.png", {64, 64}, "0", kBlack},
        {"named pipe: black at once", 1, 1, pipe.c_str(), {}, "0", kBlack},
        {"directory: black", 1, 1, "/tmp", {}, "1", kBlack},
        {"device: black", 1, 1, "/dev/zero", {}, "1", kBlack},
        {"over 256 MiB: black", 1, 1, huge.c_str(), {}, "1", kBlack},
        {"header claiming 16384 colours: black", 1, 1, colours[0].c_str(), {}, "0", kBlack},
        {"header claiming 65535 colours: black", 1, 1, colours[1].c_str(), {}, "1", kBlack},
    };
    for (const Row &row : rows) {
        vxtest::ScopedConfigHome desktop;
        std::string path = row.path;
        if (row.picture.isValid()) {
            QImage image(row.picture, QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, Picture(x, y));
            path = desktop.Path(row.path);
            ASSERT_TRUE(image.save(QString::fromStdString(path))) << row.label;
        }
        vxtest::WriteFile(desktop.Path("vantorix/desktop.ini"),
                          "[Desktop]\nWallpaper=" + path + "\nTileWallpaper=" + row.tile +
                              "\n[Colors]\nBackground=0 128 128\n");

        vxtest::BoxRecorder log;
        SceneSetup setup;
        setup.width = row.screen.width();
        setup.height = row.screen.height();
        setup.desktop = Screen;
        setup.clearScreen = row.clearScreen;
        setup.wallpaper = row.wallpaper;
        const QRect &p = row.part;
        if (p.isValid())
            setup.screenArea = {p.left(), p.top(), p.right() + 1, p.bottom() + 1};
        SceneHarness h(setup);
        const QImage bg = h.BackgroundImage();
        ASSERT_EQ(bg.size(), p.isValid() ? p.size() : row.screen) << row.label;
        const int w = row.picture.width(), ht = row.picture.height();
        int wrong = 0;
        for (int y = 0; y < bg.height(); ++y)
            for (int x = 0; x < bg.width(); ++x) {
                const int u = x - row.at.x(), v = y - row.at.y();
                const QRgb want = row.want == kScreen  ? Screen(x + p.x(), y + p.y())
                                  : row.want == kBlack ? qRgb(0, 0, 0)
                                  : row.want == kTiled ? Picture(x % w, y % ht)
                                  : u >= 0 && v >= 0 && u < w && v < ht ? Picture(u, v)
                                                                        : qRgb(0, 128, 128);
                wrong += (bg.pixel(x, y) & 0xFFFFFF) != (want & 0xFFFFFF);
            }
        EXPECT_EQ(wrong, 0) << row.label;
        EXPECT_EQ(h.scene()->m_nWallpaper, row.wallpaper) << row.label << ": setting untouched";
        EXPECT_TRUE(log.boxes.empty()) << row.label << ": no message";
    }
}
