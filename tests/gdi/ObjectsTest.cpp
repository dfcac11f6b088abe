// Object rules of the drawing layer: DC defaults, selection, deletion,
// handle validation, display facts, global memory, surface DCs, icons, and
// the framework wrappers over them.
#include "platform/afx/AfxGdi.h"
#include "platform/afx/Resources.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

class DisplayDepth {
  public:
    explicit DisplayDepth(int bits) { VxSetDisplayDepth(bits); }
    ~DisplayDepth() { VxSetDisplayDepth(32); }
};

TEST(DeviceContexts, MemoryDcStartsWithTheDocumentedDefaults) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
    // Its bitmap is the 1x1 monochrome one: a compatible bitmap is monochrome.
    HBITMAP b = CreateCompatibleBitmap(dc, 5, 5);
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(b, sizeof bm, &bm), int(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    HBITMAP stock = static_cast<HBITMAP>(SelectObject(dc, b));
    GetObjectA(stock, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(SelectPalette(dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0),
              GetStockObject(DEFAULT_PALETTE));
    SelectObject(dc, stock);
    DeleteObject(b);
    DeleteDC(dc);
}

TEST(DeviceContexts, DisplayFactsFollowTheDepth) {
    struct Row {
        int depth, bitsPixel, numColors, sizePalette;
        bool paletteCaps;
    };
    const Row rows[] = {{32, 32, -1, 0, false}, {8, 8, 20, 256, true}, {4, 4, 16, 0, false}};
    for (const Row &row : rows) {
        DisplayDepth depth(row.depth);
        HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        HDC memory = CreateCompatibleDC(screen);
        for (HDC dc : {screen, memory}) {
            EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), row.bitsPixel) << row.depth;
            EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1) << row.depth;
            EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), row.numColors) << row.depth;
            EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), row.sizePalette) << row.depth;
            EXPECT_EQ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0, row.paletteCaps)
                << row.depth;
        }
        HBITMAP b = CreateCompatibleBitmap(screen, 3, 3);
        BITMAP bm{};
        GetObjectA(b, sizeof bm, &bm);
        EXPECT_EQ(bm.bmBitsPixel, row.depth == 32 ? 32 : 8) << row.depth;
        DeleteObject(b);
        DeleteDC(memory);
        DeleteDC(screen);
    }
    EXPECT_EQ(CreateDCA("PRINTER", nullptr, nullptr, nullptr), nullptr);
}

TEST(DeviceContexts, ABitmapSitsInAtMostOneDc) {
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = VxCreateDisplayBitmap(4, 4);
    HGDIOBJ oldA = SelectObject(a, bitmap);
    ASSERT_NE(oldA, nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr);
    EXPECT_EQ(SelectObject(a, oldA), bitmap) << "returns the previous bitmap";
    HGDIOBJ oldB = SelectObject(b, bitmap);
    EXPECT_NE(oldB, nullptr) << "free again after deselection";
    SelectObject(b, oldB);
    // The stock bitmap may sit in any number of DCs.
    EXPECT_EQ(SelectObject(a, oldB), oldA);
    DeleteDC(a);
    DeleteDC(b);
    DeleteObject(bitmap);
}

TEST(DeviceContexts, DeletingSelectedObjectsIsDeferredAndDeadHandlesFailCleanly) {
    const size_t before = VxLiveObjectCount();
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = VxCreateDisplayBitmap(4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
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
    HDC dead = dc;
    EXPECT_FALSE(DeleteDC(dead));
    EXPECT_FALSE(BitBlt(dead, 0, 0, 1, 1, dead, 0, 0, SRCCOPY));
    EXPECT_FALSE(PatBlt(dead, 0, 0, 1, 1, BLACKNESS));
    EXPECT_EQ(SelectObject(dead, oldBitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(&foreign));
    EXPECT_EQ(GetObjectA(&foreign, sizeof(BITMAP), nullptr), 0);
    EXPECT_EQ(GetPixel(dead, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetBkColor(reinterpret_cast<HDC>(&foreign), 0), CLR_INVALID);
    EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH))) << "stock objects stay";
    EXPECT_TRUE(VxIsLiveObject(GetStockObject(WHITE_BRUSH)));
}

