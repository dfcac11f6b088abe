// Icons and cursors from the module's icon and cursor resources (each a whole
// .ico / .cur file image), and drawing them.
#include "platform/afx/Resources.h"
#include "platform/gdi/DibDecode.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObjects.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <strings.h>

namespace vxgdi {

namespace {

constexpr int kSystemIconSize = 32;

uint16_t U16(const uint8_t *p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct DirEntry {
    int width, height;
    int bitCount;
    int hotX, hotY;
    uint32_t bytes, offset;
};

// Reads the directory of an .ico / .cur image; false when it is malformed.
bool ReadDirectory(const uint8_t *p, size_t size, bool cursor, std::vector<DirEntry> *out) {
    if (size < 6 || U16(p) != 0 || U16(p + 2) != (cursor ? 2 : 1))
        return false;
    const size_t count = U16(p + 4);
    if (count == 0 || 6 + count * 16 > size)
        return false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t *e = p + 6 + i * 16;
        DirEntry d;
        d.width = e[0] ? e[0] : 256;
        d.height = e[1] ? e[1] : 256;
        d.hotX = cursor ? U16(e + 4) : -1;
        d.hotY = cursor ? U16(e + 6) : -1;
        d.bitCount = cursor ? 0 : U16(e + 6);
        d.bytes = U32(e + 8);
        d.offset = U32(e + 12);
        if (d.offset >= size || d.bytes > size - d.offset)
            continue; // an image outside the file is skipped
        out->push_back(d);
    }
    return !out->empty();
}

// Builds the icon's two bitmaps from one image: a DIB header with twice the
// height, the colour table, the XOR image, then the 1 bpp AND mask. A
// missing or short mask leaves the icon opaque.
Icon *IconFromImage(const uint8_t *p, size_t size, const DirEntry &entry, bool cursor) {
    VxDibInfo info;
    if (!VxReadDibInfo(p, size, &info))
        return nullptr;
    if (info.compression != BI_RGB && info.compression != BI_BITFIELDS)
        return nullptr;
    if (info.topDown || info.height < 2)
        return nullptr;
    const int h = info.height / 2;
    VxDibInfo xorInfo = info;
    xorInfo.height = h;
    xorInfo.imageBytes = info.stride * size_t(h);
    const size_t xorOffset = info.tableOffset + info.tableBytes;
    VxDibImage img;
    if (!VxDecodeDibBits(p, xorInfo, p + xorOffset, size - xorOffset, &img))
        return nullptr;
    Bitmap *mask = NewBitmap(info.width, h, 1);
    Bitmap *colour = NewBitmap(info.width, h, DisplayBpp());
    if (!mask || !colour) {
        Destroy(mask);
        Destroy(colour);
        return nullptr;
    }
    const size_t maskOffset = xorOffset + xorInfo.imageBytes;
    const size_t maskStride = (size_t(info.width) + 31) / 32 * 4;
    if (maskOffset <= size && maskStride * size_t(h) <= size - maskOffset) {
        for (int y = 0; y < h; ++y)
            std::memcpy(mask->Row(y), p + maskOffset + size_t(h - 1 - y) * maskStride,
                        std::min(mask->stride, maskStride));
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < info.width; ++x) {
            const uint32_t pixel = PixelOfRgb(nullptr, colour, img.Rgb(x, y));
            if (colour->bpp == 32)
                std::memcpy(colour->Row(y) + size_t(x) * 4, &pixel, 4);
            else
                colour->Row(y)[x] = uint8_t(pixel);
        }
    auto *icon = new Icon;
    icon->isIcon = !cursor;
    icon->mask = mask;
    icon->colour = colour;
    icon->xHotspot = DWORD(entry.hotX >= 0 ? entry.hotX : info.width / 2);
    icon->yHotspot = DWORD(entry.hotY >= 0 ? entry.hotY : h / 2);
    Register(icon);
    return icon;
}

// Scales both bitmaps of an icon to w x h by taking the nearest pixels.
void ScaleIcon(Icon *icon, int w, int h) {
    if (icon->mask->width == w && icon->mask->height == h)
        return;
    for (Bitmap **slot : {&icon->mask, &icon->colour}) {
        Bitmap *from = *slot;
        Bitmap *to = NewBitmap(w, h, from->bpp);
        if (!to)
            return;
        HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
        SelectObject(a, from);
        SelectObject(b, to);
        SetStretchBltMode(b, COLORONCOLOR);
        StretchBlt(b, 0, 0, w, h, a, 0, 0, from->width, from->height, SRCCOPY);
        DeleteDC(a);
        DeleteDC(b);
        Destroy(from);
        *slot = to;
    }
}

Icon *LoadIconImage(HINSTANCE module, LPCSTR name, bool cursor, int cx, int cy, UINT flags) {
    HRSRC res = FindResourceA(module, name, cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON);
    if (!res)
        return nullptr;
    const auto *p = static_cast<const uint8_t *>(LockResource(LoadResource(module, res)));
    const size_t size = SizeofResource(module, res);
    std::vector<DirEntry> entries;
    if (!p || !ReadDirectory(p, size, cursor, &entries))
        return nullptr;
    if (cx == 0)
        cx = (flags & LR_DEFAULTSIZE) ? kSystemIconSize : entries[0].width;
    if (cy == 0)
        cy = (flags & LR_DEFAULTSIZE) ? kSystemIconSize : entries[0].height;
    // The image closest in size; among equals the deepest one the display
    // can show.
    const DirEntry *best = nullptr;
    int bestScore = 0;
    for (const DirEntry &e : entries) {
        const int depth = e.bitCount > VxGetDisplayDepth() ? -e.bitCount : e.bitCount;
        const int score = -(std::abs(e.width - cx) + std::abs(e.height - cy)) * 1000 + depth;
        if (!best || score > bestScore) {
            best = &e;
            bestScore = score;
        }
    }
    Icon *icon = IconFromImage(p + best->offset, best->bytes, *best, cursor);
    if (icon)
        ScaleIcon(icon, cx, cy);
    return icon;
}

std::map<std::pair<const void *, std::string>, Icon *> &SharedIcons() {
    static std::map<std::pair<const void *, std::string>, Icon *> shared;
    return shared;
}

std::string NameKey(LPCSTR name) {
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    std::string s = name;
    for (char &c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

} // namespace vxgdi

using namespace vxgdi;

void *LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    if (!name || cx < 0 || cy < 0)
        return nullptr;
    if (type == IMAGE_BITMAP)
        return LoadImageBitmap(module, name, flags);
    if ((type == IMAGE_ICON || type == IMAGE_CURSOR) && !(flags & LR_LOADFROMFILE))
        return LoadIconImage(module, name, type == IMAGE_CURSOR, cx, cy, flags);
    return nullptr;
}

HICON LoadIconA(HINSTANCE module, LPCSTR name) {
    if (!name)
        return nullptr;
    if (!module)
        module = AfxGetResourceHandle();
    const auto key = std::make_pair(static_cast<const void *>(module), NameKey(name));
    auto &shared = SharedIcons();
    auto it = shared.find(key);
    if (it != shared.end() && Lookup(it->second))
        return reinterpret_cast<HICON>(it->second);
    Icon *icon = LoadIconImage(module, name, false, 0, 0, LR_DEFAULTSIZE);
    if (!icon)
        return nullptr;
    icon->shared = true;
    shared[key] = icon;
    return reinterpret_cast<HICON>(icon);
}

BOOL DestroyIcon(HICON handle) {
    Icon *icon = AsIcon(handle);
    if (!icon)
        return FALSE;
    if (!icon->shared)
        Destroy(icon);
    return TRUE;
}

BOOL DrawIconEx(HDC dcHandle, int x, int y, HICON handle, int cx, int cy, UINT, HBRUSH flicker,
                UINT flags) {
    Dc *dc = AsDc(dcHandle);
    Icon *icon = AsIcon(handle);
    if (!dc || !icon || !(flags & DI_NORMAL))
        return FALSE;
    const int w = cx ? cx : icon->mask->width, h = cy ? cy : icon->mask->height;
    if (flicker) {
        const RECT r{x, y, x + w, y + h};
        FillRect(dcHandle, &r, flicker);
    }
    // The mask expands through black text and a white background.
    const COLORREF text = SetTextColor(dcHandle, 0x000000);
    const COLORREF background = SetBkColor(dcHandle, 0xFFFFFF);
    const int mode = SetStretchBltMode(dcHandle, COLORONCOLOR);
    HDC src = CreateCompatibleDC(dcHandle);
    HGDIOBJ previous = SelectObject(src, icon->mask);
    if ((flags & DI_NORMAL) == DI_NORMAL) {
        StretchBlt(dcHandle, x, y, w, h, src, 0, 0, icon->mask->width, icon->mask->height, SRCAND);
        SelectObject(src, icon->colour);
        StretchBlt(dcHandle, x, y, w, h, src, 0, 0, icon->colour->width, icon->colour->height,
                   SRCINVERT);
    } else {
        if (flags & DI_IMAGE)
            SelectObject(src, icon->colour);
        StretchBlt(dcHandle, x, y, w, h, src, 0, 0, icon->mask->width, icon->mask->height, SRCCOPY);
    }
    SelectObject(src, previous);
    DeleteDC(src);
    SetStretchBltMode(dcHandle, mode);
    SetBkColor(dcHandle, background);
    SetTextColor(dcHandle, text);
    return TRUE;
}

BOOL GetIconInfo(HICON handle, ICONINFO *info) {
    Icon *icon = AsIcon(handle);
    if (!icon || !info)
        return FALSE;
    Bitmap *copies[2] = {nullptr, nullptr};
    const Bitmap *from[2] = {icon->mask, icon->colour};
    for (int i = 0; i < 2; ++i) {
        copies[i] = NewBitmap(from[i]->width, from[i]->height, from[i]->bpp);
        if (!copies[i]) {
            Destroy(copies[0]);
            return FALSE;
        }
        std::memcpy(copies[i]->bits.get(), from[i]->bits.get(),
                    from[i]->stride * size_t(from[i]->height));
    }
    info->fIcon = icon->isIcon ? TRUE : FALSE;
    info->xHotspot = icon->xHotspot;
    info->yHotspot = icon->yHotspot;
    info->hbmMask = reinterpret_cast<HBITMAP>(copies[0]);
    info->hbmColor = reinterpret_cast<HBITMAP>(copies[1]);
    return TRUE;
}

namespace {
bool MaskBit(const VxBitmapView &mask, int x, int y) {
    const BYTE *row = mask.pixels + size_t(y) * mask.stride;
    return (row[x >> 3] & (0x80 >> (x & 7))) != 0;
}

uint32_t ViewColour(const VxBitmapView &view, int x, int y) {
    const BYTE *row = view.pixels + size_t(y) * view.stride;
    if (view.bitsPixel == 32)
        return reinterpret_cast<const uint32_t *>(row)[x] & 0x00FFFFFFu;
    if (view.bitsPixel == 8) {
        const BYTE i = row[x];
        RGBQUAD system[256];
        const RGBQUAD *table = view.colors && i < view.colorCount ? view.colors : system;
        if (table == system)
            VxGetSystemPalette(system);
        return (uint32_t(table[i].rgbRed) << 16) | (uint32_t(table[i].rgbGreen) << 8) |
               table[i].rgbBlue;
    }
    if (view.bitsPixel == 1)
        return MaskBit(view, x, y) ? 0x00FFFFFFu : 0u;
    return 0;
}
} // namespace

std::vector<uint32_t> VxIconArgb(HICON icon, int *width, int *height) {
    *width = *height = 0;
    ICONINFO info{};
    std::vector<uint32_t> pixels;
    if (!icon || !GetIconInfo(icon, &info))
        return pixels;
    VxBitmapView mask{}, colour{};
    const bool haveMask = info.hbmMask && VxGetBitmapView(info.hbmMask, &mask) && mask.pixels;
    const bool haveColour =
        info.hbmColor && VxGetBitmapView(info.hbmColor, &colour) && colour.pixels;
    if (haveMask || haveColour) {
        // A monochrome icon keeps its image below the mask in one bitmap.
        const bool mono = !haveColour;
        const int w = haveColour ? colour.width : mask.width;
        const int h = haveColour ? colour.height : mask.height / 2;
        pixels.resize(size_t(w) * h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool transparent =
                    haveMask && x < mask.width && y < mask.height && MaskBit(mask, x, y);
                const uint32_t c = mono ? ViewColour(mask, x, y + h) : ViewColour(colour, x, y);
                uint32_t &out = pixels[size_t(y) * w + x];
                if (!transparent)
                    out = 0xFF000000u | c;
                else if (c == 0)
                    out = 0; // transparent
                else
                    out = 0xFF000000u | (~c & 0x00FFFFFFu);
            }
        }
        *width = w;
        *height = h;
    }
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return pixels;
}
