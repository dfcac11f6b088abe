// The sound output of the Qt platform layer: one PulseAudio playback stream,
// kept for the life of the output.
//
// A stream per sound makes every sound wait for a stream setup and a fresh
// prebuffer. Instead one stream, opened with the connection at the first
// sound, runs at a fixed format (16-bit mono, kStreamRate) with a small
// buffer: every sound is converted to that format and fed from the stream's
// own thread (never waiting on the busy user-interface thread), silence fills
// the time between sounds, and a new sound or a stop flushes what the server
// still holds, so it is heard within a few tens of milliseconds. After a long
// silence the stream is corked so the server may suspend its device.
//
// With no server (or a failed one) every sound plays nothing; a later sound
// tries to reconnect in the background.
#pragma once

#include "platform/afx/SoundOutput.h"

#include <QObject>

#include <cstdint>
#include <vector>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

class QtSoundOutput : public QObject, public ISoundOutput {
    Q_OBJECT
  public:
    static constexpr int kStreamRate = 44100;

    explicit QtSoundOutput(QObject *parent = nullptr);
    ~QtSoundOutput() override;

    // The first sound connects to the server (the default one, or the one
    // PULSE_SERVER names; none is ever started). Returns FALSE without a
    // sound: when there is no application object, no samples, or no server
    // (a missing one refuses at once, a failed one is tried again at the next
    // sound). Never waits for the server: a sound asked for while it connects
    // starts once it answers.
    BOOL Play(const WaveSound &sound) override;
    void Stop() override;

    // True until every sample of the current sound has been handed to the
    // server (which still holds the last few tens of milliseconds).
    bool IsPlaying() const;

    // The samples of `sound` as the stream takes them: 16-bit mono at
    // kStreamRate, channels averaged, linearly interpolated.
    static std::vector<int16_t> Convert(const WaveSound &sound);

  private:
    bool StartLoop();
    static void OnContextState(pa_context *context, void *self);
    static void OnWritable(pa_stream *stream, size_t bytes, void *self);
    void StartContext();             // mainloop lock held
    void OpenStream();               // mainloop lock held
    void CloseStream();              // mainloop lock held
    void Disconnect();               // mainloop lock held, or the loop stopped
    void Restart(pa_stream *stream); // mainloop lock held

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr; // opened once the context is ready

    // Shared with the stream's thread under the mainloop lock.
    std::vector<int16_t> m_sound; // the current sound, converted
    size_t m_position = 0;        // next sample of m_sound to hand over
    size_t m_silentSamples = 0;   // silence handed over since the last sound
    bool m_corked = false;
};

// Creates the output as a child of the application object (so it goes away
// with it) and installs it with VxSetSoundOutput. Does nothing
// when there is no application object or one is installed already.
void VxInstallQtSoundOutput();
