// Wave sound output and the multimedia calls over it.
//
// The calls check and parse the wave image (WaveFormat.h) and hand the parsed
// sound to the installed output, which plays it asynchronously, one sound at a
// time. The toolkit layer installs the real output; tests install a recorder.
// With no output installed every sound plays nothing.
#pragma once

#include "platform/afx/WaveFormat.h"
#include "platform/win/WinTypes.h"

// PlaySoundA / sndPlaySoundA flags (documented values).
constexpr DWORD SND_SYNC = 0x0000;
constexpr DWORD SND_ASYNC = 0x0001;
constexpr DWORD SND_NODEFAULT = 0x0002;
constexpr DWORD SND_MEMORY = 0x0004;
constexpr DWORD SND_LOOP = 0x0008;
constexpr DWORD SND_NOSTOP = 0x0010;

class ISoundOutput {
  public:
    virtual ~ISoundOutput() = default;
    // Cuts off the sound playing, if any, and starts `sound` without waiting
    // for it. The samples are only valid during the call: copy what is kept.
    // Returns FALSE when it cannot be played (no device, format refused).
    virtual BOOL Play(const WaveSound &sound) = 0;
    // Silences the sound playing; harmless when none is.
    virtual void Stop() = 0;
};

// Installs the output (null: none, every sound plays nothing). Returns the
// previous one. The caller keeps ownership.
ISoundOutput *VxSetSoundOutput(ISoundOutput *output);
ISoundOutput *VxGetSoundOutput();

// Plays a sound. Supported: a null `sound`, which stops the sound playing; and
// SND_MEMORY | SND_ASYNC (SND_NODEFAULT optional: no default sound is ever
// substituted), where `sound` points at a RIFF wave image lying inside one of
// the resources of `module` (null: the current resource module), whose size
// bounds the parse. Any other request, an image outside the module's
// resources, or one that is malformed, stops the sound playing and returns
// FALSE. A new sound always cuts off the one before it.
BOOL PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags);

// A null `sound` stops the sound playing (returns TRUE); otherwise the same as
// PlaySoundA(sound, nullptr, flags).
BOOL sndPlaySoundA(LPCSTR sound, UINT flags);
