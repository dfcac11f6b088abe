// CPaletteBitmap on both paths, its failure messages and releases, and the
// sprite masks and masked drawing built on it, at 32 and 8 bits per pixel.
#include "gfx/PaletteBitmap.h"
#include "platform/afx/Resources.h"
#include "tests/TestSupport.h"
#include "tests/gdi/GdiTestKit.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sys/stat.h>

using namespace gditest;
using namespace vxtest;

namespace {

constexpr WORD kSprite = 2500, kGrey4 = 10, kMono = 11, kGrey8 = 12, kUsed236 = 13, kTrue24 = 14,
               kUsed236At4 = 15, kTruncated = 16, kClaims16384 = 17, kClaims65535 = 18;

// 64 bytes: an info header whose colours-used claims far more entries than
// follow it (the table size needs more than 16 bits).
Bytes ClaimsColours(DWORD used) {
    Bytes dib(64, 0);
    dib[0] = 40, dib[4] = 4, dib[8] = 4, dib[12] = 1, dib[14] = 8;
    dib[32] = BYTE(used), dib[33] = BYTE(used >> 8);
    return dib;
}

// A 23x9 sprite over a sprite-style table (VGA colours at 0-7 and 248-255,
// the key 0,128,0 at 2): a key-coloured frame, a body of image colours, one
// pixel of a second entry equal to the key and one a step away from it.
DibLayout SpriteLayout() {
    DibLayout s;
    s.width = 23;
    s.height = 9;
    s.clrUsed = 256;
    const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                              0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                              0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 256; ++i)
        s.table.push_back(Quad(i < 8      ? vga[i]
                               : i >= 248 ? vga[i - 240]
                                          : uint32_t((i * 37) & 0xFF) << 16 |
                                                uint32_t((i * 91) & 0xFF) << 8 |
                                                uint32_t((i * 13 + 5) & 0xFF)));
    s.table[100] = Quad(0x008000); // the key colour again
    s.table[101] = Quad(0x008001); // almost the key colour
    // The four static colours that are not VGA colours: with them the other
    // image colours fit the 236 free system entries.
    s.table[8] = Quad(0xC0DCC0), s.table[9] = Quad(0xA6CAF0);
    s.table[10] = Quad(0xFFFBF0), s.table[11] = Quad(0xA0A0A4);
    s.pixel = [](int x, int y) -> uint32_t {
        if (y == 4 && (x == 5 || x == 6))
            return x == 5 ? 100 : 101;
        if (x < 2 || y < 2 || x > 20 || (x + y) % 7 == 0)
            return 2;
        return uint32_t(8 + (x * 11 + y * 5) % 240);
    };
    return s;
}

bool IsKey(int x, int y) {
    const uint32_t index = SpriteLayout().pixel(x, y);
    return index == 2 || index == 100;
}

DibLayout Indexed(int bpp, DWORD used = 0) {
    DibLayout s;
    s.bitCount = bpp;
    s.clrUsed = used;
    s.table = GreyTable(used ? int(used) : 1 << bpp);
    return s;
}

HINSTANCE TestModule() {
    static const vxtest::TestResources *module = [] {
        auto *m = new vxtest::TestResources;
        DibLayout rgb;
        rgb.bitCount = 24;
        Bytes cut = PackedDib(Indexed(8));
        cut.resize(40 + 100); // the table runs past the end
        const std::pair<WORD, Bytes> blobs[] = {{kSprite, PackedDib(SpriteLayout())},
                                                {kGrey4, PackedDib(Indexed(4))},
                                                {kMono, PackedDib(Indexed(1))},
                                                {kGrey8, PackedDib(Indexed(8))},
                                                {kUsed236, PackedDib(Indexed(8, 236))},
                                                {kUsed236At4, PackedDib(Indexed(4, 236))},
                                                {kTrue24, PackedDib(rgb)},
                                                {kTruncated, cut},
                                                {kClaims16384, ClaimsColours(16384)},
                                                {kClaims65535, ClaimsColours(65535)}};
        for (const auto &[id, bytes] : blobs)
            m->Add(RT_BITMAP, id, bytes);
        return m;
    }();
    return module->Handle();
}

