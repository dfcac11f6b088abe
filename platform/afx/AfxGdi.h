// Framework wrappers over the drawing calls. Each operation forwards to
// exactly one call of platform/gdi/Gdi.h, as the original framework's
// wrappers do; objects own their handle and release it when destroyed.
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/win/WinTypes.h"

class CGdiObject {
  public:
    CGdiObject() = default;
    virtual ~CGdiObject(); // deletes the attached object, if any
    CGdiObject(const CGdiObject &) = delete;
    CGdiObject &operator=(const CGdiObject &) = delete;

    HGDIOBJ m_hObject = nullptr;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL Attach(HGDIOBJ object); // FALSE for null; the wrapper must be empty
    HGDIOBJ Detach();
    BOOL DeleteObject(); // deletes the object, keeps the wrapper (now empty)
    int GetObject(int size, LPVOID buffer) const;
};

class CBitmap : public CGdiObject {
  public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    // Loads an RT_BITMAP resource of the current resource module as a device
    // bitmap (LoadBitmapA); FALSE when nothing could be attached.
    BOOL LoadBitmap(LPCSTR resourceName);
    BOOL LoadBitmap(UINT resourceId);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits);
    BOOL CreateCompatibleBitmap(class CDC *dc, int width, int height);
    static CBitmap *FromHandle(HBITMAP bitmap); // a wrapper that does not own it
};

class CPalette : public CGdiObject {
  public:
    operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
    BOOL CreatePalette(const LOGPALETTE *logPalette);
    // A permanent wrapper for the handle, which it does not own. It stays valid
    // until the palette is deleted through DeleteObject.
    static CPalette *FromHandle(HPALETTE palette);
};

class CBrush : public CGdiObject {
  public:
    CBrush() = default;
    explicit CBrush(COLORREF colour); // a solid brush
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF colour);
};

class CDC {
  public:
    CDC() = default;
    virtual ~CDC(); // deletes a DC it still holds
    CDC(const CDC &) = delete;
    CDC &operator=(const CDC &) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    BOOL Attach(HDC dc);
    HDC Detach();
    static CDC *FromHandle(HDC dc); // a wrapper that does not own the DC

    BOOL CreateCompatibleDC(CDC *reference); // null reference: the screen
    BOOL CreateDC(LPCSTR driver, LPCSTR device, LPCSTR output, const void *initData);
    BOOL DeleteDC();

    CBitmap *SelectObject(CBitmap *bitmap); // returns the previous bitmap
    CBrush *SelectObject(CBrush *brush);
    CPalette *SelectPalette(CPalette *palette, BOOL forceBackground);
    UINT RealizePalette();

    BOOL BitBlt(int x, int y, int width, int height, CDC *source, int xSrc, int ySrc, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC *source, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, DWORD rop);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    void FillRect(LPCRECT rect, CBrush *brush);
    COLORREF SetBkColor(COLORREF colour);
    COLORREF SetTextColor(COLORREF colour);
    int SetStretchBltMode(int mode);
    int GetDeviceCaps(int index) const;
    BOOL DrawIcon(int x, int y, HICON icon); // DrawIconEx at the icon's size, DI_NORMAL
};
