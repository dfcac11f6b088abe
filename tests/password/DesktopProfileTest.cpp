// The desktop settings reader: the password switch through the registry-style
// calls, the profile strings and the desktop colour.
#include "platform/afx/DesktopProfile.h"

#include "tests/TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vxtest;

namespace {

const std::string kSection = "[Control Panel\\Desktop]\n";

// Gives the test's settings file `file` as its text; null: no file;
// "<folder>" / "<pipe>": a folder or a named pipe in its place.
void MakeSettings(const ScopedConfigHome &home, const char *file) {
    const std::string path = VxDesktopProfilePath();
    ASSERT_EQ(path, home.Path("vantorix/desktop.ini"));
    if (!file)
        return;
    MakeFolder(file == std::string("<folder>") ? path : home.Path("vantorix"));
    if (file == std::string("<pipe>"))
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    else if (file != std::string("<folder>"))
        WriteFile(path, file);
}

// The switch as the saver reads it (open, query four bytes, close): its value,
// or the call that failed and its status.
std::string ReadSwitch() {
    HKEY key = nullptr;
    const LSTATUS open = RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key);
    if (open != ERROR_SUCCESS)
        return "open " + std::to_string(open);
    DWORD value = 0, size = sizeof value;
    const LSTATUS query = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                                           reinterpret_cast<BYTE *>(&value), &size);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    return query == ERROR_SUCCESS ? std::to_string(value) : "query " + std::to_string(query);
}

TEST(DesktopProfile, PasswordSwitchByFileContents) {
    const std::string s = kSection;
    const struct {
        const char *label;
        std::string file;
        const char *expected;
    } rows[] = {
        {"no file: off", "", "0"},
        {"no section: off", "[Desktop]\nWallpaper=/w.bmp\n", "0"},
        {"on", s + "ScreenSaveUsePassword=1\n", "1"},
        {"hexadecimal, spaces, CR LF", s + "ScreenSaveUsePassword = 0x10\r\n", "16"},
        {"names in other case", "[control panel\\DESKTOP]\n screensaveusepassword = 7 \n", "7"},
        {"largest unsigned", s + "ScreenSaveUsePassword=4294967295\n", "4294967295"},
        {"value in a repeated section",
         s + "Other=1\n[Desktop]\n" + s + "ScreenSaveUsePassword=1\n", "1"},
        {"missing: only under another section", s + "[Desktop]\nScreenSaveUsePassword=1\n",
         "query 2"},
        {"malformed: empty", s + "ScreenSaveUsePassword=\n", "query 13"},
        {"malformed: trailing garbage", s + "ScreenSaveUsePassword=1x\n", "query 13"},
        {"malformed: beyond 32 bits", s + "ScreenSaveUsePassword=0x100000000\n", "query 13"},
        {"unreadable: a folder instead of the file", "<folder>", "open 5"},
        {"unreadable: a pipe instead of the file (and no blocking)", "<pipe>", "open 5"},
    };
    for (const auto &row : rows) {
        ScopedConfigHome home;
        MakeSettings(home, row.file.empty() ? nullptr : row.file.c_str());
        EXPECT_EQ(ReadSwitch(), row.expected) << row.label;
    }
}

TEST(DesktopProfile, ProfileStringsAndColour) {
    const struct {
        const char *label, *file, *key;
        DWORD size;
        const char *expected;
    } rows[] = {
        {"no file: the default", nullptr, "Wallpaper", 256, "-"},
        {"unreadable file: the default", "<folder>", "Wallpaper", 256, "-"},
        {"spaces inside kept, outside trimmed", "[Desktop]\nWallpaper =  /a b/c.bmp  \n",
         "Wallpaper", 256, "/a b/c.bmp"},
        {"quotes removed", "[Desktop]\nWallpaper=\" /q.bmp \"\n", "Wallpaper", 256, " /q.bmp "},
        {"byte-order mark and CR LF", "\xEF\xBB\xBF[Desktop]\r\nTileWallpaper=1\r\n",
         "TileWallpaper", 8, "1"},
        {"case-insensitive names", "[DESKTOP]\nTILEWALLPAPER=1\n", "TileWallpaper", 8, "1"},
        {"cut to the buffer", "[Desktop]\nTileWallpaper=123456789\n", "TileWallpaper", 8,
         "1234567"},
    };
    for (const auto &row : rows) {
        ScopedConfigHome home;
        MakeSettings(home, row.file);
        char buffer[300];
        std::memset(buffer, 'x', sizeof buffer);
        const DWORD n = GetProfileStringA("Desktop", row.key, "-", buffer, row.size);
        EXPECT_STREQ(buffer, row.expected) << row.label;
        EXPECT_EQ(n, std::strlen(row.expected)) << row.label;
        EXPECT_EQ(buffer[row.size], 'x') << row.label << ": wrote past the buffer";
    }

    const struct {
        const char *label, *file;
        COLORREF expected;
    } colours[] = {
        {"no file: black", nullptr, RGB(0, 0, 0)},
        {"three values", "[Colors]\nBackground=58 110 165\n", RGB(58, 110, 165)},
        {"commas and tabs", "[Colors]\nBackground=1,\t2, 3\n", RGB(1, 2, 3)},
        {"over 255", "[Colors]\nBackground=256 0 0\n", RGB(0, 0, 0)},
        {"two values", "[Colors]\nBackground=1 2\n", RGB(0, 0, 0)},
        {"words", "[Colors]\nBackground=teal\n", RGB(0, 0, 0)},
        {"long digits do not wrap", "[Colors]\nBackground=4294967297 0 0\n", RGB(0, 0, 0)},
    };
    for (const auto &row : colours) {
        ScopedConfigHome home;
        MakeSettings(home, row.file);
        EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), row.expected) << row.label;
    }
}

} // namespace