TEST(Bitmaps, CreationSizesAndRecords) {
    struct Row {
        const char *name;
        int w, h;
        UINT planes, bpp;
        bool made;
        int wantW, wantH, wantBpp, wantWidthBytes;
    };
    const Row rows[] = {
        {"mask", 275, 200, 1, 1, true, 275, 200, 1, 36},
        {"negative sizes made positive", -3, -2, 1, 1, true, 3, 2, 1, 2},
        {"zero size: the stock bitmap", 0, 7, 1, 32, true, 1, 1, 1, 2},
        {"8 bpp", 5, 1, 1, 8, true, 5, 1, 8, 6},
        {"24 bpp stored as 32", 5, 1, 1, 24, true, 5, 1, 32, 20},
        {"two planes", 5, 5, 2, 1, false, 0, 0, 0, 0},
        {"too large", 100000, 100000, 1, 32, false, 0, 0, 0, 0},
        {"INT_MIN", INT_MIN, 1, 1, 1, false, 0, 0, 0, 0},
    };
    for (const Row &row : rows) {
        HBITMAP b = CreateBitmap(row.w, row.h, row.planes, row.bpp, nullptr);
        EXPECT_EQ(b != nullptr, row.made) << row.name;
        if (!b)
            continue;
        BITMAP bm{};
        EXPECT_EQ(GetObjectA(b, 0, nullptr), int(sizeof(BITMAP))) << row.name;
        ASSERT_EQ(GetObjectA(b, sizeof bm, &bm), int(sizeof(BITMAP))) << row.name;
        EXPECT_EQ(bm.bmWidth, row.wantW) << row.name;
        EXPECT_EQ(bm.bmHeight, row.wantH) << row.name;
        EXPECT_EQ(bm.bmBitsPixel, row.wantBpp) << row.name;
        EXPECT_EQ(bm.bmPlanes, 1) << row.name;
        EXPECT_EQ(bm.bmWidthBytes, row.wantWidthBytes) << row.name;
        EXPECT_EQ(bm.bmBits, nullptr) << row.name;
        DeleteObject(b);
    }
    // Initial bits come in WORD-aligned rows.
    const BYTE bits[4] = {0x80, 0x00, 0x40, 0x00};
    HBITMAP b = CreateBitmap(9, 2, 1, 1, bits);
    EXPECT_EQ(VxPixelColour(b, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(VxPixelColour(b, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(VxPixelColour(b, 1, 0), 0u);
    DeleteObject(b);
}

TEST(GlobalMemory, AllocateLockFree) {
    HGLOBAL m = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 100);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GlobalSize(m), 100u);
    auto *p = static_cast<BYTE *>(GlobalLock(m));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[99], 0);
    EXPECT_FALSE(GlobalUnlock(m)) << "lock count back to 0";
    EXPECT_EQ(GlobalFree(m), nullptr);
    EXPECT_EQ(GlobalSize(m), 0u);
    EXPECT_EQ(GlobalLock(m), nullptr);
    EXPECT_EQ(GlobalFree(m), m) << "a freed handle fails";
    EXPECT_EQ(GlobalAlloc(0, size_t(1) << 40), nullptr) << "refused, not attempted";
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
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(r.bottom, 50);
    EXPECT_FALSE(VxTakeDirtyRect(dc, &r)) << "reset by the previous call";
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP compatible = CreateCompatibleBitmap(dc, 2, 2);
    BITMAP bm{};
    GetObjectA(compatible, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_TRUE(VxDeleteSurfaceDC(dc));
    EXPECT_TRUE(VxIsLiveObject(backing));
    EXPECT_FALSE(VxDeleteSurfaceDC(memory)) << "only surface DCs";
    DeleteDC(memory);
    DeleteObject(compatible);
    DeleteObject(backing);
    EXPECT_FALSE(VxIsLiveObject(backing));
}

TEST(Surfaces, TheScreenDcDrawsIntoTheScreenSurface) {
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_TRUE(PatBlt(screen, 0, 0, 10, 10, WHITENESS)) << "no surface: nothing to draw";
    HBITMAP surface = VxCreateDisplayBitmap(8, 8);
    VxSetScreenSurface(surface);
    EXPECT_EQ(VxGetScreenSurface(), surface);
    SetPixel(screen, 3, 4, RGB(9, 8, 7));
    EXPECT_EQ(VxPixelColour(surface, 3, 4), RGB(9, 8, 7));
    DeleteObject(surface);
    EXPECT_EQ(VxGetScreenSurface(), nullptr) << "a deleted surface is no longer the screen";
    DeleteDC(screen);
}

// A 4x4 icon file: 24 bpp colours, AND mask with the left half transparent.
std::vector<BYTE> IconFile(bool cursor) {
    std::vector<BYTE> f = {0, 0, BYTE(cursor ? 2 : 1), 0, 1, 0};
    const size_t imageBytes = 40 + 4 * 12 + 4 * 4;
    const BYTE entry[16] = {
        4,  4, 0, 0, BYTE(cursor ? 1 : 1), 0, BYTE(cursor ? 2 : 24), 0, BYTE(imageBytes), 0, 0, 0,
        22, 0, 0, 0};
    f.insert(f.end(), entry, entry + 16);
    BYTE header[40] = {40, 0, 0, 0, 4, 0, 0, 0, 8, 0, 0, 0, 1, 0, 24, 0};
    f.insert(f.end(), header, header + 40);
    for (int row = 0; row < 4; ++row) // XOR rows, bottom-up: blue, green, red, white
        for (int x = 0; x < 4; ++x) {
            const BYTE px[3] = {BYTE(row == 0   ? 255
                                     : row == 3 ? 255
                                                : 0),
                                BYTE(row == 1 || row == 3 ? 255 : 0),
                                BYTE(row == 2 || row == 3 ? 255 : 0)};
            f.insert(f.end(), px, px + 3);
        }
    for (int row = 0; row < 4; ++row) { // AND rows: left two pixels transparent
        const BYTE m[4] = {0xC0, 0, 0, 0};
        f.insert(f.end(), m, m + 4);
    }
    return f;
}

TEST(Icons, DrawIconExMasksThenInverts) {
    static const std::vector<BYTE> ico = IconFile(false), cur = IconFile(true);
    static const ResourceEntry entries[] = {{RT_GROUP_ICON, 128, ico.data(), DWORD(ico.size())},
                                            {RT_GROUP_CURSOR, 129, cur.data(), DWORD(cur.size())}};
    static const ResourceModule module{entries, 2};
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
    HBITMAP target = VxCreateDisplayBitmap(6, 4);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            SetPixel(dc, x, y, RGB(0x10, 0x20, 0x30));
    SetTextColor(dc, RGB(1, 1, 1));
    ASSERT_TRUE(DrawIconEx(dc, 1, 0, small, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 1, 1)) << "colours restored";
    const COLORREF rows[4] = {RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            // Transparent (AND 1) where x - 1 is 0 or 1, outside the icon too;
            // there the XOR colour is inverted over the background.
            COLORREF want = RGB(0x10, 0x20, 0x30);
            if (x == 1 || x == 2)
                want = RGB(0x10, 0x20, 0x30) ^ rows[y];
            else if (x >= 3 && x <= 4)
                want = rows[y];
            ASSERT_EQ(GetPixel(dc, x, y), want) << x << "," << y;
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
    EXPECT_TRUE(DestroyIcon(small));
    EXPECT_FALSE(DestroyIcon(small));

    HICON cursor = static_cast<HICON>(LoadImageA(h, MAKEINTRESOURCE(129), IMAGE_CURSOR, 0, 0, 0));
    ASSERT_NE(cursor, nullptr);
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 1u);
    EXPECT_EQ(info.yHotspot, 2u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(cursor);
    EXPECT_EQ(LoadImageA(h, MAKEINTRESOURCE(128), IMAGE_CURSOR, 0, 0, 0), nullptr)
        << "an icon is not a cursor";
}

TEST(Framework, WrappersForwardAndReleaseOnce) {
    const size_t before = VxLiveObjectCount();
    {
        CDC screen;
        ASSERT_TRUE(screen.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
        CDC memory;
        ASSERT_TRUE(memory.CreateCompatibleDC(&screen));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 8, 8));
        EXPECT_FALSE(bitmap.CreateBitmap(2, 2, 1, 1, nullptr)) << "already holds a bitmap";
        CBitmap *old = memory.SelectObject(&bitmap);
        ASSERT_NE(old, nullptr);
        EXPECT_EQ(CBitmap::FromHandle(static_cast<HBITMAP>(old->m_hObject)), old)
            << "one wrapper per handle";
        CBrush brush(RGB(0, 0, 255));
        const RECT r{0, 0, 4, 4};
        memory.FillRect(&r, &brush);
        EXPECT_EQ(VxPixelColour(bitmap, 3, 3), RGB(0, 0, 255));
        EXPECT_EQ(VxPixelColour(bitmap, 4, 4), RGB(0, 0, 0));
        memory.SelectObject(old);
        EXPECT_EQ(memory.GetDeviceCaps(BITSPIXEL), 32);
        CPalette palette;
        BYTE storage[8] = {0, 3, 1, 0, 1, 2, 3, 0};
        ASSERT_TRUE(palette.CreatePalette(reinterpret_cast<LOGPALETTE *>(storage)));
        CPalette *wrapper = CPalette::FromHandle(palette);
        EXPECT_EQ(wrapper->m_hObject, palette.m_hObject);
        EXPECT_EQ(VxLiveObjectCount(), before + 5);
        EXPECT_TRUE(bitmap.DeleteObject());
        EXPECT_EQ(bitmap.m_hObject, nullptr);
        EXPECT_FALSE(bitmap.DeleteObject());
    }
    EXPECT_EQ(VxLiveObjectCount(), before);
}

} // namespace
