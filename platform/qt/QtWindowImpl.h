// The toolkit side of a framework window (CWnd::m_impl), for code under
// platform/qt that builds on the windows of the framework: the common
// controls, the message boxes, the password component's dialogs.
//
// Window handles. A window made by CWnd::CreateEx and a dialog are native
// windows: their HWND is the native window id (QWidget::winId()), so
// QWidget::find(WId(hwnd)) finds them from anywhere in the process and a
// handle given on the command line (an X11 window id) names the same kind of
// thing. Dialog controls are not native; their HWND is an opaque value that
// only the framework resolves (VxWidgetFromHandle). A handle of a window of
// another program is its X11 id; CWnd::FromHandle wraps it.
//
// Every window kind keeps its widget here: widget() is the QWidget that shows
// it (the control itself for dialog controls: QPushButton, QCheckBox,
// QRadioButton, QGroupBox, QLabel, QFrame or QSlider), null for a window of
// another program and once the window is destroyed.
#pragma once

#include "platform/afx/AfxWin.h"
#include "platform/afx/WindowSystem_p.h"
#include "platform/win/WinTypes.h"

#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <QWindow>

#include <memory>
#include <string>
#include <vector>

class CMenu;
class QEventLoop;

enum class VxWindowKind {
    Surface, // made by CreateEx: draws through its backing surface
    Dialog,  // a dialog built from a template
    Control, // a control of a dialog
    Foreign, // a window of another program, or a plain widget of this one
    Desktop, // the screen
};

enum class VxControlKind {
    None,
    PushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    Text,
    Frame,
    Icon,
    Bitmap,
    Trackbar,
};

// A registered window class (AfxRegisterWndClass).
struct VxWindowClass {
    std::string name;
    UINT style = 0;
    HCURSOR cursor = nullptr; // null: the pointer is left as it is
    HBRUSH background = nullptr;
    HICON icon = nullptr;
};

struct VxWindowImpl {
    VxWindowKind kind = VxWindowKind::Surface;
    CWnd *wnd = nullptr; // the object that stands for the window now
    HWND hwnd = nullptr;
    QPointer<QWidget> w;
    QWidget *widget() const { return w.data(); }

    DWORD style = 0;
    DWORD exStyle = 0;
    const VxWindowClass *cls = nullptr;
    HWND parent = nullptr;      // for child windows and controls
    HWND owner = nullptr;       // for dialogs
    std::vector<HWND> children; // framework windows whose parent this is, in creation order
    bool topmost = false;
    bool destroying = false;
    bool frameworkOwned = false;  // the framework deletes `wnd` after the last message
    bool creationRefused = false; // WM_CREATE said -1: the creator keeps the object

    // Surface windows: the backing bitmap in display format and the area that
    // still needs a WM_PAINT.
    HBITMAP backing = nullptr;
    // While the backing bitmap's pixels are the toolkit's own image of the
    // window (VxShareBackingWithToolkit): where that image's pixels are.
    const uchar *sharedPixels = nullptr;
    QSize sharedSize;
    qsizetype sharedStride = 0;
    QRegion invalid;
    // When valid, the window draws at this size (its client area, backing
    // surface and device contexts) and is shown scaled to its real size.
    QSize drawingSize;
    bool eraseBackground = false;
    bool createdSent = false;

    // Controls.
    int controlId = 0;
    VxControlKind control = VxControlKind::None;
    HICON icon = nullptr; // the icon a static icon control shows
    int groupIndex = -1;  // radio buttons: the WS_GROUP run they belong to

    // Dialogs.
    QEventLoop *modalLoop = nullptr;
    int modalResult = -1;
    bool modalEnded = false;
    int clientOffset = 0; // frame width around the client area of a frameless dialog
    std::unique_ptr<CMenu> systemMenu;

    // Foreign windows.
    WId foreignId = 0;
    QPointer<QWindow> foreignWindow; // another program's window (X11)
    QPointer<QWidget> foreignWidget; // a plain widget of this process
};

// The widget of any window handle of the framework, or of a plain widget of
// this process by its native id; null for other programs' windows.
QWidget *VxWidgetFromHandle(HWND hwnd);
// The framework window a widget shows (the widget itself or, for a control's
// inner parts, its nearest framework ancestor); null when none.
CWnd *VxWndFromWidget(QWidget *widget);

// The message loop: a quit request (PostQuitMessage) ends every loop the
// framework runs (CWinApp::Run and modal dialogs). Tests that leave a quit
// request behind clear it.
bool VxQuitRequested(int *exitCode = nullptr);
void VxClearQuitRequest();
// Runs a nested loop until it is exited or a quit request arrives; returns
// false when it ended because of the quit request.
bool VxRunLoop(QEventLoop *loop);
