// Object lifetimes, device contexts, palettes, the display and global memory.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/SysMemory.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <strings.h>
#include <unordered_set>

namespace vxgdi {

namespace {

std::unordered_set<const void *> &Live() {
    static std::unordered_set<const void *> live;
    return live;
}
size_t g_liveCount = 0;      // non-stock objects
size_t g_liveByKind[6] = {}; // the same, by Kind
VxObjectDeletedHook g_deletedHook = nullptr;

int g_displayDepth = 32;
Bitmap *g_screen = nullptr; // not owned
VxScreenProvider g_screenProvider = nullptr;

// The 20 static colours, 0-9 then 246-255, as complementary pairs i <-> 255-i.
constexpr uint32_t kStaticLow[10] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                     0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
constexpr uint32_t kStaticHigh[10] = {0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                      0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

RGBQUAD Quad(uint32_t rgb) {
    return RGBQUAD{BYTE(rgb), BYTE(rgb >> 8), BYTE(rgb >> 16), 0};
}

struct SystemPaletteState {
    RGBQUAD colours[256];
    bool used[256]; // static entries and entries taken by a realised palette
    SystemPaletteState() { Reset(); }
    void Reset() {
        for (int i = 0; i < 256; ++i) {
            colours[i] = RGBQUAD{0, 0, 0, 0};
            used[i] = false;
        }
        for (int i = 0; i < 10; ++i) {
            colours[i] = Quad(kStaticLow[i]);
            colours[246 + i] = Quad(kStaticHigh[i]);
            used[i] = used[246 + i] = true;
        }
    }
    static bool IsStatic(int i) { return i < 10 || i >= 246; }
};

SystemPaletteState &Sys() {
    static SystemPaletteState s;
    return s;
}

bool InjectFailure(VxFailPoint point);

} // namespace

void Register(Object *object) {
    Live().insert(object);
    if (!object->stock) {
        ++g_liveCount;
        ++g_liveByKind[size_t(object->kind)];
    }
}

void Unregister(Object *object) {
    if (Live().erase(object) && !object->stock) {
        --g_liveCount;
        --g_liveByKind[size_t(object->kind)];
    }
}

Object *Lookup(const void *handle) {
    if (!handle || !Live().count(handle))
        return nullptr;
    return static_cast<Object *>(const_cast<void *>(handle));
}

void Destroy(Object *object) {
    if (!object || object->stock)
        return;
    Unregister(object);
    if (g_deletedHook)
        g_deletedHook(object);
    if (object->kind == Kind::Bitmap && static_cast<Bitmap *>(object) == g_screen)
        g_screen = nullptr;
    if (object->kind == Kind::Icon) {
        auto *icon = static_cast<Icon *>(object);
        Destroy(icon->mask);
        Destroy(icon->colour);
    }
    delete object;
}

Bitmap *NewBitmap(int width, int height, int bpp) {
    if (width < 0 || height < 0 || (bpp != 1 && bpp != 8 && bpp != 32))
        return nullptr;
    uint64_t stride;
    if (bpp == 1)
        stride = ((uint64_t(width) + 15) / 16) * 2; // WORD-aligned rows
    else if (bpp == 8)
        stride = ((uint64_t(width) + 3) / 4) * 4;
    else
        stride = uint64_t(width) * 4;
    const uint64_t bytes = stride * uint64_t(height);
    if (bytes > kMaxBitmapBytes)
        return nullptr;
    if (InjectFailure(VxFailPoint::CreateBitmap))
        return nullptr;
    FreeDeleter release;
    void *mem = nullptr;
    if (bytes >= kMappedBitmapBytes) {
        // Fresh mapped pages are zero already and cost nothing until drawn on.
        const size_t mapped = size_t(bytes);
        mem = vxsys::AllocPages(mapped);
        if (!mem)
            return nullptr;
        release.source = FreeDeleter::Source::Mapped;
        release.mappedBytes = mapped;
    } else {
        // Rows start on 64-byte boundaries when the stride allows, which keeps
        // the blit loops on whole cache lines.
        mem = vxsys::AllocAligned(64, size_t(std::max<uint64_t>(64, bytes)));
        if (!mem)
            return nullptr;
        std::memset(mem, 0, bytes);
    }
    auto *b = new Bitmap;
    b->width = width;
    b->height = height;
    b->bpp = bpp;
    b->stride = size_t(stride);
    b->bits = std::unique_ptr<uint8_t, FreeDeleter>(static_cast<uint8_t *>(mem), release);
    Register(b);
    return b;
}

Bitmap *StockBitmap() {
    static Bitmap *stock = [] {
        auto *b = new Bitmap;
        b->stock = true;
        b->width = b->height = 1;
        b->bpp = 1;
        b->stride = 2;
        b->bits.reset(static_cast<uint8_t *>(std::calloc(1, 64)));
        Register(b);
        return b;
    }();
    return stock;
}

Palette *StockPalette() {
    static Palette *stock = [] {
        auto *p = new Palette;
        p->stock = true;
        for (int i = 0; i < 20; ++i) {
            const uint32_t c = i < 10 ? kStaticLow[i] : kStaticHigh[i - 10];
            p->entries.push_back(PALETTEENTRY{BYTE(c >> 16), BYTE(c >> 8), BYTE(c), 0});
            p->mapping.push_back(uint8_t(i < 10 ? i : 236 + i));
        }
        Register(p);
        return p;
    }();
    return stock;
}

Brush *StockBrush(COLORREF colour) {
    static Brush *white = [] {
        auto *b = new Brush;
        b->stock = true;
        b->colour = 0xFFFFFF;
        Register(b);
        return b;
    }();
    static Brush *black = [] {
        auto *b = new Brush;
        b->stock = true;
        b->colour = 0;
        Register(b);
        return b;
    }();
    return colour ? white : black;
}

bool PaletteDisplay() {
    return g_displayDepth <= 8;
}
int DisplayBpp() {
    return PaletteDisplay() ? 8 : 32;
}
const RGBQUAD *SystemPalette() {
    return Sys().colours;
}

int NearestIndex(const RGBQUAD *table, int count, uint32_t rgb) {
    const int r = int(rgb >> 16) & 0xFF, g = int(rgb >> 8) & 0xFF, b = int(rgb) & 0xFF;
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < count; ++i) {
        const int dr = table[i].rgbRed - r, dg = table[i].rgbGreen - g, db = table[i].rgbBlue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0)
                break;
        }
    }
    return best;
}

