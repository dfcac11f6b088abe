#include "sound/WavePlayer.h"

#include "platform/afx/Resources.h"
#include "platform/afx/SoundOutput.h"

// The window stops its sound (under its own rules) before deleting the player;
// the player itself makes no call on the way out.
WavePlayer::~WavePlayer() = default;

void WavePlayer::PlayResource(int waveId) {
    // 1. The module's resources.
    HINSTANCE module = AfxGetResourceHandle();
    // 2. A new request always ends the sound before it, even when the new one
    //    turns out to be missing.
    Stop();
    // 3. Find the wave by its numeric id. An id outside the integer-resource
    //    range cannot name a resource.
    if (waveId < 0 || waveId > 0xFFFF)
        return;
    HRSRC hrsrc = FindResourceA(module, MAKEINTRESOURCEA(WORD(waveId)), "WAVE");
    if (!hrsrc)
        return;
    // 4. Load it; from here on a sound may be playing.
    m_hHeld = LoadResource(module, hrsrc);
    if (!m_hHeld)
        return;
    // 5. The RIFF image in memory.
    LPCSTR image = static_cast<LPCSTR>(LockResource(m_hHeld));
    if (!image)
        return;
    // 6. Play it once, from memory, without waiting and with no substitute
    //    sound when it cannot be played.
    PlaySoundA(image, module, SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
}

void WavePlayer::Stop() {
    if (!m_hHeld)
        return;
    sndPlaySoundA(nullptr, 0);
    m_hHeld = nullptr;
}
