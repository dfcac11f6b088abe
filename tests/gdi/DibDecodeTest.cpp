// The bitmap decoder: every supported variant to the right pixels, and a
// corpus of broken inputs rejected without reading outside the buffer.
#include "platform/gdi/DibDecode.h"
#include "tests/gdi/GdiTestKit.h"

#include <gtest/gtest.h>

#include <bit>
#include <memory>

using namespace gditest;

namespace {

// The colour a layout's pixel stands for, worked out from the format's definition.
using Expect = std::function<uint32_t(const DibLayout &, int, int)>;

uint32_t FromTable(const DibLayout &s, int x, int y) {
    const uint32_t i = s.pixel(x, y);
    const size_t count = s.clrUsed ? s.clrUsed : size_t(1) << s.bitCount;
    return i < count && i < s.table.size() ? RgbOfQuad(s.table[i]) : 0;
}
uint32_t Direct(const DibLayout &s, int x, int y) {
    return s.pixel(x, y) & 0xFFFFFF;
}
// Channels under the masks widened to 8 bits by repeating their top bits,
// or narrowed to their top 8 bits.
Expect Fields(uint32_t r, uint32_t g, uint32_t b) {
    return [=](const DibLayout &s, int x, int y) {
        uint32_t out = 0;
        for (uint32_t m : {r, g, b}) {
            const int n = std::popcount(m);
            const uint32_t c = (s.pixel(x, y) & m) >> std::countr_zero(m);
            out = out << 8 | (n >= 8 ? c >> (n - 8) : (c << (8 - n) | c >> (2 * n - 8)));
        }
        return out;
    };
}

// A 13x5 image (odd widths exercise row padding and partial bytes) of
// scrambled pixel values filling the depth, with a table of `colours` entries.
DibLayout Layout(int bpp, int colours = 0, const std::function<void(DibLayout &)> &edit = {}) {
    DibLayout s;
    s.width = 13;
    s.height = 5;
    s.bitCount = bpp;
    s.table = GreyTable(colours);
    const uint32_t mask = bpp == 32 ? ~0u : (1u << bpp) - 1;
    s.pixel = [mask](int x, int y) {
        const uint32_t h = uint32_t(x * 73 + y * 1031) * 0x9E3779B1u;
        return (h ^ h >> 15) & mask;
    };
    if (edit)
        edit(s);
    return s;
}

TEST(DibDecoder, ReadsEveryVariantAsFileAndPackedDib) {
    const auto fields = [](std::vector<uint32_t> m) {
        return [m](DibLayout &s) { s.compression = BI_BITFIELDS, s.masks = m; };
    };
    const std::vector<uint32_t> k565 = {0xF800, 0x07E0, 0x001F}, k10 = {0x3FF00000, 0xFFC00, 0x3FF};
    const struct {
        const char *name;
        DibLayout layout;
        Expect expect;
    } variants[] = {
        {"1 bpp", Layout(1, 2), FromTable},
        {"4 bpp", Layout(4, 16), FromTable},
        {"8 bpp", Layout(8, 256), FromTable},
        {"8 bpp top-down", Layout(8, 256, [](DibLayout &s) { s.topDown = true; }), FromTable},
        {"8 bpp with 20 colours, higher indices black",
         Layout(8, 20, [](DibLayout &s) { s.clrUsed = 20; }), FromTable},
        {"24 bpp", Layout(24), Direct},
        {"24 bpp, V4 header", Layout(24, 0, [](DibLayout &s) { s.headerSize = 108; }), Direct},
        {"24 bpp, V5 header", Layout(24, 0, [](DibLayout &s) { s.headerSize = 124; }), Direct},
        {"32 bpp, unused byte set", Layout(32), Direct},
        {"16 bpp 555", Layout(16), Fields(0x7C00, 0x03E0, 0x001F)},
        {"16 bpp bit fields 565", Layout(16, 0, fields(k565)), Fields(0xF800, 0x07E0, 0x001F)},
        {"16 bpp bit fields in a V5 header",
         Layout(16, 0, [&](DibLayout &s) { fields(k565)(s), s.headerSize = 124; }),
         Fields(0xF800, 0x07E0, 0x001F)},
        {"32 bpp bit fields 10-10-10", Layout(32, 0, fields(k10)), Fields(k10[0], k10[1], k10[2])},
        {"8 bpp core header", Layout(8, 256, [](DibLayout &s) { s.headerSize = 12; }), FromTable},
        {"24 bpp core header", Layout(24, 0, [](DibLayout &s) { s.headerSize = 12; }), Direct},
    };
    for (const auto &v : variants)
        for (bool asFile : {false, true}) {
            const Bytes bytes = asFile ? BitmapFile(v.layout, 6) : PackedDib(v.layout);
            const std::string what = std::string(v.name) + (asFile ? " file" : " packed");
            VxDibImage img;
            const char *why = "";
            ASSERT_TRUE(asFile ? VxDecodeBitmapFile(bytes.data(), bytes.size(), &img, &why)
                               : VxDecodePackedDib(bytes.data(), bytes.size(), &img, &why))
                << what << ": " << why;
            ASSERT_EQ(img.width, v.layout.width) << what;
            ASSERT_EQ(img.height, v.layout.height) << what;
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < img.width; ++x)
                    ASSERT_EQ(img.Rgb(x, y), v.expect(v.layout, x, y))
                        << what << " at " << x << "," << y;
        }
}

