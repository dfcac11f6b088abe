// The drawing calls of the window system, in software: surfaces, device
// contexts, block transfers, palettes, bitmap loading, icons and global
// memory. Names, argument order and results follow the original platform so
// that the saver's code reads the same; everything is plain C++.
//
// Surfaces come in three formats: 1 bpp (monochrome, leftmost pixel in the
// most significant bit), 8 bpp (indices into a colour table: the system
// palette for device bitmaps on an 8-bit display, the file's table for DIB
// sections) and 32 bpp (0x00RRGGBB, the top byte always 0).
//
// Handles are pointers to objects of this layer. Every call validates the
// handles it receives: a null, foreign or deleted handle fails cleanly.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// ---- device contexts -----------------------------------------------------------
// A memory DC compatible with `reference` (null: the screen). It starts with the
// stock 1x1 monochrome bitmap, black text, white background, the default
// palette and the BLACKONWHITE stretch mode.
HDC CreateCompatibleDC(HDC reference);
// "DISPLAY" gives a DC over the screen surface; any other driver fails.
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const void *initData);
BOOL DeleteDC(HDC dc); // deselects, never deletes, the DC's objects

// Bitmaps and brushes. Returns the previous object of that kind, null on
// failure (a bitmap already selected in another DC, a bitmap whose format the
// DC cannot hold, a palette: those go through SelectPalette).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// A selected object is deleted when it is deselected; stock objects are kept.
BOOL DeleteObject(HGDIOBJ object);
// Fills a BITMAP record for a bitmap (size >= sizeof(BITMAP); a null buffer
// asks for the size), a WORD for a palette (its entry count).
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int DEFAULT_PALETTE = 15;
HGDIOBJ GetStockObject(int index);

// ---- bitmaps ---------------------------------------------------------------------
// planes must be 1; bpp rounds up to 1, 8 or 32 (8 bpp holds palette indices).
// `bits` holds rows of WORD-aligned bytes, top-down; without bits the bitmap
// is all zeros.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits);
// A bitmap in the DC's format: display format for the screen and window DCs,
// the selected bitmap's format for a memory DC. A zero size gives the stock
// 1x1 monochrome bitmap.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// Converts DIB rows into a bitmap. DIB_RGB_COLORS: each colour is matched to
// the destination format (on an 8-bit display through the palette selected
// and realised in `dc`). Returns the number of lines written, 0 on failure.
int SetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT lines, const void *bits,
              const BITMAPINFO *info, UINT usage);

// ---- palettes --------------------------------------------------------------------
HPALETTE CreatePalette(const LOGPALETTE *logPalette);
// Selects a logical palette (null selects nothing and returns null); returns
// the previous one. A foreground selection makes it the one RealizePalette
// maps first into the system palette.
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
// Maps the selected palette into the system palette (8-bit display only);
// returns the number of entries mapped.
UINT RealizePalette(HDC dc);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY *entries);
UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);

// ---- drawing ---------------------------------------------------------------------
// A ternary raster operation on the stored pixel values. The source is
// converted to the destination's format first: colour to monochrome through
// the source DC's background colour, monochrome to colour through the
// destination DC's text (0) and background (1) colours, colour to colour
// through the palettes. Both rectangles are clipped to their surfaces.
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int xSrc, int ySrc,
            DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop);
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
int FillRect(HDC dc, const RECT *rect, HBRUSH brush); // right and bottom excluded
HBRUSH CreateSolidBrush(COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF GetBkColor(HDC dc);
COLORREF GetTextColor(HDC dc);
int SetStretchBltMode(HDC dc, int mode); // returns the previous mode, 0 on failure
int GetStretchBltMode(HDC dc);
int GetDeviceCaps(HDC dc, int index);    // BITSPIXEL, PLANES, NUMCOLORS, RASTERCAPS, SIZEPALETTE
COLORREF GetPixel(HDC dc, int x, int y); // CLR_INVALID outside the surface
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);

// ---- global memory ---------------------------------------------------------------
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
HGLOBAL GlobalFree(HGLOBAL memory); // null on success, the handle on failure
size_t GlobalSize(HGLOBAL memory);

// ---- loading -----------------------------------------------------------------------
// An RT_BITMAP resource (a packed DIB) as a bitmap in display format.
HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name);
// IMAGE_BITMAP with LR_LOADFROMFILE: a DIB section read from a bitmap file
// (malformed files give null). IMAGE_ICON / IMAGE_CURSOR: from the module's
// RT_GROUP_ICON / RT_GROUP_CURSOR resources, the image closest to cx x cy
// (0: the system icon size, or the file's first image with LR_DEFAULTSIZE).
void *LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags);
HICON LoadIconA(HINSTANCE module, LPCSTR name); // shared: DestroyIcon ignores it
BOOL DestroyIcon(HICON icon);
// DI_NORMAL: the AND mask with SRCAND, then the image with SRCINVERT; cx/cy 0
// draw at the icon's own size.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker,
                UINT flags);
struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot, yHotspot;
    HBITMAP hbmMask, hbmColor;
};
// Copies of the icon's bitmaps; the caller deletes both.
BOOL GetIconInfo(HICON icon, ICONINFO *info);
// The picture an icon or cursor shows, with its transparency: 0xAARRGGBB,
// rows top-down, *width x *height. A pixel that inverts the screen comes
// out as a solid colour (the inverse of its image's). Empty for null or a
// handle that is not an icon. For the window systems' own icon objects.
std::vector<uint32_t> VxIconArgb(HICON icon, int *width, int *height);

// ---- extensions for the window-system layer, tests and tools ----------------------
// Display depth: 32 (default), 8 (palette device: device bitmaps and window
// surfaces hold system palette indices) or 4 (reports 4 bits per pixel; its
// surfaces are the 8-bit ones). Set once at start-up, before any bitmap.
void VxSetDisplayDepth(int bits);
int VxGetDisplayDepth();
// The 256-entry system palette of the 8-bit display (20 static colours at
// 0-9 and 246-255 plus whatever palettes were realised).
void VxGetSystemPalette(RGBQUAD out[256]);
// Back to the 20 static colours and free entries (black) in between.
void VxResetSystemPalette();

// The screen: a display-format bitmap that the screen DC reads and writes.
// The layer does not own it; null means an empty screen.
void VxSetScreenSurface(HBITMAP surface);
HBITMAP VxGetScreenSurface();
// The screen's picture on demand: while no screen surface is set, the first
// drawing call that reads or writes the screen through a screen DC calls the
// provider, which may set one. It is called at most once: it is cleared
// before the call. Making a screen DC, asking its device caps or making
// bitmaps compatible with it never calls it.
using VxScreenProvider = void (*)();
void VxSetScreenProvider(VxScreenProvider provider);

// Points a 32 bpp bitmap at pixels lent by their owner (rows top-down,
// `stride` bytes apart, a multiple of 4 and at least 4 * width), or, with
// null `pixels`, gives it zeroed pixels of its own of that size. Lent pixels
// are never freed here; the owner keeps them alive as long as the bitmap
// points at them. Window surfaces use it to draw straight into the image
// the toolkit presents, and the screen into its grabbed picture.
BOOL VxSetBitmapPixels(HBITMAP bitmap, BYTE *pixels, int width, int height, int stride);

// A bitmap in display format of any size, empty included (window backing
// surfaces and the screen surface).
HBITMAP VxCreateDisplayBitmap(int width, int height);

// A DC over a window's backing bitmap, with the screen's display facts.
HDC VxCreateSurfaceDC(HBITMAP target);
BOOL VxDeleteSurfaceDC(HDC dc); // leaves the bitmap alone
// The bounding rectangle of everything drawn into the DC since the last call
// (empty when nothing was); resets it. FALSE when nothing was drawn.
BOOL VxTakeDirtyRect(HDC dc, RECT *rect);

// Direct pixel access: rows top-down, `stride` bytes apart. For 8 bpp the
// colour table is `colors` (`colorCount` entries): the system palette for
// device bitmaps on an 8-bit display, the file's table for DIB sections.
struct VxBitmapView {
    int width, height, bitsPixel, stride;
    BYTE *pixels;
    const RGBQUAD *colors;
    int colorCount;
};
BOOL VxGetBitmapView(HBITMAP bitmap, VxBitmapView *view);
// The colour a stored pixel of the bitmap shows (0x00BBGGRR), for tests.
COLORREF VxPixelColour(HBITMAP bitmap, int x, int y);
// Whether a handle names a live object of this layer (tests of release).
BOOL VxIsLiveObject(const void *handle);
// The number of live GDI objects (bitmaps, palettes, brushes, DCs), stock
// objects excluded; tests use it to find leaks.
size_t VxLiveObjectCount();
// The same by kind, for leak checks of one kind and long-running soak runs.
struct VxLiveGdiCounts {
    size_t bitmaps = 0, palettes = 0, brushes = 0, dcs = 0, icons = 0;
};
VxLiveGdiCounts VxLiveGdiObjects();

// Called with the handle of every object (bitmap, palette, brush, DC) just
// before it goes, so that wrappers holding it can let go.
using VxObjectDeletedHook = void (*)(const void *handle);
void VxSetObjectDeletedHook(VxObjectDeletedHook hook);

// Test hook: the call after `successes` further successful ones fails once
// (GlobalAlloc, CreatePalette, or any bitmap allocation); -1 disarms it.
enum class VxFailPoint { GlobalAlloc, CreatePalette, CreateBitmap };
void VxFailAfter(VxFailPoint point, int successes);
