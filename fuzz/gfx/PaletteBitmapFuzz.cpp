// Feeds arbitrary bytes to the palette bitmap class as a bitmap resource (the
// palette path on an 8-bit display and the plain path) and as a bitmap file
// loaded by path, the way sprites and the wallpaper arrive.
#include "gfx/PaletteBitmap.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "platform/gdi/Gdi.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class QuietBoxes : public IMessageBoxService {
  public:
    int Show(HWND, const char *, const char *, UINT) override {
        ++shown;
        return IDOK;
    }
    int shown = 0;
};

const std::string &FilePath() {
    static const std::string path = [] {
        char name[] = "/tmp/vx-fuzz-bitmap-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0)
            std::abort();
        close(fd);
        return std::string(name);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static QuietBoxes boxes;
    static bool installed = (VxSetMessageBoxService(&boxes), true);
    (void)installed;
    const size_t liveBefore = VxLiveObjectCount();

    // A private copy sized exactly to the input, so a read past it is caught.
    std::vector<uint8_t> bytes(data, data + size);
    constexpr WORD kId = 2500;
    const ResourceEntry entry{RT_BITMAP, kId, bytes.data(), DWORD(bytes.size())};
    const ResourceModule module{&entry, 1};
    HINSTANCE handle = VxModuleHandle(&module);
    HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(handle);
    for (int depth : {8, 32}) {
        VxSetDisplayDepth(depth);
        CPaletteBitmap bitmap;
        if (bitmap.LoadBitmap(MAKEINTRESOURCE(kId), depth == 8, handle)) {
            BITMAP bm{};
            bitmap.GetObject(sizeof bm, &bm);
            if (bm.bmWidth <= 0 || bm.bmHeight <= 0)
                std::abort(); // a load that succeeds holds a real bitmap
        }
        if (bitmap.m_hDib) {
            BITMAPINFOHEADER header;
            bitmap.ReadDibHeader(&header);
        }
    }
    AfxSetResourceHandle(previous);

    // The same bytes as a file: never a palette, never a message.
    if (std::FILE *f = std::fopen(FilePath().c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        const int shownBefore = boxes.shown;
        CPaletteBitmap bitmap;
        bitmap.LoadFromFile(FilePath().c_str());
        if (bitmap.GetPalette() != nullptr || boxes.shown != shownBefore)
            std::abort();
    }
    VxSetDisplayDepth(32);
    if (VxLiveObjectCount() != liveBefore)
        std::abort(); // every object made on the way is released again
    return 0;
}
