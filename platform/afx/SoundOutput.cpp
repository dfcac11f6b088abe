#include "platform/afx/SoundOutput.h"

#include "platform/afx/Resources.h"

#include <cstdint>

namespace {

ISoundOutput *g_output = nullptr;

void StopOutput() {
    if (g_output)
        g_output->Stop();
}

// The bytes from `p` to the end of the module resource holding it, or 0 when
// no resource of the module holds it. A module handle points at its table.
size_t BytesLeftInModule(HMODULE module, const void *p) {
    if (!module)
        module = AfxGetResourceHandle();
    const auto *table = reinterpret_cast<const ResourceModule *>(module);
    if (!table)
        return 0;
    const auto addr = reinterpret_cast<uintptr_t>(p);
    for (size_t i = 0; i < table->count; ++i) {
        const ResourceEntry &e = table->entries[i];
        const auto first = reinterpret_cast<uintptr_t>(e.data);
        if (e.data && addr >= first && addr - first < e.size)
            return e.size - (addr - first);
    }
    return 0;
}

} // namespace

ISoundOutput *VxSetSoundOutput(ISoundOutput *output) {
    ISoundOutput *previous = g_output;
    g_output = output;
    return previous;
}

ISoundOutput *VxGetSoundOutput() {
    return g_output;
}

BOOL PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags) {
    if (!sound) {
        StopOutput();
        return TRUE;
    }
    // Only asynchronous in-memory images are supported: the caller must never
    // wait for a sound, and there are no sound files or aliases to look up.
    constexpr DWORD kSupported = SND_ASYNC | SND_NODEFAULT | SND_MEMORY;
    const bool supported =
        (flags & ~kSupported) == 0 && (flags & SND_MEMORY) && (flags & SND_ASYNC);
    // The image's extent comes from the resource holding it, never from the
    // image's own size field alone, so a corrupted header cannot make the
    // parser read beyond the resource.
    const size_t available = supported ? BytesLeftInModule(module, sound) : 0;
    WaveSound wave;
    if (available == 0 || ParseWave(sound, available, &wave) != WaveError::None || !g_output) {
        // A request for a new sound ends the old one even when the new one
        // cannot be played; nothing is played in its place.
        StopOutput();
        return FALSE;
    }
    return g_output->Play(wave);
}

BOOL sndPlaySoundA(LPCSTR sound, UINT flags) {
    if (!sound) {
        StopOutput();
        return TRUE;
    }
    return PlaySoundA(sound, nullptr, flags);
}
