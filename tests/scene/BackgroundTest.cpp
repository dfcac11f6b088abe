// The background: the screen as it was, black, or the wallpaper tiled or
// centred on the desktop colour, with every failure giving black silently.
#include "SceneHarness.h"
#include "platform/afx/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

using namespace scenetest;

namespace {

constexpr QRgb kDesktopColour = qRgb(0, 128, 128);

// A private desktop settings file for one test.
class Desktop {
  public:
    Desktop() {
        m_previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        QDir(m_dir.path()).mkpath("vantorix");
    }
    ~Desktop() { qputenv("XDG_CONFIG_HOME", m_previous); }
    void Write(const std::string &wallpaper, const std::string &tile) {
        QFile f(m_dir.filePath("vantorix/desktop.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("[Desktop]\nWallpaper=" + wallpaper + "\nTileWallpaper=" + tile +
                 "\n[Colors]\nBackground=0 128 128\n")
                    .c_str());
    }
    // A wallpaper whose pixel (x, y) is Tile(x, y).
    std::string Picture(int w, int h, const char *name, const char *format = "BMP") {
        QImage image(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.setPixel(x, y, Tile(x, y));
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(image.save(path, format));
        return path.toStdString();
    }
    static QRgb Tile(int x, int y) { return qRgb(x & 0xFF, y & 0xFF, 200); }

  private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

QRgb Screen(int x, int y) {
    return qRgb(255 - (x & 0xFF), (x + y) & 0xFF, 17);
}

// Counts pixels of `image` that differ from `want`.
int Differences(const QImage &image, const std::function<QRgb(int, int)> &want) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) != (want(x, y) & 0xFFFFFF);
    return n;
}

} // namespace

TEST(SceneBackground, ChoiceOfImage) {
    Desktop desktop;
    desktop.Write(desktop.Picture(100, 100, "w.bmp"), "1");
    struct Row {
        const char *label;
        int clearScreen, wallpaper;
        std::function<QRgb(int, int)> want;
    };
    const Row rows[] = {
        {"screen copy, wallpaper setting ignored", 0, 1, Screen},
        {"screen copy", 0, 0, Screen},
        {"black", 1, 0, [](int, int) { return qRgb(0, 0, 0); }},
        {"wallpaper tiled", 1, 1, [](int x, int y) { return Desktop::Tile(x % 100, y % 100); }},
    };
    for (const Row &row : rows) {
        SceneSetup setup;
        setup.screen = Screen;
        setup.clearScreen = row.clearScreen;
        setup.wallpaper = row.wallpaper;
        SceneHarness h(setup);
        EXPECT_EQ(Differences(h.BackgroundImage(), row.want), 0) << row.label;
        EXPECT_EQ(h.scene()->m_nWallpaper, row.wallpaper) << row.label << ": setting untouched";
    }
}

TEST(SceneBackground, WallpaperPlacement) {
    struct Row {
        const char *label;
        int screenW, screenH, w, h;
        const char *tile;
        int left, top; // where the centred copy lands; tiled when left is -9999
    };
    const Row rows[] = {
        {"100x100 tiled: 11 x 8 copies, edges cut", 1024, 768, 100, 100, "1", -9999, 0},
        {"tile flag 2 tiles too", 1024, 768, 100, 100, "2", -9999, 0},
        {"100x100 centred", 1024, 768, 100, 100, "0", 462, 334},
        {"101x101 centred, halves truncated first", 1024, 768, 101, 101, "0", 462, 334},
        {"tile flag abc centres", 1024, 768, 100, 100, "abc", 462, 334},
        {"larger than the screen, centred", 640, 480, 800, 600, "0", -80, -60},
    };
    for (const Row &row : rows) {
        Desktop desktop;
        desktop.Write(desktop.Picture(row.w, row.h, "w.bmp"), row.tile);
        SceneSetup setup;
        setup.width = row.screenW;
        setup.height = row.screenH;
        setup.clearScreen = 1;
        setup.wallpaper = 1;
        SceneHarness h(setup);
        const QImage bg = h.BackgroundImage();
        ASSERT_EQ(bg.size(), QSize(row.screenW, row.screenH)) << row.label;
        std::function<QRgb(int, int)> want;
        if (row.left == -9999) {
            want = [&](int x, int y) { return Desktop::Tile(x % row.w, y % row.h); };
        } else {
            want = [&](int x, int y) {
                const int u = x - row.left, v = y - row.top;
                return u >= 0 && v >= 0 && u < row.w && v < row.h ? Desktop::Tile(u, v)
                                                                  : kDesktopColour;
            };
        }
        EXPECT_EQ(Differences(bg, want), 0) << row.label;
    }
}

TEST(SceneBackground, WallpaperFailuresGiveBlackSilently) {
    struct Row {
        const char *label;
        std::string path; // relative names are made in the test's folder
        const char *format;
    };
    const Row rows[] = {
        {"no wallpaper set", "", nullptr},
        {"missing file", "/nonexistent/folder/wall.bmp", nullptr},
        {"placeholder text", "(None)", nullptr},
        {"not a bitmap file", "wall.png", "PNG"},
    };
    for (const Row &row : rows) {
        MessageBoxLog log;
        Desktop desktop;
        std::string path = row.path;
        if (row.format != nullptr)
            path = desktop.Picture(64, 64, row.path.c_str(), row.format);
        desktop.Write(path, "0");
        SceneSetup setup;
        setup.screen = Screen;
        setup.clearScreen = 1;
        setup.wallpaper = 1;
        SceneHarness h(setup);
        EXPECT_EQ(Differences(h.BackgroundImage(), [](int, int) { return qRgb(0, 0, 0); }), 0)
            << row.label;
        EXPECT_TRUE(log.texts.empty()) << row.label << ": no message";
    }
}
