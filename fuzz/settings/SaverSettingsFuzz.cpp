// Feeds arbitrary bytes as the saver's settings file and uses the five values
// the way the saver does: the tick period from the speed, the missile roll
// from the frequency, over several passes.
#include "platform/afx/AfxWin.h"
#include "scene/SceneWnd.h"
#include "settings/SaverSettings.h"
#include "tools/recorder/VirtualScene.h"

#include <QDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The settings file of the application "vantorix" in a private folder.
const std::string &SettingsFile() {
    static const std::string path = [] {
        char dir[] = "/tmp/vx-fuzz-settings-XXXXXX";
        if (!mkdtemp(dir))
            std::abort();
        setenv("XDG_CONFIG_HOME", dir, 1);
        vxrec::EnsureApplication();
        AfxGetApp()->SetAppName("/usr/lib/vantorix/vantorix");
        AfxGetApp()->SetRegistryKey("Quorvane Screen Savers");
        const std::string folder = std::string(dir) + "/Quorvane Screen Savers";
        QDir().mkpath(QString::fromStdString(folder));
        return folder + "/vantorix.ini";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &path = SettingsFile();
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    SaverSettings settings;
    settings.Load(AfxGetApp());
    const UINT period = CSceneWnd::TickPeriodMs(settings.Speed);
    if (period < 50 || period > 230)
        std::abort();

    // The scene reads the same values itself; its passes roll for missiles.
    CSceneWnd scene(FALSE, TRUE);
    if (scene.m_nReliability != settings.Reliability)
        std::abort();
    scene.m_nSound = 0; // no sound device here
    for (int pass = 0; pass < 4; ++pass) {
        scene.SpawnPass();
        if (scene.m_bArmed && settings.Reliability <= 0)
            std::abort(); // a frequency of 0 or less never fires
    }
    return 0;
}
