#include "platform/afx/WaveFormat.h"

#include <cstring>

namespace {

DWORD Le32(const BYTE *p) {
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}
WORD Le16(const BYTE *p) {
    return WORD(p[0] | p[1] << 8);
}
bool Tag(const BYTE *p, const char *tag) {
    return std::memcmp(p, tag, 4) == 0;
}

constexpr size_t kRiffHeader = 12; // "RIFF", size, "WAVE"
constexpr size_t kChunkHeader = 8; // tag, size
constexpr DWORD kPcmFormatBytes = 16;

WaveError CheckFormat(const WaveFormat &f) {
    if (f.formatTag != WAVE_FORMAT_PCM)
        return WaveError::UnsupportedTag;
    if (f.channels != 1 && f.channels != 2)
        return WaveError::BadChannels;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16)
        return WaveError::BadBits;
    if (f.sampleRate < kMinWaveRate || f.sampleRate > kMaxWaveRate)
        return WaveError::BadRate;
    if (f.blockAlign != f.channels * (f.bitsPerSample / 8))
        return WaveError::BadBlockAlign;
    if (f.byteRate != f.sampleRate * f.blockAlign)
        return WaveError::BadByteRate;
    return WaveError::None;
}

} // namespace

WaveError ParseWave(const void *image, size_t size, WaveSound *out) {
    const BYTE *base = static_cast<const BYTE *>(image);
    if (!base || size < kRiffHeader)
        return WaveError::TooShort;
    if (!Tag(base, "RIFF"))
        return WaveError::NotRiff;
    if (!Tag(base + 8, "WAVE"))
        return WaveError::NotWave;
    // The form ends where its size says; bytes after it belong to no chunk.
    const uint64_t formEnd = uint64_t(Le32(base + 4)) + 8;
    if (formEnd > size)
        return WaveError::RiffPastEnd;
    const size_t end = size_t(formEnd);

    const BYTE *fmt = nullptr, *data = nullptr;
    DWORD fmtSize = 0, dataSize = 0;
    size_t pos = kRiffHeader;
    while (pos < end) {
        if (end - pos < kChunkHeader)
            return WaveError::ChunkPastEnd;
        const BYTE *chunk = base + pos;
        const DWORD chunkSize = Le32(chunk + 4);
        const size_t body = pos + kChunkHeader;
        if (chunkSize > end - body)
            return WaveError::ChunkPastEnd;
        if (Tag(chunk, "fmt ") && !fmt) {
            fmt = chunk + kChunkHeader;
            fmtSize = chunkSize;
        } else if (Tag(chunk, "data") && !data) {
            data = chunk + kChunkHeader;
            dataSize = chunkSize;
        }
        // Odd-sized chunks carry a pad byte; writers often leave it off the
        // last chunk, so a missing final pad is accepted.
        pos = body + chunkSize + (chunkSize & 1);
    }
    if (!fmt)
        return WaveError::MissingFormat;
    if (!data)
        return WaveError::MissingData;
    if (fmtSize < kPcmFormatBytes)
        return WaveError::FormatTooShort;

    WaveFormat f;
    f.formatTag = Le16(fmt);
    f.channels = Le16(fmt + 2);
    f.sampleRate = Le32(fmt + 4);
    f.byteRate = Le32(fmt + 8);
    f.blockAlign = Le16(fmt + 12);
    f.bitsPerSample = Le16(fmt + 14);
    if (const WaveError e = CheckFormat(f); e != WaveError::None)
        return e;
    const DWORD whole = dataSize - dataSize % f.blockAlign;
    if (whole == 0)
        return WaveError::NoSamples;

    out->format = f;
    out->samples = data;
    out->sampleBytes = whole;
    return WaveError::None;
}

const char *WaveErrorName(WaveError error) {
    switch (error) {
    case WaveError::None:
        return "none";
    case WaveError::TooShort:
        return "too short";
    case WaveError::NotRiff:
        return "not RIFF";
    case WaveError::NotWave:
        return "not WAVE";
    case WaveError::RiffPastEnd:
        return "RIFF size past the end";
    case WaveError::ChunkPastEnd:
        return "chunk past the end";
    case WaveError::MissingFormat:
        return "no fmt chunk";
    case WaveError::MissingData:
        return "no data chunk";
    case WaveError::FormatTooShort:
        return "fmt chunk too short";
    case WaveError::UnsupportedTag:
        return "unsupported format tag";
    case WaveError::BadChannels:
        return "unsupported channel count";
    case WaveError::BadBits:
        return "unsupported sample width";
    case WaveError::BadRate:
        return "sample rate out of range";
    case WaveError::BadBlockAlign:
        return "block align mismatch";
    case WaveError::BadByteRate:
        return "byte rate mismatch";
    case WaveError::NoSamples:
        return "no samples";
    }
    return "unknown";
}
