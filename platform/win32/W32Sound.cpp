#include "platform/win32/W32Sound.h"

#include "platform/afx/SoundOutput.h"
#include "platform/win32/SysSound.h"
#include "platform/win32/W32Services.h"

#include <cstring>

namespace {

void PutTag(std::vector<BYTE> &out, const char (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
}

void PutLittleEndian(std::vector<BYTE> &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(BYTE(value >> (8 * i)));
}

// The system plays from the caller's memory after PlaySound has returned, so
// the image of the sound playing lives here until the system is told to stop.
class SystemSoundOutput : public ISoundOutput {
  public:
    BOOL Play(const WaveSound &sound) override {
        std::vector<BYTE> image = VxWaveImage(sound);
        Stop(); // the old image goes only once the system has let go of it
        m_image = std::move(image);
        return vxsys::PlaySoundImage(m_image.data()) ? TRUE : FALSE;
    }
    void Stop() override {
        vxsys::StopSound();
        m_image.clear();
    }

  private:
    std::vector<BYTE> m_image;
};

} // namespace

std::vector<BYTE> VxWaveImage(const WaveSound &sound) {
    const WaveFormat &f = sound.format;
    const uint32_t pad = sound.sampleBytes & 1;
    std::vector<BYTE> out;
    out.reserve(44 + sound.sampleBytes + pad);
    PutTag(out, "RIFF");
    PutLittleEndian(out, 36 + sound.sampleBytes + pad, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLittleEndian(out, 16, 4);
    PutLittleEndian(out, f.formatTag, 2);
    PutLittleEndian(out, f.channels, 2);
    PutLittleEndian(out, f.sampleRate, 4);
    PutLittleEndian(out, f.byteRate, 4);
    PutLittleEndian(out, f.blockAlign, 2);
    PutLittleEndian(out, f.bitsPerSample, 2);
    PutTag(out, "data");
    PutLittleEndian(out, sound.sampleBytes, 4);
    if (sound.samples)
        out.insert(out.end(), sound.samples, sound.samples + sound.sampleBytes);
    out.resize(44 + sound.sampleBytes + pad, 0);
    return out;
}

void VxInstallSystemSoundOutput() {
    // Never destroyed: the multimedia calls may reach it until the very end
    // of the process, and the system stops the sound when the process ends.
    static SystemSoundOutput *const output = new SystemSoundOutput;
    VxSetSoundOutput(output);
}
