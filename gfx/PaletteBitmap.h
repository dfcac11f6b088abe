// The saver's one bitmap class: 8-bit resources loaded through a logical
// palette built from their own colour table, bitmap files loaded by path, and
// (through the CBitmap operations) masks and screen-sized surfaces.
#pragma once

#include "platform/afx/AfxGdi.h"
#include "platform/win/WinTypes.h"

class CPaletteBitmap : public CBitmap {
  public:
    CPaletteBitmap();
    ~CPaletteBitmap() override;

    // `withPalette` selects the palette path (callers pass TRUE exactly on an
    // 8-bit display); `hInstance` is searched on that path only.
    BOOL LoadBitmap(LPCSTR name, BOOL withPalette, HINSTANCE hInstance);
    BOOL LoadFromFile(LPCSTR path);
    CPalette *GetPalette() const { return m_pPalette; }

    HGLOBAL m_hDib = nullptr;
    HPALETTE m_hPalette = nullptr;
    HBITMAP m_hBitmap = nullptr;
    CPalette *m_pPalette = nullptr;
    char m_szFileName[256] = {};

    // Internal steps, public for tests.
    BOOL LoadDibResource(HINSTANCE hInstance, LPCSTR name);
    BOOL CreateDeviceBitmap();
    BOOL ReadDibHeader(BITMAPINFOHEADER *header) const;
    HPALETTE CreateDibPalette();
    static WORD DibNumColors(const void *dib);
    static DWORD DibPaletteSize(const void *dib); // bytes of the colour table
    static const BYTE *DibBits(const void *dib);
};
