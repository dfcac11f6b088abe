// The bitmap decoder: every supported variant to the right pixels, and a
// corpus of broken inputs rejected without reading outside the buffer.
#include "platform/gdi/DibDecode.h"
#include "platform/gdi/Gdi.h"
#include "tests/gdi/DibBuilder.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

using namespace dibtest;

namespace {

// The colour the layout's pixel function stands for, worked out from the
// format's own definition.
using Expect = std::function<uint32_t(const DibLayout &, int, int)>;

uint32_t FromTable(const DibLayout &s, int x, int y) {
    const uint32_t i = s.pixel(x, y);
    const size_t count = s.clrUsed ? s.clrUsed : size_t(1) << s.bitCount;
    return i < count && i < s.table.size() ? RgbOfQuad(s.table[i]) : 0;
}
uint32_t Direct(const DibLayout &s, int x, int y) {
    return s.pixel(x, y) & 0xFFFFFF;
}
uint32_t From555(const DibLayout &s, int x, int y) {
    const uint32_t v = s.pixel(x, y);
    auto widen = [](uint32_t c) { return (c << 3) | (c >> 2); };
    return widen(v >> 10 & 31) << 16 | widen(v >> 5 & 31) << 8 | widen(v & 31);
}
uint32_t From565(const DibLayout &s, int x, int y) {
    const uint32_t v = s.pixel(x, y);
    auto widen5 = [](uint32_t c) { return (c << 3) | (c >> 2); };
    auto widen6 = [](uint32_t c) { return (c << 2) | (c >> 4); };
    return widen5(v >> 11 & 31) << 16 | widen6(v >> 5 & 63) << 8 | widen5(v & 31);
}
uint32_t From101010(const DibLayout &s, int x, int y) {
    const uint32_t v = s.pixel(x, y);
    return (v >> 22 & 0xFF) << 16 | (v >> 12 & 0xFF) << 8 | (v >> 2 & 0xFF);
}

struct Variant {
    std::string name;
    DibLayout layout;
    Expect expect;
};

std::vector<Variant> Variants() {
    std::vector<Variant> v;
    DibLayout base;
    base.width = 13; // odd widths exercise row padding and partial bytes
    base.height = 5;
    auto add = [&](const std::string &name, DibLayout s, Expect e) {
        v.push_back(Variant{name, std::move(s), std::move(e)});
    };
    DibLayout s = base;
    s.bitCount = 1;
    s.table = GreyTable(2);
    s.pixel = [](int x, int y) { return uint32_t((x * 3 + y) % 2); };
    add("1 bpp", s, FromTable);
    s = base;
    s.bitCount = 4;
    s.table = GreyTable(16);
    s.pixel = [](int x, int y) { return uint32_t((x + 5 * y) % 16); };
    add("4 bpp", s, FromTable);
    s = base;
    s.table = GreyTable(256);
    s.pixel = [](int x, int y) { return uint32_t((x * 19 + y * 7) % 256); };
    add("8 bpp", s, FromTable);
    DibLayout top = s;
    top.topDown = true;
    add("8 bpp top-down", top, FromTable);
    DibLayout few = s;
    few.clrUsed = 20;
    few.table = GreyTable(20);
    add("8 bpp with 20 colours, higher indices black", few, FromTable);
    s = base;
    s.bitCount = 24;
    s.pixel = [](int x, int y) { return uint32_t(x * 0x131313 + y * 0x0A0B0C) & 0xFFFFFF; };
    add("24 bpp", s, Direct);
    DibLayout v4 = s;
    v4.headerSize = 108;
    add("24 bpp, V4 header", v4, Direct);
    DibLayout v5 = s;
    v5.headerSize = 124;
    add("24 bpp, V5 header", v5, Direct);
    DibLayout s32 = s;
    s32.bitCount = 32;
    s32.pixel = [](int x, int y) { return 0xFF000000u | uint32_t(x * 0x050607 + y * 0x111111); };
    add("32 bpp, unused byte set", s32, Direct);
    s = base;
    s.bitCount = 16;
    s.pixel = [](int x, int y) { return uint32_t(x * 2467 + y * 1031) & 0x7FFF; };
    add("16 bpp 555", s, From555);
    DibLayout s565 = s;
    s565.compression = BI_BITFIELDS;
    s565.masks = {0xF800, 0x07E0, 0x001F};
    s565.pixel = [](int x, int y) { return uint32_t(x * 4099 + y * 777) & 0xFFFF; };
    add("16 bpp bit fields 565", s565, From565);
    DibLayout in5 = s565;
    in5.headerSize = 124;
    add("16 bpp bit fields in a V5 header", in5, From565);
    DibLayout ten = base;
    ten.bitCount = 32;
    ten.compression = BI_BITFIELDS;
    ten.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    ten.pixel = [](int x, int y) { return uint32_t(x * 0x1234567 + y * 0x89ABC) & 0x3FFFFFFF; };
    add("32 bpp bit fields 10-10-10", ten, From101010);
    DibLayout core = base;
    core.headerSize = 12;
    core.table = GreyTable(256);
    core.pixel = [](int x, int y) { return uint32_t(x + 20 * y); };
    add("8 bpp core header", core, FromTable);
    DibLayout core24 = core;
    core24.bitCount = 24;
    core24.table.clear();
    core24.pixel = [](int x, int y) { return uint32_t(0xA0B0C0 + x - y); };
    add("24 bpp core header", core24, Direct);
    return v;
}

TEST(DibDecoder, ReadsEveryVariantAsFileAndPackedDib) {
    for (const Variant &v : Variants())
        for (int asFile = 0; asFile < 2; ++asFile) {
            const Bytes bytes = asFile ? BitmapFile(v.layout, 6) : PackedDib(v.layout);
            VxDibImage img;
            const char *why = "";
            ASSERT_TRUE(asFile ? VxDecodeBitmapFile(bytes.data(), bytes.size(), &img, &why)
                               : VxDecodePackedDib(bytes.data(), bytes.size(), &img, &why))
                << v.name << (asFile ? " file: " : " packed: ") << why;
            ASSERT_EQ(img.width, v.layout.width) << v.name;
            ASSERT_EQ(img.height, v.layout.height) << v.name;
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < img.width; ++x)
                    ASSERT_EQ(img.Rgb(x, y), v.expect(v.layout, x, y))
                        << v.name << (asFile ? " file" : " packed") << " at " << x << "," << y;
        }
}

