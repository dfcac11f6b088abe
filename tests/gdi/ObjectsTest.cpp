// Object rules of the drawing layer: DC defaults, selection, deletion,
// handle validation, display facts, global memory, surface DCs, icons, and
// the framework wrappers over them.
#include "platform/afx/AfxGdi.h"
#include "platform/afx/Resources.h"
#include "tests/gdi/GdiTestKit.h"

#include <gtest/gtest.h>

#include <climits>

using namespace gditest;

namespace {

int BitsOf(HBITMAP b) {
    BITMAP bm{};
    GetObjectA(b, sizeof bm, &bm);
    return bm.bmBitsPixel;
}

TEST(DeviceContexts, DefaultsAndTheOneDcPerBitmapRule) {
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetTextColor(a), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(a), RGB(255, 255, 255));
    EXPECT_EQ(GetStretchBltMode(a), BLACKONWHITE);
    HBITMAP compatible = CreateCompatibleBitmap(a, 5, 5);
    EXPECT_EQ(BitsOf(compatible), 1) << "a fresh memory DC holds the 1x1 monochrome bitmap";
    DeleteObject(compatible);
    EXPECT_EQ(SelectPalette(a, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0),
              GetStockObject(DEFAULT_PALETTE));

    HBITMAP bitmap = VxCreateDisplayBitmap(4, 4);
    HGDIOBJ stockA = SelectObject(a, bitmap);
    ASSERT_NE(stockA, nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr) << "already selected into a";
    EXPECT_EQ(SelectObject(a, stockA), bitmap) << "returns the previous bitmap";
    HGDIOBJ stockB = SelectObject(b, bitmap);
    EXPECT_NE(stockB, nullptr) << "free again after deselection";
    SelectObject(b, stockB);
    EXPECT_EQ(SelectObject(a, stockB), stockA) << "the stock bitmap sits in any number of DCs";
    DeleteDC(a);
    DeleteDC(b);
    DeleteObject(bitmap);
}

TEST(DeviceContexts, DeletingSelectedObjectsIsDeferredAndDeadHandlesFailCleanly) {
    const size_t before = VxLiveObjectCount();
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = VxCreateDisplayBitmap(4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap), oldBrush = SelectObject(dc, brush);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(VxIsLiveObject(bitmap)) << "still selected";
    EXPECT_TRUE(PatBlt(dc, 0, 0, 4, 4, PATCOPY));
    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldBrush);
    EXPECT_FALSE(VxIsLiveObject(bitmap));
    EXPECT_FALSE(VxIsLiveObject(brush));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(VxLiveObjectCount(), before);

    // Every call given a dead or foreign handle fails without touching memory.
    int foreign = 0;
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
    EXPECT_EQ(SelectObject(dc, oldBitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(&foreign));
    EXPECT_EQ(GetObjectA(&foreign, sizeof(BITMAP), nullptr), 0);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetBkColor(reinterpret_cast<HDC>(&foreign), 0), CLR_INVALID);
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH))) << "stock objects stay";
    EXPECT_TRUE(VxIsLiveObject(GetStockObject(WHITE_BRUSH)));
}

TEST(Bitmaps, CreationSizesAndRecords) {
    struct Row {
        const char *name;
        int w, h;
        UINT planes, bpp;
        int wantW, wantH, wantBpp, wantWidthBytes; // wantW 0: refused
    } const rows[] = {
        {"mask", 275, 200, 1, 1, 275, 200, 1, 36},
        {"negative sizes made positive", -3, -2, 1, 1, 3, 2, 1, 2},
        {"zero size: the stock bitmap", 0, 7, 1, 32, 1, 1, 1, 2},
        {"8 bpp", 5, 1, 1, 8, 5, 1, 8, 6},
        {"24 bpp stored as 32", 5, 1, 1, 24, 5, 1, 32, 20},
        {"two planes", 5, 5, 2, 1, 0, 0, 0, 0},
        {"too large", 100000, 100000, 1, 32, 0, 0, 0, 0},
        {"INT_MIN", INT_MIN, 1, 1, 1, 0, 0, 0, 0},
    };
    for (const Row &row : rows) {
        HBITMAP b = CreateBitmap(row.w, row.h, row.planes, row.bpp, nullptr);
        EXPECT_EQ(b != nullptr, row.wantW != 0) << row.name;
        if (!b)
            continue;
        BITMAP bm{};
        EXPECT_EQ(GetObjectA(b, 0, nullptr), int(sizeof(BITMAP))) << row.name;
        ASSERT_EQ(GetObjectA(b, sizeof bm, &bm), int(sizeof(BITMAP))) << row.name;
        // width, height, bits per pixel, planes, bytes a row, whether it has bits
        EXPECT_EQ((std::vector<long>{bm.bmWidth, bm.bmHeight, bm.bmBitsPixel, bm.bmPlanes,
                                     bm.bmWidthBytes, bm.bmBits != nullptr}),
                  (std::vector<long>{row.wantW, row.wantH, row.wantBpp, 1, row.wantWidthBytes, 0}))
            << row.name;
        DeleteObject(b);
    }
    // Initial bits come in WORD-aligned rows.
    const BYTE bits[4] = {0x80, 0x00, 0x40, 0x00};
    Surface s(CreateBitmap(9, 2, 1, 1, bits));
    const std::vector<uint32_t> px = Snapshot(s.bitmap);
    EXPECT_EQ(px[0], 1u);
    EXPECT_EQ(px[1], 0u);
    EXPECT_EQ(px[9 + 1], 1u);
}

