#include "ExifOrientation.h"

#include <cstring>

namespace imaging {

namespace {

constexpr size_t kTiffStart = 6; // after "Exif\0\0"
constexpr unsigned kOrientationTag = 0x0112;
constexpr unsigned kTypeShort = 3;

// TIFF numbers in the byte order the structure declares.
struct TiffReader {
    const uint8_t* tiff;
    size_t size;
    bool bigEndian;

    bool U16(size_t at, unsigned* value) const {
        if (at > size || size - at < 2) {
            return false;
        }
        *value = bigEndian ? (tiff[at] << 8 | tiff[at + 1]) : (tiff[at] | tiff[at + 1] << 8);
        return true;
    }
    bool U32(size_t at, unsigned long* value) const {
        unsigned first;
        unsigned second;
        if (!U16(at, &first) || !U16(at + 2, &second)) {
            return false;
        }
        *value = bigEndian ? (static_cast<unsigned long>(first) << 16 | second)
                           : (static_cast<unsigned long>(second) << 16 | first);
        return true;
    }
};

} // namespace

int ExifOrientation(const uint8_t* payload, size_t size) {
    if (size < kTiffStart + 8 || std::memcmp(payload, "Exif\0\0", kTiffStart) != 0) {
        return 0;
    }
    TiffReader reader{payload + kTiffStart, size - kTiffStart, false};
    if (std::memcmp(reader.tiff, "MM", 2) == 0) {
        reader.bigEndian = true;
    } else if (std::memcmp(reader.tiff, "II", 2) != 0) {
        return 0;
    }
    unsigned magic;
    unsigned long directory;
    unsigned entries;
    if (!reader.U16(2, &magic) || magic != 42 || !reader.U32(4, &directory) ||
        !reader.U16(directory, &entries)) {
        return 0;
    }
    for (unsigned i = 0; i < entries; ++i) {
        size_t entry = directory + 2 + static_cast<size_t>(i) * 12;
        unsigned tag;
        unsigned type;
        unsigned long count;
        unsigned value;
        if (!reader.U16(entry, &tag) || !reader.U16(entry + 2, &type) ||
            !reader.U32(entry + 4, &count) || !reader.U16(entry + 8, &value)) {
            return 0;
        }
        if (tag == kOrientationTag) {
            bool valid = type == kTypeShort && count == 1 && value >= 1 && value <= 8;
            return valid ? static_cast<int>(value) : 0;
        }
    }
    return 0;
}

} // namespace imaging