class PaletteBitmap : public ::testing::Test {
  protected:
    void SetUp() override {
        previousModule_ = AfxGetResourceHandle();
        AfxSetResourceHandle(TestModule());
        VxResetSystemPalette();
    }
    void TearDown() override { AfxSetResourceHandle(previousModule_); }

  private:
    HINSTANCE previousModule_ = nullptr;
};

TEST_F(PaletteBitmap, PaletteSizesFollowTheColourTable) {
    DisplayDepth depth(8);
    const struct {
        const char *name;
        WORD id;
        int entries; // 0: no palette, and the load fails
    } rows[] = {
        {"1 bpp, colours-used 0", kMono, 2},           {"4 bpp, colours-used 0", kGrey4, 16},
        {"8 bpp, colours-used 0", kGrey8, 256},        {"8 bpp, colours-used 236", kUsed236, 236},
        {"4 bpp, colours-used 236", kUsed236At4, 236}, {"24 bpp", kTrue24, 0}};
    for (const auto &row : rows) {
        BoxRecorder messages;
        CPaletteBitmap bitmap;
        const BOOL loaded = bitmap.LoadBitmap(MAKEINTRESOURCE(row.id), TRUE, TestModule());
        EXPECT_TRUE(messages.boxes.empty()) << row.name;
        if (row.entries == 0) {
            EXPECT_FALSE(loaded) << row.name;
            EXPECT_EQ(bitmap.GetPalette(), nullptr) << row.name;
            EXPECT_EQ(bitmap.m_hObject, nullptr) << row.name;
            EXPECT_NE(bitmap.m_hDib, nullptr) << row.name << ": the DIB stays held";
            continue;
        }
        ASSERT_TRUE(loaded) << row.name;
        ASSERT_NE(bitmap.GetPalette(), nullptr) << row.name;
        std::vector<PALETTEENTRY> entries(300);
        EXPECT_EQ(GetPaletteEntries(bitmap.m_hPalette, 0, 300, entries.data()), UINT(row.entries))
            << row.name;
        for (int i = 0; i < row.entries; ++i) {
            const PALETTEENTRY &e = entries[size_t(i)];
            ASSERT_EQ(e.peFlags, 0) << row.name << " entry " << i;
            ASSERT_EQ(RgbOfQuad(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0}),
                      RgbOfQuad(GreyTable(256)[size_t(i)]))
                << row.name << " entry " << i;
        }
        EXPECT_EQ(CPaletteBitmap::DibNumColors(GlobalLock(bitmap.m_hDib)), row.entries) << row.name;
        GlobalUnlock(bitmap.m_hDib);
    }
}

TEST_F(PaletteBitmap, FailuresShowTheirMessageOnlyOnThePalettePath) {
    const char *const kLoad = "Could not LoadBitmap() with palette";
    const struct {
        const char *name;
        BOOL withPalette;
        WORD id;
        VxFailPoint fail;
        int successesBeforeFailure; // -1: no injected failure
        const char *message;        // null: none
    } rows[] = {
        {"missing id, palette path", TRUE, 999, VxFailPoint::GlobalAlloc, -1, kLoad},
        {"missing id, plain path", FALSE, 999, VxFailPoint::GlobalAlloc, -1, nullptr},
        {"no memory for the DIB copy", TRUE, kGrey8, VxFailPoint::GlobalAlloc, 0, kLoad},
        {"no memory for the log palette", TRUE, kGrey8, VxFailPoint::GlobalAlloc, 1,
         "Could not GlobalAlloc() space for log palette"},
        {"palette creation fails", TRUE, kGrey8, VxFailPoint::CreatePalette, 0,
         "CreatePalette() failed"},
        {"colour table past the end", TRUE, kTruncated, VxFailPoint::GlobalAlloc, -1, nullptr},
        {"16384 colours claimed", TRUE, kClaims16384, VxFailPoint::GlobalAlloc, -1, nullptr},
        {"65535 colours claimed", TRUE, kClaims65535, VxFailPoint::GlobalAlloc, -1, nullptr},
        {"no memory for the device bitmap", TRUE, kGrey8, VxFailPoint::CreateBitmap, 0, nullptr},
    };
    for (const auto &row : rows) {
        BoxRecorder messages;
        VxFailAfter(row.fail, row.successesBeforeFailure);
        CPaletteBitmap bitmap;
        EXPECT_FALSE(bitmap.LoadBitmap(MAKEINTRESOURCE(row.id), row.withPalette, TestModule()))
            << row.name;
        VxFailAfter(row.fail, -1);
        EXPECT_EQ(bitmap.m_hObject, nullptr) << row.name;
        EXPECT_EQ(bitmap.m_hBitmap, nullptr) << row.name;
        EXPECT_EQ(messages.Texts(),
                  row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{})
            << row.name;
        for (const RecordedBox &box : messages.boxes)
            EXPECT_EQ(box.style, UINT(MB_OK)) << row.name;
    }
}

