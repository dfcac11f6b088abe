// CWnd over Qt: the handle registry, dispatch, posted messages, quit and
// timers, and the window itself: creation, destruction, default handling,
// geometry, visibility, owner and the dialog-item helpers. Painting is in
// QtWindowPaint.cpp, the widget's input in QtSurfaceWidget.cpp, windows the
// framework did not make in QtForeignWindow.cpp, window classes in
// QtWindowClass.cpp.
#include "platform/qt/QtFramework_p.h"
#include "platform/qt/ScreenService.h"

#include "platform/afx/MessageBox.h"
#include "platform/gdi/Gdi.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <map>
#include <unordered_map>
#include <vector>

const CWnd CWnd::wndTop;
const CWnd CWnd::wndTopMost;
const CWnd CWnd::wndNoTopMost;

namespace {

// ---- handles ---------------------------------------------------------------------
std::unordered_map<HWND, CWnd *> &Registry() {
    static std::unordered_map<HWND, CWnd *> registry;
    return registry;
}

// ---- posted messages, quit and timers ---------------------------------------------------
const QEvent::Type kPostedType = QEvent::Type(QEvent::User + 0x5601);
const QEvent::Type kQuitType = QEvent::Type(QEvent::User + 0x5602);

class PostedEvent : public QEvent {
  public:
    PostedEvent(HWND h, UINT m, WPARAM w, LPARAM l)
        : QEvent(kPostedType), hwnd(h), message(m), wParam(w), lParam(l) {}
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class QuitEvent : public QEvent {
  public:
    explicit QuitEvent(int c) : QEvent(kQuitType), code(c) {}
    int code;
};

struct QuitState {
    bool requested = false;
    int code = 0;
};
QuitState g_quit;
std::vector<QEventLoop *> g_loops;

struct TimerKey {
    HWND hwnd;
    UINT_PTR id;
    bool operator<(const TimerKey &o) const { return hwnd != o.hwnd ? hwnd < o.hwnd : id < o.id; }
};

// One object receives every posted message and every window timer, so that
// they go through the dispatch functions in the order Qt delivers them.
class MessageQueue : public QObject {
  public:
    std::map<TimerKey, int> timers; // (window, id) -> Qt timer
    std::map<int, TimerKey> byQtId;

    void customEvent(QEvent *event) override {
        if (event->type() == kPostedType) {
            auto *posted = static_cast<PostedEvent *>(event);
            CWnd *wnd = VxLookupHandle(posted->hwnd);
            // A message posted to a window destroyed since is discarded.
            if (wnd && wnd->m_impl && !wnd->m_impl->destroying)
                VxDispatch(wnd, posted->message, posted->wParam, posted->lParam);
        } else if (event->type() == kQuitType) {
            g_quit.requested = true;
            g_quit.code = static_cast<QuitEvent *>(event)->code;
            for (QEventLoop *loop : g_loops)
                loop->exit(g_quit.code);
        }
    }
    void timerEvent(QTimerEvent *event) override {
        auto it = byQtId.find(event->timerId());
        if (it == byQtId.end())
            return;
        const TimerKey key = it->second;
        CWnd *wnd = VxLookupHandle(key.hwnd);
        if (wnd && wnd->m_impl && !wnd->m_impl->destroying)
            VxDispatch(wnd, WM_TIMER, key.id, 0);
    }
    void KillAll(HWND hwnd) {
        for (auto it = timers.begin(); it != timers.end();) {
            if (it->first.hwnd == hwnd) {
                killTimer(it->second);
                byQtId.erase(it->second);
                it = timers.erase(it);
            } else {
                ++it;
            }
        }
    }
};

MessageQueue &Queue() {
    static MessageQueue *queue = new MessageQueue; // lives until exit
    return *queue;
}

void SetTopmostFlag(VxWindowImpl *impl, bool on) {
    impl->topmost = on;
    QWidget *w = impl->widget();
    if (!w || !w->isWindow())
        return;
    Qt::WindowFlags flags = w->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (QWindow *window = w->windowHandle()) {
        // Changing the flags through the widget would hide and re-show the
        // window, which takes its activation away; the native window takes
        // the new stacking hint in place.
        w->overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        w->setWindowFlags(flags);
    }
    if (on)
        w->raise();
}

} // namespace

// ---- registry ---------------------------------------------------------------------------
void VxRegisterHandle(HWND hwnd, CWnd *wnd) {
    Registry()[hwnd] = wnd;
}
void VxUnregisterHandle(HWND hwnd) {
    Registry().erase(hwnd);
}
CWnd *VxLookupHandle(HWND hwnd) {
    auto it = Registry().find(hwnd);
    return it == Registry().end() ? nullptr : it->second;
}
HWND VxNewControlHandle(VxWindowImpl *impl) {
    return reinterpret_cast<HWND>(impl);
}

CWnd *VxWndFromWidget(QWidget *widget) {
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (auto *surface = dynamic_cast<VxSurfaceWidget *>(w))
            return surface->m_impl ? surface->m_impl->wnd : nullptr;
        for (auto &[hwnd, wnd] : Registry())
            if (wnd->m_impl && wnd->m_impl->widget() == w)
                return wnd;
    }
    return nullptr;
}

