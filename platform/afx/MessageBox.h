// Message boxes and the application name, behind a replaceable service so that
// the drawing and loading code can report problems without a window system
// (tests install a recorder; the Qt layer installs real dialogs).
#pragma once

#include "platform/win/WinTypes.h"

class IMessageBoxService {
  public:
    virtual ~IMessageBoxService() = default;
    // Shows a modal box and returns the id of the button that closed it.
    virtual int Show(HWND owner, const char *text, const char *caption, UINT style) = 0;
};

// Installs the service (null restores the fallback, which writes the text to
// standard error and answers IDOK). Returns the previous service.
IMessageBoxService *VxSetMessageBoxService(IMessageBoxService *service);

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

// A box with the application name as caption, owned by the main window.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);

// The application name: the executable's file name without folder and
// extension. Set once by the application object at start-up.
const char *AfxGetAppName();
void VxSetAppName(const char *name);

// The owner AfxMessageBox uses (the main window); set by the framework.
void VxSetMainWindowHandle(HWND hwnd);
HWND VxGetMainWindowHandle();
