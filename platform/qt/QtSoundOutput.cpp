#include "platform/qt/QtSoundOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QTimer>

namespace {

QAudioFormat ToQtFormat(const WaveFormat &f, QAudioFormat::SampleFormat sampleFormat) {
    QAudioFormat q;
    q.setSampleRate(int(f.sampleRate));
    q.setChannelCount(f.channels);
    q.setSampleFormat(sampleFormat);
    return q;
}

// 8-bit samples are unsigned around 128; 16-bit ones signed around 0.
QByteArray Widen8To16(const BYTE *samples, DWORD count) {
    QByteArray out(qsizetype(count) * 2, Qt::Uninitialized);
    auto *dst = reinterpret_cast<qint16 *>(out.data());
    for (DWORD i = 0; i < count; ++i)
        dst[i] = qint16((int(samples[i]) - 128) * 256);
    return out;
}

} // namespace

QtSoundOutput::QtSoundOutput(QObject *parent) : QObject(parent) {}

QtSoundOutput::~QtSoundOutput() {
    if (VxGetSoundOutput() == this)
        VxSetSoundOutput(nullptr);
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        delete m_sink;
        m_sink = nullptr;
    }
}

BOOL QtSoundOutput::Play(const WaveSound &sound) {
    Release();
    if (!QCoreApplication::instance() || !sound.samples || sound.sampleBytes == 0)
        return FALSE;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return FALSE; // no sound server or no card: silence, as documented

    // Play the samples as they are when the device takes them; 8-bit data is
    // widened to 16 bits for devices that only take the wider format.
    QAudioFormat format;
    QByteArray pcm;
    const bool eightBit = sound.format.bitsPerSample == 8;
    const QAudioFormat native =
        ToQtFormat(sound.format, eightBit ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    if (device.isFormatSupported(native)) {
        format = native;
        pcm = QByteArray(reinterpret_cast<const char *>(sound.samples), sound.sampleBytes);
    } else if (eightBit &&
               device.isFormatSupported(ToQtFormat(sound.format, QAudioFormat::Int16))) {
        format = ToQtFormat(sound.format, QAudioFormat::Int16);
        pcm = Widen8To16(sound.samples, sound.sampleBytes);
    } else {
        return FALSE;
    }

    m_durationUs = qint64(sound.FrameCount()) * 1000000 / sound.format.sampleRate;
    m_sink = new QAudioSink(device, format, this);
    m_buffer = new QBuffer(m_sink);
    m_buffer->setData(pcm);
    m_buffer->open(QIODevice::ReadOnly);
    connect(m_sink, &QAudioSink::stateChanged, this, [this] { OnStateChanged(); });
    // Pull mode: the sink reads the buffer on its own; start() returns at once.
    m_sink->start(m_buffer);
    if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        Release();
        return FALSE;
    }
    return TRUE;
}

void QtSoundOutput::Stop() {
    Release();
}

bool QtSoundOutput::IsPlaying() const {
    return m_sink && m_sink->state() == QAudio::ActiveState;
}

void QtSoundOutput::Release() {
    if (!m_sink)
        return;
    QAudioSink *sink = m_sink;
    m_sink = nullptr;
    m_buffer = nullptr;
    sink->disconnect(this);
    sink->stop();
    // The sink may be the sender of the signal being handled right now.
    sink->deleteLater();
}

void QtSoundOutput::OnStateChanged() {
    if (!m_sink)
        return;
    switch (m_sink->state()) {
    case QAudio::StoppedState: // the device failed (lost server, underlying error)
        Release();
        break;
    case QAudio::IdleState: {
        // Every sample has been handed to the device, but the device still
        // holds the last part of the sound: stopping now would cut it off.
        // The sink is released once that part has played.
        const qint64 leftMs = qMax<qint64>(0, (m_durationUs - m_sink->processedUSecs()) / 1000);
        QAudioSink *sink = m_sink;
        QTimer::singleShot(leftMs + 500, sink, [this, sink] {
            if (m_sink == sink && m_sink->state() == QAudio::IdleState)
                Release();
        });
        break;
    }
    default:
        break;
    }
}

void VxInstallQtSoundOutput() {
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || VxGetSoundOutput())
        return;
    VxSetSoundOutput(new QtSoundOutput(app));
}
