#include "gfx/PaletteBitmap.h"

#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"

#include "platform/gdi/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kCoreHeaderSize = 12;

DWORD ReadDword(const BYTE *p) {
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}
WORD ReadWord(const BYTE *p) {
    return WORD(p[0] | p[1] << 8);
}

bool IsInfoHeader(const void *dib) {
    return ReadDword(static_cast<const BYTE *>(dib)) == kInfoHeaderSize;
}

// Whether the memory holds the whole header its first field announces, so
// that the header fields can be read at all.
bool HoldsHeader(HGLOBAL memory, const void *dib) {
    const size_t size = GlobalSize(memory);
    return size >= 4 && size >= (IsInfoHeader(dib) ? kInfoHeaderSize : kCoreHeaderSize);
}

// Reads a whole file into fixed, zero-initialised global memory. The path
// comes from the user's settings and may name anything: only a regular file
// of a size worth holding is read, and nothing here waits (a named pipe is
// refused, not opened for a writer that never comes).
HGLOBAL ReadFileIntoGlobal(const char *path) {
    const int fd = VxOpenRegularFile(path, kVxMaxSettingFileBytes);
    if (fd < 0)
        return nullptr;
    HGLOBAL memory = nullptr;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        memory = GlobalAlloc(GMEM_ZEROINIT, size_t(st.st_size));
    if (memory) {
        auto *bytes = static_cast<uint8_t *>(GlobalLock(memory));
        const size_t length = size_t(st.st_size);
        size_t done = 0;
        while (done < length) {
            const ssize_t n = ::read(fd, bytes + done, length - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += size_t(n);
        }
        GlobalUnlock(memory);
        if (done != length)              // the file shrank while it was read
            memory = GlobalFree(memory); // null on success
    }
    ::close(fd);
    return memory;
}

} // namespace

CPaletteBitmap::CPaletteBitmap() = default;

CPaletteBitmap::~CPaletteBitmap() {
    if (m_hDib)
        GlobalFree(m_hDib);
    if (m_hPalette)
        ::DeleteObject(m_hPalette);
    // m_hBitmap is the handle attached to the base class, which deletes it;
    // a bitmap made by CreateBitmap or CreateCompatibleBitmap is only there.
    m_hBitmap = nullptr;
}

BOOL CPaletteBitmap::LoadBitmap(LPCSTR name, BOOL withPalette, HINSTANCE hInstance) {
    if (!withPalette)
        return CBitmap::LoadBitmap(name);
    if (!LoadDibResource(hInstance, name)) {
        AfxMessageBox("Could not LoadBitmap() with palette", MB_OK);
        return FALSE;
    }
    return CreateDeviceBitmap();
}

BOOL CPaletteBitmap::LoadFromFile(LPCSTR path) {
    // A longer path would be cut short and name another file.
    if (!path || !*path || std::strlen(path) >= sizeof m_szFileName)
        return FALSE;
    std::strncpy(m_szFileName, path, sizeof m_szFileName - 1);
    m_szFileName[sizeof m_szFileName - 1] = '\0';
    HGLOBAL memory = ReadFileIntoGlobal(m_szFileName);
    if (!memory)
        return FALSE;
    if (m_hDib)
        GlobalFree(m_hDib);
    m_hDib = memory;
    return CreateDeviceBitmap();
}

BOOL CPaletteBitmap::LoadDibResource(HINSTANCE hInstance, LPCSTR name) {
    HRSRC resource = FindResourceA(hInstance, name, RT_BITMAP);
    if (!resource)
        return FALSE;
    HGLOBAL loaded = LoadResource(hInstance, resource);
    const DWORD size = SizeofResource(hInstance, resource);
    const void *bytes = LockResource(loaded);
    if (!bytes)
        return FALSE;
    HGLOBAL memory = GlobalAlloc(GMEM_ZEROINIT, size);
    if (!memory)
        return FALSE;
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
    if (m_hDib)
        GlobalFree(m_hDib);
    m_hDib = memory;
    return TRUE;
}

BOOL CPaletteBitmap::CreateDeviceBitmap() {
    BITMAPINFOHEADER header;
    ReadDibHeader(&header);
    // A file is a bitmap file, loaded by name below; its bytes are never taken
    // for a packed DIB with a colour table, whatever its first bytes say.
    if (m_szFileName[0] == '\0')
        m_hPalette = CreateDibPalette();

    HBITMAP bitmap = nullptr;
    if (!m_hPalette) {
        if (m_szFileName[0] == '\0')
            return FALSE;
        bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, m_szFileName, IMAGE_BITMAP, 0, 0,
                       LR_CREATEDIBSECTION | LR_DEFAULTSIZE | LR_LOADFROMFILE));
    } else {
        HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        HPALETTE previousPalette = SelectPalette(screen, m_hPalette, FALSE);
        RealizePalette(screen);
        // A core header keeps its size in 16-bit fields; the rows are as many
        // as the header says, whichever way up they are stored.
        const BYTE *dib = static_cast<const BYTE *>(GlobalLock(m_hDib));
        const bool info = IsInfoHeader(dib);
        const int width = info ? header.biWidth : ReadWord(dib + 4);
        int height = info ? header.biHeight : ReadWord(dib + 6);
        if (height < 0 && height != INT32_MIN)
            height = -height;
        // An empty or negative size makes no bitmap (rather than the stock
        // 1x1 one), and neither do bits that cannot be converted.
        if (width > 0 && height > 0)
            bitmap = ::CreateCompatibleBitmap(screen, width, height);
        HDC memoryDc = CreateCompatibleDC(screen);
        HGDIOBJ previousBitmap = SelectObject(memoryDc, bitmap);
        if (bitmap && SetDIBits(screen, bitmap, 0, UINT(height), DibBits(dib),
                                reinterpret_cast<const BITMAPINFO *>(dib), DIB_RGB_COLORS) == 0) {
            SelectObject(memoryDc, previousBitmap);
            ::DeleteObject(bitmap);
            bitmap = nullptr;
        }
        SelectObject(memoryDc, previousBitmap);
        GlobalUnlock(m_hDib);
        if (previousPalette)
            SelectPalette(screen, previousPalette, FALSE);
        DeleteDC(memoryDc);
        DeleteDC(screen);
    }
    if (!bitmap)
        return FALSE;

    Detach();
    Attach(bitmap);
    m_hBitmap = bitmap;
    if (m_hPalette)
        m_pPalette = CPalette::FromHandle(m_hPalette);
    return TRUE;
}