int NearestIndex(const std::vector<PALETTEENTRY> &entries, uint32_t rgb) {
    const int r = int(rgb >> 16) & 0xFF, g = int(rgb >> 8) & 0xFF, b = int(rgb) & 0xFF;
    int best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int dr = entries[i].peRed - r, dg = entries[i].peGreen - g,
                  db = entries[i].peBlue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = int(i);
            if (d == 0)
                break;
        }
    }
    return best;
}

int NearestStatic(uint32_t rgb) {
    RGBQUAD statics[20];
    for (int i = 0; i < 10; ++i) {
        statics[i] = Quad(kStaticLow[i]);
        statics[10 + i] = Quad(kStaticHigh[i]);
    }
    const int i = NearestIndex(statics, 20, rgb);
    return i < 10 ? i : 236 + i;
}

const RGBQUAD *TableOf(const Bitmap *b, int *count) {
    if (b->bpp == 8 && b->dibSection) {
        *count = int(b->table.size());
        return b->table.data();
    }
    *count = 256;
    return Sys().colours;
}

namespace {

// The system index a logical palette entry shows: its realised slot, or the
// nearest system colour while the palette has not been realised.
int SystemIndexOf(const Palette *p, int entry) {
    if (entry < 0 || size_t(entry) >= p->entries.size())
        entry = 0;
    if (size_t(entry) < p->mapping.size())
        return p->mapping[size_t(entry)];
    const PALETTEENTRY &e = p->entries[size_t(entry)];
    return NearestIndex(Sys().colours, 256,
                        (uint32_t(e.peRed) << 16) | (uint32_t(e.peGreen) << 8) | e.peBlue);
}

uint32_t EntryRgb(const Palette *p, size_t i) {
    if (p->entries.empty())
        return 0;
    if (i >= p->entries.size())
        i = 0;
    const PALETTEENTRY &e = p->entries[i];
    return (uint32_t(e.peRed) << 16) | (uint32_t(e.peGreen) << 8) | e.peBlue;
}

const Palette *PaletteOf(const Dc *dc) {
    return dc && dc->palette ? dc->palette : StockPalette();
}

} // namespace

