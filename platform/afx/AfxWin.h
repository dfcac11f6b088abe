// Framework window classes: application, windows, dialogs and the few
// controls the saver uses. Declared without any toolkit header; implemented
// over Qt in platform/qt.
//
// Message dispatch is explicit: each window class overrides WindowProc (its
// message map), handles the messages it lists and passes every other one to
// its base class's WindowProc. A handler that wants the framework's default
// handling for the message being dispatched calls Default(). CWnd::WindowProc
// itself is the default handling (DefWindowProc).
#pragma once

#include "platform/afx/AfxGdi.h"
#include "platform/win/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

class CWnd;
class CMenu;
struct VxWindowImpl; // toolkit side of a window
struct VxDialogImpl;

// ---- window classes -----------------------------------------------------------
// Registers (once per distinct combination) and returns a class name that
// carries the class style, cursor, background brush and icon.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                           HICON icon = nullptr);

// ---- cursors and icons ----------------------------------------------------------
// A null module offers the system's arrow (IDC_ARROW) only; a module's
// cursors are loaded once and shared for the process's life.
HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name);
// The handle LoadCursorA gives for the system's arrow: one that no drawing
// call knows, which each window system shows as its own arrow.
HCURSOR VxArrowCursor();
HCURSOR SetCursor(HCURSOR cursor); // null hides the pointer
// LoadIconA, LoadImageA, DestroyIcon and DrawIconEx are drawing calls:
// platform/gdi/Gdi.h.

// ---- system --------------------------------------------------------------------
int GetSystemMetrics(int index);
BOOL IsWindow(HWND hwnd);
HWND GetForegroundWindow();
void PostQuitMessage(int exitCode);
HDC GetDC(HWND hwnd); // a window's DC over its backing surface; null: the screen
int ReleaseDC(HWND hwnd, HDC dc);

// ---- CWnd ------------------------------------------------------------------------
class CWnd {
  public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd &) = delete;
    CWnd &operator=(const CWnd &) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // A top-level pop-up (no parent) or a child of `parent`, which may be a
    // foreign window wrapped by FromHandle. Sends WM_CREATE; FALSE when the
    // window could not be made or WM_CREATE answered -1.
    virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                          int y, int width, int height, HWND parent, HMENU menu = nullptr,
                          LPVOID param = nullptr);
    BOOL DestroyWindow();

    // The message map. Overrides handle their messages and pass the rest on.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default handling of the message being dispatched now.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window's last message (WM_NCDESTROY); the framework
    // touches the object no more afterwards, so an override may delete it.
    virtual void PostNcDestroy();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void *callback);
    BOOL KillTimer(UINT_PTR id);

    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    BOOL SetWindowPos(const CWnd *insertAfter, int x, int y, int cx, int cy, UINT flags);
    static const CWnd wndTop;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;
    BOOL IsTopmost() const;
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    void Invalidate(BOOL erase = TRUE) { InvalidateRect(nullptr, erase); }
    void UpdateWindow();
    BOOL ShowWindow(int cmd);
    // Makes this top-level window the active one, with the keyboard.
    BOOL SetForegroundWindow();
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    void CenterWindow(CWnd *alternateOwner = nullptr);
    CWnd *GetParent() const;
    CWnd *GetOwner() const;
    void SetOwner(CWnd *owner);

    CDC *GetDC();
    int ReleaseDC(CDC *dc);

    // Dialog-item helpers (valid on any window with child controls).
    CWnd *GetDlgItem(int id) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    CMenu *GetSystemMenu(BOOL revert);
    int GetDlgCtrlID() const;
    void SetWindowText(LPCSTR text);

    static CWnd *FromHandle(HWND hwnd); // a wrapper (temporary for foreign windows)
    static CWnd *GetDesktopWindow();    // the screen; its DC is the screen DC

    // Toolkit side; not for the saver's code.
    std::unique_ptr<VxWindowImpl> m_impl;

  protected:
    // Handlers with default handling, as the framework defines them.
    void OnClose(); // DestroyWindow
    void OnPaint(); // validates
};