bool VxIsChildStyle(const VxWindowImpl *impl) {
    return (impl->style & WS_CHILD) != 0;
}

// ---- dispatch -------------------------------------------------------------------------------
bool VxQuitRequested(int *exitCode) {
    if (exitCode)
        *exitCode = g_quit.code;
    return g_quit.requested;
}

void VxClearQuitRequest() {
    QCoreApplication::removePostedEvents(&Queue(), kQuitType);
    g_quit = QuitState{};
}

bool VxRunLoop(QEventLoop *loop) {
    if (g_quit.requested)
        return false;
    g_loops.push_back(loop);
    loop->exec();
    g_loops.erase(std::find(g_loops.begin(), g_loops.end(), loop));
    return !g_quit.requested;
}

void PostQuitMessage(int exitCode) {
    // Queued behind the messages already posted, as the quit message is
    // retrieved only after them.
    QCoreApplication::postEvent(&Queue(), new QuitEvent(exitCode));
}

// ---- CWnd -------------------------------------------------------------------------------------
CWnd::CWnd() = default;

CWnd::~CWnd() {
    VxForgetDispatches(this);
    if (m_hWnd && m_impl && m_impl->kind != VxWindowKind::Foreign &&
        m_impl->kind != VxWindowKind::Desktop && !m_impl->destroying &&
        VxLookupHandle(m_hWnd) == this)
        DestroyWindow(); // a window must not outlive its object
    if (m_hWnd && VxLookupHandle(m_hWnd) == this)
        VxUnregisterHandle(m_hWnd);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    VxWindowImpl *impl = m_impl.get();
    if (!impl)
        return 0;
    if (impl->kind == VxWindowKind::Control) {
        const LRESULT handled = VxControlDefault(impl, message, wParam, lParam);
        if (handled != LRESULT(-2))
            return handled;
    }
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_CLOSE:
        if (impl->kind == VxWindowKind::Dialog)
            SendMessage(WM_COMMAND, IDCANCEL, 0); // a dialog's close box means Cancel
        else
            DestroyWindow();
        return 0;
    case WM_PAINT:
        impl->invalid = QRegion();
        impl->eraseBackground = false;
        return 0;
    case WM_ERASEBKGND:
        if (impl->cls && impl->cls->background && wParam) {
            RECT client;
            GetClientRect(&client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, impl->cls->background);
            return 1;
        }
        return 0;
    case WM_SETCURSOR: {
        // A child asks its parent first; the parent may decide the cursor.
        if (VxIsChildStyle(impl)) {
            if (CWnd *parent = VxLookupHandle(impl->parent))
                if (VxDispatch(parent, WM_SETCURSOR, wParam, lParam))
                    return TRUE;
        }
        if (LOWORD(uintptr_t(lParam)) == VX_HTCLIENT && impl->cls && impl->cls->cursor)
            SetCursor(impl->cls->cursor);
        return FALSE;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessage(WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the window to close through its system command.
        if (wParam == 0x73 && (uintptr_t(lParam) & (1u << 29)))
            SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_NCACTIVATE:
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && impl->widget() &&
            !impl->widget()->focusWidget()) // a dialog keeps its control's focus
            impl->widget()->setFocus(Qt::ActiveWindowFocusReason);
        return 0;
    case WM_QUERYNEWPALETTE:
        return FALSE;
    case WM_NCDESTROY:
        if (VxGetMainWindowHandle() == m_hWnd)
            VxSetMainWindowHandle(nullptr);
        // The process ends with its main window.
        if (CWinApp *app = AfxGetApp(); app && app->m_pMainWnd == this) {
            app->m_pMainWnd = nullptr;
            PostQuitMessage(0);
        }
        return 0;
    default:
        return 0;
    }
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return VxDispatch(this, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd || VxLookupHandle(m_hWnd) != this || !m_impl || m_impl->destroying)
        return FALSE;
    QCoreApplication::postEvent(&Queue(), new PostedEvent(m_hWnd, message, wParam, lParam));
    return TRUE;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void *) {
    if (!m_hWnd || !m_impl || m_impl->destroying)
        return 0;
    MessageQueue &queue = Queue();
    const TimerKey key{m_hWnd, id};
    if (auto it = queue.timers.find(key); it != queue.timers.end()) {
        queue.killTimer(it->second);
        queue.byQtId.erase(it->second);
        queue.timers.erase(it);
    }
    // Periods below 10 ms are raised to 10 ms, as the window system does.
    const int qtId = queue.startTimer(int(std::max<UINT>(elapseMs, 10)), Qt::PreciseTimer);
    if (qtId == 0)
        return 0;
    queue.timers[key] = qtId;
    queue.byQtId[qtId] = key;
    return id ? id : 1;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    MessageQueue &queue = Queue();
    auto it = queue.timers.find(TimerKey{m_hWnd, id});
    if (it == queue.timers.end())
        return FALSE;
    queue.killTimer(it->second);
    queue.byQtId.erase(it->second);
    queue.timers.erase(it);
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, LPVOID) {
    if (m_hWnd || !QApplication::instance())
        return FALSE;
    CWnd *parentWnd = parent ? FromHandle(parent) : nullptr;
    if (parent && !parentWnd)
        return FALSE;
    if ((style & WS_CHILD) && !parentWnd)
        return FALSE;
    if (parentWnd && parentWnd->m_impl && parentWnd->m_impl->kind == VxWindowKind::Foreign &&
        parentWnd->m_impl->foreignWindow && !VxForeignWindowExists(parentWnd->m_impl->foreignId))
        return FALSE;

    auto impl = std::make_unique<VxWindowImpl>();
    VxWindowImpl *raw = impl.get();
    raw->kind = VxWindowKind::Surface;
    raw->wnd = this;
    raw->style = style;
    raw->exStyle = exStyle;
    raw->cls = VxFindWindowClass(className);
    raw->topmost = (exStyle & WS_EX_TOPMOST) != 0;
    raw->controlId = (style & WS_CHILD) ? int(reinterpret_cast<uintptr_t>(menu)) : 0;

    VxSurfaceWidget *w = nullptr;
    VxWindowImpl *parentImpl = parentWnd ? parentWnd->m_impl.get() : nullptr;
    QWidget *parentWidget = nullptr;
    if (parentImpl && (style & WS_CHILD)) {
        parentWidget = parentImpl->kind == VxWindowKind::Foreign ? parentImpl->foreignWidget.data()
                                                                 : parentImpl->widget();
    }
    if (parentWidget) {
        w = new VxSurfaceWidget(raw, parentWidget);
        w->setAttribute(Qt::WA_NativeWindow);
    } else if (parentImpl && (style & WS_CHILD) && parentImpl->foreignWindow) {
        // A child of another program's window: our own native window placed
        // inside it (painting into the foreign window itself is not possible).
        w = new VxSurfaceWidget(raw, nullptr);
        w->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        w->setAttribute(Qt::WA_NativeWindow);
        w->winId();
        w->windowHandle()->setParent(parentImpl->foreignWindow);
    } else if (style & WS_CHILD) {
        return FALSE;
    } else {
        w = new VxSurfaceWidget(raw, nullptr);
        Qt::WindowFlags flags = Qt::Window;
        if ((style & WS_POPUP) || !(style & WS_CAPTION))
            flags |= Qt::FramelessWindowHint;
        if (raw->topmost)
            flags |= Qt::WindowStaysOnTopHint;
        if (exStyle & WS_EX_NOACTIVATE) {
            flags |= Qt::WindowDoesNotAcceptFocus;
            w->setAttribute(Qt::WA_ShowWithoutActivating);
        }
        w->setWindowFlags(flags);
        w->setAttribute(Qt::WA_QuitOnClose, false);
        if (windowName && *windowName)
            w->setWindowTitle(QString::fromLocal8Bit(windowName));
    }
    raw->w = w;
    QRect placed(x, y, std::max(0, width), std::max(0, height));
    // A top-level window's rectangle is in the screen's coordinates: on a
    // monitor taken for the screen, its device pixels.
    if (w->isWindow() && !(style & WS_CHILD))
        placed = VxPlaceOnScreen(placed, &raw->drawingSize);
    w->setGeometry(placed);
    raw->hwnd = HWND(uintptr_t(w->winId()));
    if (!raw->hwnd || VxLookupHandle(raw->hwnd)) {
        w->m_impl = nullptr;
        delete w;
        return FALSE;
    }

    // The backing surface; a top-level window starts out showing the screen
    // under it, a child black.
    VxResizeBacking(raw, QSize(width, height));
    if (!(style & WS_CHILD))
        VxCopyFromScreen(raw->backing, x, y, width, height);
    if (!raw->backing) {
        w->m_impl = nullptr;
        delete w;
        return FALSE;
    }
    raw->invalid = QRegion(0, 0, width, height);
    raw->eraseBackground = true;
    if (parentImpl && (style & WS_CHILD))
        raw->parent = parentWnd->m_hWnd;

    m_impl = std::move(impl);
    m_hWnd = raw->hwnd;
    VxRegisterHandle(m_hWnd, this);
    if (parentImpl && (style & WS_CHILD))
        parentImpl->children.push_back(m_hWnd);

    const HWND self = m_hWnd;
    if (VxDispatch(this, WM_CREATE, 0, 0) == -1) {
        if (VxLookupHandle(self) == this) {
            // Creation refused: the window goes away; the object stays with
            // its creator, who learns of it from the result (so no
            // PostNcDestroy, which could delete it under the creator's feet).
            m_impl->creationRefused = true;
            DestroyWindow();
        }
        return FALSE;
    }
    if (VxLookupHandle(self) != this)
        return FALSE;
    raw->createdSent = true;
    VxDispatch(this, WM_SIZE, 0, MAKELPARAM(WORD(width), WORD(height)));
    if (VxLookupHandle(self) != this)
        return FALSE;

    // A child of a window that may change size or go away is watched: it
    // follows the host's client size and ends with it.
    if (parentImpl && parentImpl->kind == VxWindowKind::Foreign) {
        auto *watch = new QTimer(w);
        watch->setInterval(100);
        const HWND host = parentWnd->m_hWnd;
        QObject::connect(watch, &QTimer::timeout, w, [self, host] {
            CWnd *child = VxLookupHandle(self);
            CWnd *parentWrapper = CWnd::FromHandle(host);
            if (!child || !child->m_impl)
                return;
            RECT rc{};
            if (!parentWrapper || !IsWindow(host)) {
                child->DestroyWindow();
                return;
            }
            parentWrapper->GetClientRect(&rc);
            QWidget *cw = child->m_impl->widget();
            if (cw && (cw->width() != rc.right || cw->height() != rc.bottom))
                cw->resize(rc.right, rc.bottom);
        });
        watch->start();
    }

    if (style & WS_VISIBLE) {
        if (style & WS_CHILD)
            w->show();
        else
            VxShowTopLevel(w, style);
        if (!(style & WS_CHILD))
            w->raise();
        if (!(exStyle & WS_EX_NOACTIVATE)) {
            if (!(style & WS_CHILD))
                w->activateWindow();
            w->setFocus(Qt::OtherFocusReason);
        }
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    VxWindowImpl *impl = m_impl.get();
    if (!m_hWnd || !impl || impl->destroying || VxLookupHandle(m_hWnd) != this)
        return FALSE;
    if (impl->kind == VxWindowKind::Foreign || impl->kind == VxWindowKind::Desktop)
        return FALSE;
    impl->destroying = true;
    const HWND self = m_hWnd;
    QWidget *w = impl->widget();
    if (auto *ref = dynamic_cast<VxImplRef *>(w))
        ref->m_impl = nullptr; // no more input from the toolkit
    if (w && w->isVisible())
        w->hide();
    if (impl->modalLoop)
        impl->modalLoop->exit(impl->modalResult);

    VxDispatch(this, WM_DESTROY, 0, 0);
    // Children go with their parent, after it has heard of its destruction.
    const std::vector<HWND> children = impl->children;
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (CWnd *child = VxLookupHandle(*it))
            child->DestroyWindow();
    Queue().KillAll(self);
    VxDispatch(this, WM_NCDESTROY, 0, 0);

    if (CWnd *parent = VxLookupHandle(impl->parent); parent && parent->m_impl) {
        auto &siblings = parent->m_impl->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
    }
    VxUnregisterHandle(self);
    if (VxCursorTarget() == w)
        VxSetCursorTarget(nullptr);
    std::unique_ptr<VxWindowImpl> gone = std::move(m_impl);
    m_hWnd = nullptr;
    if (gone->backing)
        DeleteObject(gone->backing);
    if (w) {
        // Controls go with their dialog's widget; windows are deleted once the
        // toolkit has finished the event being handled now. Until then the
        // widget must not pass for a window of its own.
        w->setProperty(VX_RETIRED_PROPERTY, true);
        if (gone->kind != VxWindowKind::Control)
            w->deleteLater();
    }
    const bool frameworkOwned = gone->frameworkOwned;
    const bool creationRefused = gone->creationRefused;
    gone.reset();
    if (frameworkOwned)
        delete this;
    else if (!creationRefused)
        PostNcDestroy(); // may delete the object
    return TRUE;
}

void CWnd::GetClientRect(LPRECT rect) const {
    if (!rect)
        return;
    SetRect(rect, 0, 0, 0, 0);
    const VxWindowImpl *impl = m_impl.get();
    if (!impl)
        return;
    switch (impl->kind) {
    case VxWindowKind::Desktop: {
        const QSize size = VxScreenSize();
        SetRect(rect, 0, 0, size.width(), size.height());
        return;
    }
    case VxWindowKind::Foreign: {
        QSize size;
        if (impl->foreignWidget)
            size = impl->foreignWidget->size();
        else if (!VxForeignWindowSize(impl->foreignId, &size))
            return;
        SetRect(rect, 0, 0, size.width(), size.height());
        return;
    }
    case VxWindowKind::Dialog:
        if (const QWidget *w = impl->widget())
            SetRect(rect, 0, 0, w->width() - 2 * impl->clientOffset,
                    w->height() - 2 * impl->clientOffset);
        return;
    default:
        if (impl->drawingSize.isValid())
            SetRect(rect, 0, 0, impl->drawingSize.width(), impl->drawingSize.height());
        else if (const QWidget *w = impl->widget())
            SetRect(rect, 0, 0, w->width(), w->height());
        return;
    }
}

void CWnd::GetWindowRect(LPRECT rect) const {
    if (!rect)
        return;
    SetRect(rect, 0, 0, 0, 0);
    const VxWindowImpl *impl = m_impl.get();
    if (!impl)
        return;
    if (impl->kind == VxWindowKind::Desktop || impl->kind == VxWindowKind::Foreign) {
        GetClientRect(rect);
        return;
    }
    if (const QWidget *w = impl->widget()) {
        const QRect frame =
            w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        SetRect(rect, frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1);
    }
}

BOOL CWnd::SetWindowPos(const CWnd *insertAfter, int x, int y, int cx, int cy, UINT flags) {
    VxWindowImpl *impl = m_impl.get();
    if (!impl || !impl->widget())
        return FALSE;
    QWidget *w = impl->widget();
    if (insertAfter == &wndTopMost)
        SetTopmostFlag(impl, true);
    else if (insertAfter == &wndNoTopMost)
        SetTopmostFlag(impl, false);
    else if (insertAfter == &wndTop)
        w->raise();
    if (!(flags & SWP_NOMOVE))
        w->move(x, y);
    if (!(flags & SWP_NOSIZE))
        w->resize(std::max(0, cx), std::max(0, cy));
    return TRUE;
}

BOOL CWnd::IsTopmost() const {
    return m_impl && m_impl->topmost;
}

BOOL CWnd::ShowWindow(int cmd) {
    QWidget *w = m_impl ? m_impl->widget() : nullptr;
    if (!w)
        return FALSE;
    const bool wasVisible = w->isVisible();
    if (cmd == 0)
        w->hide();
    else
        w->show();
    return wasVisible;
}

BOOL CWnd::SetForegroundWindow() {
    QWidget *w = m_impl ? m_impl->widget() : nullptr;
    if (!w || !w->isWindow() || !w->isVisible())
        return FALSE;
    w->activateWindow();
    return TRUE;
}

BOOL CWnd::IsWindowVisible() const {
    const QWidget *w = m_impl ? m_impl->widget() : nullptr;
    return w && w->isVisible();
}

BOOL CWnd::IsIconic() const {
    const QWidget *w = m_impl ? m_impl->widget() : nullptr;
    return w && w->isMinimized();
}

BOOL CWnd::EnableWindow(BOOL enable) {
    QWidget *w = m_impl ? m_impl->widget() : nullptr;
    if (!w)
        return FALSE;
    const bool wasDisabled = !w->isEnabled();
    w->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    const QWidget *w = m_impl ? m_impl->widget() : nullptr;
    return w && w->isEnabled();
}

void CWnd::CenterWindow(CWnd *alternateOwner) {
    QWidget *w = m_impl ? m_impl->widget() : nullptr;
    if (!w)
        return;
    const QRect area = VxScreenService().WorkArea();
    const QSize size = w->frameGeometry().size();
    QRect around = area;
    CWnd *owner = alternateOwner ? alternateOwner : GetOwner();
    if (owner && owner->m_impl) {
        RECT rc;
        owner->GetWindowRect(&rc);
        const QWidget *ow = owner->m_impl->widget();
        if (rc.right > rc.left && (!ow || (ow->isVisible() && !ow->isMinimized())))
            around = QRect(QPoint(rc.left, rc.top), QPoint(rc.right - 1, rc.bottom - 1));
    }
    int x = around.left() + (around.width() - size.width()) / 2;
    int y = around.top() + (around.height() - size.height()) / 2;
    // Kept inside the work area.
    x = std::max(area.left(), std::min(x, area.left() + area.width() - size.width()));
    y = std::max(area.top(), std::min(y, area.top() + area.height() - size.height()));
    w->move(x, y);
    if (around == area)
        VxCentreOnScreen(w);
}

CWnd *CWnd::GetParent() const {
    return m_impl ? FromHandle(m_impl->parent) : nullptr;
}

CWnd *CWnd::GetOwner() const {
    if (!m_impl)
        return nullptr;
    if (m_impl->owner)
        return FromHandle(m_impl->owner);
    return GetParent();
}

void CWnd::SetOwner(CWnd *owner) {
    if (m_impl)
        m_impl->owner = owner ? owner->m_hWnd : nullptr;
}

CWnd *CWnd::GetDlgItem(int id) const {
    if (!m_impl)
        return nullptr;
    for (HWND child : m_impl->children) {
        CWnd *wnd = VxLookupHandle(child);
        if (wnd && wnd->m_impl && wnd->m_impl->controlId == id)
            return wnd;
    }
    return nullptr;
}

namespace {
void SetButtonCheck(QAbstractButton *button, bool checked) {
    if (button->isChecked() == checked)
        return;
    QButtonGroup *group = button->group();
    // An exclusive group refuses to uncheck its checked button; the dialog
    // may still ask for no choice at all.
    const bool exclusive = group && group->exclusive();
    if (exclusive && !checked)
        group->setExclusive(false);
    button->setChecked(checked);
    if (exclusive && !checked)
        group->setExclusive(true);
}
} // namespace

void CWnd::CheckDlgButton(int id, UINT check) {
    CWnd *item = GetDlgItem(id);
    if (auto *b = item && item->m_impl ? qobject_cast<QAbstractButton *>(item->m_impl->widget())
                                       : nullptr)
        SetButtonCheck(b, check != 0);
}

UINT CWnd::IsDlgButtonChecked(int id) const {
    CWnd *item = GetDlgItem(id);
    auto *b =
        item && item->m_impl ? qobject_cast<QAbstractButton *>(item->m_impl->widget()) : nullptr;
    return b && b->isCheckable() && b->isChecked() ? 1u : 0u;
}

CMenu *CWnd::GetSystemMenu(BOOL revert) {
    if (!m_impl)
        return nullptr;
    if (revert) {
        m_impl->systemMenu.reset();
        return nullptr;
    }
    if (!m_impl->systemMenu) {
        m_impl->systemMenu = std::make_unique<CMenu>();
        m_impl->systemMenu->m_owner = this;
    }
    return m_impl->systemMenu.get();
}

int CWnd::GetDlgCtrlID() const {
    return m_impl ? m_impl->controlId : 0;
}

void CWnd::SetWindowText(LPCSTR text) {
    QWidget *w = m_impl ? m_impl->widget() : nullptr;
    if (!w)
        return;
    const QString s = QString::fromLocal8Bit(text ? text : "");
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(s);
    else if (auto *group = qobject_cast<QGroupBox *>(w))
        group->setTitle(s);
    else if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(QString(s).remove(QLatin1Char('&')));
    else
        w->setWindowTitle(s);
}

void CWnd::OnClose() {
    DestroyWindow();
}
