// The wave parser against valid images in every accepted shape and a corpus of
// broken ones.
#include "platform/afx/WaveFormat.h"
#include "tests/sound/WaveBuilder.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace wavetest;

namespace {

struct Accepted {
    const char *label;
    Bytes image;
    DWORD rate;
    WORD bits, channels;
    DWORD frames;
    DWORD dataOffset; // where the samples start in the image
};

Bytes Data16Stereo(size_t frames) {
    Bytes b;
    for (size_t i = 0; i < frames; ++i) {
        Put16(b, uint16_t(int16_t(i * 100)));
        Put16(b, uint16_t(int16_t(-int(i) * 100)));
    }
    return b;
}

} // namespace

TEST(WaveParse, AcceptsEveryPcmShapeAndLayout) {
    const Bytes s100 = Square8(100);
    const Bytes s7 = Square8(7);
    const Bytes fact = {0x10, 0x27, 0, 0};
    const std::vector<Accepted> rows = {
        {"8-bit mono, fmt then data", SimpleWave({}, s100), 22050, 8, 1, 100, 12 + 24 + 8},
        {"16-bit stereo", SimpleWave({1, 2, 44100, 16}, Data16Stereo(10)), 44100, 16, 2, 10, 44},
        {"8-bit stereo", SimpleWave({1, 2, 11025, 8}, s100), 11025, 8, 2, 50, 44},
        {"16-bit mono", SimpleWave({1, 1, 8000, 16}, s100), 8000, 16, 1, 50, 44},
        {"fact chunk between fmt and data",
         Riff({Chunk("fmt ", FmtBody({1, 1, 11025, 8})), Chunk("fact", fact), Chunk("data", s100)}),
         11025, 8, 1, 100, 12 + 24 + 12 + 8},
        {"data before fmt", Riff({Chunk("data", s100), Chunk("fmt ", FmtBody({}))}), 22050, 8, 1,
         100, 20},
        {"odd unknown chunk is padded",
         Riff({Chunk("LIST", Bytes(5, 'x')), Chunk("fmt ", FmtBody({})), Chunk("data", s100)}),
         22050, 8, 1, 100, 12 + 14 + 24 + 8},
        {"odd data chunk, last, without its pad byte",
         Riff({Chunk("fmt ", FmtBody({})), Chunk("data", s7, false)}), 22050, 8, 1, 7, 44},
        {"odd data chunk, padded, before fmt",
         Riff({Chunk("data", s7), Chunk("fmt ", FmtBody({}))}), 22050, 8, 1, 7, 20},
        {"fmt chunk longer than the PCM record (cbSize)",
         Riff({Chunk("fmt ", FmtBody({}, 2)), Chunk("data", s100)}), 22050, 8, 1, 100, 12 + 26 + 8},
        {"bytes after the RIFF form are ignored",
         [&] {
             Bytes b = SimpleWave({}, s100);
             b.insert(b.end(), {'j', 'u', 'n', 'k', 0xFF, 0xFF, 0xFF, 0xFF});
             return b;
         }(),
         22050, 8, 1, 100, 44},
        {"a trailing partial frame is dropped", SimpleWave({1, 2, 22050, 16}, Bytes(10, 0)), 22050,
         16, 2, 2, 44},
        {"second fmt and data chunks are ignored",
         Riff({Chunk("fmt ", FmtBody({})), Chunk("data", s100),
               Chunk("fmt ", FmtBody({1, 2, 44100, 16})), Chunk("data", s7)}),
         22050, 8, 1, 100, 44},
        {"lowest rate", SimpleWave({1, 1, kMinWaveRate, 8}, s100), kMinWaveRate, 8, 1, 100, 44},
        {"highest rate", SimpleWave({1, 1, kMaxWaveRate, 8}, s100), kMaxWaveRate, 8, 1, 100, 44},
    };
    for (const Accepted &r : rows) {
        SCOPED_TRACE(r.label);
        WaveSound w;
        ASSERT_EQ(ParseWave(r.image.data(), r.image.size(), &w), WaveError::None)
            << WaveErrorName(ParseWave(r.image.data(), r.image.size(), &w));
        EXPECT_EQ(w.format.sampleRate, r.rate);
        EXPECT_EQ(w.format.bitsPerSample, r.bits);
        EXPECT_EQ(w.format.channels, r.channels);
        EXPECT_EQ(w.FrameCount(), r.frames);
        EXPECT_EQ(w.samples, r.image.data() + r.dataOffset);
        EXPECT_EQ(w.sampleBytes, r.frames * r.channels * (r.bits / 8));
    }
}