// A window's paint context: BeginPaint in the constructor, EndPaint in the
// destructor. It validates the window.
class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd *window);
    ~CPaintDC() override;
    RECT m_ps_rcPaint{};

  private:
    CWnd *m_pWnd;
};

// ---- menus (the system menu of a dialog) ------------------------------------------
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;
class CMenu {
  public:
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
    struct Item {
        UINT flags;
        UINT_PTR id;
        const char *text;
    };
    int GetMenuItemCount() const;
    // The item at a position (its text stays valid as long as the menu);
    // FALSE when there is none.
    BOOL GetMenuItem(int position, Item *item) const;
    // Toolkit side.
    CWnd *m_owner = nullptr;

  private:
    struct StoredItem {
        UINT flags;
        UINT_PTR id;
        std::string text;
    };
    std::vector<StoredItem> m_items;
};

// ---- application -----------------------------------------------------------------
class CWinApp {
  public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp &) = delete;
    CWinApp &operator=(const CWinApp &) = delete;

    virtual BOOL InitInstance();
    // Runs the message loop until the quit message; returns its exit code.
    virtual int Run();

    CWnd *m_pMainWnd = nullptr;
    const char *m_pszAppName = nullptr; // executable name without folder and extension
    const char *m_pszRegistryKey = nullptr;
    int m_argc = 0;
    char **m_argv = nullptr; // argument 0 is the module path

    // The process exit code when InitInstance returns FALSE (or the main
    // window is missing): 0 unless the application says otherwise.
    int m_nExitCode = 0;

    void Enable3dControls() {}
    // Sets m_pszAppName from a module path: file name without folder and
    // extension ("/usr/bin/Vantorix.scr" gives "Vantorix").
    void SetAppName(LPCSTR modulePath);
    void SetRegistryKey(LPCSTR key);
    UINT GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue);
    BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);
};

CWinApp *AfxGetApp();
CWnd *AfxGetMainWnd();

// Process entry: makes the toolkit application, sets the application name
// from argv[0], installs the resource module and message boxes, calls
// InitInstance of the one CWinApp and runs the loop when it returns TRUE.
// Returns the process exit code.
int AfxWinMain(int argc, char **argv);

// ---- dialogs ---------------------------------------------------------------------
class CDataExchange {
  public:
    BOOL m_bSaveAndValidate = FALSE;
    CWnd *m_pDlgWnd = nullptr;
};

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId, CWnd *parent = nullptr);
    ~CDialog() override;

    // Builds the dialog from its template, runs a nested loop until EndDialog,
    // returns the result (-1 when the dialog could not be created).
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog(); // runs DoDataExchange(load); returns TRUE
    virtual void DoDataExchange(CDataExchange *dx);
    virtual void OnOK();     // EndDialog(IDOK)
    virtual void OnCancel(); // EndDialog(IDCANCEL)
    // Sees every input message meant for the dialog or its controls before
    // they do; TRUE means it was handled.
    virtual BOOL PreTranslateMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND target);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    CWnd *m_pParentWnd;
};

// Binds a control of the dialog to a control object.
void DDX_Control(CDataExchange *dx, int id, CWnd &control);

// ---- common controls -------------------------------------------------------------
class CSliderCtrl : public CWnd {
  public:
    void SetRange(int minimum, int maximum, BOOL redraw = FALSE);
    void SetPos(int position); // clamps to the range
    int GetPos() const;
    int GetRangeMin() const;
    int GetRangeMax() const;
};

struct VxToolTipImpl;
class CToolTipCtrl : public CWnd {
  public:
    CToolTipCtrl();
    ~CToolTipCtrl() override;
    BOOL Create(CWnd *parent, DWORD style = 0);
    void Activate(BOOL activate);
    BOOL AddTool(CWnd *tool, LPCSTR text);
    void RelayEvent(UINT message, WPARAM wParam, LPARAM lParam, HWND target);
    // The text of the tool for a window, or null when it has none.
    const char *GetToolText(CWnd *tool) const;

    // Toolkit side.
    std::unique_ptr<VxToolTipImpl> m_tips;
};
