// The widget of a window made by CreateEx: it shows the window's backing
// surface and turns Qt's input, resize, activation and close events into
// window messages.
#include "platform/qt/QtFramework_p.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

VxSurfaceWidget::VxSurfaceWidget(VxWindowImpl *impl, QWidget *parent)
    : QWidget(parent), VxImplRef(impl) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

VxSurfaceWidget::~VxSurfaceWidget() {
    // Deleted by the toolkit while its window still exists (its host widget
    // went away): the window is destroyed with it, as a child is with its
    // parent.
    if (VxWindowImpl *impl = m_impl) {
        m_impl = nullptr;
        impl->w = nullptr;
        if (impl->wnd)
            impl->wnd->DestroyWindow();
    }
}

namespace {
CWnd *Target(VxWindowImpl *impl) {
    return impl && !impl->destroying ? impl->wnd : nullptr;
}

void SendSetCursor(VxSurfaceWidget *w, CWnd *wnd, UINT mouseMessage) {
    VxSetCursorTarget(w);
    VxDispatch(wnd, WM_SETCURSOR, WPARAM(wnd->m_hWnd), MAKELPARAM(VX_HTCLIENT, WORD(mouseMessage)));
}
} // namespace

bool VxSurfaceWidget::event(QEvent *event) {
    CWnd *wnd = Target(m_impl);
    if (wnd) {
        switch (event->type()) {
        case QEvent::Enter:
            SendSetCursor(this, wnd, WM_MOUSEMOVE);
            break;
        case QEvent::WindowBlocked:
            // A modal dialog now takes the input, and the pointer brings no
            // further messages here until it ends: the window decides its
            // cursor now, the way a disabled window still does under the
            // pointer.
            if (isWindow())
                SendSetCursor(this, wnd, 0);
            break;
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
            if (!VxIsChildStyle(m_impl))
                VxSendActivation(wnd, event->type() == QEvent::WindowActivate);
            break;
        default:
            break;
        }
    }
    return QWidget::event(event);
}