uint32_t PixelOfColorref(const Dc *dc, const Bitmap *target, COLORREF colour) {
    const Palette *pal = PaletteOf(dc);
    const uint32_t kind = colour >> 24;
    uint32_t rgb = RgbOf(colour & 0xFFFFFF);
    if (kind == 0x01)
        rgb = EntryRgb(pal, colour & 0xFFFF);
    switch (target->bpp) {
    case 32:
        return rgb;
    case 1:
        // Exact black and white are the two pixels; any other colour is white
        // when it is the DC's background and black otherwise.
        if (rgb == 0)
            return 0;
        if (rgb == 0xFFFFFF)
            return 1;
        return dc && RgbOf(dc->background & 0xFFFFFF) == rgb ? 1 : 0;
    default:
        if (target->dibSection)
            return uint32_t(NearestIndex(target->table.data(), int(target->table.size()), rgb));
        // A device bitmap holds system indices: palette-relative colours go
        // through the DC's logical palette to the realised index, plain colours
        // to the nearest static colour.
        if (kind == 0x01)
            return uint32_t(SystemIndexOf(pal, int(colour & 0xFFFF)));
        if (kind == 0x02)
            return uint32_t(SystemIndexOf(pal, NearestIndex(pal->entries, rgb)));
        return uint32_t(NearestStatic(rgb));
    }
}

uint32_t RgbOfPixel(const Bitmap *b, uint32_t pixel) {
    switch (b->bpp) {
    case 32:
        return pixel & 0xFFFFFF;
    case 1:
        return pixel ? 0xFFFFFF : 0;
    default: {
        int count = 0;
        const RGBQUAD *t = TableOf(b, &count);
        return int(pixel) < count ? RgbOf(t[pixel]) : 0;
    }
    }
}

uint32_t PixelOfRgb(const Dc *dc, const Bitmap *target, uint32_t rgb) {
    switch (target->bpp) {
    case 32:
        return rgb;
    case 1: {
        // The nearer of black and white (ties go to black).
        const int r = int(rgb >> 16) & 0xFF, g = int(rgb >> 8) & 0xFF, b = int(rgb) & 0xFF;
        const int toBlack = r * r + g * g + b * b;
        const int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
        return toWhite < toBlack ? 1 : 0;
    }
    default:
        if (target->dibSection)
            return uint32_t(NearestIndex(target->table.data(), int(target->table.size()), rgb));
        {
            const Palette *pal = PaletteOf(dc);
            return uint32_t(SystemIndexOf(pal, NearestIndex(pal->entries, rgb)));
        }
    }
}

void AddDirty(Dc *dc, int left, int top, int right, int bottom) {
    if (!dc || right <= left || bottom <= top)
        return;
    const RECT r{left, top, right, bottom};
    UnionRect(&dc->dirty, &dc->dirty, &r);
}

void FreeDeleter::operator()(uint8_t *p) const {
    if (source == Source::Mapped)
        vxsys::FreePages(p, mappedBytes);
    else if (source == Source::Heap)
        vxsys::FreeAligned(p);
}

Bitmap *Dc::Target() const {
    if (dcKind == DcKind::Screen) {
        // The screen's picture is taken when something first draws from or
        // onto it, not when a screen DC is merely made.
        if (!g_screen && g_screenProvider) {
            const VxScreenProvider provide = g_screenProvider;
            g_screenProvider = nullptr;
            provide();
        }
        return g_screen;
    }
    return bitmap && Lookup(bitmap) ? bitmap : nullptr;
}

namespace {

struct FailState {
    int remaining = -1;
};
FailState g_fail[3];

bool InjectFailure(VxFailPoint point) {
    FailState &s = g_fail[int(point)];
    if (s.remaining < 0)
        return false;
    if (s.remaining == 0) {
        s.remaining = -1;
        return true;
    }
    --s.remaining;
    return false;
}

Dc *NewDc(DcKind kind) {
    auto *dc = new Dc;
    dc->dcKind = kind;
    dc->palette = StockPalette();
    dc->brush = StockBrush(0xFFFFFF);
    Register(dc);
    return dc;
}

void ReleaseBitmap(Bitmap *b) {
    if (!b || b->stock)
        return;
    b->selectedIn = nullptr;
    if (b->pendingDelete)
        Destroy(b);
}

void ReleasePalette(Palette *p) {
    if (!p || p->stock)
        return;
    --p->selectCount;
    if (p->pendingDelete && p->selectCount <= 0)
        Destroy(p);
}

void ReleaseBrush(Brush *b) {
    if (!b || b->stock)
        return;
    --b->selectCount;
    if (b->pendingDelete && b->selectCount <= 0)
        Destroy(b);
}

} // namespace

} // namespace vxgdi

