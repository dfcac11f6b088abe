#include "platform/qt/QtSoundOutput.h"

#include <QCoreApplication>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr pa_sample_spec kSpec = {PA_SAMPLE_S16LE, QtSoundOutput::kStreamRate, 1};
// What the server keeps queued ahead of the device. Small, so that a stop is
// heard at once even where a flush comes late; large enough that the stream's
// thread, woken every kRequestUs, rides out a busy machine.
constexpr pa_usec_t kBufferUs = 60000;
constexpr pa_usec_t kRequestUs = 10000;
// Silence after which the stream is corked, letting the server suspend the
// device. Passes come every few seconds (a slow one takes longer); a
// switched-off monitor, the preview and the configuration dialog mean none.
constexpr size_t kCorkAfterSamples = size_t(QtSoundOutput::kStreamRate) * 60;

// Scoped mainloop lock; the stream's callbacks run with it held.
class LoopLock {
  public:
    explicit LoopLock(pa_threaded_mainloop *loop) : m_loop(loop) {
        pa_threaded_mainloop_lock(m_loop);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock &) = delete;
    LoopLock &operator=(const LoopLock &) = delete;

  private:
    pa_threaded_mainloop *m_loop;
};

void Drop(pa_operation *op) {
    if (op)
        pa_operation_unref(op);
}

// One frame of `sound` as a signed 16-bit value, its channels averaged.
int FrameValue(const WaveSound &sound, size_t frame) {
    const BYTE *p = sound.samples + frame * sound.format.blockAlign;
    const int channels = sound.format.channels;
    int sum = 0;
    for (int c = 0; c < channels; ++c) {
        if (sound.format.bitsPerSample == 8)
            sum += (int(p[c]) - 128) * 256; // 8-bit samples are unsigned around 128
        else
            sum += int16_t(uint16_t(p[2 * c] | p[2 * c + 1] << 8));
    }
    return sum / channels;
}

} // namespace

QtSoundOutput::QtSoundOutput(QObject *parent) : QObject(parent) {}

QtSoundOutput::~QtSoundOutput() {
    if (VxGetSoundOutput() == this)
        VxSetSoundOutput(nullptr);
    if (!m_loop)
        return;
    pa_threaded_mainloop_stop(m_loop);
    Disconnect();
    pa_threaded_mainloop_free(m_loop);
}

std::vector<int16_t> QtSoundOutput::Convert(const WaveSound &sound) {
    const size_t frames = sound.FrameCount();
    const uint64_t rate = sound.format.sampleRate;
    if (!sound.samples || frames == 0 || rate == 0 || sound.format.channels == 0)
        return {};
    std::vector<int> in(frames);
    for (size_t i = 0; i < frames; ++i)
        in[i] = FrameValue(sound, i);
    // Output sample j lies at input position j * rate / kStreamRate.
    const size_t count = size_t(frames * uint64_t(kStreamRate) / rate);
    std::vector<int16_t> out(count);
    for (size_t j = 0; j < count; ++j) {
        const uint64_t at = j * rate;
        const size_t i = size_t(at / kStreamRate);
        const int64_t frac = int64_t(at % kStreamRate);
        const int64_t a = in[i], b = in[std::min(i + 1, frames - 1)];
        out[j] = int16_t((a * (kStreamRate - frac) + b * frac) / kStreamRate);
    }
    return out;
}