BOOL CPaletteBitmap::ReadDibHeader(BITMAPINFOHEADER *header) const {
    if (!m_hDib)
        return FALSE;
    const void *dib = GlobalLock(m_hDib);
    // A DIB shorter than an info header is read as far as it goes.
    std::memset(header, 0, sizeof *header);
    std::memcpy(header, dib, std::min(sizeof *header, GlobalSize(m_hDib)));
    if (header->biSize != kCoreHeaderSize) {
        if (header->biSizeImage == 0) {
            // Signed 32-bit arithmetic with truncating division; the products
            // wrap instead of overflowing.
            const auto row =
                int32_t(uint32_t(header->biBitCount) * uint32_t(header->biWidth) + 31u);
            const int32_t words = row / 32;
            header->biSizeImage = uint32_t(words) * 4u * uint32_t(header->biHeight);
        }
        if (header->biClrUsed == 0 && HoldsHeader(m_hDib, dib))
            header->biClrUsed = DibNumColors(dib);
    }
    GlobalUnlock(m_hDib);
    return TRUE;
}

HPALETTE CPaletteBitmap::CreateDibPalette() {
    if (!m_hDib)
        return nullptr;
    const BYTE *dib = static_cast<const BYTE *>(GlobalLock(m_hDib));
    if (!HoldsHeader(m_hDib, dib)) {
        GlobalUnlock(m_hDib);
        return nullptr;
    }
    const WORD count = DibNumColors(dib);
    const bool info = IsInfoHeader(dib);
    const size_t tableEnd =
        size_t(info ? kInfoHeaderSize : kCoreHeaderSize) + size_t(DibPaletteSize(dib));
    // A colour table that runs past the end of the DIB gives no palette,
    // like a DIB without one, rather than reading beyond the memory.
    if (count == 0 || tableEnd > GlobalSize(m_hDib)) {
        GlobalUnlock(m_hDib);
        return nullptr;
    }
    HGLOBAL memory =
        GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(WORD) * 2 + sizeof(PALETTEENTRY) * count);
    if (!memory) {
        AfxMessageBox("Could not GlobalAlloc() space for log palette", MB_OK);
        GlobalUnlock(m_hDib);
        return nullptr;
    }
    auto *log = static_cast<LOGPALETTE *>(GlobalLock(memory));
    log->palVersion = 0x300;
    log->palNumEntries = count;
    for (WORD i = 0; i < count; ++i) {
        const BYTE *entry =
            info ? dib + kInfoHeaderSize + 4 * size_t(i) : dib + kCoreHeaderSize + 3 * size_t(i);
        // RGBQUAD and RGBTRIPLE both start blue, green, red.
        log->palPalEntry[i] = PALETTEENTRY{entry[2], entry[1], entry[0], 0};
    }
    HPALETTE palette = ::CreatePalette(log);
    if (!palette)
        AfxMessageBox("CreatePalette() failed", MB_OK);
    GlobalUnlock(memory);
    GlobalFree(memory);
    GlobalUnlock(m_hDib);
    return palette;
}

WORD CPaletteBitmap::DibNumColors(const void *dib) {
    const BYTE *p = static_cast<const BYTE *>(dib);
    WORD bitCount;
    if (IsInfoHeader(dib)) {
        const DWORD used = ReadDword(p + 32);
        if (used != 0)
            return WORD(used);
        bitCount = ReadWord(p + 14);
    } else {
        bitCount = ReadWord(p + 10);
    }
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

DWORD CPaletteBitmap::DibPaletteSize(const void *dib) {
    // Up to 65,535 entries of 4 bytes: the size needs more than 16 bits, and
    // a cut size would let a huge colour count pass the bounds check.
    return DWORD(DibNumColors(dib)) *
           DWORD(IsInfoHeader(dib) ? sizeof(RGBQUAD) : sizeof(RGBTRIPLE));
}

const BYTE *CPaletteBitmap::DibBits(const void *dib) {
    const BYTE *p = static_cast<const BYTE *>(dib);
    return p + (ReadDword(p) & 0xFFFF) + DibPaletteSize(dib);
}
