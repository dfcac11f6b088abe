// The five settings in the per-user profile: defaults, round trip, values
// that are not numbers of 32 bits, separation by executable name, and writes
// that keep the rest of the file and replace it atomically.
#include "ShellTestSupport.h"

#include "platform/afx/AfxWin.h"
#include "settings/SaverSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

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

QString IniPath(const PrivateConfig &config, const QString &appName) {
    return config.Path(QStringLiteral("Quorvane Screen Savers/") + appName +
                       QStringLiteral(".ini"));
}

void WriteFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(Settings, NothingStoredGivesTheDefaultsAndCreatesNothing) {
    PrivateConfig config;
    Profile profile("/usr/lib/vantorix/Vantorix.scr");
    SaverSettings s;
    s.Load(&profile.app);
    EXPECT_EQ(s.Speed, 5);
    EXPECT_EQ(s.Reliability, 10);
    EXPECT_EQ(s.Sound, SoundPartial);
    EXPECT_EQ(s.ClearScreen, 0);
    EXPECT_EQ(s.Wallpaper, 0);
    // Reading leaves no file and no folder behind.
    EXPECT_FALSE(QFileInfo::exists(config.Path(QStringLiteral("Quorvane Screen Savers"))));
}

TEST(Settings, SavedValuesComeBackUnchanged) {
    PrivateConfig config;
    Profile profile("Vantorix.scr");
    SaverSettings out;
    out.Speed = 10;
    out.Reliability = -7; // values are stored as given, without range checks
    out.Sound = 2;
    out.ClearScreen = 1;
    out.Wallpaper = 2147483647;
    out.Save(&profile.app);

    SaverSettings in;
    in.Load(&profile.app);
    EXPECT_EQ(in.Speed, 10);
    EXPECT_EQ(in.Reliability, -7);
    EXPECT_EQ(in.Sound, 2);
    EXPECT_EQ(in.ClearScreen, 1);
    EXPECT_EQ(in.Wallpaper, 2147483647);

    const QByteArray file = ReadFile(IniPath(config, QStringLiteral("Vantorix")));
    EXPECT_TRUE(file.contains("[Config]")) << file.constData();
    for (const char *entry :
         {"Speed=10", "Reliability=-7", "Sound=2", "ClearScreen=1", "Wallpaper=2147483647"})
        EXPECT_TRUE(file.contains(entry)) << entry << " missing from\n" << file.constData();
}

TEST(Settings, StoredTextThatIsNotA32BitNumberGivesTheDefault) {
    struct Row {
        const char *stored;
        int expected;
    };
    const Row rows[] = {
        {"7", 7},
        {"-3", -3},
        {"0", 0},
        {"4294967295", -1}, // a full 32-bit value reads back as the DWORD it is
        {"-2147483648", INT32_MIN},
        {"abc", 5},
        {"12abc", 5},
        {"0x10", 5},
        {"3.7", 5},
        {"", 5},
        {"99999999999", 5},
        {"4294967296", 5},
        {"-2147483649", 5},
        {"1, 2", 5}, // a list, not a number
    };
    PrivateConfig config;
    int n = 0;
    for (const Row &row : rows) {
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
    PrivateConfig config;
    Profile first("/opt/savers/Vantorix.scr");
    Profile second("/home/me/bin/vantorix-copy");
    EXPECT_STREQ(first.app.m_pszAppName, "Vantorix");
    EXPECT_STREQ(second.app.m_pszAppName, "vantorix-copy");

    SaverSettings a;
    a.Load(&first.app);
    a.Speed = 9;
    a.Save(&first.app);

    // The profile calls follow the object's own name.
    Profile third("/opt/savers/Vantorix.scr");
    SaverSettings b;
    b.Load(&second.app);
    SaverSettings c;
    c.Load(&third.app);
    EXPECT_EQ(b.Speed, 5) << "the copy has its own, still empty, settings";
    EXPECT_EQ(c.Speed, 9);
    EXPECT_TRUE(QFileInfo::exists(IniPath(config, QStringLiteral("Vantorix"))));
    EXPECT_FALSE(QFileInfo::exists(IniPath(config, QStringLiteral("vantorix-copy"))));
}

TEST(Settings, ApplicationNameIsTheFileNameWithoutFolderAndExtension) {
    struct Row {
        const char *path;
        const char *name;
    };
    const Row rows[] = {
        {"/usr/bin/Vantorix.scr", "Vantorix"},
        {"vantorix", "vantorix"},
        {"./build/my.saver.scr", "my.saver"},
        {"/opt/.hidden", ".hidden"},
        {"", "vantorix"},
    };
    for (const Row &row : rows) {
        CWinApp app;
        app.SetAppName(row.path);
        EXPECT_STREQ(app.m_pszAppName, row.name) << "path \"" << row.path << "\"";
    }
}

TEST(Settings, WritingKeepsEverythingElseAndReplacesTheFileAtomically) {
    PrivateConfig config;
    const QString path = IniPath(config, QStringLiteral("Vantorix"));
    WriteFile(path, "[Config]\nSpeed=2\nExtra=keep me\n\n[Elsewhere]\nColour=blue\n");
    struct stat before {};
    ASSERT_EQ(stat(path.toLocal8Bit().constData(), &before), 0);

    Profile profile("Vantorix");
    EXPECT_TRUE(profile.app.WriteProfileInt("Config", "Sound", 2));

    const QByteArray file = ReadFile(path);
    for (const char *kept : {"Speed=2", "Extra=keep me", "[Elsewhere]", "Colour=blue", "Sound=2"})
        EXPECT_TRUE(file.contains(kept)) << kept << " missing from\n" << file.constData();
    // A new file renamed over the old one, never the old one rewritten in
    // place: a crash in the middle leaves the old file whole.
    struct stat after {};
    ASSERT_EQ(stat(path.toLocal8Bit().constData(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
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
    EXPECT_EQ(s.Reliability, 4);

    EXPECT_TRUE(profile.app.WriteProfileInt("Config", "Speed", 8));
    EXPECT_EQ(ReadFile(path + QStringLiteral(".bak")), damaged);
    s.Load(&profile.app);
    EXPECT_EQ(s.Speed, 8);
    EXPECT_EQ(s.Reliability, 4) << "the other values stay";
}

TEST(Settings, NoApplicationObjectMeansDefaults) {
    SaverSettings s;
    s.Speed = 77;
    s.Load(nullptr);
    EXPECT_EQ(s.Speed, SaverSettings::kDefaultSpeed);
    EXPECT_EQ(s.Reliability, 10);
    EXPECT_EQ(s.Sound, 1);
    s.Save(nullptr); // nothing to write to, nothing happens
}
