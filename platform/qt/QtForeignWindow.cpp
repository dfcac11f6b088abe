// Windows the framework did not make: another program's window (the
// preview's host) or a plain widget of this process, wrapped by
// CWnd::FromHandle for as long as the process runs; the desktop window; and
// the questions about any handle (IsWindow, the foreground window).
#include "platform/qt/QtFramework_p.h"

#include <QApplication>

#include <memory>
#include <unordered_map>

namespace {
// Wrappers of windows that the framework did not make; they live as long as
// the process, like the permanent handle map of the original framework.
std::unordered_map<HWND, std::unique_ptr<CWnd>> &ForeignWrappers() {
    static std::unordered_map<HWND, std::unique_ptr<CWnd>> wrappers;
    return wrappers;
}

// A widget of this process that stands for a live window by its native id.
QWidget *LiveWidget(WId id) {
    QWidget *w = QWidget::find(id);
    return w && !w->property(VX_RETIRED_PROPERTY).toBool() ? w : nullptr;
}

CWnd &Desktop() {
    static CWnd *desktop = [] {
        auto *wnd = new CWnd;
        wnd->m_impl = std::make_unique<VxWindowImpl>();
        wnd->m_impl->kind = VxWindowKind::Desktop;
        wnd->m_impl->wnd = wnd;
        wnd->m_impl->hwnd = VxNewControlHandle(wnd->m_impl.get());
        wnd->m_hWnd = wnd->m_impl->hwnd;
        VxRegisterHandle(wnd->m_hWnd, wnd);
        return wnd;
    }();
    return *desktop;
}
} // namespace

QWidget *VxWidgetFromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    if (CWnd *wnd = VxLookupHandle(hwnd))
        return wnd->m_impl ? wnd->m_impl->widget() : nullptr;
    if (auto it = ForeignWrappers().find(hwnd); it != ForeignWrappers().end())
        return it->second->m_impl ? it->second->m_impl->foreignWidget.data() : nullptr;
    return LiveWidget(WId(reinterpret_cast<uintptr_t>(hwnd)));
}

CWnd *CWnd::FromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    if (CWnd *wnd = VxLookupHandle(hwnd))
        return wnd;
    auto &wrappers = ForeignWrappers();
    if (auto it = wrappers.find(hwnd); it != wrappers.end()) {
        if (IsWindow(hwnd))
            return it->second.get();
        wrappers.erase(it);
        return nullptr;
    }
    const WId id = WId(reinterpret_cast<uintptr_t>(hwnd));
    auto impl = std::make_unique<VxWindowImpl>();
    impl->kind = VxWindowKind::Foreign;
    impl->hwnd = hwnd;
    impl->foreignId = id;
    if (QWidget *widget = LiveWidget(id)) {
        impl->foreignWidget = widget; // a plain widget of this process
    } else if (VxForeignWindowExists(id)) {
        impl->foreignWindow = QWindow::fromWinId(id);
        if (!impl->foreignWindow)
            return nullptr;
    } else {
        return nullptr; // names no window
    }
    auto wrapper = std::make_unique<CWnd>();
    impl->wnd = wrapper.get();
    wrapper->m_impl = std::move(impl);
    wrapper->m_hWnd = hwnd;
    CWnd *result = wrapper.get();
    wrappers[hwnd] = std::move(wrapper);
    return result;
}

CWnd *CWnd::GetDesktopWindow() {
    return &Desktop();
}

// ---- window handles for everyone ------------------------------------------------------------
BOOL IsWindow(HWND hwnd) {
    if (!hwnd)
        return FALSE;
    if (CWnd *wnd = VxLookupHandle(hwnd))
        return wnd->m_impl && !wnd->m_impl->destroying;
    const WId id = WId(reinterpret_cast<uintptr_t>(hwnd));
    if (auto it = ForeignWrappers().find(hwnd); it != ForeignWrappers().end()) {
        if (it->second->m_impl && it->second->m_impl->foreignWidget)
            return TRUE;
    }
    if (LiveWidget(id))
        return TRUE;
    return VxForeignWindowExists(id) ? TRUE : FALSE;
}

HWND GetForegroundWindow() {
    if (QWidget *active = QApplication::activeWindow()) {
        if (CWnd *wnd = VxWndFromWidget(active))
            return wnd->m_hWnd;
        return HWND(uintptr_t(active->winId()));
    }
    if (const WId id = VxForeignActiveWindow())
        return HWND(uintptr_t(id));
    return nullptr;
}