using namespace vxgdi;

// ---- device contexts ---------------------------------------------------------------

HDC CreateCompatibleDC(HDC reference) {
    if (reference && !AsDc(reference))
        return nullptr;
    Dc *dc = NewDc(DcKind::Memory);
    dc->bitmap = StockBitmap();
    return reinterpret_cast<HDC>(dc);
}

HDC CreateDCA(LPCSTR driver, LPCSTR, LPCSTR, const void *) {
    if (!driver || strcasecmp(driver, "DISPLAY") != 0)
        return nullptr;
    return reinterpret_cast<HDC>(NewDc(DcKind::Screen));
}

BOOL DeleteDC(HDC handle) {
    Dc *dc = AsDc(handle);
    if (!dc)
        return FALSE;
    if (dc->dcKind == DcKind::Memory)
        ReleaseBitmap(dc->bitmap);
    ReleasePalette(dc->palette);
    ReleaseBrush(dc->brush);
    Unregister(dc);
    if (g_deletedHook)
        g_deletedHook(dc);
    delete dc;
    return TRUE;
}

HDC VxCreateSurfaceDC(HBITMAP target) {
    Bitmap *b = AsBitmap(target);
    if (!b)
        return nullptr;
    Dc *dc = NewDc(DcKind::Surface);
    dc->bitmap = b;
    return reinterpret_cast<HDC>(dc);
}

BOOL VxDeleteSurfaceDC(HDC handle) {
    Dc *dc = AsDc(handle);
    if (!dc || dc->dcKind != DcKind::Surface)
        return FALSE;
    return DeleteDC(handle);
}

BOOL VxTakeDirtyRect(HDC handle, RECT *rect) {
    Dc *dc = AsDc(handle);
    RECT r{0, 0, 0, 0};
    if (dc) {
        r = dc->dirty;
        dc->dirty = RECT{0, 0, 0, 0};
    }
    if (rect)
        *rect = r;
    return !IsRectEmpty(&r);
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
    Dc *dc = AsDc(handle);
    Object *o = Lookup(object);
    if (!dc || !o)
        return nullptr;
    if (o->kind == Kind::Bitmap) {
        auto *b = static_cast<Bitmap *>(o);
        if (dc->dcKind != DcKind::Memory)
            return nullptr;
        if (b == dc->bitmap)
            return b;
        if (!b->stock && b->selectedIn)
            return nullptr; // a bitmap sits in at most one DC
        // A device bitmap must be monochrome or of the display's format.
        if (!b->dibSection && b->bpp != 1 && b->bpp != DisplayBpp())
            return nullptr;
        Bitmap *previous = dc->bitmap;
        if (previous && !previous->stock)
            previous->selectedIn = nullptr;
        dc->bitmap = b;
        if (!b->stock)
            b->selectedIn = dc;
        // The previous bitmap may have been deleted while selected: it goes now,
        // and the caller gets a handle that no longer names a live object.
        if (previous && previous->pendingDelete) {
            Destroy(previous);
        }
        return previous;
    }
    if (o->kind == Kind::Brush) {
        auto *b = static_cast<Brush *>(o);
        Brush *previous = dc->brush;
        if (b == previous)
            return b;
        if (!b->stock)
            ++b->selectCount;
        dc->brush = b;
        if (previous && !previous->stock) {
            --previous->selectCount;
            if (previous->pendingDelete && previous->selectCount <= 0)
                Destroy(previous);
        }
        return previous;
    }
    return nullptr; // palettes go through SelectPalette
}

