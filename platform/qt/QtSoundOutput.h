// The sound output on Qt Multimedia: one QAudioSink at a time, fed from a copy
// of the parsed PCM, on the default audio output device.
#pragma once

#include "platform/afx/SoundOutput.h"

#include <QObject>
#include <QtGlobal>

class QAudioSink;
class QBuffer;

class QtSoundOutput : public QObject, public ISoundOutput {
    Q_OBJECT
  public:
    explicit QtSoundOutput(QObject *parent = nullptr);
    ~QtSoundOutput() override;

    // Returns FALSE without a sound: when there is no application object or no
    // output device, when the device refuses the format, or when the sink
    // cannot be opened. Never waits for the device.
    BOOL Play(const WaveSound &sound) override;
    void Stop() override;

    // True until every sample has been handed to the device (the device may
    // still be sounding the last fraction of a second).
    bool IsPlaying() const;

  private:
    void Release();
    void OnStateChanged();

    QAudioSink *m_sink = nullptr;
    QBuffer *m_buffer = nullptr; // child of m_sink, holds the copied samples
    qint64 m_durationUs = 0;     // length of the sound playing
};

// Creates the Qt output as a child of the application object (so it goes away
// with it, before Qt Multimedia does) and installs it with VxSetSoundOutput.
// Does nothing when there is no application object or one is installed already.
void VxInstallQtSoundOutput();
