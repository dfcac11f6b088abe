// Internal pieces shared by the framework's Qt files: the handle registry,
// the widgets that turn Qt events into window messages, cursors and the
// posted-message queue.
#pragma once

#include "platform/qt/QtWindowImpl.h"

#include <QCursor>
#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QWidget>

#include <string>
#include <vector>

// ---- the display ------------------------------------------------------------------
// Chooses the toolkit's platform before it starts (QT_QPA_PLATFORM, and the
// value of a "-platform" argument in `qtArgs`): the first one asked for that
// can work, else a reachable Wayland compositor, else an X server. False,
// after one line on standard error, when there is neither.
bool VxChooseDisplayPlatform(const char *program, std::vector<std::string> &qtArgs);
// Closes what the choice kept open; called once the toolkit has started.
void VxEndDisplayProbe();
bool VxOnWayland();
// Shows a top-level window made by CreateEx; on Wayland a pop-up whose
// geometry covers one screen exactly is shown full screen on it.
void VxShowTopLevel(QWidget *w, DWORD style);
// On Wayland, where a program cannot place its windows, has a frameless
// top-level window of fixed size shown in the middle of the primary screen.
void VxCentreOnScreen(QWidget *w);

// ---- handles ---------------------------------------------------------------------
void VxRegisterHandle(HWND hwnd, CWnd *wnd);
void VxUnregisterHandle(HWND hwnd);
// A fresh opaque handle for a control (never a native id).
HWND VxNewControlHandle(VxWindowImpl *impl);

// Set on the widget of a destroyed window until the toolkit deletes it, so
// that it no longer passes for a live window.
constexpr const char *VX_RETIRED_PROPERTY = "vxRetiredWindow";
// Whether the window has the child style (WS_CHILD).
bool VxIsChildStyle(const VxWindowImpl *impl);
// The registered window class of that name; the default class for null, an
// atom or a name never registered.
const VxWindowClass *VxFindWindowClass(LPCSTR name);

// ---- messages ---------------------------------------------------------------------
constexpr WPARAM VX_MK_LBUTTON = 0x0001;
constexpr WPARAM VX_MK_RBUTTON = 0x0002;
constexpr WPARAM VX_MK_SHIFT = 0x0004;
constexpr WPARAM VX_MK_CONTROL = 0x0008;
constexpr WPARAM VX_MK_MBUTTON = 0x0010;
constexpr WORD VX_HTCLIENT = 1;
constexpr UINT VX_WM_SHOWWINDOW = 0x0018;

// Translations of Qt input for the dispatch functions.
WORD VxVirtualKey(int qtKey);
WPARAM VxMouseKeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
bool VxIsSystemKey(int qtKey, Qt::KeyboardModifiers modifiers);
LPARAM VxKeyLParam(quint32 scanCode, bool altDown, bool repeat, bool release);

// The application's activation as the framework last reported it.
void VxNoteApplicationActive(bool active);

// The X connection of the running application, or null on any other platform.
struct xcb_connection_t;
xcb_connection_t *VxXcbConnection();

// ---- cursors ------------------------------------------------------------------------
// The Qt cursor for a framework cursor; null shows no pointer at all.
QCursor VxCursorFor(HCURSOR cursor);
// The widget that the pointer is over as far as WM_SETCURSOR knows.
void VxSetCursorTarget(QWidget *widget);
QWidget *VxCursorTarget();
// The picture of an icon or cursor with its transparency (null when unknown).
QImage VxIconImage(HICON icon);

// ---- surface windows ------------------------------------------------------------------
// Gives the window a backing surface of that size (at least 1x1), keeping
// what the old one showed; nothing changes when one cannot be made.
void VxResizeBacking(VxWindowImpl *impl, QSize size);
// The backing surface as an image (sharing its pixels when they are 32-bit).
QImage VxBackingImage(HBITMAP backing);
// The window's backing surface, for drawing or reading it now. When it lives
// in the toolkit's image of the window this checks that the image is still
// the one the toolkit presents; if the toolkit replaced it, the window gets
// pixels of its own again and is invalidated whole.
HBITMAP VxWindowBacking(VxWindowImpl *impl);
// Moves a top-level window's backing surface into the toolkit's image of the
// window (called as the toolkit paints it): from then on drawing through the
// window's DC changes what the toolkit presents, without a second
// screen-sized copy. Only on a 32-bit display without scaling.
void VxShareBackingWithToolkit(VxWindowImpl *impl);
// Whether the window draws in the device pixels of its monitor (a drawing
// size of its size times its device-pixel ratio), shown one to one.
bool VxDrawsInDevicePixels(const VxWindowImpl *impl);
// The part of the widget that shows `area` of the window's drawing surface.
QRect VxWidgetArea(const VxWindowImpl *impl, const QRect &area);
// Sends WM_PAINT when part of the window is invalid.
void VxPaintIfInvalid(CWnd *wnd);

// A top-level widget that refers back to its window. The widget may outlive
// the window until the toolkit deletes it, so the window clears the reference
// when it is destroyed.
class VxImplRef {
  public:
    explicit VxImplRef(VxWindowImpl *impl) : m_impl(impl) {}
    virtual ~VxImplRef() = default;
    VxWindowImpl *m_impl; // null once the window is destroyed
};

// The widget of a window made by CreateEx.
class VxSurfaceWidget : public QWidget, public VxImplRef {
  public:
    explicit VxSurfaceWidget(VxWindowImpl *impl, QWidget *parent = nullptr);
    ~VxSurfaceWidget() override;

  protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};

// Activation messages of a top-level window (both surface windows and dialogs).
void VxSendActivation(CWnd *wnd, bool active);

// ---- dialogs ----------------------------------------------------------------------------
// Builds the dialog's window and controls from a template; false when the
// template is missing or the window cannot be made.
bool VxCreateDialogWindow(CDialog *dialog, UINT templateId, CWnd *parent);
// Default handling of messages sent to dialog controls (STM_SETICON, ...).
LRESULT VxControlDefault(VxWindowImpl *impl, UINT message, WPARAM wParam, LPARAM lParam);
// The smooth true-colour pictures the current resource module holds for an
// icon loaded from it: resources of type "PNG<size>" (a PNG file of that
// many pixels square) with the icon resource's id. Smallest first.
QList<QImage> VxIconPictures(HICON icon);
// The application's window icon: its first icon resource, with all of its
// pictures; null when the module has no icon.
QIcon VxApplicationIcon();

// ---- foreign windows ------------------------------------------------------------------------
// The size of another program's window, false when it no longer exists.
bool VxForeignWindowSize(WId id, QSize *size);
// Whether the native id names a window of the display (X11 only).
bool VxForeignWindowExists(WId id);
// The window that has the keyboard focus on the display (X11), 0 when unknown.
WId VxForeignActiveWindow();