BOOL DeleteObject(HGDIOBJ object) {
    Object *o = Lookup(object);
    if (!o || o->kind == Kind::Dc || o->kind == Kind::Icon)
        return FALSE;
    if (o->stock)
        return TRUE;
    bool selected = false;
    if (o->kind == Kind::Bitmap)
        selected = static_cast<Bitmap *>(o)->selectedIn != nullptr;
    else if (o->kind == Kind::Palette)
        selected = static_cast<Palette *>(o)->selectCount > 0;
    else if (o->kind == Kind::Brush)
        selected = static_cast<Brush *>(o)->selectCount > 0;
    if (selected) {
        o->pendingDelete = true;
        return TRUE;
    }
    Destroy(o);
    return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
    Object *o = Lookup(object);
    if (!o)
        return 0;
    if (o->kind == Kind::Bitmap) {
        auto *b = static_cast<Bitmap *>(o);
        if (!buffer)
            return int(sizeof(BITMAP));
        if (size < int(sizeof(BITMAP)))
            return 0;
        BITMAP bm{};
        bm.bmType = 0;
        bm.bmWidth = b->width;
        bm.bmHeight = b->height;
        bm.bmPlanes = 1;
        bm.bmBitsPixel = WORD(b->bpp);
        if (b->dibSection) {
            bm.bmWidthBytes = LONG(b->stride);
            bm.bmBits = b->bits.get();
        } else {
            bm.bmWidthBytes = LONG(((int64_t(b->width) * b->bpp + 15) >> 3) & ~int64_t(1));
            bm.bmBits = nullptr;
        }
        std::memcpy(buffer, &bm, sizeof bm);
        return int(sizeof(BITMAP));
    }
    if (o->kind == Kind::Palette) {
        if (!buffer)
            return int(sizeof(WORD));
        if (size < int(sizeof(WORD)))
            return 0;
        const WORD n = WORD(static_cast<Palette *>(o)->entries.size());
        std::memcpy(buffer, &n, sizeof n);
        return int(sizeof(WORD));
    }
    return 0;
}

HGDIOBJ GetStockObject(int index) {
    switch (index) {
    case WHITE_BRUSH:
        return StockBrush(0xFFFFFF);
    case BLACK_BRUSH:
        return StockBrush(0);
    case DEFAULT_PALETTE:
        return StockPalette();
    default:
        return nullptr;
    }
}

// ---- bitmaps -----------------------------------------------------------------------------

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits) {
    if (planes != 1 || bitsPerPixel == 0 || bitsPerPixel > 32)
        return nullptr;
    if (width == 0 || height == 0)
        return reinterpret_cast<HBITMAP>(StockBitmap());
    if (width == INT32_MIN || height == INT32_MIN)
        return nullptr;
    width = width < 0 ? -width : width;
    height = height < 0 ? -height : height;
    const int bpp = bitsPerPixel == 1 ? 1 : bitsPerPixel <= 8 ? 8 : 32;
    Bitmap *b = NewBitmap(width, height, bpp);
    if (!b)
        return nullptr;
    if (bits && bitsPerPixel == UINT(bpp)) {
        // Rows of the caller's bits are WORD-aligned, as the bitmap's own rows
        // of the same depth at 1 and 32 bpp; 8 bpp rows are copied one by one.
        const size_t srcStride = ((size_t(width) * bpp + 15) >> 3) & ~size_t(1);
        const size_t rowBytes = (size_t(width) * bpp + 7) >> 3;
        for (int y = 0; y < height; ++y) {
            std::memcpy(b->Row(y), static_cast<const uint8_t *>(bits) + size_t(y) * srcStride,
                        rowBytes);
            if (bpp == 32) {
                uint8_t *row = b->Row(y);
                for (int x = 0; x < width; ++x)
                    row[size_t(x) * 4 + 3] = 0; // the top byte stays 0
            }
        }
    }
    return reinterpret_cast<HBITMAP>(b);
}

HBITMAP CreateCompatibleBitmap(HDC handle, int width, int height) {
    Dc *dc = AsDc(handle);
    if (!dc || width < 0 || height < 0)
        return nullptr;
    if (width == 0 || height == 0)
        return reinterpret_cast<HBITMAP>(StockBitmap());
    Bitmap *model = dc->dcKind == DcKind::Memory ? dc->bitmap : nullptr;
    if (model && model->dibSection) {
        Bitmap *b = NewBitmap(width, height, model->bpp);
        if (!b)
            return nullptr;
        b->dibSection = true;
        b->table = model->table;
        b->tableUsed = model->tableUsed;
        b->sourceBitCount = model->sourceBitCount;
        return reinterpret_cast<HBITMAP>(b);
    }
    const int bpp = model ? model->bpp : DisplayBpp();
    return reinterpret_cast<HBITMAP>(NewBitmap(width, height, bpp));
}

