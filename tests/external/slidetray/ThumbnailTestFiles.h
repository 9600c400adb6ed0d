// Pictures and clips the thumbnail engine's tests make as they run: JPEG, PNG, BMP and TIFF
// through WIC's encoders, EXIF blocks by the test support's writer, AVI clips through AVIFile
// (uncompressed or MS Video 1, which Wine decodes but cannot encode, so its blocks are written
// here).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/ExifFiles.h"

namespace thumbnail_test {

const uint32_t kRed = 0xFF0000;
const uint32_t kGreen = 0x00FF00;
const uint32_t kBlue = 0x0000FF;
const uint32_t kBlack = 0x000000;
const uint32_t kWhite = 0xFFFFFF;

// Top-down 0x00RRGGBB pixels, as the engine gives them.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Picture Solid(int width, int height, uint32_t colour);
// The top half one colour, the bottom half another.
Picture TopAndBottom(int width, int height, uint32_t top, uint32_t bottom);

// How a picture file stores its pixels.
enum class Encoding { JpegColour, JpegGray, Png, Bmp, Tiff };

// The picture as a file's bytes; "" (and a gtest failure) when WIC cannot write it. A grey
// encoding keeps the green channel.
std::string Encode(const Picture& picture, Encoding encoding);

// The colour components a JPEG's frame header declares (1 grey, 3 colour); 0 if none.
int JpegComponents(const std::string& jpeg);

// EXIF blocks come from the test support's writer.
using scratch::ExifBlock;
using scratch::ExifSegment;
using scratch::InsertSegment;
using scratch::MakeExifBlock;
using scratch::PutU16;
using scratch::PutU32;

// Uncompressed clips are stored bottom-up as usual, or top-down (a negative height).
enum class ClipCodec { Uncompressed, UncompressedTopDown, MsVideo1 };

// An AVI clip of `frames` copies of `frame` (sides multiples of 4 for MS Video 1).
bool WriteClip(const std::string& path, const Picture& frame, int frames, ClipCodec codec);

// The largest difference of red, green or blue.
int ColourDistance(uint32_t a, uint32_t b);
std::string Hex(uint32_t colour);

} // namespace thumbnail_test
