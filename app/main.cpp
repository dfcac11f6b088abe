// The program: the one application object and the framework's entry.
#include "app/HostOptions.h"
#include "app/SaverApp.h"
#include "platform/afx/Resources.h"
#include "res/ResourceTable.h"

#include <cstdlib>
#include <cstring>

CSaverApp theApp;

#ifndef _WIN32
// Picks the toolkit's platform the mode needs, before the toolkit starts.
void ChooseToolkitPlatform(const RunOptions &options) {
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const bool asked = platform && *platform;
    if (options.HostMode()) {
        // A host's window is an X11 window measured in device pixels, also
        // in a Wayland session (XWayland) and on a scaled desktop.
        if (!asked || std::strncmp(platform, "wayland", 7) == 0)
            setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
        unsetenv("QT_SCALE_FACTOR");
    } else if (!asked && options.rest.size() > 2 &&
               (MatchSwitch(options.rest[1].c_str(), "p") ||
                MatchSwitch(options.rest[1].c_str(), "a"))) {
        // The preview's host and a password change's owner are X11 windows
        // as well: X11 where there is an X server (XWayland included).
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
}
#endif

int main(int argc, char **argv) {
    if (AnswerInformationRequest(argc, argv, stdout))
        return 0;
#ifndef _WIN32
    ChooseToolkitPlatform(ParseRunOptions(argc, argv));
#endif
    AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
    return AfxWinMain(argc, argv);
}