HBITMAP VxCreateDisplayBitmap(int width, int height) {
    return reinterpret_cast<HBITMAP>(NewBitmap(width, height, DisplayBpp()));
}

// ---- palettes ---------------------------------------------------------------------------

HPALETTE CreatePalette(const LOGPALETTE *log) {
    if (!log || log->palNumEntries == 0)
        return nullptr;
    if (InjectFailure(VxFailPoint::CreatePalette))
        return nullptr;
    auto *p = new Palette;
    p->entries.assign(log->palPalEntry, log->palPalEntry + log->palNumEntries);
    Register(p);
    return reinterpret_cast<HPALETTE>(p);
}

HPALETTE SelectPalette(HDC handle, HPALETTE palette, BOOL forceBackground) {
    Dc *dc = AsDc(handle);
    Palette *p = AsPalette(palette);
    if (!dc || !p)
        return nullptr;
    Palette *previous = dc->palette;
    if (p != previous) {
        if (!p->stock)
            ++p->selectCount;
        dc->palette = p;
        ReleasePalette(previous);
    }
    dc->foregroundPalette = !forceBackground && !p->stock;
    return reinterpret_cast<HPALETTE>(previous && Lookup(previous) ? previous : nullptr);
}

UINT RealizePalette(HDC handle) {
    Dc *dc = AsDc(handle);
    if (!dc || g_displayDepth != 8)
        return 0;
    Palette *p = dc->palette ? dc->palette : StockPalette();
    if (p->stock)
        return 0;
    SystemPaletteState &sys = Sys();
    if (dc->foregroundPalette)
        for (int i = 0; i < 256; ++i)
            if (!SystemPaletteState::IsStatic(i))
                sys.used[i] = false;
    std::vector<uint8_t> mapping(p->entries.size());
    int nextFree = 10;
    UINT changed = 0;
    for (size_t i = 0; i < p->entries.size(); ++i) {
        const PALETTEENTRY &e = p->entries[i];
        const uint32_t rgb = (uint32_t(e.peRed) << 16) | (uint32_t(e.peGreen) << 8) | e.peBlue;
        int slot = -1;
        if (e.peFlags & PC_EXPLICIT) {
            slot = (int(e.peGreen) << 8 | e.peRed) & 0xFF;
        } else {
            if (!(e.peFlags & PC_NOCOLLAPSE)) {
                // An exact colour already in use (static colours included)
                // collapses onto that entry.
                for (int s = 0; s < 256 && slot < 0; ++s)
                    if (sys.used[s] && RgbOf(sys.colours[s]) == rgb)
                        slot = s;
            }
            if (slot < 0) {
                while (nextFree < 246 && sys.used[nextFree])
                    ++nextFree;
                if (nextFree < 246) {
                    slot = nextFree;
                    sys.used[slot] = true;
                    sys.colours[slot] = Quad(rgb);
                }
            }
            if (slot < 0) {
                RGBQUAD used[256];
                int index[256];
                int n = 0;
                for (int s = 0; s < 256; ++s)
                    if (sys.used[s]) {
                        used[n] = sys.colours[s];
                        index[n++] = s;
                    }
                slot = index[NearestIndex(used, n, rgb)];
            }
        }
        mapping[i] = uint8_t(slot);
        if (i >= p->mapping.size() || p->mapping[i] != mapping[i])
            ++changed;
    }
    p->mapping = std::move(mapping);
    return changed;
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY *entries) {
    Palette *p = AsPalette(palette);
    if (!p)
        return 0;
    const UINT size = UINT(p->entries.size());
    if (!entries)
        return size;
    if (start >= size)
        return 0;
    const UINT n = std::min(count, size - start);
    std::copy_n(p->entries.begin() + start, n, entries);
    return n;
}

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour) {
    Palette *p = AsPalette(palette);
    if (!p || p->entries.empty())
        return CLR_INVALID;
    return UINT(NearestIndex(p->entries, RgbOf(colour & 0xFFFFFF)));
}

// ---- DC attributes ------------------------------------------------------------------------