TEST_F(PaletteBitmap, BadFileLoadsFailQuietly) {
    Bytes cut = BitmapFile(DibLayout{});
    cut.resize(cut.size() - 3);
    const std::string truncated = TempFile(cut), empty = TempFile({}), longPath(300, 'a'),
                      claims = TempFile(ClaimsColours(65535)),
                      folder = std::filesystem::temp_directory_path().string();
#ifdef _WIN32
    const std::string pipe = "CON"; // the console: a read would wait for typing
#else
    const std::string pipe = truncated + ".pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
#endif
    const struct {
        const char *name;
        const char *path;
    } rows[] = {{"null path", nullptr},
                {"empty path", ""},
                {"missing file", "/nonexistent/vx-wallpaper.bmp"},
                {"directory", folder.c_str()},
                {"truncated file", truncated.c_str()},
                {"empty file", empty.c_str()},
                {"named pipe or device (no writer)", pipe.c_str()},
                {"DIB claiming 65535 colours", claims.c_str()},
                {"path longer than 255 characters", longPath.c_str()}};
    for (const auto &row : rows) {
        BoxRecorder messages;
        CPaletteBitmap bitmap;
        EXPECT_FALSE(bitmap.LoadFromFile(row.path)) << row.name;
        EXPECT_EQ(bitmap.m_hObject, nullptr) << row.name;
        EXPECT_TRUE(messages.boxes.empty()) << row.name;
    }
    std::error_code ignored;
    for (const std::string &path : {truncated, empty, claims, pipe})
        std::filesystem::remove(path, ignored);
}

// Every byte value in the bits, line ends and the end-of-file character
// among them: a reader that translates anything changes or cuts the file.
TEST_F(PaletteBitmap, FilesLoadByteForByte) {
    DibLayout s = Indexed(8);
    s.width = s.height = 16;
    s.pixel = [](int x, int y) { return uint32_t(y * 16 + x); };
    const Bytes file = BitmapFile(s);
    const std::string path = TempFile(file);
    CPaletteBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromFile(path.c_str()));
    ASSERT_EQ(GlobalSize(bitmap.m_hDib), file.size());
    EXPECT_EQ(Bytes(static_cast<const uint8_t *>(GlobalLock(bitmap.m_hDib)),
                    static_cast<const uint8_t *>(GlobalLock(bitmap.m_hDib)) + file.size()),
              file);
    auto loaded = HBITMAP(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(loaded, nullptr);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(Read(loaded, x, y), uint32_t(y * 16 + x)) << x << "," << y;
    DeleteObject(loaded);
    std::filesystem::remove(path);
}

TEST_F(PaletteBitmap, EveryResourceIsReleasedOnce) {
    DisplayDepth depth(8);
    const size_t before = VxLiveObjectCount();
    HPALETTE palette;
    HBITMAP device;
    HGLOBAL dib;
    {
        CPaletteBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(MAKEINTRESOURCE(kSprite), TRUE, TestModule()));
        palette = bitmap.m_hPalette, device = bitmap.m_hBitmap, dib = bitmap.m_hDib;
        EXPECT_EQ(VxLiveObjectCount(), before + 2);
        EXPECT_NE(GlobalSize(dib), 0u);
    }
    EXPECT_EQ(VxLiveObjectCount(), before);
    EXPECT_FALSE(VxIsLiveObject(palette));
    EXPECT_FALSE(VxIsLiveObject(device));
    EXPECT_EQ(GlobalSize(dib), 0u) << "the DIB memory was freed";
}