// Run-length data for an 8x4 image (bottom row first).
const Bytes kRle8 = {3, 7,             // 7 7 7
                     0, 3, 1, 2, 3, 0, // literal 1 2 3, padded
                     0, 0,             // end of line
                     8, 9,             // a full row of 9
                     0, 0,             // end of line
                     0, 2, 2, 1,       // delta: 2 right, 1 up
                     2, 4,             // 4 4 at x = 2, 3 of the top row
                     0, 1};            // end of bitmap

DibLayout RleLayout(int bpp, Bytes stream) {
    DibLayout s;
    s.width = 8;
    s.height = 4;
    s.bitCount = bpp;
    s.compression = bpp == 8 ? BI_RLE8 : BI_RLE4;
    s.table = GreyTable(1 << bpp);
    s.sizeImage = DWORD(stream.size());
    s.compressed = std::move(stream);
    return s;
}

TEST(DibDecoder, RunLengthEncodings) {
    VxDibImage img;
    Bytes bytes = BitmapFile(RleLayout(8, kRle8));
    ASSERT_TRUE(VxDecodeBitmapFile(bytes.data(), bytes.size(), &img));
    EXPECT_EQ(img.indices, (std::vector<uint8_t>{0, 0, 4, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                 9, 9, 9, 9, 9, 9, 9, 9, 7, 7, 7, 1, 2, 3, 0, 0}))
        << "RLE8, top row first";

    bytes = PackedDib(RleLayout(4, {5, 0x12,          // 1 2 1 2 1
                                    0, 3, 0x34, 0x50, // literal 3 4 5, padded
                                    0, 0,             // end of line
                                    12, 0x67,         // a run past the row end stops there
                                    0, 1}));
    ASSERT_TRUE(VxDecodePackedDib(bytes.data(), bytes.size(), &img));
    EXPECT_EQ(img.indices, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                 6, 7, 6, 7, 6, 7, 6, 7, 1, 2, 1, 2, 1, 3, 4, 5}))
        << "RLE4; rows the stream never reached stay 0";
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
    variant("bits offset past the end", [](Bytes &b) { Put(b, 10, uint32_t(b.size())); });
    variant("bits offset inside the table", [](Bytes &b) { Put(b, 10, 60); });
    variant("bits offset huge", [](Bytes &b) { Put(b, 10, 0xFFFFFFF0u); });
    variant("width 0", [h](Bytes &b) { Put(b, h + 4, 0); });
    variant("height 0", [h](Bytes &b) { Put(b, h + 8, 0); });
    variant("negative width", [h](Bytes &b) { Put(b, h + 4, uint32_t(-6)); });
    variant("height INT_MIN", [h](Bytes &b) { Put(b, h + 8, 0x80000000u); });
    variant("width 70000", [h](Bytes &b) { Put(b, h + 4, 70000); });
    variant("60000 x 60000", [h](Bytes &b) { Put(b, h + 4, 60000), Put(b, h + 8, 60000); });
    variant("huge image, tiny file", [h](Bytes &b) { Put(b, h + 4, 4000), Put(b, h + 8, 4000); });
    variant("planes 0", [h](Bytes &b) { Put(b, h + 12, 0, 2); });
    variant("bit count 7", [h](Bytes &b) { Put(b, h + 14, 7, 2); });
    variant("bit count 0", [h](Bytes &b) { Put(b, h + 14, 0, 2); });
    variant("JPEG compression", [h](Bytes &b) { Put(b, h + 16, 4); });
    variant("PNG compression", [h](Bytes &b) { Put(b, h + 16, 5); });
    variant("unknown compression", [h](Bytes &b) { Put(b, h + 16, 99); });
    variant("RLE4 at 8 bpp", [h](Bytes &b) { Put(b, h + 16, BI_RLE4); });
    variant("RLE8 without a size", [h](Bytes &b) { Put(b, h + 16, BI_RLE8); });
    variant("bit fields at 8 bpp", [h](Bytes &b) { Put(b, h + 16, BI_BITFIELDS); });
    variant("header size 13", [h](Bytes &b) { Put(b, h, 13); });
    variant("header size 39", [h](Bytes &b) { Put(b, h, 39); });
    variant("header size past the end", [h](Bytes &b) { Put(b, h, 0xFFFFFFFFu); });
    variant("colours used past the end",
            [h](Bytes &b) { Put(b, h + 32, 256), b.resize(14 + 40 + 512); });
    variant(
        "packed: truncated bits", [](Bytes &b) { b.resize(b.size() - 1); }, false);
    variant(
        "packed: header only", [](Bytes &b) { b.resize(40); }, false);
    for (const auto &[name, stream] :
         {std::pair<std::string, Bytes>{"RLE literal past the data", {0, 9, 1, 2, 3}},
          {"RLE delta cut short", {0, 2, 1}},
          {"RLE pair cut short", {4, 1, 0}}})
        c.push_back(Broken{name, BitmapFile(RleLayout(8, stream)), true});
    c.push_back(Broken{"RLE top-down", BitmapFile([] {
                           DibLayout s = RleLayout(8, kRle8);
                           s.topDown = true;
                           return s;
                       }()),
                       true});
    for (const auto &[name, masks] :
         {std::pair<std::string, std::vector<uint32_t>>{"zero mask", {0xF800, 0, 0x1F}},
          {"mask with a gap", {0xF800, 0x05E0, 0x1F}},
          {"overlapping masks", {0xF800, 0x0FE0, 0x1F}},
          {"mask beyond 16 bits", {0xF8000, 0x07E0, 0x1F}}}) {
        DibLayout s;
        s.bitCount = 16;
        s.compression = BI_BITFIELDS;
        s.masks = masks;
        c.push_back(Broken{name, BitmapFile(s), true});
    }
    return c;
}

