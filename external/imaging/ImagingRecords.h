// The records and codes of the imaging library's interface (see ImagingLibrary.h), in plain
// C++: the library's readers and writer fill and read them without the system's headers, so
// that they also build, and are fuzzed, off Windows. int32_t is the interface's LONG.
#pragma once

#include <cstdint>

// File-information record: filled by the file-information entry.
struct IMGFILEINFO {
    int32_t format;       // one of the IMG_FORMAT_ codes; always the first field
    int32_t width;        // pixels
    int32_t height;       // pixels
    int32_t bitsPerPixel; // as stored in the file
    int32_t orientation;  // EXIF orientation 1-8 of a JPEG, 0 when it has none
    int32_t reserved[11];
};

// Bitmap record: filled by the load entry, released by the free entry.
struct IMGBITMAP {
    int32_t width;        // pixels
    int32_t height;       // pixels
    int32_t bitsPerPixel; // 24 (BGR) or 8 (gray)
    int32_t bytesPerLine; // with padding
    uint8_t* bits;        // bottom-up rows, as a Windows bitmap holds them (see ImgRow); the
                          // library's memory; null once released
    int32_t reserved[8];
};

// Row y of a bitmap record, counted from the top of the picture.
inline uint8_t* ImgRow(const IMGBITMAP& bitmap, int32_t y) {
    return bitmap.bits +
           static_cast<unsigned long long>(bitmap.height - 1 - y) *
               static_cast<unsigned long long>(bitmap.bytesPerLine);
}

// Format codes the file-information entry reports.
enum ImgFormat : int32_t {
    IMG_FORMAT_UNKNOWN = 0,
    IMG_FORMAT_BMP = 6,               // Windows bitmap: also the only format the save entry writes
    IMG_FORMAT_JPEG = 80,             // JPEG, baseline colour
    IMG_FORMAT_JPEG_PROGRESSIVE = 81, // JPEG, progressive colour
    IMG_FORMAT_JPEG_GRAY = 82,        // JPEG, one gray component (baseline or progressive)
    IMG_FORMAT_JPEG_OTHER = 83,       // JPEG with other components (CMYK, YCCK), read as colour
};

// The JPEG decoder's option that a program sets before loading a JPEG; values 0, 0 are the
// defaults (accurate decoding, the picture as stored).
constexpr int IMG_OPTION_JPEG_DECODE = 80;
