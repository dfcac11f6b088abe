#include "Formats.h"

#include <cstdio>

namespace artgen {

namespace {

void Put16(Bytes &b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes &b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutTag(Bytes &b, const char *tag) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(tag[i]));
}

void PutInfoHeader(Bytes &b, int w, int h, int bits, uint32_t imageSize, uint32_t coloursUsed) {
    Put32(b, 40);
    Put32(b, uint32_t(w));
    Put32(b, uint32_t(h));
    Put16(b, 1);
    Put16(b, uint32_t(bits));
    Put32(b, 0); // uncompressed
    Put32(b, imageSize);
    Put32(b, 2835); // 72 dpi
    Put32(b, 2835);
    Put32(b, coloursUsed);
    Put32(b, 0);
}

} // namespace

Bytes EncodeBitmap(const IndexedImage &img, const ColourTable &table) {
    const uint32_t stride = (uint32_t(img.width) + 3) & ~3u;
    const uint32_t imageSize = stride * uint32_t(img.height);
    const uint32_t offset = 14 + 40 + 256 * 4;
    Bytes b;
    b.reserve(offset + imageSize);
    b.push_back('B');
    b.push_back('M');
    Put32(b, offset + imageSize);
    Put32(b, 0);
    Put32(b, offset);
    PutInfoHeader(b, img.width, img.height, 8, imageSize, 256);
    for (const PaletteEntry &e : table) {
        b.push_back(e.b);
        b.push_back(e.g);
        b.push_back(e.r);
        b.push_back(0);
    }
    for (int y = img.height - 1; y >= 0; --y) {
        const uint8_t *row = &img.index[size_t(y) * size_t(img.width)];
        b.insert(b.end(), row, row + img.width);
        b.insert(b.end(), stride - uint32_t(img.width), 0);
    }
    return b;
}

Bytes EncodeIcon(const IndexedImage &img) {
    constexpr int kSize = 32;
    constexpr uint32_t kXorBytes = kSize * kSize / 2, kAndBytes = kSize * 4;
    constexpr uint32_t kImageBytes = 40 + 16 * 4 + kXorBytes + kAndBytes;
    Bytes b;
    Put16(b, 0);
    Put16(b, 1); // icon
    Put16(b, 1); // one image
    b.push_back(kSize);
    b.push_back(kSize);
    b.push_back(16); // colours
    b.push_back(0);
    Put16(b, 1); // planes
    Put16(b, 4); // bits per pixel
    Put32(b, kImageBytes);
    Put32(b, 6 + 16);
    // The image's header counts both masks in its height.
    PutInfoHeader(b, kSize, 2 * kSize, 4, kXorBytes + kAndBytes, 0);
    for (const PaletteEntry &e : VgaColours()) {
        b.push_back(e.b);
        b.push_back(e.g);
        b.push_back(e.r);
        b.push_back(0);
    }
    for (int y = kSize - 1; y >= 0; --y)
        for (int x = 0; x < kSize; x += 2) {
            const size_t i = size_t(y) * kSize + size_t(x);
            const uint8_t hi = img.covered[i] ? img.index[i] & 15 : 0;
            const uint8_t lo = img.covered[i + 1] ? img.index[i + 1] & 15 : 0;
            b.push_back(uint8_t(hi << 4 | lo));
        }
    for (int y = kSize - 1; y >= 0; --y)
        for (int x = 0; x < kSize; x += 8) {
            uint8_t bits = 0;
            for (int k = 0; k < 8; ++k)
                if (!img.covered[size_t(y) * kSize + size_t(x + k)])
                    bits |= uint8_t(0x80 >> k);
            b.push_back(bits);
        }
    return b;
}

Bytes EncodeInvisibleCursor() {
    constexpr int kSize = 32;
    constexpr uint32_t kMaskBytes = kSize * 4;
    constexpr uint32_t kImageBytes = 40 + 2 * 4 + 2 * kMaskBytes;
    Bytes b;
    Put16(b, 0);
    Put16(b, 2); // cursor
    Put16(b, 1);
    b.push_back(kSize);
    b.push_back(kSize);
    b.push_back(2);
    b.push_back(0);
    Put16(b, 0); // hot spot x
    Put16(b, 0); // hot spot y
    Put32(b, kImageBytes);
    Put32(b, 6 + 16);
    PutInfoHeader(b, kSize, 2 * kSize, 1, 2 * kMaskBytes, 0);
    Put32(b, 0x000000);                  // black
    Put32(b, 0xFFFFFF);                  // white
    b.insert(b.end(), kMaskBytes, 0x00); // XOR: nothing inverted
    b.insert(b.end(), kMaskBytes, 0xFF); // AND: screen kept everywhere
    return b;
}

Bytes EncodeWave(const std::vector<uint8_t> &samples, uint32_t rate, bool withFact) {
    const uint32_t n = uint32_t(samples.size());
    const uint32_t pad = n & 1;
    Bytes b;
    b.reserve(64 + n);
    PutTag(b, "RIFF");
    Put32(b, 4 + (8 + 16) + (withFact ? 8 + 4 : 0) + 8 + n + pad);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1); // PCM
    Put16(b, 1); // mono
    Put32(b, rate);
    Put32(b, rate); // bytes per second: one byte per sample
    Put16(b, 1);    // block align
    Put16(b, 8);    // bits per sample
    if (withFact) {
        PutTag(b, "fact");
        Put32(b, 4);
        Put32(b, n);
    }
    PutTag(b, "data");
    Put32(b, n);
    b.insert(b.end(), samples.begin(), samples.end());
    if (pad)
        b.push_back(0);
    return b;
}

bool WriteFile(const std::string &path, const Bytes &bytes) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace artgen
