// Bitmaps from DIBs: SetDIBits, bitmap resources and bitmap files.
#include "platform/afx/Resources.h"
#include "platform/gdi/DibDecode.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/SafeFile.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace vxgdi {

namespace {

// Converts decoded pixels (top-down, image rows [0, rows)) into rows of a
// bitmap starting at bitmap row `firstRow`; colours go through `dc`'s palette
// where the target holds system palette indices.
void WriteImageRows(const VxDibImage &img, int rows, const Dc *dc, Bitmap *target, int firstRow) {
    const int w = std::min(img.width, target->width);
    std::vector<uint32_t> lut;
    if (img.Indexed()) {
        lut.resize(img.colors.size());
        for (size_t i = 0; i < img.colors.size(); ++i)
            lut[i] = PixelOfRgb(dc, target, RgbOf(img.colors[i]));
    }
    std::unordered_map<uint32_t, uint32_t> memo;
    for (int r = 0; r < rows; ++r) {
        const int y = firstRow + r;
        if (y < 0 || y >= target->height)
            continue;
        uint8_t *row = target->Row(y);
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(r) * size_t(img.width) + size_t(x);
            uint32_t v;
            if (img.Indexed()) {
                v = img.indices[i] < lut.size() ? lut[img.indices[i]] : 0;
            } else if (target->bpp == 32) {
                v = img.rgb[i];
            } else {
                auto it = memo.find(img.rgb[i]);
                if (it == memo.end())
                    it = memo.emplace(img.rgb[i], PixelOfRgb(dc, target, img.rgb[i])).first;
                v = it->second;
            }
            if (target->bpp == 32)
                std::memcpy(row + size_t(x) * 4, &v, 4);
            else if (target->bpp == 8)
                row[x] = uint8_t(v);
            else if (v)
                row[x >> 3] |= uint8_t(0x80 >> (x & 7));
            else
                row[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
        }
    }
}

// A DIB section keeping the image's colours: up to 8 bpp as indices with the
// image's table, deeper images as 32 bpp.
Bitmap *DibSectionOf(const VxDibImage &img) {
    Bitmap *b = NewBitmap(img.width, img.height, img.Indexed() ? 8 : 32);
    if (!b)
        return nullptr;
    b->dibSection = true;
    b->sourceBitCount = img.bitCount;
    if (img.Indexed()) {
        b->table.assign(256, RGBQUAD{0, 0, 0, 0});
        std::copy(img.colors.begin(), img.colors.end(), b->table.begin());
        b->tableUsed = int(img.colors.size());
        for (int y = 0; y < img.height; ++y)
            std::memcpy(b->Row(y), img.indices.data() + size_t(y) * size_t(img.width),
                        size_t(img.width));
    } else {
        for (int y = 0; y < img.height; ++y)
            std::memcpy(b->Row(y), img.rgb.data() + size_t(y) * size_t(img.width),
                        size_t(img.width) * 4);
    }
    return b;
}

// A device bitmap: monochrome for a 1 bpp image whose table is exactly black
// then white, otherwise display format with colours matched to the display.
Bitmap *DeviceBitmapOf(const VxDibImage &img) {
    const bool mono = img.bitCount == 1 && img.colors.size() == 2 && RgbOf(img.colors[0]) == 0 &&
                      RgbOf(img.colors[1]) == 0xFFFFFF;
    Bitmap *b = NewBitmap(img.width, img.height, mono ? 1 : DisplayBpp());
    if (b)
        WriteImageRows(img, img.height, nullptr, b, 0);
    return b;
}

const uint8_t *ResourceBytes(HINSTANCE module, LPCSTR name, LPCSTR type, size_t *size) {
    HRSRC res = FindResourceA(module, name, type);
    if (!res)
        return nullptr;
    HGLOBAL mem = LoadResource(module, res);
    const void *data = LockResource(mem);
    *size = SizeofResource(module, res);
    return static_cast<const uint8_t *>(data);
}

} // namespace

} // namespace vxgdi

using namespace vxgdi;