TEST(WaveParse, RejectsBrokenImages) {
    const Bytes s100 = Square8(100);
    const Bytes fmt = Chunk("fmt ", FmtBody({}));
    const Bytes good = SimpleWave({}, s100);
    struct Rejected {
        const char *label;
        Bytes image;
        WaveError error;
    };
    const std::vector<Rejected> rows = {
        {"empty", {}, WaveError::TooShort},
        {"header cut at 11 bytes", Bytes(good.begin(), good.begin() + 11), WaveError::TooShort},
        {"wrong magic", Riff({fmt, Chunk("data", s100)}, -1, "WAVE", "RIFX"), WaveError::NotRiff},
        {"wrong form type", Riff({fmt, Chunk("data", s100)}, -1, "AVI "), WaveError::NotWave},
        {"RIFF size one past the end", Riff({fmt, Chunk("data", s100)}, 4 + 24 + 108 + 1),
         WaveError::RiffPastEnd},
        {"RIFF size 0xFFFFFFFF", Riff({fmt, Chunk("data", s100)}, 0xFFFFFFFF),
         WaveError::RiffPastEnd},
        {"image truncated inside the data chunk", Bytes(good.begin(), good.end() - 1),
         WaveError::RiffPastEnd},
        {"data size past the end", Riff({fmt, Chunk("data", s100, true, 101)}),
         WaveError::ChunkPastEnd},
        {"data size 0xFFFFFFFF", Riff({fmt, Chunk("data", s100, true, 0xFFFFFFFF)}),
         WaveError::ChunkPastEnd},
        {"fmt size past the end", Riff({Chunk("fmt ", FmtBody({}), true, 0x7FFFFFF0)}),
         WaveError::ChunkPastEnd},
        {"chunk header cut short", Riff({fmt, Chunk("data", s100), Bytes{'L', 'I', 'S'}}),
         WaveError::ChunkPastEnd},
        {"RIFF size cuts the data chunk", Riff({fmt, Chunk("data", s100)}, 4 + 24 + 8 + 50),
         WaveError::ChunkPastEnd},
        {"no fmt chunk", Riff({Chunk("data", s100)}), WaveError::MissingFormat},
        {"no data chunk", Riff({fmt, Chunk("fact", Bytes(4, 0))}), WaveError::MissingData},
        {"no chunks at all", Riff({}), WaveError::MissingFormat},
        {"fmt chunk of 14 bytes",
         [] {
             Bytes short14 = FmtBody({});
             short14.resize(14);
             return Riff({Chunk("fmt ", short14), Chunk("data", Square8(100))});
         }(),
         WaveError::FormatTooShort},
        {"IEEE float (tag 3)", SimpleWave({3, 1, 22050, 32}, s100), WaveError::UnsupportedTag},
        {"ADPCM (tag 2)", SimpleWave({2, 1, 22050, 4, 0, 256}, s100), WaveError::UnsupportedTag},
        {"extensible (tag 0xFFFE)", SimpleWave({0xFFFE, 1, 22050, 8}, s100),
         WaveError::UnsupportedTag},
        {"0 channels", SimpleWave({1, 0, 22050, 8, 22050, 1}, s100), WaveError::BadChannels},
        {"3 channels", SimpleWave({1, 3, 22050, 8}, s100), WaveError::BadChannels},
        {"24-bit", SimpleWave({1, 1, 22050, 24}, s100), WaveError::BadBits},
        {"0 bits", SimpleWave({1, 1, 22050, 0, 22050, 1}, s100), WaveError::BadBits},
        {"zero rate", SimpleWave({1, 1, 0, 8}, s100), WaveError::BadRate},
        {"rate below the range", SimpleWave({1, 1, kMinWaveRate - 1, 8}, s100), WaveError::BadRate},
        {"rate above the range", SimpleWave({1, 1, kMaxWaveRate + 1, 8}, s100), WaveError::BadRate},
        {"rate 0xFFFFFFFF", SimpleWave({1, 1, 0xFFFFFFFF, 8, 1, 1}, s100), WaveError::BadRate},
        {"block align 2 for 8-bit mono", SimpleWave({1, 1, 22050, 8, 44100, 2}, s100),
         WaveError::BadBlockAlign},
        {"block align 0xFFFF", SimpleWave({1, 2, 22050, 16, 88200, 0xFFFF}, s100),
         WaveError::BadBlockAlign},
        {"byte rate not rate times block align", SimpleWave({1, 1, 22050, 8, 11025}, s100),
         WaveError::BadByteRate},
        {"empty data chunk", SimpleWave({}, {}), WaveError::NoSamples},
        {"data smaller than one 16-bit stereo frame", SimpleWave({1, 2, 22050, 16}, Bytes(3, 0)),
         WaveError::NoSamples},
    };
    for (const Rejected &r : rows) {
        SCOPED_TRACE(r.label);
        WaveSound w;
        w.sampleBytes = 12345; // must survive a failed parse
        const WaveError e = ParseWave(r.image.data(), r.image.size(), &w);
        EXPECT_EQ(e, r.error) << "got: " << WaveErrorName(e);
        EXPECT_EQ(w.sampleBytes, 12345u);
        EXPECT_EQ(w.samples, nullptr);
    }
}

// Every prefix of a valid image is rejected without reading past it: the copy
// is made to exactly the prefix length so that an overread is caught by the
// sanitizer build.
TEST(WaveParse, EveryTruncationIsRejected) {
    const Bytes good = Riff({Chunk("fmt ", FmtBody({1, 1, 11025, 8})), Chunk("fact", Bytes(4, 1)),
                             Chunk("data", Square8(33))});
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> prefix(good.begin(), good.begin() + n);
        WaveSound w;
        EXPECT_NE(ParseWave(prefix.data(), prefix.size(), &w), WaveError::None) << n << " bytes";
    }
    WaveSound w;
    EXPECT_EQ(ParseWave(good.data(), good.size(), &w), WaveError::None);
    EXPECT_EQ(ParseWave(nullptr, 100, &w), WaveError::TooShort);
}
