// System services of the framework over Qt: metrics, cursors, icons as
// images, keyboard and mouse translation, activation, and what the X11
// display tells about windows of other programs.
#include "platform/qt/QtFramework_p.h"
#include "platform/qt/ScreenService.h"

#include "platform/gdi/Gdi.h"

#include <QApplication>
#include <QBitmap>
#include <QGuiApplication>
#include <QPixmap>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <map>

// ---- metrics -----------------------------------------------------------------------
int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
        return VxScreenSize().width();
    case SM_CYSCREEN:
        return VxScreenSize().height();
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    default:
        return 0;
    }
}

// ---- icons as images ------------------------------------------------------------------

QImage VxIconImage(HICON icon) {
    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = VxIconArgb(icon, &width, &height);
    if (pixels.empty())
        return {};
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels.data() + size_t(y) * width, size_t(width) * 4);
    return image;
}

// ---- cursors ----------------------------------------------------------------------------
namespace {
QPointer<QWidget> g_cursorTarget;
HCURSOR g_currentCursor = nullptr;
bool g_cursorSet = false;

std::map<HCURSOR, QCursor> &CursorCache() {
    static std::map<HCURSOR, QCursor> cache;
    return cache;
}
} // namespace

QCursor VxCursorFor(HCURSOR cursor) {
    if (!cursor)
        return QCursor(Qt::BlankCursor);
    if (cursor == VxArrowCursor())
        return QCursor(Qt::ArrowCursor);
    auto it = CursorCache().find(cursor);
    if (it != CursorCache().end())
        return it->second;
    QCursor result(Qt::ArrowCursor);
    ICONINFO info{};
    const QImage image = VxIconImage(cursor);
    if (!image.isNull()) {
        bool anyVisible = false;
        for (int y = 0; y < image.height() && !anyVisible; ++y)
            for (int x = 0; x < image.width() && !anyVisible; ++x)
                anyVisible = qAlpha(image.pixel(x, y)) != 0;
        int hotX = 0, hotY = 0;
        if (GetIconInfo(cursor, &info)) {
            hotX = int(info.xHotspot);
            hotY = int(info.yHotspot);
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
        }
        // A cursor without a single visible pixel hides the pointer; the
        // toolkit's blank cursor does that reliably on every platform.
        result =
            anyVisible ? QCursor(QPixmap::fromImage(image), hotX, hotY) : QCursor(Qt::BlankCursor);
    }
    CursorCache()[cursor] = result;
    return result;
}

void VxSetCursorTarget(QWidget *widget) {
    g_cursorTarget = widget;
}
QWidget *VxCursorTarget() {
    return g_cursorTarget.data();
}

HCURSOR SetCursor(HCURSOR cursor) {
    const HCURSOR previous = g_currentCursor;
    g_currentCursor = cursor;
    g_cursorSet = true;
    if (QWidget *target = g_cursorTarget.data())
        target->setCursor(VxCursorFor(cursor));
    return previous;
}

// ---- keyboard and mouse ----------------------------------------------------------------------
WORD VxVirtualKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return WORD('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return WORD('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return WORD(0x70 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0x09;
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Shift:
        return 0x10;
    case Qt::Key_Control:
        return 0x11;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return VK_MENU;
    case Qt::Key_Pause:
        return 0x13;
    case Qt::Key_CapsLock:
        return 0x14;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Print:
        return 0x2C;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return 0x5B;
    case Qt::Key_Super_R:
        return 0x5C;
    case Qt::Key_Menu:
        return 0x5D;
    default:
        return 0xFF; // a key without a code of its own
    }
}

bool VxIsSystemKey(int key, Qt::KeyboardModifiers modifiers) {
    // Alt alone, anything pressed with Alt (but not with Ctrl, which makes it
    // AltGr), and F10 are system keys.
    if (key == Qt::Key_F10 || key == Qt::Key_Alt)
        return true;
    return modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier);
}

LPARAM VxKeyLParam(quint32 scanCode, bool altDown, bool repeat, bool release) {
    uint32_t value = 1u;               // repeat count
    value |= (scanCode & 0xFFu) << 16; // scan code
    if (altDown)
        value |= 1u << 29; // context code
    if (repeat || release)
        value |= 1u << 30; // previous key state
    if (release)
        value |= 1u << 31; // transition
    return LPARAM(int32_t(value));
}

