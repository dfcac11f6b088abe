// Plays "WAVE" resources of the module, one at a time.
#pragma once

#include "platform/win/WinTypes.h"

class WavePlayer {
  public:
    WavePlayer() = default;
    ~WavePlayer();
    WavePlayer(const WavePlayer &) = delete;
    WavePlayer &operator=(const WavePlayer &) = delete;

    // Stops what this player started, then plays the wave resource `waveId`
    // asynchronously. A missing resource plays nothing.
    void PlayResource(int waveId);
    // Stops the sound this player started, if it holds one; otherwise no call
    // reaches the sound output.
    void Stop();

    HGLOBAL heldResource() const { return m_hHeld; }

  private:
    HGLOBAL m_hHeld = nullptr; // the resource most recently loaded for playing
};
