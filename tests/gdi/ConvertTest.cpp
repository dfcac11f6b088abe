// Colour conversion inside blits, palette realisation and colour references.
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

class DisplayDepth {
  public:
    explicit DisplayDepth(int bits) { VxSetDisplayDepth(bits); }
    ~DisplayDepth() { VxSetDisplayDepth(32); }
};

struct Dc {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    explicit Dc(HBITMAP b) : dc(CreateCompatibleDC(nullptr)), bitmap(b) {
        previous = SelectObject(dc, b);
    }
    ~Dc() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

uint32_t Raw(HBITMAP b, int x, int y) {
    VxBitmapView v{};
    VxGetBitmapView(b, &v);
    const BYTE *row = v.pixels + size_t(y) * size_t(v.stride);
    if (v.bitsPixel == 1)
        return (row[x / 8] >> (7 - x % 8)) & 1;
    if (v.bitsPixel == 8)
        return row[x];
    uint32_t p;
    std::memcpy(&p, row + 4 * x, 4);
    return p;
}

LOGPALETTE *MakeLogPalette(std::vector<BYTE> &storage, const std::vector<uint32_t> &rgb,
                           BYTE flags = 0) {
    storage.assign(4 + 4 * rgb.size(), 0);
    auto *log = reinterpret_cast<LOGPALETTE *>(storage.data());
    log->palVersion = 0x300;
    log->palNumEntries = WORD(rgb.size());
    for (size_t i = 0; i < rgb.size(); ++i)
        log->palPalEntry[i] =
            PALETTEENTRY{BYTE(rgb[i] >> 16), BYTE(rgb[i] >> 8), BYTE(rgb[i]), flags};
    return log;
}

TEST(Conversion, ColourToMonoMatchesTheSourceBackgroundByStoredValue) {
    Dc src(VxCreateDisplayBitmap(4, 1)), mask(CreateBitmap(4, 1, 1, 1, nullptr));
    SetPixel(src.dc, 0, 0, RGB(0, 128, 0));
    SetPixel(src.dc, 1, 0, RGB(0, 128, 1));
    SetPixel(src.dc, 2, 0, RGB(0, 128, 0));
    SetPixel(src.dc, 3, 0, RGB(255, 255, 255));
    // The destination DC's colours play no part; the source DC's background does.
    SetBkColor(mask.dc, RGB(0, 128, 1));
    SetTextColor(mask.dc, RGB(0, 128, 0));
    SetBkColor(src.dc, RGB(0, 128, 0));
    ASSERT_TRUE(BitBlt(mask.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Raw(mask.bitmap, 0, 0), 1u);
    EXPECT_EQ(Raw(mask.bitmap, 1, 0), 0u) << "a near colour is not the key";
    EXPECT_EQ(Raw(mask.bitmap, 2, 0), 1u);
    EXPECT_EQ(Raw(mask.bitmap, 3, 0), 0u) << "white is not the key";
}

TEST(Conversion, MonoToColourUsesTheDestinationTextAndBackground) {
    const BYTE bits[2] = {0xA0, 0}; // 1 0 1 0
    Dc mono(CreateBitmap(4, 1, 1, 1, bits)), colour(VxCreateDisplayBitmap(4, 1));
    SetTextColor(colour.dc, RGB(1, 2, 3));
    SetBkColor(colour.dc, RGB(4, 5, 6));
    SetTextColor(mono.dc, RGB(9, 9, 9)); // the source DC's colours are ignored
    SetBkColor(mono.dc, RGB(8, 8, 8));
    ASSERT_TRUE(BitBlt(colour.dc, 0, 0, 4, 1, mono.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Raw(colour.bitmap, 0, 0), 0x040506u);
    EXPECT_EQ(Raw(colour.bitmap, 1, 0), 0x010203u);
    EXPECT_EQ(Raw(colour.bitmap, 2, 0), 0x040506u);
    EXPECT_EQ(Raw(colour.bitmap, 3, 0), 0x010203u);
}

TEST(Conversion, MonoToMonoCopiesBitsWhateverTheColours) {
    const BYTE bits[2] = {0xC3, 0x80};
    Dc a(CreateBitmap(9, 1, 1, 1, bits)), b(CreateBitmap(9, 1, 1, 1, nullptr));
    SetTextColor(b.dc, RGB(255, 255, 255));
    SetBkColor(b.dc, RGB(0, 0, 0));
    ASSERT_TRUE(BitBlt(b.dc, 0, 0, 9, 1, a.dc, 0, 0, SRCCOPY));
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(Raw(b.bitmap, x, 0), Raw(a.bitmap, x, 0)) << x;
}

TEST(Conversion, DefaultDcMasksExpandToAllZeroAndAllOnePixels) {
    for (int depthBits : {32, 8}) {
        DisplayDepth depth(depthBits);
        const BYTE bits[2] = {0x80, 0};
        Dc mono(CreateBitmap(2, 1, 1, 1, bits)), colour(VxCreateDisplayBitmap(2, 1));
        BitBlt(colour.dc, 0, 0, 2, 1, mono.dc, 0, 0, SRCCOPY);
        EXPECT_EQ(Raw(colour.bitmap, 0, 0), depthBits == 8 ? 0xFFu : 0xFFFFFFu) << depthBits;
        EXPECT_EQ(Raw(colour.bitmap, 1, 0), 0u) << depthBits;
    }
}

TEST(Conversion, ColourReferencesOnAPaletteDisplay) {
    DisplayDepth depth(8);
    std::vector<BYTE> storage;
    HPALETTE pal = CreatePalette(MakeLogPalette(storage, {0x123456, 0xFEDCBA, 0x000000}));
    Dc dst(VxCreateDisplayBitmap(4, 1));
    SelectPalette(dst.dc, pal, FALSE);
    EXPECT_EQ(RealizePalette(dst.dc), 3u);
    RGBQUAD sys[256];
    VxGetSystemPalette(sys);
    EXPECT_EQ(sys[10].rgbRed, 0x12);
    EXPECT_EQ(sys[11].rgbRed, 0xFE);
    // PALETTERGB goes through the logical palette to the realised index;
    // plain RGB takes the nearest static colour (FFFBF0 here).
    SetPixel(dst.dc, 0, 0, PALETTERGB(0x12, 0x34, 0x57));
    SetPixel(dst.dc, 1, 0, PALETTERGB(0xFE, 0xDC, 0xBA));
    SetPixel(dst.dc, 2, 0, RGB(0xFE, 0xDC, 0xBA));
    SetPixel(dst.dc, 3, 0, PALETTEINDEX(2));
    EXPECT_EQ(Raw(dst.bitmap, 0, 0), 10u);
    EXPECT_EQ(Raw(dst.bitmap, 1, 0), 11u);
    EXPECT_EQ(Raw(dst.bitmap, 2, 0), 246u);
    EXPECT_EQ(Raw(dst.bitmap, 3, 0), 0u);
    SelectPalette(dst.dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(pal);
}

TEST(Conversion, ColourToColourGoesThroughTheDestinationPalette) {
    DisplayDepth depth(8);
    std::vector<BYTE> storage;
    HPALETTE pal = CreatePalette(MakeLogPalette(storage, {0x123456, 0xFEDCBA}));
    // A 3x1 8-bit bitmap file with its own 3-colour table, loaded as a DIB
    // section.
    const BYTE file[] =
        {
            'B',  'M',  0x46, 0, 0,    0,    0,    0, 0,    0,    0x42, 0, 0, 0, // file header
            40,   0,    0,    0, 3,    0,    0,    0, 1,    0,    0,    0, 1, 0,
            8,    0,    0,    0, 0,    0,    0,    0, 0,    0,    0,    0, 0, 0,
            0,    0,    0,    0, 3,    0,    0,    0, 0,    0,    0,    0, // info header, 3 colours
            0x56, 0x34, 0x12, 0, 0xBA, 0xDC, 0xFE, 0, 0x00, 0x80, 0x00, 0, // table
            0,    1,    2,    0};                                          // one row
    char path[] = "/tmp/vx-gdi-convert-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, file, sizeof file), ssize_t(sizeof file));
    close(fd);
    HBITMAP dib = static_cast<HBITMAP>(
        LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    unlink(path);
    ASSERT_NE(dib, nullptr);
    Dc src(dib), dst(VxCreateDisplayBitmap(3, 1));
    SelectPalette(dst.dc, pal, FALSE);
    RealizePalette(dst.dc);
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Raw(dst.bitmap, 0, 0), 10u);
    EXPECT_EQ(Raw(dst.bitmap, 1, 0), 11u);
    EXPECT_EQ(Raw(dst.bitmap, 2, 0), 10u) << "green's nearest logical entry is 123456";
    SelectPalette(dst.dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(pal);
}

TEST(Palettes, RealisationCollapsesExactColoursAndFillsFreeSlots) {
    DisplayDepth depth(8);
    std::vector<BYTE> storage;
    // Black and green are static colours; the two 0x404040 entries share one slot.
    HPALETTE pal =
        CreatePalette(MakeLogPalette(storage, {0x000000, 0x404040, 0x008000, 0x404040, 0x505050}));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectPalette(dc, pal, FALSE);
    RealizePalette(dc);
    RGBQUAD sys[256];
    VxGetSystemPalette(sys);
    struct Row {
        COLORREF colour;
        uint32_t index;
    };
    // The mapping shows through PALETTERGB on a 1x1 display surface.
    HBITMAP b = VxCreateDisplayBitmap(1, 1);
    HGDIOBJ old = SelectObject(dc, b);
    const Row rows[] = {{PALETTERGB(0, 0, 0), 0},    {PALETTERGB(0x40, 0x40, 0x40), 10},
                        {PALETTERGB(0, 0x80, 0), 2}, {PALETTERGB(0x50, 0x50, 0x50), 11},
                        {PALETTEINDEX(3), 10},       {PALETTEINDEX(4), 11}};
    for (const Row &r : rows) {
        SetPixel(dc, 0, 0, r.colour);
        EXPECT_EQ(Raw(b, 0, 0), r.index) << std::hex << r.colour;
    }
    EXPECT_EQ(sys[10].rgbRed, 0x40);
    EXPECT_EQ(sys[11].rgbRed, 0x50);
    EXPECT_EQ(sys[12].rgbRed, 0) << "nothing else taken";
    SelectObject(dc, old);
    DeleteObject(b);
    DeleteDC(dc);
    DeleteObject(pal);
}

TEST(Palettes, ForegroundRealisationReplacesEarlierColoursAndOverflowTakesTheNearest) {
    DisplayDepth depth(8);
    std::vector<BYTE> s1, s2;
    std::vector<uint32_t> many;
    for (uint32_t i = 0; i < 240; ++i)
        many.push_back(0x010000 * (i + 1) + 0x000101); // none of them static
    HPALETTE first = CreatePalette(MakeLogPalette(s1, {0x111111}));
    HPALETTE big = CreatePalette(MakeLogPalette(s2, many));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectPalette(dc, first, FALSE);
    RealizePalette(dc);
    SelectPalette(dc, big, FALSE);
    RealizePalette(dc);
    RGBQUAD sys[256];
    VxGetSystemPalette(sys);
    EXPECT_EQ(sys[10].rgbRed, 1) << "the first palette's colour was released";
    EXPECT_EQ(sys[245].rgbRed, 236);
    EXPECT_EQ(sys[246].rgbRed, 0xFF) << "static colours never change";
    // Entries beyond the 236 free slots map to the nearest colour in use.
    HBITMAP b = VxCreateDisplayBitmap(1, 1);
    HGDIOBJ old = SelectObject(dc, b);
    SetPixel(dc, 0, 0, PALETTEINDEX(239));
    EXPECT_EQ(Raw(b, 0, 0), 245u);
    SelectObject(dc, old);
    SelectPalette(dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(b);
    DeleteDC(dc);
    DeleteObject(first);
    DeleteObject(big);
}

TEST(Palettes, NearestIndexAndEntries) {
    std::vector<BYTE> storage;
    HPALETTE pal = CreatePalette(
        MakeLogPalette(storage, {0x000000, 0xFF0000, 0x00FF00, 0xFF0000}, PC_NOCOLLAPSE));
    EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(250, 10, 0)), 1u) << "first of equal entries";
    EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(0, 200, 0)), 2u);
    PALETTEENTRY e[8];
    EXPECT_EQ(GetPaletteEntries(pal, 2, 8, e), 2u);
    EXPECT_EQ(e[0].peGreen, 0xFF);
    EXPECT_EQ(e[0].peFlags, PC_NOCOLLAPSE);
    EXPECT_EQ(GetPaletteEntries(pal, 9, 1, e), 0u);
    DeleteObject(pal);
    EXPECT_EQ(GetNearestPaletteIndex(pal, 0), CLR_INVALID) << "a deleted palette";
}

TEST(Palettes, RealiseDoesNothingOnATrueColourDisplay) {
    std::vector<BYTE> storage;
    HPALETTE pal = CreatePalette(MakeLogPalette(storage, {0x123456}));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectPalette(dc, pal, FALSE);
    EXPECT_EQ(RealizePalette(dc), 0u);
    RGBQUAD sys[256];
    VxGetSystemPalette(sys);
    EXPECT_EQ(sys[10].rgbRed, 0);
    // Selecting a null palette selects nothing and keeps the current one.
    EXPECT_EQ(SelectPalette(dc, nullptr, FALSE), nullptr);
    EXPECT_EQ(SelectPalette(dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE),
              pal);
    DeleteDC(dc);
    DeleteObject(pal);
}

} // namespace
