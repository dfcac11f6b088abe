#include "platform/afx/DesktopProfile.h"

#include "TestFiles.h"

#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

// How the desktop settings file looks for a row.
struct FileSetup {
    enum Kind { None, Text, Folder, Fifo } kind = None;
    std::string text;
};

void Apply(const ScopedConfigHome &home, const FileSetup &setup) {
    const std::string path = home.file("desktop.ini");
    ASSERT_EQ(VxDesktopProfilePath(), path);
    switch (setup.kind) {
    case FileSetup::None:
        break;
    case FileSetup::Text:
        WriteFile(path, setup.text);
        break;
    case FileSetup::Folder:
        MakeFolder(path);
        break;
    case FileSetup::Fifo:
        MakeFolder(home.path() + "/vantorix");
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        break;
    }
}

// Reads the switch the way the saver does: open, query four bytes, close.
struct SwitchRead {
    LSTATUS open;
    LSTATUS query;
    std::optional<DWORD> value;
};
SwitchRead ReadSwitch() {
    HKEY key = nullptr;
    SwitchRead r{RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key), -1, {}};
    if (r.open != ERROR_SUCCESS)
        return r;
    DWORD value = 0xDEADBEEF, size = sizeof value;
    r.query = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                               reinterpret_cast<BYTE *>(&value), &size);
    if (r.query == ERROR_SUCCESS) {
        EXPECT_EQ(size, 4u);
        r.value = value;
    }
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    return r;
}

const char kSection[] = "[Control Panel\\Desktop]\n";

TEST(DesktopProfile, PasswordSwitchByFileContents) {
    struct Row {
        const char *label;
        FileSetup file;
        LSTATUS open, query;
        std::optional<DWORD> value;
    };
    const std::string s = kSection;
    const Row rows[] = {
        {"on", {FileSetup::Text, s + "ScreenSaveUsePassword=1\n"}, ERROR_SUCCESS, ERROR_SUCCESS, 1},
        {"off",
         {FileSetup::Text, s + "ScreenSaveUsePassword=0\n"},
         ERROR_SUCCESS,
         ERROR_SUCCESS,
         0},
        {"any non-zero, hexadecimal",
         {FileSetup::Text, s + "ScreenSaveUsePassword = 0x10\r\n"},
         ERROR_SUCCESS,
         ERROR_SUCCESS,
         16},
        {"names in other case, spaces",
         {FileSetup::Text, "[control panel\\DESKTOP]\n  screensaveusepassword =  7 \n"},
         ERROR_SUCCESS,
         ERROR_SUCCESS,
         7},
        {"largest unsigned",
         {FileSetup::Text, s + "ScreenSaveUsePassword=4294967295\n"},
         ERROR_SUCCESS,
         ERROR_SUCCESS,
         0xFFFFFFFFu},
        {"value in a repeated section",
         {FileSetup::Text, s + "Other=1\n[Desktop]\n" + s + "ScreenSaveUsePassword=1\n"},
         ERROR_SUCCESS,
         ERROR_SUCCESS,
         1},
        {"value under another section",
         {FileSetup::Text, s + "[Desktop]\nScreenSaveUsePassword=1\n"},
         ERROR_SUCCESS,
         ERROR_FILE_NOT_FOUND,
         {}},
        {"empty value",
         {FileSetup::Text, s + "ScreenSaveUsePassword=\n"},
         ERROR_SUCCESS,
         ERROR_INVALID_DATA,
         {}},
        {"trailing garbage",
         {FileSetup::Text, s + "ScreenSaveUsePassword=1x\n"},
         ERROR_SUCCESS,
         ERROR_INVALID_DATA,
         {}},
        {"a pipe instead of the file", {FileSetup::Fifo, ""}, ERROR_ACCESS_DENIED, -1, {}},
    };
    for (const Row &row : rows) {
        ScopedConfigHome home;
        Apply(home, row.file);
        const SwitchRead got = ReadSwitch();
        EXPECT_EQ(got.open, row.open) << row.label;
        EXPECT_EQ(got.query, row.query) << row.label;
        EXPECT_EQ(got.value, row.value) << row.label;
    }
}

