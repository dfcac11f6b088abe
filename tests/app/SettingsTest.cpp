// The five settings in the per-user profile: defaults, round trip, values
// that are not numbers of 32 bits, separation by executable name, and writes
// that keep the rest of the file and replace it atomically.
#include "ShellTestSupport.h"

#include "platform/afx/AfxWin.h"
#include "settings/SaverSettings.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <latch>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace shelltest;

namespace {

// A profile of its own: application name and the saver's registry key.
struct Profile {
    explicit Profile(const char *modulePath) {
        app.SetAppName(modulePath);
        app.SetRegistryKey("Quorvane Screen Savers");
    }
    CWinApp app;
};

std::array<int, 5> Values(const SaverSettings &s) {
    return {s.Speed, s.Reliability, s.Sound, s.ClearScreen, s.Wallpaper};
}

std::string IniPath(const ScopedConfigHome &config, const std::string &appName) {
    const size_t slash = appName.rfind('/') + 1; // 0 when there is none
    return config.Path(appName.substr(0, slash) + "Quorvane Screen Savers/" +
                       appName.substr(slash) + ".ini");
}

ino_t Inode(const std::string &path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

TEST(Settings, SavedValuesComeBackUnchanged) {
    ScopedConfigHome config;
    // A configuration home that does not exist yet is created private.
    qputenv("XDG_CONFIG_HOME", config.Path("new").c_str());
    const mode_t oldMask = ::umask(0);
    Profile profile("Vantorix.scr");
    // Values are stored as given, without range checks.
    SaverSettings out{10, -7, 2, 1, 2147483647};
    out.Save(&profile.app);
    ::umask(oldMask);
    SaverSettings in;
    in.Load(&profile.app);
    EXPECT_EQ(Values(in), Values(out));
    for (const char *folder : {"new", "new/Quorvane Screen Savers"}) {
        struct stat st {};
        ASSERT_EQ(::stat(config.Path(folder).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_TRUE(std::filesystem::exists(IniPath(config, "new/Vantorix")));
}

TEST(Settings, StoredTextThatIsNotA32BitNumberGivesTheDefault) {
    const struct {
        const char *stored;
        int expected;
    } rows[] = {
        {"7", 7},
        {"4294967295", -1}, // a full 32-bit value reads back as the DWORD it is
        {"-2147483648", INT32_MIN},
        {"12abc", 5},
        {"0x10", 5},
        {"", 5},
        {"4294967296", 5},
        {"-2147483649", 5},
    };
    ScopedConfigHome config;
    int n = 0;
    for (const auto &row : rows) {
        // One executable name per row: the file is new each time.
        const std::string name = "row" + std::to_string(n++);
        WriteFile(IniPath(config, name),
                  "[Config]\nSpeed=" + std::string(row.stored) + "\nReliability=3\n");
        Profile profile(name.c_str());
        SaverSettings s;
        s.Load(&profile.app);
        EXPECT_EQ(s.Speed, row.expected) << "stored \"" << row.stored << "\"";
        EXPECT_EQ(s.Reliability, 3) << "a bad value spoils only itself: \"" << row.stored << "\"";
    }
}

TEST(Settings, TwoExecutableNamesKeepSeparateSettings) {
    const struct {
        const char *path, *name;
    } names[] = {{"/usr/bin/Vantorix.scr", "Vantorix"},
                 {"./build/my.saver.scr", "my.saver"},
                 {"/opt/.hidden", ".hidden"},
                 {"", "vantorix"}};
    for (const auto &row : names) {
        CWinApp app;
        app.SetAppName(row.path);
        EXPECT_STREQ(app.m_pszAppName, row.name) << "path \"" << row.path << "\"";
    }

    ScopedConfigHome config;
    Profile first("/opt/savers/Vantorix.scr");
    Profile second("/home/me/bin/vantorix-copy");
    first.app.WriteProfileInt("Config", "Speed", 9);

    // Written in this process, read back by another object of the same name.
    Profile third("/opt/savers/Vantorix.scr");
    SaverSettings b, c;
    b.Load(&second.app);
    c.Load(&third.app);
    EXPECT_EQ(b.Speed, 5) << "the copy has its own, still empty, settings";
    EXPECT_EQ(c.Speed, 9);
    EXPECT_FALSE(std::filesystem::exists(IniPath(config, "vantorix-copy")));
}

TEST(Settings, WritingKeepsEverythingElseAndReplacesTheFileAtomically) {
    ScopedConfigHome config;
    const std::string path = IniPath(config, "Vantorix");
    WriteFile(path, "[Config]\nSpeed=2\nExtra=keep me\n\n[Elsewhere]\nColour=blue\n");
    const ino_t before = Inode(path);

    Profile profile("Vantorix");
    EXPECT_TRUE(profile.app.WriteProfileInt("Config", "Sound", 2));
    const std::string file = ReadFile(path);
    for (const char *kept : {"Speed=2", "Extra=keep me", "[Elsewhere]", "Colour=blue", "Sound=2"})
        EXPECT_NE(file.find(kept), std::string::npos) << kept << " missing from\n" << file;
    // A new file renamed over the old one: a crash in the middle leaves the
    // old file whole.
    EXPECT_NE(Inode(path), before);
}

// A damaged file is read as far as it goes and copied aside before it is
// rewritten, also when two saves race.
TEST(Settings, ConcurrentSavesOnADamagedFileKeepEveryValue) {
    ScopedConfigHome config;
    const std::string path = IniPath(config, "Vantorix");
    const std::string damaged = "[Config\nSpeed=1\nReliability=4\n\x01\x02 no equals sign\n";
    Profile first("Vantorix"), second("Vantorix");
    for (int run = 0; run < 24; ++run) {
        WriteFile(path, damaged);
        SaverSettings before;
        before.Load(&first.app);
        ASSERT_EQ(before.Speed, 1) << "what can be read is read";
        BOOL written[2] = {};
        std::latch start(2);
        std::thread a([&] {
            start.arrive_and_wait();
            written[0] = first.app.WriteProfileInt("Config", "Speed", run + 2);
        });
        std::thread b([&] {
            start.arrive_and_wait();
            written[1] = second.app.WriteProfileInt("Config", "Sound", run + 2);
        });
        a.join();
        b.join();
        SaverSettings s;
        s.Load(&first.app);
        EXPECT_TRUE(written[0] && written[1]) << "run " << run;
        EXPECT_EQ(std::vector<int>({s.Speed, s.Sound, s.Reliability}),
                  std::vector<int>({run + 2, run + 2, 4}))
            << "run " << run << ": both values written, the others kept";
        EXPECT_EQ(ReadFile(path + ".bak"), damaged) << "run " << run;
    }
}

// Only a regular file of a sensible size is a profile: anything else reads as
// nothing stored, without blocking (a FIFO) or reading without end (a
// device), and a save leaves it as it is.
TEST(Settings, WhatIsNotARegularProfileFileReadsAsNothingStored) {
    const struct {
        const char *label;
        std::function<void(const char *)> make;
    } rows[] = {
        {"FIFO", [](const char *p) { ASSERT_EQ(::mkfifo(p, 0600), 0); }},
        {"link to /dev/zero", [](const char *p) { ASSERT_EQ(::symlink("/dev/zero", p), 0); }},
        {"folder", [](const char *p) { MakeFolder(p); }},
        {"2 MiB file",
         [](const char *p) {
             WriteFile(p, "[Config]\nSpeed=3\n");
             ASSERT_EQ(::truncate(p, 2 << 20), 0);
         }},
    };
    for (const auto &row : rows) {
        ScopedConfigHome config;
        const std::string path = IniPath(config, "Vantorix");
        MakeFolder(config.Path("Quorvane Screen Savers"));
        row.make(path.c_str());
        struct stat before {};
        ASSERT_EQ(::lstat(path.c_str(), &before), 0) << row.label;
        Profile profile("Vantorix");
        SaverSettings s;
        s.Load(&profile.app);
        EXPECT_EQ(Values(s), (std::array<int, 5>{5, 10, SoundPartial, 0, 0})) << row.label;
        EXPECT_FALSE(profile.app.WriteProfileInt("Config", "Speed", 8)) << row.label;
        struct stat after {};
        ASSERT_EQ(::lstat(path.c_str(), &after), 0) << row.label;
        EXPECT_EQ(
            std::vector<long>({long(after.st_mode), long(after.st_ino), long(after.st_size)}),
            std::vector<long>({long(before.st_mode), long(before.st_ino), long(before.st_size)}))
            << row.label << ": left as it was";
    }
}