COLORREF SetBkColor(HDC handle, COLORREF colour) {
    Dc *dc = AsDc(handle);
    if (!dc)
        return CLR_INVALID;
    const COLORREF previous = dc->background;
    dc->background = colour;
    return previous;
}

COLORREF SetTextColor(HDC handle, COLORREF colour) {
    Dc *dc = AsDc(handle);
    if (!dc)
        return CLR_INVALID;
    const COLORREF previous = dc->text;
    dc->text = colour;
    return previous;
}

COLORREF GetBkColor(HDC handle) {
    Dc *dc = AsDc(handle);
    return dc ? dc->background : CLR_INVALID;
}

COLORREF GetTextColor(HDC handle) {
    Dc *dc = AsDc(handle);
    return dc ? dc->text : CLR_INVALID;
}

int SetStretchBltMode(HDC handle, int mode) {
    Dc *dc = AsDc(handle);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    const int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}

int GetStretchBltMode(HDC handle) {
    Dc *dc = AsDc(handle);
    return dc ? dc->stretchMode : 0;
}

int GetDeviceCaps(HDC handle, int index) {
    if (!AsDc(handle))
        return 0;
    constexpr int RC_BITBLT = 0x1, RC_BITMAP64 = 0x8, RC_DI_BITMAP = 0x80, RC_DIBTODEV = 0x200,
                  RC_STRETCHBLT = 0x800, RC_STRETCHDIB = 0x2000;
    const bool palette = g_displayDepth == 8;
    switch (index) {
    case BITSPIXEL:
        return g_displayDepth;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return g_displayDepth == 8 ? 20 : g_displayDepth == 4 ? 16 : -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT |
               RC_STRETCHDIB | (palette ? RC_PALETTE : 0);
    case SIZEPALETTE:
        return palette ? 256 : 0;
    case NUMRESERVED:
        return palette ? 20 : 0;
    default:
        return 0;
    }
}

// ---- display ---------------------------------------------------------------------------------

void VxSetDisplayDepth(int bits) {
    g_displayDepth = bits == 8 || bits == 4 ? bits : 32;
    Sys().Reset();
}
int VxGetDisplayDepth() {
    return g_displayDepth;
}

void VxGetSystemPalette(RGBQUAD out[256]) {
    if (out)
        std::copy_n(Sys().colours, 256, out);
}

void VxResetSystemPalette() {
    Sys().Reset();
}

void VxSetScreenSurface(HBITMAP surface) {
    g_screen = AsBitmap(surface);
}
HBITMAP VxGetScreenSurface() {
    return reinterpret_cast<HBITMAP>(g_screen);
}
void VxSetScreenProvider(VxScreenProvider provider) {
    g_screenProvider = provider;
}

BOOL VxSetBitmapPixels(HBITMAP handle, BYTE *pixels, int width, int height, int stride) {
    Bitmap *b = AsBitmap(handle);
    if (!b || b->stock || b->dibSection || b->bpp != 32 || width <= 0 || height <= 0)
        return FALSE;
    if (pixels) {
        if (stride < width * 4 || stride % 4 != 0)
            return FALSE;
        FreeDeleter lent;
        lent.source = FreeDeleter::Source::Borrowed;
        b->bits = std::unique_ptr<uint8_t, FreeDeleter>(pixels, lent);
        b->width = width;
        b->height = height;
        b->stride = size_t(stride);
        return TRUE;
    }
    // Pixels of its own again: take them from a fresh bitmap of the size.
    Bitmap *fresh = NewBitmap(width, height, 32);
    if (!fresh)
        return FALSE;
    b->bits = std::move(fresh->bits);
    b->width = width;
    b->height = height;
    b->stride = fresh->stride;
    Destroy(fresh);
    return TRUE;
}

BOOL VxGetBitmapView(HBITMAP handle, VxBitmapView *view) {
    Bitmap *b = AsBitmap(handle);
    if (!b || !view)
        return FALSE;
    view->width = b->width;
    view->height = b->height;
    view->bitsPixel = b->bpp;
    view->stride = int(b->stride);
    view->pixels = b->bits.get();
    view->colors = nullptr;
    view->colorCount = 0;
    if (b->bpp == 8)
        view->colors = TableOf(b, &view->colorCount);
    return TRUE;
}

