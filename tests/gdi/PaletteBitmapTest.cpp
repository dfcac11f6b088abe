// CPaletteBitmap on both paths, its failure messages and releases, and the
// sprite masks and masked drawing built on it, at 32 and 8 bits per pixel.
#include "gfx/PaletteBitmap.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "tests/gdi/DibBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace dibtest;

namespace {

class DisplayDepth {
  public:
    explicit DisplayDepth(int bits) { VxSetDisplayDepth(bits); }
    ~DisplayDepth() { VxSetDisplayDepth(32); }
};

class MessageRecorder : public IMessageBoxService {
  public:
    MessageRecorder() { previous_ = VxSetMessageBoxService(this); }
    ~MessageRecorder() override { VxSetMessageBoxService(previous_); }
    int Show(HWND, const char *text, const char *, UINT style) override {
        texts.push_back(text);
        styles.push_back(style);
        return IDOK;
    }
    std::vector<std::string> texts;
    std::vector<UINT> styles;

  private:
    IMessageBoxService *previous_;
};

constexpr WORD kSprite = 2500, kGrey4 = 10, kMono = 11, kGrey8 = 12, kUsed236 = 13, kTrue24 = 14,
               kUsed236At4 = 15, kTruncated = 16;

// A 23x9 sprite over the sprite table: a key-coloured frame, a body of image
// colours, one pixel of a second entry equal to the key colour and one pixel
// one step away from it.
DibLayout SpriteLayout() {
    DibLayout s;
    s.width = 23;
    s.height = 9;
    s.bitCount = 8;
    s.clrUsed = 256;
    s.table = SpriteTable();
    s.table[100] = RGBQUAD{0, 128, 0, 0}; // the key colour again
    s.table[101] = RGBQUAD{1, 128, 0, 0}; // almost the key colour
    // The four static colours that are not VGA colours: with them the other
    // image colours fit the 236 free system entries.
    s.table[8] = RGBQUAD{0xC0, 0xDC, 0xC0, 0};
    s.table[9] = RGBQUAD{0xF0, 0xCA, 0xA6, 0};
    s.table[10] = RGBQUAD{0xF0, 0xFB, 0xFF, 0};
    s.table[11] = RGBQUAD{0xA4, 0xA0, 0xA0, 0};
    s.pixel = [](int x, int y) -> uint32_t {
        if (x == 5 && y == 4)
            return 100;
        if (x == 6 && y == 4)
            return 101;
        if (x < 2 || y < 2 || x > 20 || (x + y) % 7 == 0)
            return 2;
        return uint32_t(8 + (x * 11 + y * 5) % 240);
    };
    return s;
}

struct Module {
    std::vector<Bytes> blobs;
    std::vector<ResourceEntry> entries;
    ResourceModule module{};
    HINSTANCE handle = nullptr;
    void Add(WORD id, Bytes bytes) { blobs.push_back(std::move(bytes)), ids.push_back(id); }
    std::vector<WORD> ids;
    void Finish() {
        for (size_t i = 0; i < blobs.size(); ++i)
            entries.push_back(
                ResourceEntry{RT_BITMAP, ids[i], blobs[i].data(), DWORD(blobs[i].size())});
        module = ResourceModule{entries.data(), entries.size()};
        handle = VxModuleHandle(&module);
    }
};

Module &TestModule() {
    static Module m = [] {
        Module m;
        m.Add(kSprite, PackedDib(SpriteLayout()));
        DibLayout grey4;
        grey4.bitCount = 4;
        grey4.table = GreyTable(16);
        m.Add(kGrey4, PackedDib(grey4));
        DibLayout mono;
        mono.bitCount = 1;
        mono.table = GreyTable(2);
        m.Add(kMono, PackedDib(mono));
        DibLayout grey8;
        grey8.table = GreyTable(256);
        m.Add(kGrey8, PackedDib(grey8));
        DibLayout used;
        used.clrUsed = 236;
        used.table = GreyTable(236);
        m.Add(kUsed236, PackedDib(used));
        DibLayout used4 = used;
        used4.bitCount = 4;
        m.Add(kUsed236At4, PackedDib(used4));
        DibLayout rgb;
        rgb.bitCount = 24;
        rgb.pixel = [](int x, int y) { return uint32_t(x * 0x100000 + y * 0x30 + 7); };
        m.Add(kTrue24, PackedDib(rgb));
        Bytes cut = PackedDib(grey8);
        cut.resize(40 + 100); // the table runs past the end
        m.Add(kTruncated, cut);
        m.Finish();
        return m;
    }();
    return m;
}

class PaletteBitmap : public ::testing::Test {
  protected:
    void SetUp() override {
        previousModule_ = AfxGetResourceHandle();
        AfxSetResourceHandle(TestModule().handle);
        VxResetSystemPalette();
    }
    void TearDown() override {
        AfxSetResourceHandle(previousModule_);
        VxFailAfter(VxFailPoint::GlobalAlloc, -1);
        VxFailAfter(VxFailPoint::CreatePalette, -1);
        VxFailAfter(VxFailPoint::CreateBitmap, -1);
    }
    HINSTANCE Module() const { return TestModule().handle; }