bool QtSoundOutput::StartLoop() {
    m_loop = pa_threaded_mainloop_new();
    if (m_loop && pa_threaded_mainloop_start(m_loop) < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
    return m_loop != nullptr;
}

BOOL QtSoundOutput::Play(const WaveSound &sound) {
    if (!QCoreApplication::instance() || (!m_loop && !StartLoop()))
        return FALSE;
    std::vector<int16_t> pcm = Convert(sound);
    bool playing = false;
    {
        LoopLock lock(m_loop);
        // Whatever happens below, the sound before this one ends now.
        m_sound.swap(pcm);
        m_position = 0;
        m_silentSamples = 0;
        // The first sound connects, so a run that plays nothing never talks
        // to a server; a sound that finds the server gone tries again.
        if (!m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
            Disconnect();
            StartContext();
        }
        const pa_context_state_t state =
            m_context ? pa_context_get_state(m_context) : PA_CONTEXT_FAILED;
        if (m_sound.empty() || !PA_CONTEXT_IS_GOOD(state)) {
            playing = false; // no server (a missing one refuses at once)
        } else if (state == PA_CONTEXT_READY) {
            // A stream the server dropped is replaced.
            if (m_stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
                CloseStream();
            if (m_stream)
                Restart(m_stream);
            else
                OpenStream();
            playing = m_stream != nullptr;
        } else {
            // Still connecting: the stream opens once the server answers and
            // starts with this sound.
            playing = true;
        }
        if (!playing) {
            m_sound.clear();
            if (m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY)
                Drop(pa_stream_flush(m_stream, nullptr, nullptr));
        }
    }
    // `pcm` now holds the previous sound; it is freed outside the lock.
    return playing ? TRUE : FALSE;
}

void QtSoundOutput::Stop() {
    if (!m_loop)
        return;
    std::vector<int16_t> old;
    LoopLock lock(m_loop);
    old.swap(m_sound);
    m_position = 0;
    // Drop what the server still holds of the sound, so it ends now rather
    // than a buffer later.
    if (m_stream && !m_corked && pa_stream_get_state(m_stream) == PA_STREAM_READY)
        Drop(pa_stream_flush(m_stream, nullptr, nullptr));
}

bool QtSoundOutput::IsPlaying() const {
    if (!m_loop)
        return false;
    LoopLock lock(m_loop);
    return m_position < m_sound.size();
}

void QtSoundOutput::StartContext() {
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Vantorix");
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, &QtSoundOutput::OnContextState, this);
    // Never start a server of our own: without one the saver is silent.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        Disconnect();
}

void QtSoundOutput::OnContextState(pa_context *context, void *userdata) {
    auto *self = static_cast<QtSoundOutput *>(userdata);
    // The stream opens as soon as the server answers and is kept from then
    // on: a new stream per sound would wait for its setup and prebuffer.
    if (pa_context_get_state(context) == PA_CONTEXT_READY && !self->m_stream)
        self->OpenStream();
}

void QtSoundOutput::OpenStream() {
    m_stream = pa_stream_new(m_context, "Vantorix sounds", &kSpec, nullptr);
    if (!m_stream)
        return;
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(kBufferUs, &kSpec));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(pa_usec_to_bytes(kRequestUs, &kSpec));
    attr.fragsize = uint32_t(-1);
    m_corked = false;
    pa_stream_set_write_callback(m_stream, &QtSoundOutput::OnWritable, this);
    // The server asks for the first buffer as soon as the stream is ready;
    // the callback hands it the current sound from its start.
    if (pa_stream_connect_playback(m_stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0) {
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
}

void QtSoundOutput::Restart(pa_stream *stream) {
    // A stream still being created asks for the new sound once it is ready.
    if (pa_stream_get_state(stream) != PA_STREAM_READY)
        return;
    // The server drops the queued silence or the old sound and asks for a
    // fresh buffer, which starts with the new sound.
    Drop(pa_stream_flush(stream, nullptr, nullptr));
    if (m_corked) {
        Drop(pa_stream_cork(stream, 0, nullptr, nullptr));
        m_corked = false;
    }
}

void QtSoundOutput::OnWritable(pa_stream *stream, size_t bytes, void *userdata) {
    auto *self = static_cast<QtSoundOutput *>(userdata);
    while (bytes >= sizeof(int16_t)) {
        void *data = nullptr;
        size_t n = bytes;
        if (pa_stream_begin_write(stream, &data, &n) < 0 || !data || n < sizeof(int16_t))
            return;
        n = std::min(n, bytes) / sizeof(int16_t) * sizeof(int16_t);
        auto *out = static_cast<int16_t *>(data);
        const size_t count = n / sizeof(int16_t);
        const size_t left = self->m_sound.size() - std::min(self->m_position, self->m_sound.size());
        const size_t fromSound = std::min(count, left);
        if (fromSound)
            std::memcpy(out, self->m_sound.data() + self->m_position, fromSound * sizeof(int16_t));
        std::fill(out + fromSound, out + count, int16_t(0));
        self->m_position += fromSound;
        self->m_silentSamples += count - fromSound;
        if (pa_stream_write(stream, data, n, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= n;
    }
    if (!self->m_corked && self->m_silentSamples >= kCorkAfterSamples) {
        Drop(pa_stream_cork(stream, 1, nullptr, nullptr));
        self->m_corked = true;
    }
}

void QtSoundOutput::CloseStream() {
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    m_corked = false;
}

void QtSoundOutput::Disconnect() {
    if (m_stream)
        CloseStream();
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_corked = false;
}

void VxInstallQtSoundOutput() {
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || VxGetSoundOutput())
        return;
    VxSetSoundOutput(new QtSoundOutput(app));
}
