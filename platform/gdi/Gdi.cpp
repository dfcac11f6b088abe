// Temporary definitions so that the declarations link; replaced step by step.
#include "platform/gdi/Gdi.h"

HDC CreateCompatibleDC(HDC) {
    return nullptr;
}
HDC CreateDCA(LPCSTR, LPCSTR, LPCSTR, const void *) {
    return nullptr;
}
BOOL DeleteDC(HDC) {
    return FALSE;
}
HGDIOBJ SelectObject(HDC, HGDIOBJ) {
    return nullptr;
}
BOOL DeleteObject(HGDIOBJ) {
    return FALSE;
}
int GetObjectA(HGDIOBJ, int, LPVOID) {
    return 0;
}
HGDIOBJ GetStockObject(int) {
    return nullptr;
}
HBITMAP CreateBitmap(int, int, UINT, UINT, const void *) {
    return nullptr;
}
HBITMAP CreateCompatibleBitmap(HDC, int, int) {
    return nullptr;
}
int SetDIBits(HDC, HBITMAP, UINT, UINT, const void *, const BITMAPINFO *, UINT) {
    return 0;
}
HPALETTE CreatePalette(const LOGPALETTE *) {
    return nullptr;
}
HPALETTE SelectPalette(HDC, HPALETTE, BOOL) {
    return nullptr;
}
UINT RealizePalette(HDC) {
    return 0;
}
UINT GetPaletteEntries(HPALETTE, UINT, UINT, PALETTEENTRY *) {
    return 0;
}
UINT GetNearestPaletteIndex(HPALETTE, COLORREF) {
    return 0;
}
BOOL BitBlt(HDC, int, int, int, int, HDC, int, int, DWORD) {
    return FALSE;
}
BOOL StretchBlt(HDC, int, int, int, int, HDC, int, int, int, int, DWORD) {
    return FALSE;
}
BOOL PatBlt(HDC, int, int, int, int, DWORD) {
    return FALSE;
}
int FillRect(HDC, const RECT *, HBRUSH) {
    return 0;
}
HBRUSH CreateSolidBrush(COLORREF) {
    return nullptr;
}
COLORREF SetBkColor(HDC, COLORREF) {
    return CLR_INVALID;
}
COLORREF SetTextColor(HDC, COLORREF) {
    return CLR_INVALID;
}
COLORREF GetBkColor(HDC) {
    return CLR_INVALID;
}
COLORREF GetTextColor(HDC) {
    return CLR_INVALID;
}
int SetStretchBltMode(HDC, int) {
    return 0;
}
int GetStretchBltMode(HDC) {
    return 0;
}
int GetDeviceCaps(HDC, int) {
    return 0;
}
COLORREF GetPixel(HDC, int, int) {
    return CLR_INVALID;
}
COLORREF SetPixel(HDC, int, int, COLORREF) {
    return CLR_INVALID;
}
HGLOBAL GlobalAlloc(UINT, size_t) {
    return nullptr;
}
LPVOID GlobalLock(HGLOBAL) {
    return nullptr;
}
BOOL GlobalUnlock(HGLOBAL) {
    return FALSE;
}
HGLOBAL GlobalFree(HGLOBAL m) {
    return m;
}
size_t GlobalSize(HGLOBAL) {
    return 0;
}
HBITMAP LoadBitmapA(HINSTANCE, LPCSTR) {
    return nullptr;
}
void *LoadImageA(HINSTANCE, LPCSTR, UINT, int, int, UINT) {
    return nullptr;
}
HICON LoadIconA(HINSTANCE, LPCSTR) {
    return nullptr;
}
BOOL DestroyIcon(HICON) {
    return FALSE;
}
BOOL DrawIconEx(HDC, int, int, HICON, int, int, UINT, HBRUSH, UINT) {
    return FALSE;
}
BOOL GetIconInfo(HICON, ICONINFO *) {
    return FALSE;
}
void VxSetDisplayDepth(int) {}
int VxGetDisplayDepth() {
    return 32;
}
void VxGetSystemPalette(RGBQUAD out[256]) {
    for (int i = 0; i < 256; ++i)
        out[i] = RGBQUAD{0, 0, 0, 0};
}
void VxResetSystemPalette() {}
void VxSetScreenSurface(HBITMAP) {}
HBITMAP VxGetScreenSurface() {
    return nullptr;
}
HDC VxCreateSurfaceDC(HBITMAP) {
    return nullptr;
}
BOOL VxDeleteSurfaceDC(HDC) {
    return FALSE;
}
BOOL VxTakeDirtyRect(HDC, RECT *r) {
    if (r)
        *r = RECT{0, 0, 0, 0};
    return FALSE;
}
BOOL VxGetBitmapView(HBITMAP, VxBitmapView *) {
    return FALSE;
}
COLORREF VxPixelColour(HBITMAP, int, int) {
    return CLR_INVALID;
}
BOOL VxIsLiveObject(const void *) {
    return FALSE;
}
size_t VxLiveObjectCount() {
    return 0;
}
