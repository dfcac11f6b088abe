// A recording sound output and a small module of test waves, for tests that
// watch what reaches the sound output.
#pragma once

#include "platform/afx/Resources.h"
#include "platform/afx/SoundOutput.h"
#include "tests/sound/WaveBuilder.h"

#include <map>
#include <string>
#include <vector>

namespace wavetest {

// Records every call as "play <id>" or "stop". A played sound is named by the
// id of the test wave whose samples it points into ("play ?" for others).
class RecordingOutput : public ISoundOutput {
  public:
    std::vector<std::string> calls;
    std::map<const BYTE *, int> idBySamples;
    WaveSound lastPlayed;
    BOOL playResult = TRUE;

    BOOL Play(const WaveSound &sound) override {
        const auto it = idBySamples.find(sound.samples);
        calls.push_back("play " +
                        (it == idBySamples.end() ? std::string("?") : std::to_string(it->second)));
        lastPlayed = sound;
        return playResult;
    }
    void Stop() override { calls.push_back("stop"); }
};

// Installs a recorder for the lifetime of the object and restores the output
// that was there before.
class ScopedRecorder {
  public:
    ScopedRecorder() : m_previous(VxSetSoundOutput(&output)) {}
    ~ScopedRecorder() { VxSetSoundOutput(m_previous); }
    RecordingOutput output;

  private:
    ISoundOutput *m_previous;
};

// A module holding "WAVE" resources 170, 3000, 3001, 3002 (each a distinct
// valid image), 500 (a malformed image), 501 (a resource with no data) and a
// bitmap 3003 (right id, wrong type); installed as the current resource module
// while the object lives.
class TestWaveModule {
  public:
    TestWaveModule() {
        const int ids[] = {170, 3000, 3001, 3002};
        for (int i = 0; i < 4; ++i)
            m_images.push_back(
                SimpleWave({1, 1, i == 0 ? 11025u : 22050u, 8}, Square8(200 + 50 * i)));
        m_images.push_back(Riff({Chunk("data", Square8(10))})); // no fmt
        m_images.push_back(SimpleWave({}, Square8(10)));
        for (int i = 0; i < 4; ++i)
            Add("WAVE", WORD(ids[i]), m_images[i]);
        Add("WAVE", 500, m_images[4]);
        m_entries.push_back({"WAVE", 501, nullptr, 0});
        Add(RT_BITMAP, 3003, m_images[5]);
        m_module = {m_entries.data(), m_entries.size()};
        m_previous = AfxGetResourceHandle();
        AfxSetResourceHandle(VxModuleHandle(&m_module));
    }
    ~TestWaveModule() { AfxSetResourceHandle(m_previous); }
    TestWaveModule(const TestWaveModule &) = delete;
    TestWaveModule &operator=(const TestWaveModule &) = delete;

    // Lets `out` name the played waves by id.
    void Label(RecordingOutput &out) const {
        const int ids[] = {170, 3000, 3001, 3002};
        for (int i = 0; i < 4; ++i)
            out.idBySamples[m_images[i].data() + 44] = ids[i];
    }
    const Bytes &Image(size_t i) const { return m_images[i]; }

  private:
    void Add(LPCSTR type, WORD id, const Bytes &b) {
        m_entries.push_back({type, id, b.data(), DWORD(b.size())});
    }
    std::vector<Bytes> m_images;
    std::vector<ResourceEntry> m_entries;
    ResourceModule m_module{};
    HINSTANCE m_previous = nullptr;
};

} // namespace wavetest
