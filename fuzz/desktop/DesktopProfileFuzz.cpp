// Feeds arbitrary bytes as the desktop settings file and reads every value
// the saver takes from it: the wallpaper path, the tile flag (as the
// background reads it), the desktop colour and the password switch.
#include "platform/afx/DesktopProfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

const std::string &ProfileFile() {
    static const std::string path = [] {
        char dir[] = "/tmp/vx-fuzz-desktop-XXXXXX";
        if (!mkdtemp(dir))
            std::abort();
        setenv("XDG_CONFIG_HOME", dir, 1);
        const std::string folder = std::string(dir) + "/vantorix";
        mkdir(folder.c_str(), 0700);
        return folder + "/desktop.ini";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &path = ProfileFile();
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    char wallpaper[256] = {};
    const DWORD n = GetProfileStringA("Desktop", "Wallpaper", "", wallpaper, sizeof wallpaper - 1);
    if (n > 254 || wallpaper[n] != '\0')
        std::abort(); // at most 254 characters and the terminator
    char tile[8] = {};
    GetProfileStringA("Desktop", "TileWallpaper", "0", tile, sizeof tile);
    volatile int tileFlag = std::atoi(tile); // at most 7 characters: no overflow
    (void)tileFlag;
    if (GetSysColor(COLOR_BACKGROUND) > 0xFFFFFF)
        std::abort();

    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) == ERROR_SUCCESS) {
        DWORD value = 0, type = 0, bytes = sizeof value;
        RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, &type,
                         reinterpret_cast<BYTE *>(&value), &bytes);
        if (bytes > sizeof value)
            std::abort();
        RegCloseKey(key);
    }
    return 0;
}