  private:
    HINSTANCE previousModule_ = nullptr;
};

std::string TempFile(const Bytes &bytes) {
    char path[] = "/tmp/vx-gdi-pb-XXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    close(fd);
    return path;
}

TEST_F(PaletteBitmap, PaletteSizesFollowTheColourTable) {
    DisplayDepth depth(8);
    struct Row {
        const char *name;
        WORD id;
        int entries; // 0: no palette, and the load fails
    };
    const Row rows[] = {
        {"1 bpp, colours-used 0", kMono, 2},           {"4 bpp, colours-used 0", kGrey4, 16},
        {"8 bpp, colours-used 0", kGrey8, 256},        {"8 bpp, colours-used 236", kUsed236, 236},
        {"4 bpp, colours-used 236", kUsed236At4, 236}, {"24 bpp", kTrue24, 0}};
    for (const Row &row : rows) {
        MessageRecorder messages;
        CPaletteBitmap bitmap;
        const BOOL loaded = bitmap.LoadBitmap(MAKEINTRESOURCE(row.id), TRUE, Module());
        EXPECT_TRUE(messages.texts.empty()) << row.name;
        if (row.entries == 0) {
            EXPECT_FALSE(loaded) << row.name;
            EXPECT_EQ(bitmap.GetPalette(), nullptr) << row.name;
            EXPECT_EQ(bitmap.m_hObject, nullptr) << row.name;
            EXPECT_NE(bitmap.m_hDib, nullptr) << row.name << ": the DIB stays held";
            continue;
        }
        ASSERT_TRUE(loaded) << row.name;
        ASSERT_NE(bitmap.GetPalette(), nullptr) << row.name;
        EXPECT_EQ(bitmap.GetPalette()->m_hObject, bitmap.m_hPalette) << row.name;
        EXPECT_EQ(bitmap.GetPalette(), CPalette::FromHandle(bitmap.m_hPalette)) << row.name;
        EXPECT_EQ(bitmap.m_hBitmap, bitmap.m_hObject) << row.name;
        std::vector<PALETTEENTRY> entries(300);
        EXPECT_EQ(GetPaletteEntries(bitmap.m_hPalette, 0, 300, entries.data()), UINT(row.entries))
            << row.name;
        for (int i = 0; i < row.entries; ++i)
            ASSERT_EQ(entries[size_t(i)].peFlags, 0) << row.name << " entry " << i;
        const size_t probe = size_t(row.entries - 1);
        EXPECT_EQ(entries[probe].peRed, GreyTable(256)[probe].rgbRed) << row.name;
        EXPECT_EQ(entries[probe].peBlue, GreyTable(256)[probe].rgbBlue) << row.name;
        EXPECT_EQ(CPaletteBitmap::DibNumColors(GlobalLock(bitmap.m_hDib)), row.entries) << row.name;
        GlobalUnlock(bitmap.m_hDib);
    }
}

TEST_F(PaletteBitmap, FailuresShowTheirMessageOnlyOnThePalettePath) {
    struct Row {
        const char *name;
        BOOL withPalette;
        WORD id;
        VxFailPoint fail;
        int successesBeforeFailure; // -1: no injected failure
        const char *message;        // null: none
    };
    const Row rows[] = {
        {"missing id, palette path", TRUE, 999, VxFailPoint::GlobalAlloc, -1,
         "Could not LoadBitmap() with palette"},
        {"missing id, plain path", FALSE, 999, VxFailPoint::GlobalAlloc, -1, nullptr},
        {"no memory for the DIB copy", TRUE, kGrey8, VxFailPoint::GlobalAlloc, 0,
         "Could not LoadBitmap() with palette"},
        {"no memory for the log palette", TRUE, kGrey8, VxFailPoint::GlobalAlloc, 1,
         "Could not GlobalAlloc() space for log palette"},
        {"palette creation fails", TRUE, kGrey8, VxFailPoint::CreatePalette, 0,
         "CreatePalette() failed"},
        {"colour table past the end", TRUE, kTruncated, VxFailPoint::GlobalAlloc, -1, nullptr},
        {"no memory for the device bitmap", TRUE, kGrey8, VxFailPoint::CreateBitmap, 0, nullptr},
    };
    for (const Row &row : rows) {
        MessageRecorder messages;
        VxFailAfter(row.fail, row.successesBeforeFailure);
        CPaletteBitmap bitmap;
        EXPECT_FALSE(bitmap.LoadBitmap(MAKEINTRESOURCE(row.id), row.withPalette, Module()))
            << row.name;
        VxFailAfter(row.fail, -1);
        EXPECT_EQ(bitmap.m_hObject, nullptr) << row.name;
        EXPECT_EQ(bitmap.m_hBitmap, nullptr) << row.name;
        if (row.message) {
            ASSERT_EQ(messages.texts.size(), 1u) << row.name;
            EXPECT_EQ(messages.texts[0], row.message) << row.name;
            EXPECT_EQ(messages.styles[0], MB_OK) << row.name;
        } else {
            EXPECT_TRUE(messages.texts.empty()) << row.name;
        }
    }
}

TEST_F(PaletteBitmap, PlainPathMakesADisplayBitmapWithoutPalette) {
    MessageRecorder messages;
    CPaletteBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(MAKEINTRESOURCE(kSprite), FALSE, nullptr));
    EXPECT_EQ(bitmap.GetPalette(), nullptr);
    EXPECT_EQ(bitmap.m_hDib, nullptr);
    EXPECT_EQ(bitmap.m_hBitmap, nullptr) << "the plain path stores no m_hBitmap";
    BITMAP bm{};
    ASSERT_EQ(bitmap.GetObject(sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 23);
    EXPECT_EQ(bm.bmHeight, 9);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    const DibLayout layout = SpriteLayout();
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x) {
            const uint32_t rgb = RgbOfQuad(layout.table[layout.pixel(x, y)]);
            ASSERT_EQ(VxPixelColour(bitmap, x, y), RGB(BYTE(rgb >> 16), BYTE(rgb >> 8), BYTE(rgb)))
                << x << "," << y;
        }
}

