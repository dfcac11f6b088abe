// Writers of the file formats the resources are stored in: 8-bit bitmaps,
// 16-colour icons, a monochrome cursor and PCM wave files.
#pragma once

#include "Image.h"
#include "Palette.h"

#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

using Bytes = std::vector<uint8_t>;

// A bitmap file: 14-byte file header, 40-byte info header, the full
// 256-entry colour table (colours-used 256), uncompressed rows bottom-up.
Bytes EncodeBitmap(const IndexedImage &img, const ColourTable &table);

// A .ico file with one 32 x 32, 4-bit image in the VGA colours; its AND mask
// is set where the image is not covered.
Bytes EncodeIcon(const IndexedImage &img);

// A .cur file with one 32 x 32 monochrome cursor that shows nothing (AND
// mask all ones, XOR mask all zeros), hot spot at the top-left corner.
Bytes EncodeInvisibleCursor();

// A RIFF wave file: PCM, mono, 8 bits unsigned, at `rate` samples per second.
// With `withFact` a 4-byte "fact" chunk (the sample count) sits between the
// "fmt " and "data" chunks.
Bytes EncodeWave(const std::vector<uint8_t> &samples, uint32_t rate, bool withFact);

// Writes bytes to a file; false when the file cannot be written.
bool WriteFile(const std::string &path, const Bytes &bytes);

} // namespace artgen