// The mask of a sprite, built the way the scene builds it: sprite in DC A
// with its palette realised and the key as A's background, mask in DC B with
// black text, one SRCCOPY.
std::unique_ptr<CPaletteBitmap> BuildMask(CPaletteBitmap &sprite, COLORREF key) {
    CDC desktop, a, b;
    desktop.CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    a.CreateCompatibleDC(&desktop);
    b.CreateCompatibleDC(&desktop);
    CBitmap *oldA = a.SelectObject(&sprite);
    CPalette *oldPalette =
        sprite.GetPalette() ? a.SelectPalette(sprite.GetPalette(), FALSE) : nullptr;
    if (oldPalette)
        a.RealizePalette();
    auto mask = std::make_unique<CPaletteBitmap>();
    mask->CreateBitmap(23, 9, 1, 1, nullptr);
    CBitmap *oldB = b.SelectObject(mask.get());
    b.SetTextColor(RGB(0, 0, 0));
    a.SetBkColor(key);
    b.BitBlt(0, 0, 23, 9, &a, 0, 0, SRCCOPY);
    b.SelectObject(oldB);
    a.SelectObject(oldA);
    if (oldPalette)
        a.SelectPalette(oldPalette, FALSE);
    return mask;
}

TEST_F(PaletteBitmap, MaskHasOnesExactlyAtTheKeyPixelsAndMaskedDrawIsExact) {
    const struct {
        const char *name;
        int depth;
        COLORREF key;
    } rows[] = {{"32-bit display", 32, RGB(0, 128, 0)},
                {"8-bit display, palette path", 8, PALETTERGB(0, 128, 0)}};
    for (const auto &row : rows) {
        DisplayDepth depth(row.depth);
        CPaletteBitmap sprite;
        ASSERT_TRUE(sprite.LoadBitmap(MAKEINTRESOURCE(kSprite), row.depth == 8, TestModule()))
            << row.name;
        EXPECT_EQ(sprite.GetPalette() != nullptr, row.depth == 8) << row.name;
        const std::unique_ptr<CPaletteBitmap> mask = BuildMask(sprite, row.key);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 23; ++x)
                ASSERT_EQ(Read(*mask, x, y), uint32_t(IsKey(x, y)))
                    << row.name << " at " << x << "," << y;

        // Three blits onto a random background: sprite XOR, mask AND, sprite
        // XOR. Under 1 bits the background stays; under 0 bits the sprite's
        // pixel shows.
        Surface work(40, 20, row.depth), s(sprite), m(*mask);
        std::mt19937 rng(11);
        for (int i = 0; i < 800; ++i)
            Write(work.bitmap, i % 40, i / 40, rng() & (row.depth == 8 ? 0xFF : 0xFFFFFF));
        const std::vector<uint32_t> before = Snapshot(work.bitmap), spritePixels = Snapshot(sprite);
        BitBlt(work.dc, 9, 7, 23, 9, s.dc, 0, 0, SRCINVERT);
        BitBlt(work.dc, 9, 7, 23, 9, m.dc, 0, 0, SRCAND);
        BitBlt(work.dc, 9, 7, 23, 9, s.dc, 0, 0, SRCINVERT);
        s.bitmap = m.bitmap = nullptr; // owned by the wrappers
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool sprited = x >= 9 && x < 32 && y >= 7 && y < 16 && !IsKey(x - 9, y - 7);
                ASSERT_EQ(Read(work.bitmap, x, y), sprited
                                                       ? spritePixels[size_t((y - 7) * 23 + x - 9)]
                                                       : before[size_t(y * 40 + x)])
                    << row.name << " at " << x << "," << y;
            }
    }
}

} // namespace