int SetDIBits(HDC dcHandle, HBITMAP bitmapHandle, UINT startScan, UINT lines, const void *bits,
              const BITMAPINFO *info, UINT usage) {
    Bitmap *target = AsBitmap(bitmapHandle);
    Dc *dc = AsDc(dcHandle);
    if (!target || target->stock || !info || !bits ||
        (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS))
        return 0;
    if (dcHandle && !dc)
        return 0;
    // The header and table are read within the block they live in when it is
    // one of ours; otherwise the caller vouches for a complete BITMAPINFO.
    size_t infoSize = BytesAvailableAt(info);
    if (infoSize == SIZE_MAX)
        infoSize =
            size_t(std::max<DWORD>(std::min<DWORD>(info->bmiHeader.biSize, 4096), 52)) + 256 * 4;
    VxDibInfo dib;
    if (!VxReadDibInfo(info, infoSize, &dib))
        return 0;
    const bool rle = dib.compression == BI_RLE4 || dib.compression == BI_RLE8;
    if (startScan >= UINT(dib.height) || lines == 0)
        return 0;
    if (!rle)
        lines = std::min<UINT>(lines, UINT(dib.height) - startScan);
    // Decode only the scan lines handed in (all of them for compressed data).
    VxDibInfo part = dib;
    if (!rle) {
        part.height = int(lines);
        part.imageBytes = part.stride * lines;
    }
    size_t bitsSize = BytesAvailableAt(bits);
    if (bitsSize == SIZE_MAX)
        bitsSize = part.imageBytes;
    VxDibImage img;
    if (!VxDecodeDibBits(info, part, bits, bitsSize, &img))
        return 0;
    if (usage == DIB_PAL_COLORS && img.Indexed()) {
        // The table holds indices into the DC's logical palette.
        const auto *words = reinterpret_cast<const uint8_t *>(info) + dib.tableOffset;
        PALETTEENTRY entries[256];
        HPALETTE pal = reinterpret_cast<HPALETTE>(dc && dc->palette ? dc->palette : StockPalette());
        const UINT n = GetPaletteEntries(pal, 0, 256, entries);
        for (size_t i = 0; i < dib.colorCount && n; ++i) {
            const UINT w = UINT(words[2 * i] | words[2 * i + 1] << 8) % n;
            img.colors[i] = RGBQUAD{entries[w].peBlue, entries[w].peGreen, entries[w].peRed, 0};
        }
    }
    if (rle) {
        WriteImageRows(img, img.height, dc, target, 0);
        return dib.height;
    }
    // Scan line s is image row s of a top-down DIB and row height-1-s of a
    // bottom-up one; the decoded part is already top-down.
    const int firstRow = dib.topDown ? int(startScan) : dib.height - int(startScan + lines);
    WriteImageRows(img, int(lines), dc, target, firstRow);
    return int(lines);
}

HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) {
    size_t size = 0;
    const uint8_t *data = ResourceBytes(module, name, RT_BITMAP, &size);
    VxDibImage img;
    if (!data || !VxDecodePackedDib(data, size, &img))
        return nullptr;
    return reinterpret_cast<HBITMAP>(DeviceBitmapOf(img));
}

void *vxgdi::LoadImageBitmap(HINSTANCE module, LPCSTR name, UINT flags) {
    VxDibImage img;
    if (flags & LR_LOADFROMFILE) {
        std::vector<uint8_t> file;
        if (!name || IS_INTRESOURCE(name) ||
            !VxReadRegularFile(name, kVxMaxSettingFileBytes, &file))
            return nullptr;
        if (!VxDecodeBitmapFile(file.data(), file.size(), &img))
            return nullptr;
    } else {
        size_t size = 0;
        const uint8_t *data = ResourceBytes(module, name, RT_BITMAP, &size);
        if (!data || !VxDecodePackedDib(data, size, &img))
            return nullptr;
    }
    return (flags & LR_CREATEDIBSECTION) ? DibSectionOf(img) : DeviceBitmapOf(img);
}