TEST_F(PaletteBitmap, FileLoadsGiveDibSectionsByNameAndNoPalette) {
    struct Row {
        const char *name;
        DibLayout layout;
    };
    DibLayout eight;
    eight.width = 5;
    eight.table = GreyTable(256);
    DibLayout four = eight;
    four.bitCount = 4;
    four.table = GreyTable(16);
    DibLayout mono = eight;
    mono.bitCount = 1;
    mono.table = GreyTable(2);
    mono.pixel = [](int x, int y) { return uint32_t((x + y) & 1); };
    DibLayout rgb = eight;
    rgb.bitCount = 24;
    rgb.table.clear();
    rgb.pixel = [](int x, int y) { return uint32_t(0x102030 * (x + 1) + y); };
    const Row rows[] = {{"8 bpp", eight}, {"4 bpp", four}, {"1 bpp", mono}, {"24 bpp", rgb}};
    for (const Row &row : rows) {
        const std::string path = TempFile(BitmapFile(row.layout));
        MessageRecorder messages;
        CPaletteBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadFromFile(path.c_str())) << row.name;
        EXPECT_TRUE(messages.texts.empty()) << row.name;
        EXPECT_EQ(bitmap.GetPalette(), nullptr) << row.name;
        EXPECT_STREQ(bitmap.m_szFileName, path.c_str()) << row.name;
        EXPECT_EQ(GlobalSize(bitmap.m_hDib), BitmapFile(row.layout).size()) << row.name;
        BITMAP bm{};
        bitmap.GetObject(sizeof bm, &bm);
        EXPECT_NE(bm.bmBits, nullptr) << row.name << ": a DIB section";
        EXPECT_EQ(bm.bmWidth, row.layout.width) << row.name;
        EXPECT_EQ(bm.bmHeight, row.layout.height) << row.name;
        for (int y = 0; y < row.layout.height; ++y)
            for (int x = 0; x < row.layout.width; ++x) {
                const uint32_t v = row.layout.pixel(x, y);
                const uint32_t rgbWant =
                    row.layout.bitCount == 24 ? v : RgbOfQuad(row.layout.table[v]);
                ASSERT_EQ(VxPixelColour(bitmap, x, y),
                          RGB(BYTE(rgbWant >> 16), BYTE(rgbWant >> 8), BYTE(rgbWant)))
                    << row.name << " at " << x << "," << y;
            }
        unlink(path.c_str());
    }
}