COLORREF VxPixelColour(HBITMAP handle, int x, int y) {
    Bitmap *b = AsBitmap(handle);
    if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height)
        return CLR_INVALID;
    const uint8_t *row = b->Row(y);
    uint32_t pixel;
    if (b->bpp == 1)
        pixel = (row[x >> 3] >> (7 - (x & 7))) & 1;
    else if (b->bpp == 8)
        pixel = row[x];
    else
        std::memcpy(&pixel, row + size_t(x) * 4, 4);
    return ColorrefOf(RgbOfPixel(b, pixel));
}

BOOL VxIsLiveObject(const void *handle) {
    return Lookup(handle) != nullptr;
}
size_t VxLiveObjectCount() {
    return g_liveCount;
}

VxLiveGdiCounts VxLiveGdiObjects() {
    VxLiveGdiCounts c;
    c.bitmaps = g_liveByKind[size_t(Kind::Bitmap)];
    c.palettes = g_liveByKind[size_t(Kind::Palette)];
    c.brushes = g_liveByKind[size_t(Kind::Brush)];
    c.dcs = g_liveByKind[size_t(Kind::Dc)];
    c.icons = g_liveByKind[size_t(Kind::Icon)];
    return c;
}

void VxSetObjectDeletedHook(VxObjectDeletedHook hook) {
    g_deletedHook = hook;
}

void VxFailAfter(VxFailPoint point, int successes) {
    g_fail[int(point)].remaining = successes;
}

// ---- global memory ----------------------------------------------------------------------

namespace {

struct GlobalBlock {
    static constexpr uint32_t kMagic = 0x474C4F42; // "GLOB"
    uint32_t magic = kMagic;
    size_t size = 0;
    int locks = 0;
    std::unique_ptr<uint8_t[]> data;
};

// Blocks by the address of their data, to find the block holding a pointer.
std::map<uintptr_t, GlobalBlock *> &Blocks() {
    static std::map<uintptr_t, GlobalBlock *> blocks;
    return blocks;
}
std::unordered_set<const void *> &LiveBlocks() {
    static std::unordered_set<const void *> live;
    return live;
}
constexpr size_t kMaxGlobalBytes = size_t(512) << 20;

GlobalBlock *AsBlock(HGLOBAL h) {
    if (!h || !LiveBlocks().count(h))
        return nullptr;
    return reinterpret_cast<GlobalBlock *>(h);
}

} // namespace

HGLOBAL GlobalAlloc(UINT, size_t bytes) {
    if (bytes > kMaxGlobalBytes || InjectFailure(VxFailPoint::GlobalAlloc))
        return nullptr;
    auto *block = new (std::nothrow) GlobalBlock;
    if (!block)
        return nullptr;
    // Always zeroed: callers that did not ask for it never see stale bytes.
    block->data.reset(new (std::nothrow) uint8_t[bytes ? bytes : 1]());
    if (!block->data) {
        delete block;
        return nullptr;
    }
    block->size = bytes;
    LiveBlocks().insert(block);
    Blocks()[reinterpret_cast<uintptr_t>(block->data.get())] = block;
    return reinterpret_cast<HGLOBAL>(block);
}

LPVOID GlobalLock(HGLOBAL h) {
    GlobalBlock *b = AsBlock(h);
    if (!b)
        return nullptr;
    ++b->locks;
    return b->data.get();
}

BOOL GlobalUnlock(HGLOBAL h) {
    GlobalBlock *b = AsBlock(h);
    if (!b || b->locks == 0)
        return FALSE;
    return --b->locks > 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    GlobalBlock *b = AsBlock(h);
    if (!b)
        return h;
    Blocks().erase(reinterpret_cast<uintptr_t>(b->data.get()));
    LiveBlocks().erase(b);
    delete b;
    return nullptr;
}

size_t GlobalSize(HGLOBAL h) {
    GlobalBlock *b = AsBlock(h);
    return b ? b->size : 0;
}

namespace vxgdi {
size_t BytesAvailableAt(const void *p) {
    auto &blocks = Blocks();
    const auto addr = reinterpret_cast<uintptr_t>(p);
    auto it = blocks.upper_bound(addr);
    if (it == blocks.begin())
        return SIZE_MAX;
    --it;
    const GlobalBlock *b = it->second;
    if (addr > it->first + b->size)
        return SIZE_MAX; // not inside a global block: the caller vouches for it
    return it->first + b->size - addr;
}
} // namespace vxgdi
