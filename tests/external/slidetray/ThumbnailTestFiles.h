// Pictures and clips the thumbnail engine's tests make as they run: JPEG, PNG, BMP and TIFF
// through WIC's encoders, EXIF blocks written by hand, AVI clips through AVIFile (uncompressed
// or MS Video 1, which Wine decodes but cannot encode, so its blocks are written here).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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

// A TIFF block as cameras write it into EXIF, with the places where tests damage it.
struct ExifBlock {
    std::string tiff;
    bool bigEndian = false;
    size_t ifd0 = 0;               // IFD0 (its entry count)
    size_t ifd1Link = 0;           // IFD0's link to IFD1
    size_t ifd1 = 0;               // IFD1 (its entry count); 0: none
    size_t previewOffsetField = 0; // the value of tag 513 in IFD1
    size_t previewLengthField = 0; // the value of tag 514 in IFD1
    size_t preview = 0;            // where the preview's bytes start
};

// IFD0 with Orientation (none when 0), then an IFD1 locating `preview` (none when empty).
ExifBlock MakeExifBlock(bool bigEndian, int orientation, const std::string& preview);
// Overwrites a number in the block's byte order.
void PutU16(ExifBlock* block, size_t offset, uint16_t value);
void PutU32(ExifBlock* block, size_t offset, uint32_t value);
// The APP1 segment carrying the block.
std::string ExifSegment(const ExifBlock& block);
// `jpeg` with `segment` right after SOI, or after the JFIF segment WIC's encoder writes.
std::string InsertSegment(const std::string& jpeg, const std::string& segment, bool afterJfif);

// Uncompressed clips are stored bottom-up as usual, or top-down (a negative height).
enum class ClipCodec { Uncompressed, UncompressedTopDown, MsVideo1 };

// An AVI clip of `frames` copies of `frame` (sides multiples of 4 for MS Video 1).
bool WriteClip(const std::string& path, const Picture& frame, int frames, ClipCodec codec);

// The largest difference of red, green or blue.
int ColourDistance(uint32_t a, uint32_t b);
std::string Hex(uint32_t colour);

} // namespace thumbnail_test
