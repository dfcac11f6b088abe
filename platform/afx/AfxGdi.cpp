// Framework wrappers over the drawing calls: each operation forwards to one
// call of platform/gdi/Gdi.h.
#include "platform/afx/AfxGdi.h"
#include "platform/afx/Resources.h"

#include <unordered_map>

namespace {

// Wrappers made by FromHandle, by handle. They do not own their handle and go
// when the object does (the drawing layer tells us just before it deletes
// one). The tables are never destroyed, so that no wrapper outlives its
// table at exit and then deletes a handle it does not own.
template <class T> std::unordered_map<const void *, T *> &Wrappers() {
    static auto *map = new std::unordered_map<const void *, T *>;
    return *map;
}

void ForgetHandle(const void *handle) {
    auto drop = [handle](auto &map) {
        auto it = map.find(handle);
        if (it == map.end())
            return;
        auto *wrapper = it->second;
        map.erase(it);
        wrapper->Detach();
        delete wrapper;
    };
    drop(Wrappers<CBitmap>());
    drop(Wrappers<CPalette>());
    drop(Wrappers<CDC>());
}

template <class T, class H> T *WrapperFor(H handle) {
    if (!handle)
        return nullptr;
    static const bool hooked = [] {
        VxSetObjectDeletedHook(&ForgetHandle);
        return true;
    }();
    (void)hooked;
    auto &map = Wrappers<T>();
    auto it = map.find(handle);
    if (it != map.end())
        return it->second;
    T *wrapper = new T;
    wrapper->Attach(handle);
    map.emplace(handle, wrapper);
    return wrapper;
}

} // namespace

// ---- CGdiObject ------------------------------------------------------------------

CGdiObject::~CGdiObject() {
    DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ object) {
    if (!object || m_hObject)
        return FALSE;
    m_hObject = object;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int size, LPVOID buffer) const {
    return ::GetObjectA(m_hObject, size, buffer);
}

// ---- CBitmap ----------------------------------------------------------------------

BOOL CBitmap::LoadBitmap(LPCSTR resourceName) {
    if (m_hObject) // a wrapper holds one object; never make one only to leak it
        return FALSE;
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), resourceName));
}

BOOL CBitmap::LoadBitmap(UINT resourceId) {
    if (resourceId > 0xFFFF)
        return FALSE;
    return LoadBitmap(MAKEINTRESOURCEA(WORD(resourceId)));
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                           const void *bits) {
    if (m_hObject)
        return FALSE;
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC *dc, int width, int height) {
    if (m_hObject)
        return FALSE;
    return Attach(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}

CBitmap *CBitmap::FromHandle(HBITMAP bitmap) {
    return WrapperFor<CBitmap>(bitmap);
}

// ---- CPalette ---------------------------------------------------------------------

BOOL CPalette::CreatePalette(const LOGPALETTE *logPalette) {
    if (m_hObject)
        return FALSE;
    return Attach(::CreatePalette(logPalette));
}

CPalette *CPalette::FromHandle(HPALETTE palette) {
    return WrapperFor<CPalette>(palette);
}

// ---- CBrush -------------------------------------------------------------------------

CBrush::CBrush(COLORREF colour) {
    Attach(::CreateSolidBrush(colour));
}

BOOL CBrush::CreateSolidBrush(COLORREF colour) {
    if (m_hObject)
        return FALSE;
    return Attach(::CreateSolidBrush(colour));
}

// ---- CDC ------------------------------------------------------------------------------

CDC::~CDC() {
    DeleteDC();
}

BOOL CDC::Attach(HDC dc) {
    if (!dc || m_hDC)
        return FALSE;
    m_hDC = dc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

CDC *CDC::FromHandle(HDC dc) {
    return WrapperFor<CDC>(dc);
}

BOOL CDC::CreateCompatibleDC(CDC *reference) {
    if (m_hDC)
        return FALSE;
    return Attach(::CreateCompatibleDC(reference ? reference->m_hDC : nullptr));
}

BOOL CDC::CreateDC(LPCSTR driver, LPCSTR device, LPCSTR output, const void *initData) {
    if (m_hDC)
        return FALSE;
    return Attach(::CreateDCA(driver, device, output, initData));
}

BOOL CDC::DeleteDC() {
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

CBitmap *CDC::SelectObject(CBitmap *bitmap) {
    if (!bitmap)
        return nullptr;
    return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap->m_hObject)));
}

CBrush *CDC::SelectObject(CBrush *brush) {
    if (!brush)
        return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, brush->m_hObject);
    if (!previous)
        return nullptr;
    // Brushes have no permanent wrappers: the previous brush is handed back in
    // a wrapper that does not own it and lives as long as the process.
    static auto *brushes = new std::unordered_map<const void *, CBrush *>;
    CBrush *&wrapper = (*brushes)[previous];
    if (!wrapper) {
        wrapper = new CBrush;
        wrapper->Attach(previous);
    }
    return wrapper;
}

CPalette *CDC::SelectPalette(CPalette *palette, BOOL forceBackground) {
    return CPalette::FromHandle(::SelectPalette(
        m_hDC, palette ? static_cast<HPALETTE>(palette->m_hObject) : nullptr, forceBackground));
}

UINT CDC::RealizePalette() {
    return ::RealizePalette(m_hDC);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC *source, int xSrc, int ySrc, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC *source, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc,
                        srcWidth, srcHeight, rop);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
    return ::PatBlt(m_hDC, x, y, width, height, rop);
}

void CDC::FillRect(LPCRECT rect, CBrush *brush) {
    ::FillRect(m_hDC, rect, brush ? static_cast<HBRUSH>(brush->m_hObject) : nullptr);
}

COLORREF CDC::SetBkColor(COLORREF colour) {
    return ::SetBkColor(m_hDC, colour);
}
COLORREF CDC::SetTextColor(COLORREF colour) {
    return ::SetTextColor(m_hDC, colour);
}
int CDC::SetStretchBltMode(int mode) {
    return ::SetStretchBltMode(m_hDC, mode);
}
int CDC::GetDeviceCaps(int index) const {
    return ::GetDeviceCaps(m_hDC, index);
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    return ::DrawIconEx(m_hDC, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}
