// Reading RIFF wave images: the header chunks are checked and the PCM samples
// located in place, without copying. Every size is checked against the bytes
// actually given, so any input (including a hostile one) is safe to parse.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

enum class WaveError {
    None,
    TooShort,       // fewer bytes than a RIFF header
    NotRiff,        // no "RIFF" tag
    NotWave,        // form type is not "WAVE"
    RiffPastEnd,    // the RIFF size claims more bytes than there are
    ChunkPastEnd,   // a chunk's size runs past the end of the RIFF form
    MissingFormat,  // no "fmt " chunk
    MissingData,    // no "data" chunk
    FormatTooShort, // "fmt " chunk smaller than the PCM format record
    UnsupportedTag, // format tag other than PCM
    BadChannels,    // not mono or stereo
    BadBits,        // not 8 or 16 bits per sample
    BadRate,        // sample rate outside kMinWaveRate..kMaxWaveRate
    BadBlockAlign,  // block align does not match channels and bits
    BadByteRate,    // byte rate does not match rate and block align
    NoSamples,      // the data chunk holds no whole sample frame
};

constexpr DWORD kMinWaveRate = 1000;
constexpr DWORD kMaxWaveRate = 192000;
constexpr WORD WAVE_FORMAT_PCM = 1;

struct WaveFormat {
    WORD formatTag = 0;
    WORD channels = 0;
    DWORD sampleRate = 0;
    DWORD byteRate = 0;
    WORD blockAlign = 0;
    WORD bitsPerSample = 0;
};

// A parsed wave: its format and its samples, which point into the image.
// 8-bit samples are unsigned (silence 128), 16-bit ones signed little-endian.
struct WaveSound {
    WaveFormat format;
    const BYTE *samples = nullptr;
    DWORD sampleBytes = 0; // whole frames only: a trailing partial frame is dropped

    DWORD FrameCount() const { return format.blockAlign ? sampleBytes / format.blockAlign : 0; }
};

// Parses a RIFF wave image of `size` bytes. Chunks may come in any order;
// "fact" and unknown chunks are skipped; odd-sized chunks are followed by a pad
// byte (which may be missing after the last chunk). The first "fmt " and the
// first "data" chunk count. Bytes after the RIFF form are ignored. On success
// fills `out` and returns WaveError::None; otherwise `out` is left untouched.
WaveError ParseWave(const void *image, size_t size, WaveSound *out);

const char *WaveErrorName(WaveError error);
