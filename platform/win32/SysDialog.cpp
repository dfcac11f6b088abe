// The system side of the framework's dialogs: templates, creation, keys and
// the pictures of static controls.
#include "platform/win32/SysDialog.h"
#include "platform/win32/SysControls.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace vxsys {

namespace {

// Appends the 16-bit words of a dialog template.
class TemplateWriter {
  public:
    void Word(uint16_t w) { m_words.push_back(w); }
    void Dword(uint32_t d) {
        Word(uint16_t(d & 0xFFFF));
        Word(uint16_t(d >> 16));
    }
    void Short(int16_t s) { Word(uint16_t(s)); }
    // A NUL-terminated UTF-16 string converted from the ANSI code page.
    void Text(const std::string &text) {
        if (!text.empty()) {
            const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
            std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
            if (n > 0)
                MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), n);
            for (wchar_t c : wide)
                Word(uint16_t(c));
        }
        Word(0);
    }
    // Each control's record starts on a 32-bit boundary of the template.
    void AlignDword() {
        if (m_words.size() % 2)
            Word(0);
    }
    std::vector<uint32_t> Finish() {
        AlignDword();
        std::vector<uint32_t> out(m_words.size() / 2);
        std::memcpy(out.data(), m_words.data(), m_words.size() * sizeof(uint16_t));
        return out;
    }

  private:
    std::vector<uint16_t> m_words;
};

// The predefined classes' atoms in a template.
constexpr uint16_t kButtonAtom = 0x0080;
constexpr uint16_t kStaticAtom = 0x0082;

struct InitData {
    DialogInit init;
    void *context;
};

// The dialog procedure only hands the new dialog over; once adopted, the
// framework sees its messages first and passes on what it leaves.
INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE;
    const auto *data = reinterpret_cast<const InitData *>(lParam);
    return data && data->init ? INT_PTR(data->init(hwnd, wParam, data->context)) : TRUE;
}

} // namespace

std::vector<uint32_t> BuildDialogTemplate(const DialogLayout &layout) {
    TemplateWriter w;
    w.Dword(layout.style);
    w.Dword(0); // extended style
    w.Word(uint16_t(layout.items.size()));
    w.Short(layout.x);
    w.Short(layout.y);
    w.Short(layout.cx);
    w.Short(layout.cy);
    w.Word(0); // no menu
    w.Word(0); // the dialog class
    w.Text(layout.caption);
    if (layout.style & DS_SETFONT) {
        w.Word(layout.pointSize);
        w.Text(layout.fontName);
    }
    for (const TemplateItem &item : layout.items) {
        w.AlignDword();
        w.Dword(item.style);
        w.Dword(0); // extended style
        w.Short(item.x);
        w.Short(item.y);
        w.Short(item.cx);
        w.Short(item.cy);
        w.Word(item.id);
        switch (item.cls) {
        case DialogControl::Button:
            w.Word(0xFFFF);
            w.Word(kButtonAtom);
            break;
        case DialogControl::Static:
            w.Word(0xFFFF);
            w.Word(kStaticAtom);
            break;
        case DialogControl::Trackbar:
            w.Text(TRACKBAR_CLASSA);
            break;
        }
        w.Text(item.text);
        w.Word(0); // no creation data
    }
    return w.Finish();
}

Handle CreateDialogFromTemplate(const std::vector<uint32_t> &dialogTemplate, Handle owner,
                                DialogInit init, void *context) {
    if (dialogTemplate.empty())
        return nullptr;
    InitControlClasses(); // the trackbar's class
    InitData data{init, context};
    return CreateDialogIndirectParamA(
        GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
        static_cast<HWND>(owner), DialogProc, reinterpret_cast<LPARAM>(&data));
}

bool DialogMessage(Handle dialog, Handle hwnd, uint32_t message, uintptr_t wParam,
                   intptr_t lParam) {
    MSG msg{};
    msg.hwnd = static_cast<HWND>(hwnd);
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = DWORD(GetMessageTime());
    const DWORD pos = GetMessagePos();
    msg.pt = {short(LOWORD(pos)), short(HIWORD(pos))};
    return IsDialogMessageA(static_cast<HWND>(dialog), &msg) != FALSE;
}

std::vector<Handle> Children(Handle hwnd) {
    std::vector<Handle> children;
    for (HWND child = GetWindow(static_cast<HWND>(hwnd), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

Handle ActiveWindow() {
    return GetActiveWindow();
}

void Activate(Handle hwnd) {
    SetActiveWindow(static_cast<HWND>(hwnd));
}

Handle MakeBitmap(int width, int height, const uint32_t *pixels) {
    if (width <= 0 || height <= 0 || !pixels)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits)
        return nullptr;
    // Opaque: a static control of the version-6 controls blends 32 bpp
    // pictures by their alpha.
    auto *out = static_cast<uint32_t *>(bits);
    const size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; ++i)
        out[i] = pixels[i] | 0xFF000000u;
    GdiFlush();
    return bitmap;
}

void FreeBitmap(Handle bitmap) {
    if (bitmap)
        DeleteObject(static_cast<HGDIOBJ>(bitmap));
}

Handle SetStaticBitmap(Handle control, Handle bitmap) {
    return reinterpret_cast<Handle>(SendMessageA(static_cast<HWND>(control), STM_SETIMAGE,
                                                 IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
}

void FitControl(Handle dialog, Handle control, int right, int bottom) {
    const HWND hwnd = static_cast<HWND>(dialog);
    RECT spare{0, 0, right, bottom}, item{}, client{}, frame{};
    MapDialogRect(hwnd, &spare);
    GetWindowRect(static_cast<HWND>(control), &item);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT *>(&item), 2);
    GetClientRect(hwnd, &client);
    const LONG dx = std::max<LONG>(0, item.right + spare.right - client.right);
    const LONG dy = std::max<LONG>(0, item.bottom + spare.bottom - client.bottom);
    if (!dx && !dy)
        return;
    GetWindowRect(hwnd, &frame);
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left + dx, frame.bottom - frame.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsInputMessage(uint32_t message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

} // namespace vxsys