TEST(DesktopProfile, RegistryCallContract) {
    ScopedConfigHome home;
    WriteFile(home.file("desktop.ini"), std::string(kSection) + "ScreenSaveUsePassword=5\n");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Other", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "control panel\\desktop", &key), ERROR_SUCCESS);

    DWORD type = 0, size = 2;
    BYTE small[2] = {};
    EXPECT_EQ(RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, &type, small, &size),
              ERROR_MORE_DATA)
        << "a buffer under four bytes";
    EXPECT_EQ(size, 4u);
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, &type, nullptr, &size),
              ERROR_SUCCESS)
        << "size query";
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, REG_DWORD);
    DWORD value = 0;
    size = 8; // a larger buffer is fine; only four bytes are written
    EXPECT_EQ(RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                               reinterpret_cast<BYTE *>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(RegQueryValueExA(key, "Wallpaper", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);

    // The key is a snapshot: the switch read is the one seen at open time.
    WriteFile(home.file("desktop.ini"), std::string(kSection) + "ScreenSaveUsePassword=0\n");
    size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                               reinterpret_cast<BYTE *>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 5u);

    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_NE(RegCloseKey(key), ERROR_SUCCESS) << "closing twice";
}

TEST(DesktopProfile, ProfileStrings) {
    struct Row {
        const char *label;
        FileSetup file;
        const char *key, *defaultValue;
        DWORD size;
        const char *expected;
    };
    const Row rows[] = {
        {"no file", {}, "Wallpaper", "", 256, ""},
        {"plain",
         {FileSetup::Text, "[Desktop]\nWallpaper=/home/u/sky.bmp\n"},
         "Wallpaper",
         "",
         256,
         "/home/u/sky.bmp"},
        {"spaces inside kept, outside trimmed",
         {FileSetup::Text, "[Desktop]\nWallpaper =  /a b/c d.bmp  \n"},
         "Wallpaper",
         "",
         256,
         "/a b/c d.bmp"},
        {"quotes removed",
         {FileSetup::Text, "[Desktop]\nWallpaper=\" /q.bmp \"\n"},
         "Wallpaper",
         "",
         256,
         " /q.bmp "},
        {"byte-order mark and CR LF",
         {FileSetup::Text, "\xEF\xBB\xBF[Desktop]\r\nTileWallpaper=1\r\n"},
         "TileWallpaper",
         "0",
         8,
         "1"},
        {"case-insensitive names",
         {FileSetup::Text, "[DESKTOP]\nTILEWALLPAPER=1\n"},
         "TileWallpaper",
         "0",
         8,
         "1"},
        {"cut to the buffer",
         {FileSetup::Text, "[Desktop]\nTileWallpaper=123456789\n"},
         "TileWallpaper",
         "0",
         8,
         "1234567"},
        {"unreadable file gives the default",
         {FileSetup::Folder, ""},
         "TileWallpaper",
         "0",
         8,
         "0"},
    };
    for (const Row &row : rows) {
        ScopedConfigHome home;
        Apply(home, row.file);
        char buffer[300];
        std::memset(buffer, 'x', sizeof buffer);
        const DWORD n = GetProfileStringA("Desktop", row.key, row.defaultValue, buffer, row.size);
        EXPECT_STREQ(buffer, row.expected) << row.label;
        EXPECT_EQ(n, std::strlen(row.expected)) << row.label;
        EXPECT_EQ(buffer[row.size], 'x') << row.label << ": wrote past the buffer";
    }
}

TEST(DesktopProfile, DesktopColour) {
    struct Row {
        const char *label;
        const char *file; // null: no file
        COLORREF expected;
    };
    const Row rows[] = {
        {"no file: black", nullptr, RGB(0, 0, 0)},
        {"three values", "[Colors]\nBackground=58 110 165\n", RGB(58, 110, 165)},
        {"commas and tabs", "[Colors]\nBackground=1,\t2, 3\n", RGB(1, 2, 3)},
        {"over 255", "[Colors]\nBackground=256 0 0\n", RGB(0, 0, 0)},
        {"two values", "[Colors]\nBackground=1 2\n", RGB(0, 0, 0)},
        {"negative", "[Colors]\nBackground=-1 2 3\n", RGB(0, 0, 0)},
        {"words", "[Colors]\nBackground=teal\n", RGB(0, 0, 0)},
        {"long digits do not wrap", "[Colors]\nBackground=4294967297 0 0\n", RGB(0, 0, 0)},
    };
    for (const Row &row : rows) {
        ScopedConfigHome home;
        if (row.file)
            WriteFile(home.file("desktop.ini"), row.file);
        EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), row.expected) << row.label;
    }
}

} // namespace