void VxSurfaceWidget::paintEvent(QPaintEvent *event) {
    QPointer<VxSurfaceWidget> self(this);
    VxWindowBacking(m_impl);
    if (Target(m_impl))
        VxShareBackingWithToolkit(m_impl);
    if (CWnd *wnd = Target(m_impl))
        VxPaintIfInvalid(wnd);
    if (!self)
        return;
    // A surface that lives in the toolkit's image is already what it shows.
    if (m_impl && m_impl->sharedPixels && VxWindowBacking(m_impl) && m_impl->sharedPixels)
        return;
    QPainter painter(this);
    const QImage image = m_impl ? VxBackingImage(m_impl->backing) : QImage();
    if (image.isNull()) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    if (image.size() == m_impl->drawingSize && VxDrawsInDevicePixels(m_impl)) {
        // One pixel of the surface for each pixel of the monitor.
        const qreal ratio = painter.device()->devicePixelRatioF();
        const QRectF target(event->rect());
        painter.drawImage(target, image, QRectF(target.topLeft() * ratio, target.size() * ratio));
        return;
    }
    if (image.size() != size() && m_impl->drawingSize.isValid()) {
        // A miniature of the whole picture; the smooth filter averages the
        // pixels it shrinks, so thin lines and sprites stay visible.
        painter.drawImage(QPoint(0, 0),
                          image.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        return;
    }
    painter.drawImage(event->rect(), image, event->rect());
}

void VxSurfaceWidget::resizeEvent(QResizeEvent *) {
    CWnd *wnd = Target(m_impl);
    if (!wnd)
        return;
    VxResizeBacking(m_impl, m_impl->drawingSize.isValid() ? m_impl->drawingSize : size());
    if (!m_impl->createdSent)
        return;
    if (m_impl->cls && (m_impl->cls->style & (CS_HREDRAW | CS_VREDRAW)))
        wnd->InvalidateRect(nullptr, TRUE);
    // A window drawn in device pixels reports its size in them; a miniature
    // (a surface shown scaled down in a host's pane) reports the size it is
    // shown at, so that its owner sees when the host resizes it.
    const QSize client = VxDrawsInDevicePixels(m_impl) ? m_impl->drawingSize : size();
    VxDispatch(wnd, WM_SIZE, 0, MAKELPARAM(WORD(client.width()), WORD(client.height())));
}

void VxSurfaceWidget::keyPressEvent(QKeyEvent *event) {
    CWnd *wnd = Target(m_impl);
    if (!wnd)
        return;
    const HWND self = wnd->m_hWnd;
    const bool alt = event->modifiers().testFlag(Qt::AltModifier);
    const bool system = VxIsSystemKey(event->key(), event->modifiers());
    VxDispatch(wnd, system ? WM_SYSKEYDOWN : WM_KEYDOWN, VxVirtualKey(event->key()),
               VxKeyLParam(event->nativeScanCode(), alt, event->isAutoRepeat(), false));
    // The character the key produced follows its key message.
    const QString text = event->text();
    if (!system && !text.isEmpty() && text.at(0).unicode() >= 0x20 &&
        text.at(0).unicode() != 0x7F) {
        if (CWnd *again = VxLookupHandle(self);
            again && again->m_impl && !again->m_impl->destroying)
            VxDispatch(again, WM_CHAR, text.at(0).unicode(),
                       VxKeyLParam(event->nativeScanCode(), alt, event->isAutoRepeat(), false));
    }
}

void VxSurfaceWidget::keyReleaseEvent(QKeyEvent *event) {
    CWnd *wnd = Target(m_impl);
    if (!wnd)
        return;
    const bool alt = event->modifiers().testFlag(Qt::AltModifier);
    const bool system = VxIsSystemKey(event->key(), event->modifiers());
    VxDispatch(wnd, system ? WM_SYSKEYUP : WM_KEYUP, VxVirtualKey(event->key()),
               VxKeyLParam(event->nativeScanCode(), alt, false, true));
}

namespace {
UINT ButtonMessage(Qt::MouseButton button, bool down) {
    switch (button) {
    case Qt::LeftButton:
        return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case Qt::RightButton:
        return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case Qt::MiddleButton:
        return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default:
        return 0;
    }
}

// The pointer's position in the window's client coordinates (its drawing
// surface's pixels).
LPARAM PointLParam(const VxSurfaceWidget *w, const QMouseEvent *event) {
    QPointF p = event->position();
    const VxWindowImpl *impl = w->m_impl;
    if (impl && impl->drawingSize.isValid() && w->width() > 0 && w->height() > 0)
        p = QPointF(p.x() * impl->drawingSize.width() / w->width(),
                    p.y() * impl->drawingSize.height() / w->height());
    const QPoint at = p.toPoint();
    return MAKELPARAM(WORD(short(at.x())), WORD(short(at.y())));
}

// A press or move first asks the window for its cursor, as the window system
// does, then delivers the message, unless the cursor handler ended the window.
void SendMouseWithCursor(VxSurfaceWidget *w, CWnd *wnd, UINT message, const QMouseEvent *event) {
    const HWND self = wnd->m_hWnd;
    SendSetCursor(w, wnd, message);
    if (CWnd *again = VxLookupHandle(self); again && again->m_impl && !again->m_impl->destroying)
        VxDispatch(again, message, VxMouseKeyState(event->buttons(), event->modifiers()),
                   PointLParam(w, event));
}
} // namespace

void VxSurfaceWidget::mousePressEvent(QMouseEvent *event) {
    CWnd *wnd = Target(m_impl);
    const UINT message = ButtonMessage(event->button(), true);
    if (!wnd || !message)
        return;
    SendMouseWithCursor(this, wnd, message, event);
}

void VxSurfaceWidget::mouseDoubleClickEvent(QMouseEvent *event) {
    // The window classes here do not ask for double clicks: the second click
    // is an ordinary button press.
    mousePressEvent(event);
}

void VxSurfaceWidget::mouseReleaseEvent(QMouseEvent *event) {
    CWnd *wnd = Target(m_impl);
    const UINT message = ButtonMessage(event->button(), false);
    if (!wnd || !message)
        return;
    VxDispatch(wnd, message, VxMouseKeyState(event->buttons(), event->modifiers()),
               PointLParam(this, event));
}

void VxSurfaceWidget::mouseMoveEvent(QMouseEvent *event) {
    CWnd *wnd = Target(m_impl);
    if (!wnd)
        return;
    SendMouseWithCursor(this, wnd, WM_MOUSEMOVE, event);
}

void VxSurfaceWidget::closeEvent(QCloseEvent *event) {
    // A window manager's close request is the window's close system command;
    // the window decides (the saver window consumes it).
    event->ignore();
    if (CWnd *wnd = Target(m_impl))
        VxDispatch(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}