WPARAM VxMouseKeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    WPARAM state = 0;
    if (buttons & Qt::LeftButton)
        state |= VX_MK_LBUTTON;
    if (buttons & Qt::RightButton)
        state |= VX_MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        state |= VX_MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        state |= VX_MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        state |= VX_MK_CONTROL;
    return state;
}

// ---- activation
// ----------------------------------------------------------------------------------
namespace {
bool g_appActive = false;

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> result;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        CWnd *wnd = VxWndFromWidget(w);
        if (wnd && wnd->m_impl && !(wnd->m_impl->style & WS_CHILD) &&
            (wnd->m_impl->kind == VxWindowKind::Surface ||
             wnd->m_impl->kind == VxWindowKind::Dialog))
            result.push_back(wnd->m_hWnd);
    }
    return result;
}
} // namespace

void VxNoteApplicationActive(bool active) {
    if (g_appActive == active)
        return;
    g_appActive = active;
    for (HWND hwnd : TopLevelWindows()) {
        CWnd *wnd = VxLookupHandle(hwnd);
        if (wnd && wnd->m_impl && !wnd->m_impl->destroying)
            VxDispatch(wnd, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
    }
}

void VxSendActivation(CWnd *wnd, bool active) {
    const HWND self = wnd->m_hWnd;
    auto alive = [self] {
        CWnd *again = VxLookupHandle(self);
        return again && again->m_impl && !again->m_impl->destroying ? again : nullptr;
    };
    if (active) {
        VxNoteApplicationActive(true);
        if (CWnd *w = alive())
            VxDispatch(w, WM_NCACTIVATE, TRUE, 0);
        if (CWnd *w = alive())
            VxDispatch(w, WM_ACTIVATE, WA_ACTIVE, 0);
        // A palette device lets the window that comes to the front realise
        // its palette first; its picture is shown again through it.
        if (VxGetDisplayDepth() <= 8) {
            if (CWnd *w = alive(); w && VxDispatch(w, WM_QUERYNEWPALETTE, 0, 0)) {
                if (CWnd *again = alive(); again && again->m_impl->widget())
                    again->m_impl->widget()->update();
            }
        }
        return;
    }
    QWidget *next = QApplication::activeWindow();
    CWnd *nextWnd = next ? VxWndFromWidget(next) : nullptr;
    const LPARAM other = LPARAM(nextWnd ? reinterpret_cast<uintptr_t>(nextWnd->m_hWnd) : 0);
    if (CWnd *w = alive())
        VxDispatch(w, WM_NCACTIVATE, FALSE, 0);
    if (CWnd *w = alive())
        VxDispatch(w, WM_ACTIVATE, WA_INACTIVE, other);
    // Another program has the focus now.
    if (!next)
        VxNoteApplicationActive(false);
}

// ---- windows of other programs (X11)
// ---------------------------------------------------------------
xcb_connection_t *VxXcbConnection() {
    auto *app = qGuiApp;
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

bool VxForeignWindowSize(WId id, QSize *size) {
    xcb_connection_t *c = VxXcbConnection();
    if (!c || id == 0 || id > 0xFFFFFFFFu)
        return false;
    xcb_generic_error_t *error = nullptr;
    xcb_get_geometry_reply_t *reply =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_drawable_t(id)), &error);
    std::free(error);
    if (!reply)
        return false;
    if (size)
        *size = QSize(reply->width, reply->height);
    std::free(reply);
    return true;
}

bool VxForeignWindowExists(WId id) {
    xcb_connection_t *c = VxXcbConnection();
    if (!c || id == 0 || id > 0xFFFFFFFFu)
        return false;
    // Only windows count, not pixmaps: ask for window attributes.
    xcb_generic_error_t *error = nullptr;
    xcb_get_window_attributes_reply_t *reply =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(id)), &error);
    std::free(error);
    if (!reply)
        return false;
    std::free(reply);
    return true;
}

WId VxForeignActiveWindow() {
    xcb_connection_t *c = VxXcbConnection();
    if (!c)
        return 0;
    const char *name = "_NET_ACTIVE_WINDOW";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::strlen(name)), name), nullptr);
    if (!atom || atom->atom == XCB_ATOM_NONE) {
        std::free(atom);
        return 0;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    WId result = 0;
    if (screen) {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, screen->root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
        if (reply && xcb_get_property_value_length(reply) >= 4)
            result = *static_cast<const xcb_window_t *>(xcb_get_property_value(reply));
        std::free(reply);
    }
    std::free(atom);
    return result;
}
