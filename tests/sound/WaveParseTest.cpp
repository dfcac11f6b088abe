// The wave parser against valid images in every accepted shape and a corpus of
// broken ones.
#include "platform/afx/WaveFormat.h"
#include "tests/sound/SoundDoubles.h"

#include <gtest/gtest.h>

using namespace wavetest;

// Each accepted image is summed up as "rate/bits/channels bytes@offset": the
// sample bytes (whole frames) and where they start in the image.
TEST(WaveParse, AcceptsEveryPcmShapeAndLayout) {
    const Bytes s100 = Square8(100), s7 = Square8(7), fmt = Chunk("fmt ", FmtBody({}));
    Bytes trailing = SimpleWave({}, s100);
    trailing.insert(trailing.end(), {'j', 'u', 'n', 'k', 0xFF, 0xFF, 0xFF, 0xFF});
    const struct {
        const char *label;
        Bytes image;
        std::string expected;
    } rows[] = {
        {"8-bit mono", SimpleWave({}, s100), "22050/8/1 100@44"},
        {"16-bit stereo", SimpleWave({1, 2, 44100, 16}, Square8(40)), "44100/16/2 40@44"},
        {"odd unknown chunk first, padded",
         Riff({Chunk("LIST", Bytes(5, 'x')), fmt, Chunk("data", s100)}), "22050/8/1 100@58"},
        {"odd data chunk, padded, before fmt", Riff({Chunk("data", s7), fmt}), "22050/8/1 7@20"},
        {"odd data chunk, last, without its pad byte", Riff({fmt, Chunk("data", s7, false)}),
         "22050/8/1 7@44"},
        {"fmt chunk longer than the PCM record",
         Riff({Chunk("fmt ", FmtBody({}, 2)), Chunk("data", s100)}), "22050/8/1 100@46"},
        {"bytes after the RIFF form are ignored", trailing, "22050/8/1 100@44"},
        {"a trailing partial frame is dropped", SimpleWave({1, 2, 22050, 16}, Bytes(10, 0)),
         "22050/16/2 8@44"},
        {"second fmt and data chunks are ignored",
         Riff({fmt, Chunk("data", s100), Chunk("fmt ", FmtBody({1, 2, 44100, 16})),
               Chunk("data", s7)}),
         "22050/8/1 100@44"},
        {"lowest rate", SimpleWave({1, 1, kMinWaveRate, 8}, s100),
         std::to_string(kMinWaveRate) + "/8/1 100@44"},
        {"highest rate", SimpleWave({1, 1, kMaxWaveRate, 8}, s100),
         std::to_string(kMaxWaveRate) + "/8/1 100@44"},
    };
    for (const auto &r : rows) {
        WaveSound w;
        const WaveError e = ParseWave(r.image.data(), r.image.size(), &w);
        ASSERT_EQ(e, WaveError::None) << r.label << ": " << WaveErrorName(e);
        const std::string got =
            std::to_string(w.format.sampleRate) + "/" + std::to_string(w.format.bitsPerSample) +
            "/" + std::to_string(w.format.channels) + " " + std::to_string(w.sampleBytes) + "@" +
            std::to_string(w.samples - r.image.data());
        EXPECT_EQ(got, r.expected) << r.label;
    }
}

TEST(WaveParse, RejectsBrokenImages) {
    const Bytes s100 = Square8(100), fmt = Chunk("fmt ", FmtBody({})), data = Chunk("data", s100);
    const Bytes good = SimpleWave({}, s100);
    Bytes fmt14 = FmtBody({});
    fmt14.resize(14);
    struct Row {
        const char *label;
        Bytes image;
        WaveError error;
    };
    using E = WaveError;
    const Row rows[] = {
        {"empty", {}, E::TooShort},
        {"wrong magic", Riff({fmt, data}, -1, "WAVE", "RIFX"), E::NotRiff},
        {"wrong form type", Riff({fmt, data}, -1, "AVI "), E::NotWave},
        {"RIFF size 0xFFFFFFFF", Riff({fmt, data}, 0xFFFFFFFF), E::RiffPastEnd},
        {"truncated inside the data chunk", Bytes(good.begin(), good.end() - 1), E::RiffPastEnd},
        {"data size past the end", Riff({fmt, Chunk("data", s100, true, 101)}), E::ChunkPastEnd},
        {"chunk header cut short", Riff({fmt, data, Bytes{'L', 'I', 'S'}}), E::ChunkPastEnd},
        {"RIFF size cuts the data chunk", Riff({fmt, data}, 4 + 24 + 8 + 50), E::ChunkPastEnd},
        {"no fmt chunk", Riff({data}), E::MissingFormat},
        {"no data chunk", Riff({fmt, Chunk("fact", Bytes(4, 0))}), E::MissingData},
        {"fmt chunk of 14 bytes", Riff({Chunk("fmt ", fmt14), data}), E::FormatTooShort},
        {"IEEE float (tag 3)", SimpleWave({3, 1, 22050, 32}, s100), E::UnsupportedTag},
        {"0 channels", SimpleWave({1, 0, 22050, 8, 22050, 1}, s100), E::BadChannels},
        {"24-bit", SimpleWave({1, 1, 22050, 24}, s100), E::BadBits},
        {"zero rate", SimpleWave({1, 1, 0, 8}, s100), E::BadRate},
        {"rate below the range", SimpleWave({1, 1, kMinWaveRate - 1, 8}, s100), E::BadRate},
        {"rate above the range", SimpleWave({1, 1, kMaxWaveRate + 1, 8}, s100), E::BadRate},
        {"8-bit mono, block align 2", SimpleWave({1, 1, 22050, 8, 44100, 2}, s100),
         E::BadBlockAlign},
        {"byte rate not rate x align", SimpleWave({1, 1, 22050, 8, 11025}, s100), E::BadByteRate},
        {"empty data chunk", SimpleWave({}, {}), E::NoSamples},
        {"under one 16-bit stereo frame", SimpleWave({1, 2, 22050, 16}, Bytes(3, 0)), E::NoSamples},
    };
    for (const Row &r : rows) {
        WaveSound w;
        w.sampleBytes = 12345; // must survive a failed parse
        const WaveError e = ParseWave(r.image.data(), r.image.size(), &w);
        EXPECT_EQ(e, r.error) << r.label << ", got: " << WaveErrorName(e);
        EXPECT_EQ(w.sampleBytes, 12345u) << r.label;
        EXPECT_EQ(w.samples, nullptr) << r.label;
    }
}

// Every prefix of a valid image is rejected; each copy is exactly the prefix
// long, so the sanitizer build catches a read past it.
TEST(WaveParse, EveryTruncationIsRejected) {
    const Bytes good = Riff({Chunk("fmt ", FmtBody({1, 1, 11025, 8})), Chunk("fact", Bytes(4, 1)),
                             Chunk("data", Square8(33))});
    for (size_t n = 0; n < good.size(); ++n) {
        const Bytes prefix(good.begin(), good.begin() + n);
        WaveSound w;
        EXPECT_NE(ParseWave(prefix.data(), prefix.size(), &w), WaveError::None) << n << " bytes";
    }
    WaveSound w;
    EXPECT_EQ(ParseWave(good.data(), good.size(), &w), WaveError::None);
    EXPECT_EQ(ParseWave(nullptr, 100, &w), WaveError::TooShort);
}
