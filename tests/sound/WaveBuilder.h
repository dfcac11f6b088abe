// Builds RIFF wave images byte by byte, so tests can make valid and broken
// images alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wavetest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes &b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes &b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void PutTag(Bytes &b, const char *tag) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(tag[i]));
}

struct Fmt {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 8;
    // 0: derived from the fields above.
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
};

// A "fmt " chunk body (16 bytes, plus `extra` trailing bytes).
inline Bytes FmtBody(const Fmt &f, size_t extra = 0) {
    const uint16_t align = f.blockAlign ? f.blockAlign : uint16_t(f.channels * (f.bits / 8));
    Bytes b;
    Put16(b, f.tag);
    Put16(b, f.channels);
    Put32(b, f.rate);
    Put32(b, f.byteRate ? f.byteRate : f.rate * align);
    Put16(b, align);
    Put16(b, f.bits);
    b.resize(b.size() + extra, 0);
    return b;
}

// A chunk: tag, size (the body's unless `sizeOverride` is given), body, and a
// pad byte after an odd body unless `pad` is false.
inline Bytes Chunk(const char *tag, const Bytes &body, bool pad = true, int64_t sizeOverride = -1) {
    Bytes b;
    PutTag(b, tag);
    Put32(b, sizeOverride >= 0 ? uint32_t(sizeOverride) : uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1))
        b.push_back(0);
    return b;
}

// "RIFF" <size> "WAVE" followed by the chunks; the RIFF size covers them
// unless `riffSizeOverride` is given.
inline Bytes Riff(const std::vector<Bytes> &chunks, int64_t riffSizeOverride = -1,
                  const char *form = "WAVE", const char *magic = "RIFF") {
    Bytes body;
    PutTag(body, form);
    for (const Bytes &c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    PutTag(b, magic);
    Put32(b, riffSizeOverride >= 0 ? uint32_t(riffSizeOverride) : uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// `count` samples of a square wave around silence (8-bit unsigned).
inline Bytes Square8(size_t count, uint8_t low = 64, uint8_t high = 192) {
    Bytes b(count);
    for (size_t i = 0; i < count; ++i)
        b[i] = (i / 25) % 2 ? high : low;
    return b;
}

// A plain valid image: fmt then data.
inline Bytes SimpleWave(const Fmt &f, const Bytes &samples) {
    return Riff({Chunk("fmt ", FmtBody(f)), Chunk("data", samples)});
}

} // namespace wavetest
