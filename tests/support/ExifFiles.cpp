#include "tests/support/ExifFiles.h"

#include <gtest/gtest.h>

#include "tests/support/ScratchFiles.h"

namespace scratch {

void PutU16(ExifBlock* block, size_t offset, uint16_t value) {
    char* at = &block->tiff[offset];
    at[block->bigEndian ? 0 : 1] = static_cast<char>(value >> 8);
    at[block->bigEndian ? 1 : 0] = static_cast<char>(value & 0xFF);
}

void PutU32(ExifBlock* block, size_t offset, uint32_t value) {
    PutU16(block, offset + (block->bigEndian ? 0 : 2), static_cast<uint16_t>(value >> 16));
    PutU16(block, offset + (block->bigEndian ? 2 : 0), static_cast<uint16_t>(value & 0xFFFF));
}

ExifBlock MakeExifBlock(bool bigEndian, int orientation, const std::string& preview) {
    const uint16_t kShort = 3;
    const uint16_t kLong = 4;
    ExifBlock block;
    block.bigEndian = bigEndian;
    block.tiff = bigEndian ? "MM" : "II";
    auto grow = [&block](size_t bytes) {
        size_t at = block.tiff.size();
        block.tiff.append(bytes, '\0');
        return at;
    };
    // One directory entry holding a single number; a SHORT sits in the value's first half.
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        size_t at = grow(12);
        PutU16(&block, at, tag);
        PutU16(&block, at + 2, type);
        PutU32(&block, at + 4, 1);
        if (type == kShort) {
            PutU16(&block, at + 8, static_cast<uint16_t>(value));
        } else {
            PutU32(&block, at + 8, value);
        }
        return at + 8;
    };
    PutU16(&block, grow(2), 42);
    PutU32(&block, grow(4), 8);
    block.ifd0 = grow(2);
    PutU16(&block, block.ifd0, orientation != 0 ? 1 : 0);
    if (orientation != 0) {
        entry(274, kShort, uint32_t(orientation));
    }
    block.ifd1Link = grow(4);
    if (preview.empty()) {
        return block;
    }
    block.ifd1 = grow(2);
    PutU32(&block, block.ifd1Link, uint32_t(block.ifd1));
    PutU16(&block, block.ifd1, 2);
    block.previewOffsetField = entry(513, kLong, 0);
    block.previewLengthField = entry(514, kLong, uint32_t(preview.size()));
    grow(4); // no further directory
    block.preview = block.tiff.size();
    PutU32(&block, block.previewOffsetField, uint32_t(block.preview));
    block.tiff += preview;
    return block;
}

std::string ExifSegment(const ExifBlock& block) {
    return JpegSegment(0xE1, std::string("Exif\0\0", 6) + block.tiff);
}

std::string InsertSegment(const std::string& jpeg, const std::string& segment, bool afterJfif) {
    size_t at = 2;
    if (afterJfif && jpeg.size() >= 6 && static_cast<uint8_t>(jpeg[3]) == 0xE0) {
        at += 2 + (size_t(static_cast<uint8_t>(jpeg[4])) << 8 | static_cast<uint8_t>(jpeg[5]));
    }
    EXPECT_TRUE(!afterJfif || at > 2) << "the encoded JPEG has no JFIF segment";
    return jpeg.substr(0, at) + segment + jpeg.substr(at);
}

} // namespace scratch