TEST_F(PaletteBitmap, BadFileLoadsFailQuietly) {
    DibLayout good;
    Bytes cut = BitmapFile(good);
    cut.resize(cut.size() - 3);
    const std::string truncated = TempFile(cut);
    const std::string empty = TempFile({});
    const std::string longPath(300, 'a');
    struct Row {
        const char *name;
        const char *path;
    };
    const Row rows[] = {{"null path", nullptr},
                        {"empty path", ""},
                        {"missing file", "/nonexistent/vx-wallpaper.bmp"},
                        {"directory", "/tmp"},
                        {"truncated file", truncated.c_str()},
                        {"empty file", empty.c_str()},
                        {"path longer than 255 characters", longPath.c_str()}};
    for (const Row &row : rows) {
        MessageRecorder messages;
        CPaletteBitmap bitmap;
        EXPECT_FALSE(bitmap.LoadFromFile(row.path)) << row.name;
        EXPECT_EQ(bitmap.m_hObject, nullptr) << row.name;
        EXPECT_TRUE(messages.texts.empty()) << row.name;
    }
    unlink(truncated.c_str());
    unlink(empty.c_str());
}

TEST_F(PaletteBitmap, EveryResourceIsReleasedOnce) {
    DisplayDepth depth(8);
    const size_t before = VxLiveObjectCount();
    HPALETTE palette;
    HBITMAP device;
    HGLOBAL dib;
    {
        CPaletteBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(MAKEINTRESOURCE(kSprite), TRUE, Module()));
        palette = bitmap.m_hPalette;
        device = bitmap.m_hBitmap;
        dib = bitmap.m_hDib;
        EXPECT_EQ(VxLiveObjectCount(), before + 2);
        EXPECT_NE(GlobalSize(dib), 0u);
    }
    EXPECT_EQ(VxLiveObjectCount(), before);
    EXPECT_FALSE(VxIsLiveObject(palette));
    EXPECT_FALSE(VxIsLiveObject(device));
    EXPECT_EQ(GlobalSize(dib), 0u) << "the DIB memory was freed";
    {
        CPaletteBitmap mask, surface;
        ASSERT_TRUE(mask.CreateBitmap(8, 8, 1, 1, nullptr));
        HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        CDC *screenDc = CDC::FromHandle(screen);
        ASSERT_TRUE(surface.CreateCompatibleBitmap(screenDc, 64, 32));
        DeleteDC(screen);
        EXPECT_EQ(VxLiveObjectCount(), before + 2);
        EXPECT_EQ(mask.m_hDib, nullptr);
        EXPECT_EQ(mask.m_hPalette, nullptr);
    }
    EXPECT_EQ(VxLiveObjectCount(), before);
}

// ---- masks and masked drawing ---------------------------------------------------------

// The mask of a sprite, built the way the scene builds it: sprite in DC A
// with the scene palette realised and the key as A's background, mask in DC
// B with black text, one SRCCOPY.
CPaletteBitmap *BuildMask(CPaletteBitmap &sprite, COLORREF key) {
    BITMAP bm{};
    sprite.GetObject(sizeof bm, &bm);
    CDC desktop;
    desktop.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    CDC a, b;
    a.CreateCompatibleDC(&desktop);
    CBitmap *oldA = a.SelectObject(&sprite);
    b.CreateCompatibleDC(&desktop);
    CPalette *oldPalette = nullptr;
    if (sprite.GetPalette()) {
        oldPalette = a.SelectPalette(sprite.GetPalette(), FALSE);
        a.RealizePalette();
    }
    auto *mask = new CPaletteBitmap;
    mask->CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
    CBitmap *oldB = b.SelectObject(mask);
    b.SetTextColor(RGB(0, 0, 0));
    a.SetBkColor(key);
    b.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &a, 0, 0, SRCCOPY);
    b.SelectObject(oldB);
    b.DeleteDC();
    a.SelectObject(oldA);
    if (oldPalette)
        a.SelectPalette(oldPalette, FALSE);
    a.DeleteDC();
    return mask;
}

