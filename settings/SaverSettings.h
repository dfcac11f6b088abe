// The five persisted settings, always read and written in this order.
#pragma once

class CWinApp;

enum SoundMode { SoundOff = 0, SoundPartial = 1, SoundFull = 2 };

struct SaverSettings {
    int Speed = 0;
    int Reliability = 0;
    int Sound = 0;
    int ClearScreen = 0;
    int Wallpaper = 0;

    static constexpr int kDefaultSpeed = 5;
    static constexpr int kDefaultReliability = 10;
    static constexpr int kDefaultSound = SoundPartial;
    static constexpr int kDefaultClearScreen = 0;
    static constexpr int kDefaultWallpaper = 0;

    void Load(CWinApp *app);
    void Save(CWinApp *app) const;
};

// Values given on the command line for one run (-1: not given). A scene
// takes them over its stored settings; the configuration dialog never sees
// them and nothing writes them back.
struct SaverOverrides {
    int Speed = -1;
    int Reliability = -1;
    int Sound = -1;
    int ClearScreen = -1;
    int Wallpaper = -1;

    void ApplyTo(SaverSettings *settings) const;
};

// The overrides of this process's run.
SaverOverrides &SaverRunOverrides();
