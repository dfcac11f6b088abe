// Colour conversion inside blits, palette realisation and colour references.
#include "tests/gdi/GdiTestKit.h"

#include <gtest/gtest.h>

using namespace gditest;

namespace {

struct Palette {
    HPALETTE handle;
    explicit Palette(const std::vector<uint32_t> &rgb, BYTE flags = 0) {
        std::vector<BYTE> storage(4 + 4 * rgb.size());
        auto *log = reinterpret_cast<LOGPALETTE *>(storage.data());
        log->palVersion = 0x300;
        log->palNumEntries = WORD(rgb.size());
        for (size_t i = 0; i < rgb.size(); ++i)
            log->palPalEntry[i] =
                PALETTEENTRY{BYTE(rgb[i] >> 16), BYTE(rgb[i] >> 8), BYTE(rgb[i]), flags};
        handle = CreatePalette(log);
    }
    ~Palette() { DeleteObject(handle); }
};

HPALETTE DefaultPalette() {
    return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
}

uint32_t SystemRed(int index) {
    RGBQUAD sys[256];
    VxGetSystemPalette(sys);
    return sys[index].rgbRed;
}

TEST(Conversion, MonoToColourUsesTheDestinationTextAndBackground) {
    const BYTE bits[2] = {0xA0, 0}; // 1 0 1 0
    Surface mono(CreateBitmap(4, 1, 1, 1, bits)), colour(4, 1, 32);
    SetTextColor(colour.dc, RGB(1, 2, 3));
    SetBkColor(colour.dc, RGB(4, 5, 6));
    SetTextColor(mono.dc, RGB(9, 9, 9)); // the source DC's colours are ignored
    SetBkColor(mono.dc, RGB(8, 8, 8));
    ASSERT_TRUE(BitBlt(colour.dc, 0, 0, 4, 1, mono.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Snapshot(colour.bitmap),
              (std::vector<uint32_t>{0x040506, 0x010203, 0x040506, 0x010203}));
}

TEST(Palettes, RealisationCollapsesExactColoursAndFillsFreeSlots) {
    DisplayDepth depth(8);
    // Black and green are static colours; the two 0x404040 entries share one slot.
    Palette pal({0x000000, 0x404040, 0x008000, 0x404040, 0x505050});
    Surface s(1, 1, 8);
    SelectPalette(s.dc, pal.handle, FALSE);
    RealizePalette(s.dc);
    const struct {
        COLORREF colour;
        uint32_t index;
    } rows[] = {{PALETTERGB(0, 0, 0), 0},    {PALETTERGB(0x40, 0x40, 0x40), 10},
                {PALETTERGB(0, 0x80, 0), 2}, {PALETTERGB(0x50, 0x50, 0x50), 11},
                {PALETTEINDEX(3), 10},       {PALETTEINDEX(4), 11}};
    for (const auto &r : rows) {
        SetPixel(s.dc, 0, 0, r.colour);
        EXPECT_EQ(Read(s.bitmap, 0, 0), r.index) << std::hex << r.colour;
    }
    EXPECT_EQ(SystemRed(10), 0x40u);
    EXPECT_EQ(SystemRed(11), 0x50u);
    EXPECT_EQ(SystemRed(12), 0u) << "nothing else taken";
    SelectPalette(s.dc, DefaultPalette(), FALSE);
}

TEST(Palettes, ForegroundRealisationReplacesEarlierColoursAndOverflowTakesTheNearest) {
    DisplayDepth depth(8);
    std::vector<uint32_t> many;
    for (uint32_t i = 0; i < 240; ++i)
        many.push_back(0x010000 * (i + 1) + 0x000101); // none of them static
    Palette first({0x111111}), big(many);
    Surface s(1, 1, 8);
    SelectPalette(s.dc, first.handle, FALSE);
    RealizePalette(s.dc);
    SelectPalette(s.dc, big.handle, FALSE);
    RealizePalette(s.dc);
    EXPECT_EQ(SystemRed(10), 1u) << "the first palette's colour was released";
    EXPECT_EQ(SystemRed(245), 236u);
    EXPECT_EQ(SystemRed(246), 0xFFu) << "static colours never change";
    // Entries beyond the 236 free slots map to the nearest colour in use.
    SetPixel(s.dc, 0, 0, PALETTEINDEX(239));
    EXPECT_EQ(Read(s.bitmap, 0, 0), 245u);
    SelectPalette(s.dc, DefaultPalette(), FALSE);
}

} // namespace