// Run-length data for an 8x4 image (bottom row first).
Bytes Rle8Stream() {
    return {3, 7,             // 7 7 7
            0, 3, 1, 2, 3, 0, // literal 1 2 3, padded
            0, 0,             // end of line
            8, 9,             // a full row of 9
            0, 0,             // end of line
            0, 2, 2, 1,       // delta: 2 right, 1 up
            2, 4,             // 4 4 at x = 2, 3 of the top row
            0, 1};            // end of bitmap
}

TEST(DibDecoder, RunLengthEncodings) {
    DibLayout s;
    s.width = 8;
    s.height = 4;
    s.compression = BI_RLE8;
    s.table = GreyTable(256);
    s.compressed = Rle8Stream();
    s.sizeImage = DWORD(s.compressed.size());
    VxDibImage img;
    Bytes bytes = BitmapFile(s);
    ASSERT_TRUE(VxDecodeBitmapFile(bytes.data(), bytes.size(), &img));
    const uint8_t want8[4][8] = {{0, 0, 4, 4, 0, 0, 0, 0},
                                 {0, 0, 0, 0, 0, 0, 0, 0},
                                 {9, 9, 9, 9, 9, 9, 9, 9},
                                 {7, 7, 7, 1, 2, 3, 0, 0}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(img.indices[size_t(y * 8 + x)], want8[y][x]) << "RLE8 at " << x << "," << y;

    s.bitCount = 4;
    s.compression = BI_RLE4;
    s.table = GreyTable(16);
    s.compressed = {5,  0x12,             // 1 2 1 2 1
                    0,  3,    0x34, 0x50, // literal 3 4 5, padded
                    0,  0,                // end of line
                    12, 0x67,             // a run past the row end stops there
                    0,  1};
    s.sizeImage = DWORD(s.compressed.size());
    bytes = PackedDib(s);
    ASSERT_TRUE(VxDecodePackedDib(bytes.data(), bytes.size(), &img));
    const uint8_t want4[2][8] = {{6, 7, 6, 7, 6, 7, 6, 7}, {1, 2, 1, 2, 1, 3, 4, 5}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(img.indices[size_t((y + 2) * 8 + x)], want4[y][x])
                << "RLE4 at " << x << "," << y;
    EXPECT_EQ(img.indices[0], 0) << "rows the stream never reached stay 0";
}

struct Broken {
    std::string name;
    Bytes bytes;
    bool file;
};

std::vector<Broken> Corpus() {
    std::vector<Broken> c;
    DibLayout good;
    good.width = 6;
    good.height = 4;
    good.table = GreyTable(256);
    const Bytes file = BitmapFile(good);
    auto variant = [&](const std::string &name, const std::function<void(Bytes &)> &edit,
                       bool asFile = true) {
        Bytes b = asFile ? file : PackedDib(good);
        edit(b);
        c.push_back(Broken{name, b, asFile});
    };
    const size_t h = 14; // info header offset in a file
    for (size_t cut : {size_t(0), size_t(1), size_t(13), size_t(17), size_t(30), size_t(53),
                       size_t(14 + 40 + 1024), file.size() - 1})
        variant("truncated to " + std::to_string(cut), [cut](Bytes &b) { b.resize(cut); });
    variant("not BM", [](Bytes &b) { b[0] = 'X'; });
    variant("bits offset past the end", [](Bytes &b) { Put32(b, 10, uint32_t(b.size())); });
    variant("bits offset inside the table", [](Bytes &b) { Put32(b, 10, 60); });
    variant("bits offset huge", [](Bytes &b) { Put32(b, 10, 0xFFFFFFF0u); });
    variant("width 0", [h](Bytes &b) { Put32(b, h + 4, 0); });
    variant("height 0", [h](Bytes &b) { Put32(b, h + 8, 0); });
    variant("negative width", [h](Bytes &b) { Put32(b, h + 4, uint32_t(-6)); });
    variant("height INT_MIN", [h](Bytes &b) { Put32(b, h + 8, 0x80000000u); });
    variant("width 70000", [h](Bytes &b) { Put32(b, h + 4, 70000); });
    variant("60000 x 60000", [h](Bytes &b) {
        Put32(b, h + 4, 60000);
        Put32(b, h + 8, 60000);
    });
    variant("huge image, tiny file", [h](Bytes &b) {
        Put32(b, h + 4, 4000);
        Put32(b, h + 8, 4000);
    });
    variant("planes 0", [h](Bytes &b) { Put16(b, h + 12, 0); });
    variant("bit count 7", [h](Bytes &b) { Put16(b, h + 14, 7); });
    variant("bit count 0", [h](Bytes &b) { Put16(b, h + 14, 0); });
    variant("JPEG compression", [h](Bytes &b) { Put32(b, h + 16, 4); });
    variant("PNG compression", [h](Bytes &b) { Put32(b, h + 16, 5); });
    variant("unknown compression", [h](Bytes &b) { Put32(b, h + 16, 99); });
    variant("RLE4 at 8 bpp", [h](Bytes &b) { Put32(b, h + 16, BI_RLE4); });
    variant("RLE8 without a size", [h](Bytes &b) { Put32(b, h + 16, BI_RLE8); });
    variant("bit fields at 8 bpp", [h](Bytes &b) { Put32(b, h + 16, BI_BITFIELDS); });
    variant("header size 13", [h](Bytes &b) { Put32(b, h, 13); });
    variant("header size 39", [h](Bytes &b) { Put32(b, h, 39); });
    variant("header size past the end", [h](Bytes &b) { Put32(b, h, 0xFFFFFFFFu); });
    variant("colours used past the end", [h](Bytes &b) {
        Put32(b, h + 32, 256);
        b.resize(14 + 40 + 512);
    });
    variant(
        "packed: truncated bits", [](Bytes &b) { b.resize(b.size() - 1); }, false);
    variant(
        "packed: header only", [](Bytes &b) { b.resize(40); }, false);

    DibLayout rle;
    rle.width = 8;
    rle.height = 4;
    rle.compression = BI_RLE8;
    rle.table = GreyTable(256);
    auto rleCase = [&](const std::string &name, Bytes stream, bool topDown = false) {
        DibLayout s = rle;
        s.compressed = stream;
        s.sizeImage = DWORD(stream.size());
        s.topDown = topDown;
        c.push_back(Broken{name, BitmapFile(s), true});
    };
    rleCase("RLE literal past the data", {0, 9, 1, 2, 3});
    rleCase("RLE delta cut short", {0, 2, 1});
    rleCase("RLE pair cut short", {4, 1, 0});
    rleCase("RLE top-down", Rle8Stream(), true);

    DibLayout fields;
    fields.bitCount = 16;
    fields.compression = BI_BITFIELDS;
    auto maskCase = [&](const std::string &name, std::vector<uint32_t> masks) {
        DibLayout s = fields;
        s.masks = masks;
        c.push_back(Broken{name, BitmapFile(s), true});
    };
    maskCase("zero mask", {0xF800, 0, 0x1F});
    maskCase("mask with a gap", {0xF800, 0x05E0, 0x1F});
    maskCase("overlapping masks", {0xF800, 0x0FE0, 0x1F});
    maskCase("mask beyond 16 bits", {0xF8000, 0x07E0, 0x1F});
    return c;
}

TEST(DibDecoder, RejectsBrokenInputs) {
    for (const Broken &b : Corpus()) {
        // Copy into a buffer of exactly the input's size, so that a read past
        // its end shows up under the address sanitizer.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[b.bytes.size() + (b.bytes.empty() ? 1 : 0)]);
        std::copy(b.bytes.begin(), b.bytes.end(), exact.get());
        VxDibImage img;
        const char *why = nullptr;
        const bool ok = b.file ? VxDecodeBitmapFile(exact.get(), b.bytes.size(), &img, &why)
                               : VxDecodePackedDib(exact.get(), b.bytes.size(), &img, &why);
        EXPECT_FALSE(ok) << b.name;
        EXPECT_NE(why, nullptr) << b.name << ": a reason is given";
    }
}

TEST(DibDecoder, LoadImageRejectsBrokenFilesAndKeepsGoodOnes) {
    const std::vector<Broken> corpus = Corpus();
    int files = 0;
    for (const Broken &b : corpus) {
        if (!b.file)
            continue;
        char path[] = "/tmp/vx-gdi-corpus-XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, b.bytes.data(), b.bytes.size()), ssize_t(b.bytes.size()));
        close(fd);
        EXPECT_EQ(
            LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION),
            nullptr)
            << b.name;
        unlink(path);
        ++files;
    }
    EXPECT_GT(files, 30);
}

TEST(DibDecoder, SetDibitsWritesTheScanLinesItIsGiven) {
    DibLayout s;
    s.width = 3;
    s.height = 4;
    s.table = GreyTable(256);
    s.pixel = [](int x, int y) { return uint32_t(10 * y + x); };
    const Bytes dib = PackedDib(s);
    HBITMAP b = VxCreateDisplayBitmap(3, 4);
    const auto *info = reinterpret_cast<const BITMAPINFO *>(dib.data());
    const uint8_t *bits = dib.data() + 40 + 1024;
    // Scan lines 1 and 2 of a bottom-up DIB are image rows 2 and 1.
    EXPECT_EQ(SetDIBits(nullptr, b, 1, 2, bits + 4, info, DIB_RGB_COLORS), 2);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) {
            const bool written = y == 1 || y == 2;
            const uint32_t rgb = RgbOfQuad(s.table[size_t(10 * y + x)]);
            EXPECT_EQ(VxPixelColour(b, x, y),
                      written ? RGB(BYTE(rgb >> 16), BYTE(rgb >> 8), BYTE(rgb)) : 0u)
                << x << "," << y;
        }
    EXPECT_EQ(SetDIBits(nullptr, b, 4, 1, bits, info, DIB_RGB_COLORS), 0) << "past the image";
    DeleteObject(b);
}

TEST(DibDecoder, SetDibitsStaysInsideGlobalMemory) {
    // A DIB in global memory whose header claims more rows than the block
    // holds: the conversion refuses instead of reading past the block.
    DibLayout s;
    s.width = 64;
    s.height = 64;
    s.table = GreyTable(256);
    Bytes dib = PackedDib(s);
    dib.resize(40 + 1024 + 64 * 10);
    HGLOBAL mem = GlobalAlloc(GMEM_ZEROINIT, dib.size());
    auto *p = static_cast<uint8_t *>(GlobalLock(mem));
    std::copy(dib.begin(), dib.end(), p);
    HBITMAP b = VxCreateDisplayBitmap(64, 64);
    EXPECT_EQ(SetDIBits(nullptr, b, 0, 64, p + 40 + 1024, reinterpret_cast<BITMAPINFO *>(p),
                        DIB_RGB_COLORS),
              0);
    EXPECT_EQ(SetDIBits(nullptr, b, 0, 10, p + 40 + 1024, reinterpret_cast<BITMAPINFO *>(p),
                        DIB_RGB_COLORS),
              10);
    GlobalUnlock(mem);
    GlobalFree(mem);
    DeleteObject(b);
}

} // namespace