TEST(Surfaces, SurfaceDcsReportWhatWasDrawnAndLeaveTheBitmap) {
    HBITMAP backing = VxCreateDisplayBitmap(100, 50);
    HDC dc = VxCreateSurfaceDC(backing);
    ASSERT_NE(dc, nullptr);
    RECT r;
    EXPECT_FALSE(VxTakeDirtyRect(dc, &r));
    PatBlt(dc, 10, 5, 4, 4, WHITENESS);
    PatBlt(dc, 90, 40, 30, 30, WHITENESS); // clipped to the surface
    PatBlt(dc, 500, 500, 3, 3, WHITENESS); // outside: nothing drawn
    ASSERT_TRUE(VxTakeDirtyRect(dc, &r));
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
              (std::vector<LONG>{10, 5, 100, 50}));
    EXPECT_FALSE(VxTakeDirtyRect(dc, &r)) << "reset by the previous call";
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP compatible = CreateCompatibleBitmap(dc, 2, 2);
    EXPECT_EQ(BitsOf(compatible), 32);
    EXPECT_TRUE(VxDeleteSurfaceDC(dc));
    EXPECT_TRUE(VxIsLiveObject(backing));
    EXPECT_FALSE(VxDeleteSurfaceDC(memory)) << "only surface DCs";
    DeleteDC(memory);
    DeleteObject(compatible);
    DeleteObject(backing);
    EXPECT_FALSE(VxIsLiveObject(backing));
}

// A 4x4 24-bpp icon file: rows white, red, green, blue from the top; the
// AND mask makes the two left columns transparent.
Bytes IconFile() {
    Bytes f(22 + 40, 0);
    Put(f, 2, 1, 2), Put(f, 4, 1, 2), f[6] = f[7] = 4;
    Put(f, 10, 1, 2), Put(f, 12, 24, 2), Put(f, 14, 40 + 48 + 16), Put(f, 18, 22);
    Put(f, 22, 40), Put(f, 26, 4), Put(f, 30, 8), Put(f, 34, 1, 2), Put(f, 36, 24, 2);
    for (uint32_t c : {0x0000FFu, 0x00FF00u, 0xFF0000u, 0xFFFFFFu}) // bottom-up
        for (int x = 0; x < 4; ++x)
            f.insert(f.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    for (int row = 0; row < 4; ++row)
        f.insert(f.end(), {0xC0, 0, 0, 0});
    return f;
}

TEST(Icons, LoadSharingAndDrawIconEx) {
    static const Bytes ico = IconFile();
    static const ResourceEntry entries[] = {{RT_GROUP_ICON, 128, ico.data(), DWORD(ico.size())}};
    static const ResourceModule module{entries, 1};
    HINSTANCE h = VxModuleHandle(&module);
    HICON icon = LoadIconA(h, MAKEINTRESOURCE(128));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(h, MAKEINTRESOURCE(128)), icon) << "shared";
    EXPECT_TRUE(DestroyIcon(icon));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info)) << "a shared icon survives DestroyIcon";
    BITMAP bm{};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32) << "LoadIcon gives the system icon size";
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);

    HICON small = static_cast<HICON>(LoadImageA(h, MAKEINTRESOURCE(128), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(small, nullptr);
    Surface target(6, 4, 32);
    const COLORREF back = RGB(0x10, 0x20, 0x30);
    for (int i = 0; i < 24; ++i)
        SetPixel(target.dc, i % 6, i / 6, back);
    SetTextColor(target.dc, RGB(1, 1, 1));
    ASSERT_TRUE(DrawIconEx(target.dc, 1, 0, small, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetTextColor(target.dc), RGB(1, 1, 1)) << "colours restored";
    const COLORREF rows[4] = {RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            // Where the mask is 1 (icon columns 0 and 1) the colour inverts the
            // background; where it is 0 the colour replaces it.
            const COLORREF want = x == 1 || x == 2   ? back ^ rows[y]
                                  : x == 3 || x == 4 ? rows[y]
                                                     : back;
            ASSERT_EQ(GetPixel(target.dc, x, y), want) << x << "," << y;
        }
    EXPECT_TRUE(DestroyIcon(small));
    EXPECT_FALSE(DestroyIcon(small));
}

TEST(Framework, ACreateOnAWrapperThatHoldsAnObjectFailsWithoutLeaking) {
    const size_t before = VxLiveObjectCount();
    const VxLiveGdiCounts kinds = VxLiveGdiObjects();
    {
        CDC screen;
        ASSERT_TRUE(screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 8, 8));
        EXPECT_FALSE(bitmap.CreateBitmap(2, 2, 1, 1, nullptr)) << "already holds a bitmap";
        EXPECT_EQ(VxLiveObjectCount(), before + 2);
        const VxLiveGdiCounts live = VxLiveGdiObjects();
        EXPECT_EQ(live.dcs - kinds.dcs, 1u);
        EXPECT_EQ(live.bitmaps - kinds.bitmaps, 1u);
        EXPECT_EQ(live.brushes + live.palettes, kinds.brushes + kinds.palettes);
    }
    EXPECT_EQ(VxLiveObjectCount(), before);
}

} // namespace
