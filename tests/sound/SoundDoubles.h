// RIFF wave images built byte by byte (valid and broken alike), a recording
// sound output and a small module of test waves.
#pragma once

#include "platform/afx/Resources.h"
#include "platform/afx/SoundOutput.h"
#include "tests/TestSupport.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace wavetest {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes &b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(uint8_t(v >> 8 * i));
}

// Format fields; a byte rate or block align of 0 is derived from the others.
struct Fmt {
    uint16_t tag = 1, channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 8;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
};

// A "fmt " chunk body: the 16-byte PCM record plus `extra` zero bytes.
inline Bytes FmtBody(const Fmt &f, size_t extra = 0) {
    const uint16_t align = f.blockAlign ? f.blockAlign : uint16_t(f.channels * (f.bits / 8));
    Bytes b;
    Put(b, f.tag, 2);
    Put(b, f.channels, 2);
    Put(b, f.rate, 4);
    Put(b, f.byteRate ? f.byteRate : f.rate * align, 4);
    Put(b, align, 2);
    Put(b, f.bits, 2);
    b.resize(b.size() + extra, 0);
    return b;
}

// Tag, size (the body's unless `size` >= 0), body, and a pad byte after an
// odd body unless `pad` is false.
inline Bytes Chunk(const char *tag, const Bytes &body, bool pad = true, int64_t size = -1) {
    Bytes b(tag, tag + 4);
    Put(b, size >= 0 ? uint32_t(size) : uint32_t(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1))
        b.push_back(0);
    return b;
}

// `magic` <size> `form` and the chunks; the size covers them unless given.
inline Bytes Riff(const std::vector<Bytes> &chunks, int64_t size = -1, const char *form = "WAVE",
                  const char *magic = "RIFF") {
    Bytes body(form, form + 4);
    for (const Bytes &c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes b(magic, magic + 4);
    Put(b, size >= 0 ? uint32_t(size) : uint32_t(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// `count` 8-bit samples of a square wave swinging `swing` either side of
// silence.
inline Bytes Square8(size_t count, int swing = 64) {
    Bytes b(count);
    for (size_t i = 0; i < count; ++i)
        b[i] = uint8_t((i / 25) % 2 ? 128 + swing : 128 - swing);
    return b;
}

inline Bytes SimpleWave(const Fmt &f, const Bytes &samples) {
    return Riff({Chunk("fmt ", FmtBody(f)), Chunk("data", samples)});
}

// Installed as the sound output while it lives. Records "play <id>" (the id
// of the test wave whose samples were played, "?" for others) and "stop".
class Recorder : public ISoundOutput {
  public:
    Recorder() : m_previous(VxSetSoundOutput(this)) {}
    ~Recorder() override { VxSetSoundOutput(m_previous); }
    BOOL Play(const WaveSound &sound) override {
        const auto it = idBySamples.find(sound.samples);
        Note("play " + (it == idBySamples.end() ? "?" : std::to_string(it->second)));
        return TRUE;
    }
    void Stop() override { Note("stop"); }

    std::string calls; // comma-separated
    std::map<const BYTE *, int> idBySamples;

  private:
    void Note(const std::string &call) { calls += (calls.empty() ? "" : ", ") + call; }
    ISoundOutput *m_previous;
};

// The current resource module while it lives: "WAVE" 170, 3000 and 3001
// (distinct valid images, numbered 0-2), 500 (image 3, whose header claims
// more bytes than the resource holds), 501 (no data), and a bitmap 3003.
class TestWaveModule : public vxtest::TestResources {
  public:
    explicit TestWaveModule(Recorder *labels = nullptr) {
        const Bytes whole = SimpleWave({}, Square8(400));
        const std::pair<WORD, Bytes> waves[] = {{170, SimpleWave({1, 1, 11025, 8}, Square8(200))},
                                                {3000, SimpleWave({}, Square8(250))},
                                                {3001, SimpleWave({}, Square8(300))},
                                                {500, Bytes(whole.begin(), whole.begin() + 100)},
                                                {501, {}}};
        for (const auto &[id, bytes] : waves)
            Add("WAVE", id, bytes);
        Add(RT_BITMAP, 3003, Image(1));
        for (size_t i = 0; labels && i < 3; ++i)
            labels->idBySamples[Image(i).data() + 44] = waves[i].first;
        m_previous = AfxGetResourceHandle();
        AfxSetResourceHandle(Handle());
    }
    ~TestWaveModule() { AfxSetResourceHandle(m_previous); }
    const Bytes &Image(size_t i) const { return Blob(i); }

  private:
    HINSTANCE m_previous = nullptr;
};

} // namespace wavetest
