// Message boxes over the system's own.
#include "platform/win32/SysMessageBox.h"
#include "platform/win32/W32Framework_p.h"

#include "platform/afx/MessageBox.h"

namespace {

class SystemMessageBoxes : public IMessageBoxService {
  public:
    int Show(HWND owner, const char *text, const char *caption, UINT style) override {
        return vxsys::ShowMessageBox(owner, text, caption, style);
    }
};

} // namespace

void VxInstallSystemMessageBoxes() {
    static SystemMessageBoxes service;
    VxSetMessageBoxService(&service);
}
