// Feeds arbitrary bytes as the desktop wallpaper file and prepares the
// background from it end to end: the desktop settings name the file, the
// scene tests and loads it, and tiles or centres it on a small virtual
// screen. Whatever the bytes, nothing is read out of bounds, no message is
// shown, every object made is released, and a file the bitmap decoder
// refuses leaves the background black.
#include "platform/afx/MessageBox.h"
#include "platform/gdi/DibDecode.h"
#include "platform/gdi/Gdi.h"
#include "platform/qt/ScreenService.h"
#include "scene/SceneWnd.h"
#include "tools/recorder/VirtualScene.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kWidth = 96, kHeight = 64;

class QuietBoxes : public IMessageBoxService {
  public:
    int Show(HWND, const char *, const char *, UINT) override {
        ++shown;
        return IDOK;
    }
    int shown = 0;
};

struct Setup {
    std::string folder;
    QuietBoxes boxes;
    Setup() {
        char dir[] = "/tmp/vx-fuzz-wallpaper-XXXXXX";
        if (!mkdtemp(dir))
            std::abort();
        folder = dir;
        setenv("XDG_CONFIG_HOME", dir, 1);
        mkdir((folder + "/vantorix").c_str(), 0700);
        vxrec::EnsureApplication();
        static VxVirtualScreen screen(QSize(kWidth, kHeight));
        VxSetScreenService(&screen);
        VxRefreshScreenSurface();
        VxSetMessageBoxService(&boxes);
    }
    std::string Wallpaper() const { return folder + "/wall.bmp"; }
    void WriteDesktop(bool tile) const {
        std::FILE *f = std::fopen((folder + "/vantorix/desktop.ini").c_str(), "wb");
        if (!f)
            std::abort();
        std::fprintf(f, "[Desktop]\nWallpaper=%s\nTileWallpaper=%d\n[Colors]\nBackground=0 0 200\n",
                     Wallpaper().c_str(), tile ? 1 : 0);
        std::fclose(f);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static Setup setup;
    // The first byte chooses tiled or centred; the rest is the file.
    const bool tile = size > 0 && (data[0] & 1);
    if (size > 0)
        ++data, --size;
    setup.WriteDesktop(tile);
    std::FILE *f = std::fopen(setup.Wallpaper().c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    const size_t liveBefore = VxLiveObjectCount();
    const int shownBefore = setup.boxes.shown;
    VxDibImage image;
    const bool decodable = VxDecodeBitmapFile(data, size, &image, nullptr);
    {
        CSceneWnd scene(FALSE, TRUE);
        scene.m_nClearScreen = 1;
        scene.m_nWallpaper = 1;
        scene.m_cxScreen = kWidth;
        scene.m_cyScreen = kHeight;
        scene.PrepareBackground();
        if (!scene.m_pBackground)
            std::abort();
        if (!decodable) {
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    if (VxPixelColour(HBITMAP(scene.m_pBackground->GetSafeHandle()), x, y) != 0)
                        std::abort(); // a wallpaper that cannot be shown gives black
        }
    }
    if (VxLiveObjectCount() != liveBefore || setup.boxes.shown != shownBefore)
        std::abort();
    return 0;
}
