// EXIF blocks written by hand, as cameras write them into a JPEG's APP1 segment: an
// orientation, a JPEG preview, and the places where tests damage them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scratch {

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
// `jpeg` with `segment` right after SOI, or after the JFIF segment an encoder writes first.
std::string InsertSegment(const std::string& jpeg, const std::string& segment, bool afterJfif);

} // namespace scratch
