// Feeds arbitrary bytes to the bitmap decoder as a bitmap file and as a
// packed DIB, and turns every accepted image into a DIB section and back out
// through a blit, the way a wallpaper travels.
#include "platform/gdi/DibDecode.h"
#include "platform/gdi/Gdi.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    VxDibLimits limits;
    limits.maxPixels = int64_t(1) << 22; // keep single runs quick
    VxDibImage image;
    uint32_t sum = 0;
    for (int asFile = 0; asFile < 2; ++asFile) {
        const bool ok = asFile ? VxDecodeBitmapFile(data, size, &image, nullptr, limits)
                               : VxDecodePackedDib(data, size, &image, nullptr, limits);
        if (!ok)
            continue;
        // Every pixel of an accepted image is readable.
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                sum += image.Rgb(x, y);
    }
    // Packed DIBs also go through SetDIBits, which must bound itself by the
    // global block holding them.
    if (size >= 4 && size < (1u << 20)) {
        HGLOBAL memory = GlobalAlloc(GMEM_ZEROINIT, size);
        auto *p = static_cast<uint8_t *>(GlobalLock(memory));
        for (size_t i = 0; i < size; ++i)
            p[i] = data[i];
        VxDibInfo info;
        if (VxReadDibInfo(p, size, &info, nullptr, limits)) {
            HBITMAP target = VxCreateDisplayBitmap(info.width, info.height);
            if (target) {
                SetDIBits(nullptr, target, 0, UINT(info.height),
                          p + info.tableOffset + info.tableBytes,
                          reinterpret_cast<const BITMAPINFO *>(p), DIB_RGB_COLORS);
                DeleteObject(target);
            }
        }
        GlobalUnlock(memory);
        GlobalFree(memory);
    }
    return sum == 0xFFFFFFFF ? 1 : 0;
}
