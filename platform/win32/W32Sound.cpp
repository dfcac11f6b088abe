#include "platform/win32/W32Sound.h"

#include "platform/afx/SoundOutput.h"
#include "platform/win32/SysSound.h"
#include "platform/win32/W32Services.h"

#include <cstring>

namespace {

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
    const size_t padded = size_t(sound.sampleBytes) + (sound.sampleBytes & 1);
    std::vector<BYTE> image(44 + padded, 0);
    BYTE *p = image.data();
    const auto tag = [&p](const char *text) {
        std::memcpy(p, text, 4);
        p += 4;
    };
    const auto number = [&p](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            *p++ = BYTE(value >> (8 * i));
    };
    tag("RIFF");
    number(uint32_t(image.size() - 8), 4);
    tag("WAVE");
    tag("fmt ");
    number(16, 4);
    number(f.formatTag, 2);
    number(f.channels, 2);
    number(f.sampleRate, 4);
    number(f.byteRate, 4);
    number(f.blockAlign, 2);
    number(f.bitsPerSample, 2);
    tag("data");
    number(sound.sampleBytes, 4);
    if (sound.samples && sound.sampleBytes)
        std::memcpy(p, sound.samples, sound.sampleBytes);
    return image;
}

void VxInstallSystemSoundOutput() {
    // Never destroyed: the multimedia calls may reach it until the very end
    // of the process, and the system stops the sound when the process ends.
    static SystemSoundOutput *const output = new SystemSoundOutput;
    VxSetSoundOutput(output);
}
