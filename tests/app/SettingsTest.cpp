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

QString IniPath(const PrivateConfig &config, const QString &appName) {
    const qsizetype slash = appName.lastIndexOf(QLatin1Char('/')) + 1;
    return config.Path(QStringLiteral("%1Quorvane Screen Savers/%2.ini")
                           .arg(appName.left(slash), appName.mid(slash)));
}

ino_t Inode(const QString &path) {
    struct stat st {};
    return stat(path.toLocal8Bit().constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

TEST(Settings, SavedValuesComeBackUnchanged) {
    PrivateConfig config;
    // A configuration home that does not exist yet is created private.
    qputenv("XDG_CONFIG_HOME", config.Path(QStringLiteral("new")).toLocal8Bit());
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
        ASSERT_EQ(::stat(config.Path(QLatin1String(folder)).toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_TRUE(QFileInfo::exists(IniPath(config, QStringLiteral("new/Vantorix"))));
}

TEST(Settings, StoredTextThatIsNotA32BitNumberGivesTheDefault) {
    const struct {
        const char *stored;
        int expected;
    } rows[] = {
        {"7", 7},
        {"4294967295", -1}, // a full 32-bit value reads back as the DWORD it is
        {"-2147483648", INT32_MIN},
        {"abc", 5},
        {"12abc", 5},
        {"0x10", 5},
        {"3.7", 5},
        {"", 5},
        {"4294967296", 5},
        {"-2147483649", 5},
    };
    PrivateConfig config;
    int n = 0;
    for (const auto &row : rows) {
        // One executable name per row: the file is new each time.
        const QString name = QStringLiteral("row%1").arg(n++);
        WriteFile(IniPath(config, name),
                  QByteArray("[Config]\nSpeed=") + row.stored + "\nReliability=3\n");
        Profile profile(name.toLocal8Bit().constData());
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

    PrivateConfig config;
    Profile first("/opt/savers/Vantorix.scr");
    Profile second("/home/me/bin/vantorix-copy");
    SaverSettings a;
    a.Load(&first.app);
    a.Speed = 9;
    a.Save(&first.app);

    // Written in this process, read back by another object of the same name.
    Profile third("/opt/savers/Vantorix.scr");
    SaverSettings b, c;
    b.Load(&second.app);
    c.Load(&third.app);
    EXPECT_EQ(b.Speed, 5) << "the copy has its own, still empty, settings";
    EXPECT_EQ(c.Speed, 9);
    EXPECT_FALSE(QFileInfo::exists(IniPath(config, QStringLiteral("vantorix-copy"))));
}

TEST(Settings, WritingKeepsEverythingElseAndReplacesTheFileAtomically) {
    PrivateConfig config;
    const QString path = IniPath(config, QStringLiteral("Vantorix"));
    WriteFile(path, "[Config]\nSpeed=2\nExtra=keep me\n\n[Elsewhere]\nColour=blue\n");
    const ino_t before = Inode(path);

    Profile profile("Vantorix");
    EXPECT_TRUE(profile.app.WriteProfileInt("Config", "Sound", 2));
    const QByteArray file = ReadFile(path);
    for (const char *kept : {"Speed=2", "Extra=keep me", "[Elsewhere]", "Colour=blue", "Sound=2"})
        EXPECT_TRUE(file.contains(kept)) << kept << " missing from\n" << file.constData();
    // A new file renamed over the old one: a crash in the middle leaves the
    // old file whole.
    EXPECT_NE(Inode(path), before);
}

TEST(Settings, ADamagedFileIsCopiedAsideBeforeItIsRewritten) {
    PrivateConfig config;
    const QString path = IniPath(config, QStringLiteral("Vantorix"));
    const QByteArray damaged = "[Config\nSpeed=3\nReliability=4\n\x01\x02 no equals sign here\n";
    WriteFile(path, damaged);
    Profile profile("Vantorix");
    SaverSettings s;
    s.Load(&profile.app);
    EXPECT_EQ(s.Speed, 3) << "what can be read is read";

    EXPECT_TRUE(profile.app.WriteProfileInt("Config", "Speed", 8));
    EXPECT_EQ(ReadFile(path + QStringLiteral(".bak")), damaged);
    s.Load(&profile.app);
    EXPECT_EQ(s.Speed, 8);
    EXPECT_EQ(s.Reliability, 4) << "the other values stay";
}

TEST(Settings, ConcurrentSavesOnADamagedFileKeepEveryValue) {
    PrivateConfig config;
    const QString path = IniPath(config, QStringLiteral("Vantorix"));
    const QByteArray damaged = "[Config]\nSpeed=1\nno equals sign\n";
    Profile first("Vantorix"), second("Vantorix");
    for (int run = 0; run < 24; ++run) {
        WriteFile(path, damaged);
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
        EXPECT_EQ(std::vector<int>({s.Speed, s.Sound}), std::vector<int>({run + 2, run + 2}))
            << "run " << run;
        EXPECT_EQ(ReadFile(path + QStringLiteral(".bak")), damaged) << "run " << run;
    }
}

// Only a regular file of a sensible size is a profile: anything else reads as
// nothing stored, without blocking (a FIFO) or reading without end (a
// device), and a save leaves it as it is.
TEST(Settings, WhatIsNotARegularProfileFileReadsAsNothingStored) {
    const struct {
        const char *label;
        std::function<void(const QByteArray &)> make;
    } rows[] = {
        {"FIFO", [](const QByteArray &p) { ASSERT_EQ(::mkfifo(p.constData(), 0600), 0); }},
        {"link to /dev/zero",
         [](const QByteArray &p) { ASSERT_EQ(::symlink("/dev/zero", p.constData()), 0); }},
        {"folder",
         [](const QByteArray &p) { ASSERT_TRUE(QDir().mkpath(QString::fromLocal8Bit(p))); }},
        {"2 MiB file",
         [](const QByteArray &p) {
             WriteFile(QString::fromLocal8Bit(p), "[Config]\nSpeed=3\n");
             ASSERT_EQ(::truncate(p.constData(), 2 << 20), 0);
         }},
    };
    for (const auto &row : rows) {
        PrivateConfig config;
        const QByteArray path = IniPath(config, QStringLiteral("Vantorix")).toLocal8Bit();
        QDir().mkpath(QFileInfo(QString::fromLocal8Bit(path)).path());
        row.make(path);
        struct stat before {};
        ASSERT_EQ(::lstat(path.constData(), &before), 0) << row.label;
        Profile profile("Vantorix");
        SaverSettings s;
        s.Load(&profile.app);
        EXPECT_EQ(Values(s), (std::array<int, 5>{5, 10, SoundPartial, 0, 0})) << row.label;
        EXPECT_FALSE(profile.app.WriteProfileInt("Config", "Speed", 8)) << row.label;
        struct stat after {};
        ASSERT_EQ(::lstat(path.constData(), &after), 0) << row.label;
        EXPECT_EQ(
            std::vector<long>({long(after.st_mode), long(after.st_ino), long(after.st_size)}),
            std::vector<long>({long(before.st_mode), long(before.st_ino), long(before.st_size)}))
            << row.label << ": left as it was";
    }
}