TEST(DibDecoder, RejectsBrokenInputsWithAReasonAndLoadImageRejectsThemToo) {
    int files = 0;
    for (const Broken &b : Corpus()) {
        // A buffer of exactly the input's size, so that the address sanitizer
        // sees any read past its end.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[b.bytes.size() + 1]);
        std::copy(b.bytes.begin(), b.bytes.end(), exact.get());
        VxDibImage img;
        const char *why = nullptr;
        EXPECT_FALSE(b.file ? VxDecodeBitmapFile(exact.get(), b.bytes.size(), &img, &why)
                            : VxDecodePackedDib(exact.get(), b.bytes.size(), &img, &why))
            << b.name;
        EXPECT_NE(why, nullptr) << b.name << ": a reason is given";
        if (!b.file)
            continue;
        const std::string path = TempFile(b.bytes);
        EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                             LR_LOADFROMFILE | LR_CREATEDIBSECTION),
                  nullptr)
            << b.name;
        std::filesystem::remove(path);
        ++files;
    }
    EXPECT_GT(files, 30);
}

TEST(DibDecoder, SetDibitsWritesOnlyTheScanLinesItIsGivenAndStaysInsideItsMemory) {
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
            const RGBQUAD &q = s.table[size_t(10 * y + x)];
            EXPECT_EQ(VxPixelColour(b, x, y),
                      y == 1 || y == 2 ? RGB(q.rgbRed, q.rgbGreen, q.rgbBlue) : 0u)
                << x << "," << y;
        }
    EXPECT_EQ(SetDIBits(nullptr, b, 4, 1, bits, info, DIB_RGB_COLORS), 0) << "past the image";
    DeleteObject(b);

    // A DIB in global memory whose header claims more rows than the block
    // holds: the conversion refuses instead of reading past the block.
    s.width = s.height = 64;
    Bytes big = PackedDib(s);
    big.resize(40 + 1024 + 64 * 10);
    HGLOBAL mem = GlobalAlloc(GMEM_ZEROINIT, big.size());
    auto *p = static_cast<uint8_t *>(GlobalLock(mem));
    std::copy(big.begin(), big.end(), p);
    b = VxCreateDisplayBitmap(64, 64);
    const auto *header = reinterpret_cast<BITMAPINFO *>(p);
    EXPECT_EQ(SetDIBits(nullptr, b, 0, 64, p + 40 + 1024, header, DIB_RGB_COLORS), 0);
    EXPECT_EQ(SetDIBits(nullptr, b, 0, 10, p + 40 + 1024, header, DIB_RGB_COLORS), 10);
    GlobalUnlock(mem);
    GlobalFree(mem);
    DeleteObject(b);
}

} // namespace
