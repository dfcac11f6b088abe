// The system services under the system itself: settings in the registry, the
// wave image rebuilt for the system's player, and the password check left to
// a system that does it itself.
#include "app/Password.h"
#include "platform/afx/AfxWin.h"
#include "platform/afx/DesktopProfile.h"
#include "platform/afx/Module.h"
#include "platform/win32/SysProfile.h"
#include "platform/win32/W32Sound.h"

#include "tests/TestSupport.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>

namespace {

// The value at HKEY_CURRENT_USER\<subKey>, read through the saver's own
// registry calls (which must hand the predefined root to the system in the
// system's form).
std::optional<DWORD> StoredValue(const std::string &subKey, const char *name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, subKey.c_str(), &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0, size = sizeof value;
    const LSTATUS status =
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::optional<DWORD>(value) : std::nullopt;
}

TEST(W32Services, ProfileValuesInTheRegistry) {
    const std::string withKey = "Software\\Vantorix Tests\\VxServicesTest\\Config";
    const struct {
        const char *label;
        const char *registryKey;
        const char *entry;
        std::optional<int> written;
        const char *planted; // a value put there by hand, as `reg add` arguments
        UINT read;           // with the default 42
        std::string storedAt;
    } rows[] = {
        {"written value", "Vantorix Tests", "Speed", 7, nullptr, 7, withKey},
        {"negative value keeps its 32 bits", "Vantorix Tests", "Offset", -3, nullptr, UINT(-3),
         withKey},
        {"never written", "Vantorix Tests", "NeverWritten", {}, nullptr, 42, ""},
        {"no registry key", nullptr, "Sound", 2, nullptr, 2, "Software\\VxServicesTest\\Config"},
        // Four bytes, as a DWORD has, but text.
        {"a string is no value", "Vantorix Tests", "Text", {}, "/t REG_SZ /d 123", 42, ""},
    };
    for (const auto &row : rows) {
        CWinApp app;
        app.m_pszAppName = "VxServicesTest";
        if (row.registryKey)
            app.SetRegistryKey(row.registryKey);
        if (row.planted) {
            const std::string command = "reg add \"HKCU\\" + withKey + "\" /v " + row.entry + " " +
                                        row.planted + " /f >NUL";
            ASSERT_EQ(std::system(command.c_str()), 0) << row.label;
        }
        if (row.written) {
            EXPECT_EQ(app.WriteProfileInt("Config", row.entry, *row.written), TRUE) << row.label;
        }
        EXPECT_EQ(app.GetProfileInt("Config", row.entry, 42), row.read) << row.label;
        if (!row.storedAt.empty()) {
            EXPECT_EQ(StoredValue(row.storedAt, row.entry), DWORD(row.read)) << row.label;
        }
    }
}

TEST(W32Services, WaveImageForTheSystemPlayer) {
    const BYTE samples[] = {1, 2, 3, 4, 5, 6, 7, 8};
    const struct {
        WaveFormat format;
        DWORD sampleBytes;
    } rows[] = {
        {{WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8}, 5}, // an odd length gets its pad byte
        {{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16}, 8},
    };
    for (const auto &row : rows) {
        const WaveSound sound{row.format, samples, row.sampleBytes};
        const std::vector<BYTE> image = VxWaveImage(sound);
        const DWORD padded = row.sampleBytes + (row.sampleBytes & 1);
        ASSERT_EQ(image.size(), 44 + padded);
        DWORD riffSize = 0;
        std::memcpy(&riffSize, &image[4], 4);
        EXPECT_EQ(riffSize, image.size() - 8);
        WaveSound parsed;
        ASSERT_EQ(ParseWave(image.data(), image.size(), &parsed), WaveError::None);
        EXPECT_EQ(std::memcmp(&parsed.format, &row.format, sizeof row.format), 0);
        EXPECT_EQ(parsed.sampleBytes, row.sampleBytes);
        EXPECT_EQ(std::memcmp(parsed.samples, samples, row.sampleBytes), 0);
    }
}

// This system (NT family, no PASSWORD.CPL) locks the session itself: with the
// switch on, the saver closes at once and reports nothing.
TEST(W32Services, PasswordLeftToTheSystem) {
    ASSERT_TRUE(vxsys::WriteUserDword("Control Panel\\Desktop", "ScreenSaveUsePassword", 1));
    vxtest::BoxRecorder recorder;
    EXPECT_EQ(VxSystemChecksSaverPassword(), TRUE);
    EXPECT_EQ(VerifySaverPassword(nullptr), TRUE);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{});
}

} // namespace
