#include "settings/SaverSettings.h"

#include "platform/afx/AfxWin.h"

namespace {
constexpr const char *kSection = "Config";
} // namespace

void SaverSettings::Load(CWinApp *app) {
    // Without an application object there is no profile: every value is its
    // default.
    if (!app) {
        Speed = kDefaultSpeed;
        Reliability = kDefaultReliability;
        Sound = kDefaultSound;
        ClearScreen = kDefaultClearScreen;
        Wallpaper = kDefaultWallpaper;
        return;
    }
    Speed = int(app->GetProfileInt(kSection, "Speed", kDefaultSpeed));
    Reliability = int(app->GetProfileInt(kSection, "Reliability", kDefaultReliability));
    Sound = int(app->GetProfileInt(kSection, "Sound", kDefaultSound));
    ClearScreen = int(app->GetProfileInt(kSection, "ClearScreen", kDefaultClearScreen));
    Wallpaper = int(app->GetProfileInt(kSection, "Wallpaper", kDefaultWallpaper));
}

void SaverSettings::Save(CWinApp *app) const {
    if (!app)
        return;
    // All five are written, changed or not; a failed write is not reported.
    app->WriteProfileInt(kSection, "Speed", Speed);
    app->WriteProfileInt(kSection, "Reliability", Reliability);
    app->WriteProfileInt(kSection, "Sound", Sound);
    app->WriteProfileInt(kSection, "ClearScreen", ClearScreen);
    app->WriteProfileInt(kSection, "Wallpaper", Wallpaper);
}

void SaverOverrides::ApplyTo(SaverSettings *settings) const {
    const auto take = [](int given, int *value) {
        if (given != -1)
            *value = given;
    };
    take(Speed, &settings->Speed);
    take(Reliability, &settings->Reliability);
    take(Sound, &settings->Sound);
    take(ClearScreen, &settings->ClearScreen);
    take(Wallpaper, &settings->Wallpaper);
}

SaverOverrides &SaverRunOverrides() {
    static SaverOverrides overrides;
    return overrides;
}
