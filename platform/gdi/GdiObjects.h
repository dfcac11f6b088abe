// Objects behind the drawing handles, shared by the files of this folder only.
#pragma once

#include "platform/gdi/Gdi.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace vxgdi {

enum class Kind : uint32_t { Bitmap = 1, Palette, Brush, Dc, Icon };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
    bool pendingDelete = false; // deleted while selected: goes when deselected
};

struct Dc;

// Largest pixel buffer a bitmap may have; larger requests fail instead of
// overflowing or exhausting memory.
constexpr uint64_t kMaxBitmapBytes = uint64_t(512) << 20;

// Pixels of at least this many bytes are mapped straight from the system, so
// that a screen-sized surface goes back to it the moment it is deleted and
// starts out as untouched zero pages.
constexpr uint64_t kMappedBitmapBytes = uint64_t(1) << 20;

// How a bitmap's pixels go when it does: freed, unmapped, or left to the
// owner who lent them (VxSetBitmapPixels).
struct FreeDeleter {
    enum class Source : uint8_t { Heap, Mapped, Borrowed };
    Source source = Source::Heap;
    size_t mappedBytes = 0;
    void operator()(uint8_t *p) const;
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    int width = 0, height = 0;
    int bpp = 1;       // storage: 1, 8 or 32
    size_t stride = 0; // bytes per row, rows top-down
    std::unique_ptr<uint8_t, FreeDeleter> bits;
    // A DIB section carries its own colour table (8 bpp) and is addressable
    // through GetObject's bmBits; device bitmaps at 8 bpp hold system palette
    // indices.
    bool dibSection = false;
    std::vector<RGBQUAD> table; // DIB sections at 8 bpp: 256 entries
    int tableUsed = 0;          // meaningful entries of `table`
    int sourceBitCount = 0;     // DIB sections: the bit count they were made with
    Dc *selectedIn = nullptr;

    uint8_t *Row(int y) const { return bits.get() + size_t(y) * stride; }
};

struct Palette : Object {
    Palette() : Object(Kind::Palette) {}
    std::vector<PALETTEENTRY> entries;
    std::vector<uint8_t> mapping; // logical entry -> system index once realised
    int selectCount = 0;
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    COLORREF colour = 0;
    int selectCount = 0;
};

enum class DcKind { Memory, Screen, Surface };

struct Dc : Object {
    Dc() : Object(Kind::Dc) {}
    DcKind dcKind = DcKind::Memory;
    Bitmap *bitmap = nullptr; // memory DC: selected bitmap; surface DC: its target
    Palette *palette = nullptr;
    Brush *brush = nullptr;
    bool foregroundPalette = false;
    COLORREF text = 0x000000, background = 0xFFFFFF;
    int stretchMode = BLACKONWHITE;
    RECT dirty{0, 0, 0, 0};

    Bitmap *Target() const; // the bitmap drawn into (the screen surface for the screen DC)
};

struct Icon : Object {
    Icon() : Object(Kind::Icon) {}
    bool isIcon = true;
    bool shared = false;
    DWORD xHotspot = 0, yHotspot = 0;
    Bitmap *mask = nullptr;   // 1 bpp, AND mask
    Bitmap *colour = nullptr; // display format, XOR image
};

// ---- registry of live objects ------------------------------------------------------
void Register(Object *object);
void Unregister(Object *object);
Object *Lookup(const void *handle);
template <class T> T *As(const void *handle, Kind kind) {
    Object *o = Lookup(handle);
    return o && o->kind == kind ? static_cast<T *>(o) : nullptr;
}
inline Bitmap *AsBitmap(const void *h) {
    return As<Bitmap>(h, Kind::Bitmap);
}
inline Palette *AsPalette(const void *h) {
    return As<Palette>(h, Kind::Palette);
}
inline Brush *AsBrush(const void *h) {
    return As<Brush>(h, Kind::Brush);
}
inline Dc *AsDc(const void *h) {
    return As<Dc>(h, Kind::Dc);
}
inline Icon *AsIcon(const void *h) {
    return As<Icon>(h, Kind::Icon);
}
// Deletes an object now (bitmaps, palettes, brushes, icons).
void Destroy(Object *object);

// A new bitmap with zeroed pixels; null when the size is out of bounds.
Bitmap *NewBitmap(int width, int height, int bpp);
Bitmap *StockBitmap();
Palette *StockPalette();

// ---- display and system palette ---------------------------------------------------------
bool PaletteDisplay(); // surfaces hold system palette indices
int DisplayBpp();      // storage of device bitmaps: 8 or 32
const RGBQUAD *SystemPalette();
// The nearest entry (squared RGB distance, first minimum, exact match wins).
int NearestIndex(const RGBQUAD *table, int count, uint32_t rgb);
int NearestIndex(const std::vector<PALETTEENTRY> &entries, uint32_t rgb);
int NearestStatic(uint32_t rgb); // one of the 20 static system entries

// ---- colours ---------------------------------------------------------------------------------
// 0x00RRGGBB from COLORREF-style 0x00BBGGRR and back.
constexpr uint32_t RgbOf(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF ColorrefOf(uint32_t rgb) {
    return RgbOf(rgb);
}
inline uint32_t RgbOf(const RGBQUAD &q) {
    return (uint32_t(q.rgbRed) << 16) | (uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
}
// The colour table of an 8 bpp bitmap (the system palette for device bitmaps).
const RGBQUAD *TableOf(const Bitmap *b, int *count);
// A COLORREF (plain, PALETTEINDEX or PALETTERGB) as a stored pixel value of
// `target`, in the context of `dc` (its palette).
uint32_t PixelOfColorref(const Dc *dc, const Bitmap *target, COLORREF colour);
// The colour (0x00RRGGBB) a stored pixel shows; mono pixels are black/white.
uint32_t RgbOfPixel(const Bitmap *b, uint32_t pixel);
// An RGB colour as a pixel of `target`, matched through `dc`'s palette on
// 8 bpp device bitmaps (the colour-to-colour rule of blits and SetDIBits).
uint32_t PixelOfRgb(const Dc *dc, const Bitmap *target, uint32_t rgb);

// Bytes readable from `p` when it points into a global memory block;
// SIZE_MAX when it does not (the caller then vouches for the size).
size_t BytesAvailableAt(const void *p);

// LoadImageA for IMAGE_BITMAP.
void *LoadImageBitmap(HINSTANCE module, LPCSTR name, UINT flags);

void AddDirty(Dc *dc, int left, int top, int right, int bottom);

} // namespace vxgdi