bool IsKey(int x, int y) {
    const uint32_t index = SpriteLayout().pixel(x, y);
    return index == 2 || index == 100;
}

TEST_F(PaletteBitmap, MaskHasOnesExactlyAtTheKeyPixelsAndMaskedDrawIsExact) {
    struct Row {
        const char *name;
        int depth;
        COLORREF key;
    };
    const Row rows[] = {{"32-bit display", 32, RGB(0, 128, 0)},
                        {"8-bit display, palette path", 8, PALETTERGB(0, 128, 0)}};
    for (const Row &row : rows) {
        DisplayDepth depth(row.depth);
        CPaletteBitmap sprite;
        ASSERT_TRUE(sprite.LoadBitmap(MAKEINTRESOURCE(kSprite), row.depth == 8, Module()))
            << row.name;
        EXPECT_EQ(sprite.GetPalette() != nullptr, row.depth == 8) << row.name;
        std::unique_ptr<CPaletteBitmap> mask(BuildMask(sprite, row.key));
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 23; ++x)
                ASSERT_EQ(VxPixelColour(*mask, x, y), IsKey(x, y) ? 0xFFFFFFu : 0u)
                    << row.name << " at " << x << "," << y;

        // Three blits onto a random background: sprite XOR, mask AND,
        // sprite XOR. Under 1 bits the background stays; under 0 bits the
        // sprite's pixel shows.
        CDC desktop;
        desktop.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
        CPaletteBitmap work;
        work.CreateCompatibleBitmap(&desktop, 40, 20);
        CDC w, s, m;
        w.CreateCompatibleDC(&desktop);
        s.CreateCompatibleDC(&desktop);
        m.CreateCompatibleDC(&desktop);
        CBitmap *oldW = w.SelectObject(&work), *oldS = s.SelectObject(&sprite),
                *oldM = m.SelectObject(mask.get());
        VxBitmapView view{};
        VxGetBitmapView(work, &view);
        std::mt19937 rng(11);
        for (int i = 0; i < view.stride * view.height; ++i)
            view.pixels[i] = BYTE(rng());
        if (view.bitsPixel == 32)
            for (int i = 3; i < view.stride * view.height; i += 4)
                view.pixels[i] = 0;
        std::vector<BYTE> before(view.pixels, view.pixels + view.stride * view.height);
        VxBitmapView spriteView{};
        VxGetBitmapView(sprite, &spriteView);
        const int bytes = view.bitsPixel / 8;
        w.BitBlt(9, 7, 23, 9, &s, 0, 0, SRCINVERT);
        w.BitBlt(9, 7, 23, 9, &m, 0, 0, SRCAND);
        w.BitBlt(9, 7, 23, 9, &s, 0, 0, SRCINVERT);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= 9 && x < 32 && y >= 7 && y < 16;
                const BYTE *want =
                    inside && !IsKey(x - 9, y - 7)
                        ? spriteView.pixels + (y - 7) * spriteView.stride + (x - 9) * bytes
                        : before.data() + y * view.stride + x * bytes;
                ASSERT_EQ(std::memcmp(view.pixels + y * view.stride + x * bytes, want, bytes), 0)
                    << row.name << " at " << x << "," << y;
            }
        w.SelectObject(oldW);
        s.SelectObject(oldS);
        m.SelectObject(oldM);
    }
}

TEST_F(PaletteBitmap, PalettePathHoldsTheRealisedIndicesOfItsColours) {
    DisplayDepth depth(8);
    CPaletteBitmap sprite;
    ASSERT_TRUE(sprite.LoadBitmap(MAKEINTRESOURCE(kSprite), TRUE, Module()));
    RGBQUAD sys[256];
    VxGetSystemPalette(sys);
    const DibLayout layout = SpriteLayout();
    VxBitmapView view{};
    ASSERT_TRUE(VxGetBitmapView(sprite, &view));
    ASSERT_EQ(view.bitsPixel, 8);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x) {
            const BYTE index = view.pixels[y * view.stride + x];
            const RGBQUAD want = layout.table[layout.pixel(x, y)];
            ASSERT_EQ(RgbOfQuad(sys[index]), RgbOfQuad(want)) << x << "," << y;
        }
    // The VGA colours collapse onto the static entries.
    EXPECT_EQ(view.pixels[0], 2) << "the key colour is static entry 2";
}

} // namespace
